// Structuring elements of the grey morphology: the cross and the square, as offset arrays
// in raster order (dy, then dx, increasing).
#include <limits>

#include "internal.h"
#include "kit/system.h"

#define CIP_CHECK(condition) ((condition) ? (void)0 : cstd_assert_(__LINE__))

extern "C" int32_t cip_gmorphElementArray_constructType(cip_gmorphElementArray* element,
                                                        int32_t type, int32_t size) {
  CIP_CHECK(element != nullptr);
  CIP_CHECK(type == CIP_GMORPH_CROSS || type == CIP_GMORPH_SQUARE);
  CIP_CHECK(size >= 0);
  const int64_t side = 2 * int64_t{size} + 1;
  const int64_t count = type == CIP_GMORPH_SQUARE ? side * side : 4 * int64_t{size} + 1;
  // Both values of every offset must be countable in 32 bits.
  CIP_CHECK(count <= std::numeric_limits<int32_t>::max() / 2);
  *element = {0, nullptr, 0};
  void* block = nullptr;
  const int32_t status = csys_memory_alloc_internal(size_t(count) * 2 * sizeof(int32_t), &block);
  if (status < 0) return status;
  int32_t* offsets = static_cast<int32_t*>(block);
  for (int32_t dy = -size; dy <= size; ++dy) {
    for (int32_t dx = -size; dx <= size; ++dx) {
      if (type == CIP_GMORPH_CROSS && dx != 0 && dy != 0) continue;
      *offsets++ = dx;
      *offsets++ = dy;
    }
  }
  *element = {int32_t(count), static_cast<int32_t*>(block), size};
  return 0;
}

extern "C" int32_t cip_gmorphElementArray_destruct(cip_gmorphElementArray* element) {
  CIP_CHECK(element != nullptr);
  void* block = element->offsets;
  *element = {0, nullptr, 0};
  return csys_memory_free_internal(&block);
}
