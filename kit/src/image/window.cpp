// Windows and origins of image handles, window records and pixel addresses.
#include <algorithm>

#include "internal.h"

namespace {

int64_t rightOf(const cstd_rect32& r) {
  return int64_t{r.x} + r.width;
}
int64_t bottomOf(const cstd_rect32& r) {
  return int64_t{r.y} + r.height;
}

// The rectangle clipped to the image; a negative size counts as 0. True if that changed it.
bool clipToImage(const cimg_imageConst& image, const cstd_rect32& rect, cstd_rect32* clipped) {
  const cstd_rect32 e = cimg_imageConst_entireRect(image);
  const int64_t x0 = std::clamp<int64_t>(rect.x, e.x, rightOf(e));
  const int64_t y0 = std::clamp<int64_t>(rect.y, e.y, bottomOf(e));
  const int64_t x1 = std::clamp<int64_t>(int64_t{rect.x} + std::max(rect.width, 0), x0, rightOf(e));
  const int64_t y1 =
      std::clamp<int64_t>(int64_t{rect.y} + std::max(rect.height, 0), y0, bottomOf(e));
  *clipped = cstd_rect32{int32_t(x0), int32_t(y0), int32_t(x1 - x0), int32_t(y1 - y0)};
  return clipped->x != rect.x || clipped->y != rect.y || clipped->width != rect.width ||
         clipped->height != rect.height;
}

// Address of the pixel at image coordinates (x, y), which lie in or at the edge of the image.
uint8_t* pixelAddress(const cimg_imageConst& image, int64_t x, int64_t y) {
  const cimg_buffer& b = *image.buffer;
  return static_cast<uint8_t*>(b.pixels) +
         ((y - image.originY) * b.stride + (x - image.originX)) * b.pixelType;
}

// Moves the image so that its buffer's pixel (0, 0) lies at (x, y) in image coordinates.
int32_t moveOrigin(cimg_imageConst* image, int64_t x, int64_t y) {
  const cimg_buffer& b = *image->buffer;
  if (x < INT32_MIN || y < INT32_MIN || x + b.width > INT32_MAX || y + b.height > INT32_MAX) {
    return CIMG_STATUS_BAD_SIZE;
  }
  image->window.x = int32_t(image->window.x + (x - image->originX));
  image->window.y = int32_t(image->window.y + (y - image->originY));
  image->originX = int32_t(x);
  image->originY = int32_t(y);
  return 0;
}

// Fills a window record (either kind) over a rectangle inside the image.
template <class Record>
void fillRecord(Record* record, const cimg_imageConst& image, const cstd_rect32& rect) {
  const cimg_buffer& b = *image.buffer;
  *record = Record{rect.width,
                   rect.height,
                   rect.x,
                   rect.y,
                   b.stride,
                   b.pixelType,
                   pixelAddress(image, rect.x, rect.y),
                   &b};
}

// The record of the current window (rect null) or of rect clipped to the image.
template <class Record>
int32_t initRecord(Record* record, const cimg_imageConst* image, const cstd_rect32* rect,
                   int32_t* clipped) {
  CIMG_CHECK(record && image);
  if (!image->buffer) return CIMG_STATUS_UNBOUND;
  cstd_rect32 area = image->window;
  if (rect) {
    const bool changed = clipToImage(*image, *rect, &area);
    if (clipped) *clipped = changed;
  }
  fillRecord(record, *image, area);
  return 0;
}

}  // namespace

extern "C" int32_t cimg_imageConst_getEntire(const cimg_imageConst* image, cstd_rect32* rect) {
  CIMG_CHECK(image && rect);
  if (!image->buffer) return CIMG_STATUS_UNBOUND;
  *rect = cimg_imageConst_entireRect(*image);
  return 0;
}

extern "C" int32_t cimg_imageConst_getWindow(const cimg_imageConst* image, cstd_rect32* rect) {
  CIMG_CHECK(image && rect);
  if (!image->buffer) return CIMG_STATUS_UNBOUND;
  *rect = image->window;
  return 0;
}

extern "C" int32_t cimg_imageConst_window(cimg_imageConst* image, int32_t x, int32_t y,
                                          int32_t width, int32_t height, int32_t flags) {
  CIMG_CHECK(image && flags == 0);
  if (!image->buffer) return CIMG_STATUS_UNBOUND;
  const cstd_rect32 e = cimg_imageConst_entireRect(*image);
  const int64_t x0 = int64_t{image->window.x} + x;
  const int64_t y0 = int64_t{image->window.y} + y;
  if (width < 0 || height < 0 || x0 < e.x || y0 < e.y || x0 + width > rightOf(e) ||
      y0 + height > bottomOf(e)) {
    return CIMG_STATUS_BAD_SIZE;
  }
  image->window = cstd_rect32{int32_t(x0), int32_t(y0), width, height};
  return 0;
}

extern "C" int32_t cimg_imageConst_setWindowRect(cimg_imageConst* image, const cstd_rect32* rect,
                                                 int32_t* clipped) {
  CIMG_CHECK(image && rect);
  if (!image->buffer) return CIMG_STATUS_UNBOUND;
  const bool changed = clipToImage(*image, *rect, &image->window);
  if (clipped) *clipped = changed;
  return 0;
}

extern "C" int32_t cimg_imageConst_setEntire(cimg_imageConst* image) {
  CIMG_CHECK(image);
  if (!image->buffer) return CIMG_STATUS_UNBOUND;
  image->window = cimg_imageConst_entireRect(*image);
  return 0;
}

extern "C" int32_t cimg_imageConst_getOrigin(const cimg_imageConst* image, int32_t* x, int32_t* y) {
  CIMG_CHECK(image && x && y);
  if (!image->buffer) return CIMG_STATUS_UNBOUND;
  *x = image->originX;
  *y = image->originY;
  return 0;
}

extern "C" int32_t cimg_imageConst_setOrigin(cimg_imageConst* image, int32_t x, int32_t y) {
  CIMG_CHECK(image);
  if (!image->buffer) return CIMG_STATUS_UNBOUND;
  return moveOrigin(image, x, y);
}

extern "C" int32_t cimg_imageConst_setWindowOrigin(cimg_imageConst* image, int32_t x, int32_t y) {
  CIMG_CHECK(image);
  if (!image->buffer) return CIMG_STATUS_UNBOUND;
  return moveOrigin(image, int64_t{image->originX} + x - image->window.x,
                    int64_t{image->originY} + y - image->window.y);
}

extern "C" int32_t cimg_windowConst_init(cimg_windowConst* window, const cimg_imageConst* image) {
  return initRecord(window, image, nullptr, nullptr);
}

extern "C" int32_t cimg_window_init(cimg_window* window, const cimg_image* image) {
  return initRecord(window, cimg_image_asConst(image), nullptr, nullptr);
}

extern "C" int32_t cimg_windowConst_initWindow(cimg_windowConst* window,
                                               const cimg_imageConst* image,
                                               const cstd_rect32* rect, int32_t* clipped) {
  CIMG_CHECK(rect);
  return initRecord(window, image, rect, clipped);
}

extern "C" int32_t cimg_window_initWindow(cimg_window* window, const cimg_image* image,
                                          const cstd_rect32* rect, int32_t* clipped) {
  CIMG_CHECK(rect);
  return initRecord(window, cimg_image_asConst(image), rect, clipped);
}

extern "C" int32_t cimg_imageConst_pointToOffset_internal(const cimg_imageConst* image, int32_t x,
                                                          int32_t y, const void** address) {
  CIMG_CHECK(image && address);
  if (!image->buffer) return CIMG_STATUS_UNBOUND;
  const cstd_rect32 e = cimg_imageConst_entireRect(*image);
  const int64_t ix = int64_t{image->window.x} + x;
  const int64_t iy = int64_t{image->window.y} + y;
  CIMG_CHECK(ix >= e.x && iy >= e.y && ix < rightOf(e) && iy < bottomOf(e));
  *address = pixelAddress(*image, ix, iy);
  return 0;
}

extern "C" int32_t cimg_image_pointToOffset_internal(const cimg_image* image, int32_t x, int32_t y,
                                                     void** address) {
  CIMG_CHECK(address);
  const void* pixel = nullptr;
  const int32_t status =
      cimg_imageConst_pointToOffset_internal(cimg_image_asConst(image), x, y, &pixel);
  if (status >= 0) *address = const_cast<void*>(pixel);
  return status;
}

// The writable handle is its read-only member.

extern "C" int32_t cimg_image_getEntire(const cimg_image* image, cstd_rect32* rect) {
  return cimg_imageConst_getEntire(cimg_image_asConst(image), rect);
}

extern "C" int32_t cimg_image_getWindow(const cimg_image* image, cstd_rect32* rect) {
  return cimg_imageConst_getWindow(cimg_image_asConst(image), rect);
}

extern "C" int32_t cimg_image_window(cimg_image* image, int32_t x, int32_t y, int32_t width,
                                     int32_t height, int32_t flags) {
  return cimg_imageConst_window(cimg_image_asConst(image), x, y, width, height, flags);
}

extern "C" int32_t cimg_image_setWindowRect(cimg_image* image, const cstd_rect32* rect,
                                            int32_t* clipped) {
  return cimg_imageConst_setWindowRect(cimg_image_asConst(image), rect, clipped);
}

extern "C" int32_t cimg_image_setEntire(cimg_image* image) {
  return cimg_imageConst_setEntire(cimg_image_asConst(image));
}

extern "C" int32_t cimg_image_getOrigin(const cimg_image* image, int32_t* x, int32_t* y) {
  return cimg_imageConst_getOrigin(cimg_image_asConst(image), x, y);
}

extern "C" int32_t cimg_image_setOrigin(cimg_image* image, int32_t x, int32_t y) {
  return cimg_imageConst_setOrigin(cimg_image_asConst(image), x, y);
}

extern "C" int32_t cimg_image_setWindowOrigin(cimg_image* image, int32_t x, int32_t y) {
  return cimg_imageConst_setWindowOrigin(cimg_image_asConst(image), x, y);
}
