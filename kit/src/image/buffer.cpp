// Shared pixel buffers: allocation, row layout and reference counting.
#include <new>

#include "internal.h"

namespace {

constexpr int64_t rowAlignment = 16;  // bytes

bool isTypeCode(int32_t type) {
  return type == CIMG_TYPE_8 || type == CIMG_TYPE_32 || type == CIMG_TYPE_DOUBLE;
}

}  // namespace

int32_t cimg_buffer_create(int32_t type, int32_t width, int32_t height, cimg_allocFunc alloc,
                           cimg_freeFunc free, cimg_buffer** buffer) {
  *buffer = nullptr;
  if (!isTypeCode(type) || width < 1 || height < 1) return CIMG_STATUS_BAD_SIZE;
  const int64_t rowBytes = (int64_t{width} * type + rowAlignment - 1) & -rowAlignment;
  const int64_t stride = rowBytes / type;
  if (stride > INT32_MAX || rowBytes > PTRDIFF_MAX / height) return CSYS_STATUS_NO_MEMORY;

  void* header = nullptr;
  int32_t status = csys_memory_alloc_internal(sizeof(cimg_buffer), &header);
  if (status < 0) return status;
  void* pixels = nullptr;
  status = alloc(size_t(rowBytes * height), &pixels);
  if (status < 0) {
    csys_memory_free_internal(&header);
    return status;
  }
  *buffer = new (header) cimg_buffer(type, width, height, int32_t(stride), pixels, free);
  return 0;
}

void cimg_buffer_retain(cimg_buffer* buffer) {
  buffer->references.fetch_add(1, std::memory_order_relaxed);
}

int32_t cimg_buffer_release(cimg_buffer* buffer) {
  if (buffer->references.fetch_sub(1, std::memory_order_acq_rel) != 1) return 0;
  const int32_t status = buffer->freePixels(&buffer->pixels);
  buffer->~cimg_buffer();
  void* header = buffer;
  csys_memory_free_internal(&header);
  return status;
}
