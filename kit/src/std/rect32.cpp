// Integer rectangles.
#include <algorithm>

#include "kit/std.h"

namespace {

bool isNull(const cstd_rect32& r) { return r.width <= 0 || r.height <= 0; }

}  // namespace

extern "C" int32_t cstd_rect32_init(cstd_rect32* r, int32_t x, int32_t y, int32_t width,
                                    int32_t height) {
  *r = cstd_rect32{x, y, width, height};
  return 0;
}

extern "C" int32_t cstd_rect32_intersect(const cstd_rect32* a, const cstd_rect32* b,
                                         cstd_rect32* out) {
  // 64-bit ends: x + width may exceed the int32 range.
  const int64_t x0 = std::max(a->x, b->x);
  const int64_t y0 = std::max(a->y, b->y);
  const int64_t x1 = std::min(int64_t{a->x} + a->width, int64_t{b->x} + b->width);
  const int64_t y1 = std::min(int64_t{a->y} + a->height, int64_t{b->y} + b->height);
  if (isNull(*a) || isNull(*b) || x1 <= x0 || y1 <= y0) {
    *out = cstd_rect32{0, 0, 0, 0};
  } else {
    *out = cstd_rect32{int32_t(x0), int32_t(y0), int32_t(x1 - x0), int32_t(y1 - y0)};
  }
  return 0;
}

extern "C" int32_t cstd_rect32_containsRect(const cstd_rect32* outer, const cstd_rect32* inner,
                                            int32_t* contains) {
  *contains = isNull(*inner) ||
              (inner->x >= outer->x && inner->y >= outer->y &&
               int64_t{inner->x} + inner->width <= int64_t{outer->x} + outer->width &&
               int64_t{inner->y} + inner->height <= int64_t{outer->y} + outer->height);
  return 0;
}

extern "C" int32_t cstd_rect32_getIsNull(const cstd_rect32* r, int32_t* result) {
  *result = isNull(*r);
  return 0;
}
