// Reading grey images from PGM and PNG files, writing RGB pictures as PNG.
#include "image_file.h"

#include <png.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

bool fail(std::string* error, const std::string& message) {
  *error = message;
  return false;
}

// Largest side accepted, whatever the pixel limit.
constexpr int64_t maxSide = int64_t{1} << 16;
// Deflate expands its input at most 1032 times: a PNG shorter than its pixels' rows (one
// bit a pixel at the least) over that cannot hold them.
constexpr int64_t deflateMaxRatio = 1032;

std::atomic<int64_t> maxPixels{idut_defaultMaxPixels};

// The declared size against the limits, before anything is allocated for the pixels.
bool checkSize(const std::string& path, int64_t width, int64_t height, std::string* error) {
  if (width < 1 || height < 1 || width > maxSide || height > maxSide)
    return fail(error, path + ": unsupported size " + std::to_string(width) + " x " +
                           std::to_string(height));
  if (width * height > maxPixels)
    return fail(error, path + ": " + std::to_string(width) + " x " + std::to_string(height) +
                           " is more than " + std::to_string(maxPixels) +
                           " pixels (--max-pixels)");
  return true;
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

  bool read(const std::string& path, std::vector<uint8_t>* grey, int32_t* width, int32_t* height,
            std::string* error) {
    const bool plain = bytes_[1] == '2';
    pos_ = 2;
    int64_t w, h, maxval;
    if (!number(&w) || !number(&h) || !number(&maxval)) return fail(error, path + ": bad PGM header");
    if (!checkSize(path, w, h, error)) return false;
    if (maxval < 1 || maxval > 65535)
      return fail(error, path + ": bad PGM maxval " + std::to_string(maxval));
    const size_t count = size_t(w * h);
    const size_t bytesPerSample = plain ? 1 : maxval > 255 ? 2 : 1;  // plain: a digit at least
    if (!plain) ++pos_;  // the single white-space byte after maxval
    if (bytes_.size() < pos_ || (bytes_.size() - pos_) / bytesPerSample < count)
      return fail(error, path + ": truncated PGM data");
    grey->resize(count);
    if (plain) {
      for (size_t i = 0; i < count; ++i) {
        int64_t v;
        if (!number(&v) || v > maxval) return fail(error, path + ": bad or missing PGM sample");
        (*grey)[i] = scaled(v, maxval);
      }
    } else {
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
    // All the digits, the value held at a bound far above any accepted number.
    constexpr int64_t bound = int64_t{1} << 40;
    *value = 0;
    while (pos_ < bytes_.size() && std::isdigit(bytes_[pos_]))
      *value = std::min(bound, *value * 10 + (bytes_[pos_++] - '0'));
    return true;
  }

  const std::vector<uint8_t>& bytes_;
  size_t pos_ = 0;
};

bool readPng(const std::string& path, const std::vector<uint8_t>& bytes, std::vector<uint8_t>* grey,
             int32_t* width, int32_t* height, std::string* error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
    return fail(error, path + ": " + png.message);
  const int64_t w = png.width, h = png.height;
  if (!checkSize(path, w, h, error)) {
    png_image_free(&png);
    return false;
  }
  if (int64_t(bytes.size()) * deflateMaxRatio < h * (1 + (w + 7) / 8)) {
    png_image_free(&png);
    return fail(error, path + ": truncated PNG: too short for " + std::to_string(w) + " x " +
                           std::to_string(h) + " pixels");
  }
  png.format = PNG_FORMAT_GRAY;
  grey->resize(PNG_IMAGE_SIZE(png));
  const png_color white{255, 255, 255};
  if (!png_image_finish_read(&png, &white, grey->data(), 0, nullptr))
    return fail(error, path + ": " + png.message);
  *width = int32_t(w);
  *height = int32_t(h);
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
    if (!readPng(path, bytes, &grey, &width, &height, error)) return false;
  } else if (bytes.size() >= 2 && bytes[0] == 'P' && (bytes[1] == '5' || bytes[1] == '2')) {
    ccPgmReader reader(bytes);
    if (!reader.read(path, &grey, &width, &height, error)) return false;
  } else {
    return fail(error, path + ": not a PGM (P5, P2) or PNG image");
  }
  return storeGrey(grey.data(), width, height, image, error);
}

void idut_setMaxImagePixels(int64_t pixels) { maxPixels = pixels; }

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
