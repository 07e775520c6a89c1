// Reading grey images from PGM and PNG files, and the errors for files that are not.
#include "image_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

class ImageFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("idut_image_file_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  // The pixels of a read image, row by row.
  static std::vector<int> pixels(ccGreyImage& image) {
    cimg_window w;
    cimg_window_init(&w, image.image());
    std::vector<int> out;
    for (int32_t y = 0; y < w.height; ++y)
      for (int32_t x = 0; x < w.width; ++x) out.push_back(cimg_window_row<uint8_t>(&w, y)[x]);
    return out;
  }

  std::filesystem::path dir_;
};

TEST_F(ImageFile, ReadsPgmVariants) {
  ccGreyImage image;
  std::string error;
  const std::string binary = write("a.pgm", std::string("P5\n# comment\n3 2\n255\n") +
                                                std::string("\x00\x10\x20\x30\x40\xff", 6));
  ASSERT_TRUE(idut_readGreyImage(binary, &image, &error)) << error;
  EXPECT_EQ(pixels(image), (std::vector<int>{0, 16, 32, 48, 64, 255}));

  const std::string plain = write("b.pgm", "P2 2 2 15\n0 15\n# mid\n5 10\n");
  ASSERT_TRUE(idut_readGreyImage(plain, &image, &error)) << error;
  EXPECT_EQ(pixels(image), (std::vector<int>{0, 255, 85, 170}));

  // 16-bit samples, most significant byte first, scaled from maxval 1000.
  const std::string wide =
      write("c.pgm", std::string("P5 2 1 1000\n") + std::string("\x01\xf4\x03\xe8", 4));
  ASSERT_TRUE(idut_readGreyImage(wide, &image, &error)) << error;
  EXPECT_EQ(pixels(image), (std::vector<int>{128, 255}));
}

TEST_F(ImageFile, ReadsPngAsGrey) {
  idut_rgbPicture picture;
  picture.width = 4;
  picture.height = 1;
  picture.rgb = {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255};
  std::string error;
  const std::string path = (dir_ / "colour.png").string();
  ASSERT_TRUE(idut_writePng(path, picture, &error)) << error;
  ccGreyImage image;
  ASSERT_TRUE(idut_readGreyImage(path, &image, &error)) << error;
  const std::vector<int> grey = pixels(image);
  ASSERT_EQ(grey.size(), 4u);
  EXPECT_EQ(grey[0], 255);
  EXPECT_GT(grey[2], grey[1]);  // luminance weights: green, then red, then blue
  EXPECT_GT(grey[1], grey[3]);
}

TEST_F(ImageFile, Errors) {
  ccGreyImage image;
  std::string error;
  EXPECT_FALSE(idut_readGreyImage((dir_ / "missing.pgm").string(), &image, &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
  EXPECT_FALSE(idut_readGreyImage(dir_.string(), &image, &error));  // once std::bad_alloc
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  EXPECT_FALSE(idut_readGreyImage(write("t.txt", "hello"), &image, &error));
  EXPECT_NE(error.find("not a PGM"), std::string::npos) << error;
  EXPECT_FALSE(idut_readGreyImage(write("short.pgm", "P5 4 4 255\nabc"), &image, &error));
  EXPECT_NE(error.find("truncated"), std::string::npos) << error;
  EXPECT_FALSE(idut_readGreyImage(write("zero.pgm", "P5 0 4 255\n"), &image, &error));
  EXPECT_FALSE(idut_readGreyImage(write("p2.pgm", "P2 2 1 9\n3 12\n"), &image, &error));
  EXPECT_FALSE(idut_readGreyImage(write("bad.png", "\x89PNG\r\n\x1a\nnot really"), &image, &error));
  int32_t bound = 1;
  cimg_image_getIsBound(image.image(), &bound);
  EXPECT_EQ(bound, 0);  // failures leave the image as it was
}

// A crc-32 of a PNG chunk's type and data.
uint32_t crc32(const std::string& bytes) {
  uint32_t crc = 0xffffffff;
  for (const unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

std::string bigEndian(uint32_t v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// Declared sizes are checked before anything is allocated for the pixels, and every
// message names the file.
TEST_F(ImageFile, SizeLimits) {
  ccGreyImage image;
  std::string error;
  // A 69-byte PNG that declares 65536 x 4096 pixels.
  const std::string ihdr = "IHDR" + bigEndian(65536) + bigEndian(4096) + std::string("\x08\x00\x00\x00\x00", 5);
  const std::string idat = "IDAT" + std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8);
  const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + bigEndian(13) + ihdr + bigEndian(crc32(ihdr)) +
                          bigEndian(8) + idat + bigEndian(crc32(idat)) + bigEndian(0) + "IEND" +
                          bigEndian(crc32("IEND"));
  const std::string declared = write("declared.png", png);
  EXPECT_FALSE(idut_readGreyImage(declared, &image, &error));
  EXPECT_EQ(error.rfind(declared + ": truncated PNG", 0), 0u) << error;
  // A width of ten digits is reported as written.
  const std::string wide = write("wide.pgm", "P5 1234567890 1 255\n");
  EXPECT_FALSE(idut_readGreyImage(wide, &image, &error));
  EXPECT_NE(error.find(wide + ": unsupported size 1234567890 x 1"), std::string::npos) << error;
  // The limit, lowered.
  const std::string small = write("small.pgm", "P5 4 3 255\n" + std::string(12, 'a'));
  idut_setMaxImagePixels(11);
  EXPECT_FALSE(idut_readGreyImage(small, &image, &error));
  EXPECT_NE(error.find(small + ": 4 x 3 is more than 11 pixels"), std::string::npos) << error;
  idut_setMaxImagePixels(12);
  EXPECT_TRUE(idut_readGreyImage(small, &image, &error)) << error;
  idut_setMaxImagePixels(idut_defaultMaxPixels);
}

}  // namespace
