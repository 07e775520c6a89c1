// Inside the image library: the shared pixel buffer and the argument check.
#pragma once

#include <atomic>

#include "kit/image.h"
#include "kit/system.h"

#define CIMG_CHECK(condition) ((condition) ? (void)0 : cstd_assert_(__LINE__))

// One block of pixels shared by every handle bound to it. The header and, unless a caller
// supplied the allocator, the pixels come from the kit's allocator.
struct cimg_buffer {
  cimg_buffer(int32_t type, int32_t w, int32_t h, int32_t rowStride, void* block,
              cimg_freeFunc release)
      : pixelType(type),
        width(w),
        height(h),
        stride(rowStride),
        pixels(block),
        freePixels(release) {}

  std::atomic<int32_t> references{1};
  const int32_t pixelType;  // type code = bytes per pixel
  const int32_t width;
  const int32_t height;
  const int32_t stride;  // pixels
  void* pixels;
  const cimg_freeFunc freePixels;
};

// A new buffer with one reference: CIMG_STATUS_BAD_SIZE for a bad type code or size, else
// the allocators' status. *buffer is null on failure.
int32_t cimg_buffer_create(int32_t type, int32_t width, int32_t height, cimg_allocFunc alloc,
                           cimg_freeFunc free, cimg_buffer** buffer);
void cimg_buffer_retain(cimg_buffer* buffer);
// Drops one reference; the last one frees the buffer and returns the pixel free status.
int32_t cimg_buffer_release(cimg_buffer* buffer);

// The whole image of a bound handle, in image coordinates.
inline cstd_rect32 cimg_imageConst_entireRect(const cimg_imageConst& image) {
  return cstd_rect32{image.originX, image.originY, image.buffer->width, image.buffer->height};
}
