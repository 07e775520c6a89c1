// The program's image files: any bytes, read as a PGM or PNG file, give either an 8-bit
// image of the file's size whose every pixel can be read, or an error with the caller's
// image left as it was.
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "image_file.h"

namespace {

// The input as a file, through a memory file descriptor (no disk, nothing left behind).
class memoryFile {
 public:
  memoryFile(const uint8_t* data, size_t size) : fd_(memfd_create("idut-fuzz", 0)) {
    FUZZ_REQUIRE(fd_ >= 0);
    FUZZ_REQUIRE(write(fd_, data, size) == ssize_t(size));
  }
  ~memoryFile() { close(fd_); }
  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

// Sum of the window's pixels: every one is read (out-of-buffer reads stop the sanitizer).
uint64_t pixelSum(const cimg_window& window) {
  uint64_t sum = 0;
  for (int32_t y = 0; y < window.height; ++y) {
    const uint8_t* row = cimg_window_row<uint8_t>(&window, y);
    for (int32_t x = 0; x < window.width; ++x) sum += row[x];
  }
  return sum;
}

void checkRead(const cimg_image* image) {
  int32_t bound = 0;
  cimg_image_getIsBound(image, &bound);
  FUZZ_REQUIRE(bound == 1);
  cstd_rect32 entire, rect;
  FUZZ_REQUIRE(cimg_image_getEntire(image, &entire) == 0);
  FUZZ_REQUIRE(cimg_image_getWindow(image, &rect) == 0);
  FUZZ_REQUIRE(entire.x == 0 && entire.y == 0 && entire.width >= 1 && entire.height >= 1);
  FUZZ_REQUIRE(std::memcmp(&entire, &rect, sizeof rect) == 0);
  cimg_window window;
  FUZZ_REQUIRE(cimg_window_init(&window, image) == 0);
  FUZZ_REQUIRE(window.pixelType == CIMG_TYPE_8);
  FUZZ_REQUIRE(window.width == rect.width && window.height == rect.height);
  FUZZ_REQUIRE(window.stride >= window.width);
  pixelSum(window);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const memoryFile file(data, size);
  ccGreyImage image;
  std::string error;
  if (idut_readGreyImage(file.path(), &image, &error)) {
    checkRead(image.image());
    return 0;
  }
  FUZZ_REQUIRE(!error.empty());
  int32_t bound = 1;
  cimg_image_getIsBound(image.image(), &bound);
  FUZZ_REQUIRE(bound == 0);

  // A bound image keeps its pixels through a failed read.
  ccGreyImage kept;
  FUZZ_REQUIRE(cimg_image_construct(kept.image(), CIMG_TYPE_8, 3, 2) == 0);
  cimg_window window;
  cimg_window_init(&window, kept.image());
  for (int32_t y = 0; y < 2; ++y) std::memset(cimg_window_row<uint8_t>(&window, y), 7 + y, 3);
  error.clear();
  FUZZ_REQUIRE(!idut_readGreyImage(file.path(), &kept, &error) && !error.empty());
  cimg_window after;
  FUZZ_REQUIRE(cimg_window_init(&after, kept.image()) == 0);
  FUZZ_REQUIRE(after.pixels == window.pixels && after.width == 3 && after.height == 2);
  FUZZ_REQUIRE(pixelSum(after) == 3 * 7 + 3 * 8);
  return 0;
}
