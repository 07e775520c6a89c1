// Reading grey images from PGM and PNG files, writing RGB pictures as PNG.
#include "image_file.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

// Largest accepted image: 2^28 pixels, 2^16 on a side.
constexpr int64_t maxPixels = int64_t{1} << 28;
constexpr int64_t maxSide = int64_t{1} << 16;

bool fail(std::string* error, const std::string& message) {
  *error = message;
  return false;
}

// Regular files only: a folder or a device has no size to read up front, and a pipe
// would block.
bool readFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
  std::error_code code;
  const std::filesystem::file_status status = std::filesystem::status(path, code);
  if (code) return fail(error, "cannot open " + path + ": " + code.message());
  if (!std::filesystem::is_regular_file(status)) return fail(error, path + ": not a regular file");
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in)
    return fail(error, "cannot open " + path + ": " + std::generic_category().message(errno));
  const std::streamoff size = in.tellg();
  if (size < 0) return fail(error, "cannot read " + path);
  bytes->resize(size_t(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes->data()), size))
    return fail(error, "cannot read " + path);
  return true;
}

// Grey samples, row by row, into a new image.
bool storeGrey(const uint8_t* grey, int32_t width, int32_t height, ccGreyImage* image,
               std::string* error) {
  cimg_image fresh;
  cimg_image_constructUnbound(&fresh);
  cimg_window window;
  if (cimg_image_construct(&fresh, CIMG_TYPE_8, width, height) < 0 ||
      cimg_window_init(&window, &fresh) < 0) {
    cimg_image_destruct(&fresh);
    return fail(error, "out of memory for a " + std::to_string(width) + " x " +
                           std::to_string(height) + " image");
  }
  for (int32_t y = 0; y < height; ++y)
    std::memcpy(cimg_window_row<uint8_t>(&window, y), grey + size_t(y) * width, size_t(width));
  cimg_image_assign(image->image(), &fresh);
  cimg_image_destruct(&fresh);
  return true;
}

// The PGM header and samples: magic, width, height, maxval, each separated by white space
// and comments; one white-space byte before binary samples.
class ccPgmReader {
 public:
  explicit ccPgmReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  bool read(std::vector<uint8_t>* grey, int32_t* width, int32_t* height, std::string* error) {
    const bool plain = bytes_[1] == '2';
    pos_ = 2;
    int64_t w, h, maxval;
    if (!number(&w) || !number(&h) || !number(&maxval)) return fail(error, "bad PGM header");
    if (w < 1 || h < 1 || w > maxSide || h > maxSide || w * h > maxPixels)
      return fail(error, "unsupported PGM size " + std::to_string(w) + " x " + std::to_string(h));
    if (maxval < 1 || maxval > 65535)
      return fail(error, "bad PGM maxval " + std::to_string(maxval));
    const size_t count = size_t(w * h);
    grey->resize(count);
    if (plain) {
      for (size_t i = 0; i < count; ++i) {
        int64_t v;
        if (!number(&v) || v > maxval) return fail(error, "bad or missing PGM sample");
        (*grey)[i] = scaled(v, maxval);
      }
    } else {
      ++pos_;  // the single white-space byte after maxval
      const size_t bytesPerSample = maxval > 255 ? 2 : 1;
      if (bytes_.size() < pos_ || bytes_.size() - pos_ < count * bytesPerSample)
        return fail(error, "truncated PGM data");
      const uint8_t* p = bytes_.data() + pos_;
      for (size_t i = 0; i < count; ++i, p += bytesPerSample) {
        const int64_t v = bytesPerSample == 2 ? (p[0] << 8 | p[1]) : p[0];
        (*grey)[i] = scaled(std::min(v, maxval), maxval);
      }
    }
    *width = int32_t(w);
    *height = int32_t(h);
    return true;
  }

 private:
  static uint8_t scaled(int64_t v, int64_t maxval) {
    return maxval == 255 ? uint8_t(v) : uint8_t((v * 255 + maxval / 2) / maxval);
  }

  void skipSpaceAndComments() {
    while (pos_ < bytes_.size()) {
      if (bytes_[pos_] == '#') {
        while (pos_ < bytes_.size() && bytes_[pos_] != '\n') ++pos_;
      } else if (std::isspace(bytes_[pos_])) {
        ++pos_;
      } else {
        return;
      }
    }
  }

  bool number(int64_t* value) {
    skipSpaceAndComments();
    if (pos_ >= bytes_.size() || !std::isdigit(bytes_[pos_])) return false;
    *value = 0;
    while (pos_ < bytes_.size() && std::isdigit(bytes_[pos_]) && *value <= maxPixels)
      *value = *value * 10 + (bytes_[pos_++] - '0');
    return true;
  }

  const std::vector<uint8_t>& bytes_;
  size_t pos_ = 0;
};

bool readPng(const std::string& path, std::vector<uint8_t>* grey, int32_t* width, int32_t* height,
             std::string* error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str()))
    return fail(error, path + ": " + png.message);
  if (int64_t(png.width) > maxSide || int64_t(png.height) > maxSide ||
      int64_t(png.width) * png.height > maxPixels) {
    png_image_free(&png);
    return fail(error, "unsupported PNG size " + std::to_string(png.width) + " x " +
                           std::to_string(png.height));
  }
  png.format = PNG_FORMAT_GRAY;
  grey->resize(PNG_IMAGE_SIZE(png));
  const png_color white{255, 255, 255};
  if (!png_image_finish_read(&png, &white, grey->data(), 0, nullptr))
    return fail(error, path + ": " + png.message);
  *width = int32_t(png.width);
  *height = int32_t(png.height);
  return true;
}

}  // namespace

bool idut_readGreyImage(const std::string& path, ccGreyImage* image, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!readFile(path, &bytes, error)) return false;
  std::vector<uint8_t> grey;
  int32_t width = 0, height = 0;
  static const uint8_t pngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (bytes.size() >= sizeof pngSignature &&
      std::memcmp(bytes.data(), pngSignature, sizeof pngSignature) == 0) {
    bytes.clear();
    if (!readPng(path, &grey, &width, &height, error)) return false;
  } else if (bytes.size() >= 2 && bytes[0] == 'P' && (bytes[1] == '5' || bytes[1] == '2')) {
    ccPgmReader reader(bytes);
    if (!reader.read(&grey, &width, &height, error)) return fail(error, path + ": " + *error);
  } else {
    return fail(error, path + ": not a PGM (P5, P2) or PNG image");
  }
  return storeGrey(grey.data(), width, height, image, error);
}

idut_rgbPicture idut_rgbPicture_fromGrey(const cimg_image* image) {
  cimg_window window;
  cimg_window_init(&window, image);
  idut_rgbPicture picture;
  picture.width = window.width;
  picture.height = window.height;
  picture.rgb.resize(size_t(window.width) * window.height * 3);
  uint8_t* out = picture.rgb.data();
  for (int32_t y = 0; y < window.height; ++y) {
    const uint8_t* row = cimg_window_row<uint8_t>(&window, y);
    for (int32_t x = 0; x < window.width; ++x, out += 3) out[0] = out[1] = out[2] = row[x];
  }
  return picture;
}

bool idut_writePng(const std::string& path, const idut_rgbPicture& picture, std::string* error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = uint32_t(picture.width);
  png.height = uint32_t(picture.height);
  png.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&png, path.c_str(), 0, picture.rgb.data(), 0, nullptr))
    return fail(error, "cannot write " + path + ": " + png.message);
  return true;
}
