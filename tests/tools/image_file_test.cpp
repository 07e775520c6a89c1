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

}  // namespace
