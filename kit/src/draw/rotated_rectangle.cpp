// Rasterising a rotated rectangle (any parallelogram in centre form) into an 8-bit image.
//
// The corners are rounded to 1/256 pixel and taken relative to the top-left pixel of the
// area drawn. Each side is an edge function E(p) = d x (p - start), positive inside; in a
// row it is linear in the column, so the columns inside all four sides form one span found
// with four integer divisions, and only the span's pixels are visited.
#include <algorithm>
#include <cmath>

#include "kit/draw.h"
#include "kit/system.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#define CDRAW_CHECK(condition) ((condition) ? (void)0 : cstd_assert_(__LINE__))

namespace {

constexpr int64_t unit = 256;       // sub-pixel units per pixel
constexpr int64_t half = unit / 2;  // from a pixel's corner to its centre

// With every corner and pixel centre within CDRAW_MAX_EXTENT (2^21) pixels of each other,
// coordinate differences stay below 2^30 units and edge values below 2^62.
struct point {
  int64_t x;
  int64_t y;
};

// floor(n / d) and ceil(n / d) for d > 0.
int64_t floorDiv(int64_t n, int64_t d) {
  const int64_t q = n / d;
  return (n % d != 0 && n < 0) ? q - 1 : q;
}
int64_t ceilDiv(int64_t n, int64_t d) {
  return -floorDiv(-n, d);
}

// One side of the outline, oriented so that the interior lies where E > 0. A pixel centre
// with E = 0 is inside when the interior lies towards +x, or towards +y for a side along
// x; the same side seen from the neighbouring shape has the opposite interior, so exactly
// one of the two takes the centre. In a row, the centre of column c is inside this side
// when a * c + b >= 0; b grows by step from row to row.
struct side {
  int64_t a;
  int64_t b;
  int64_t step;
};

side makeSide(const point& start, const point& end) {
  const int64_t dx = end.x - start.x;
  const int64_t dy = end.y - start.y;
  const bool takesTies = dy < 0 || (dy == 0 && dx > 0);
  // E at the centre of column c, row 0: dx (half - start.y) - dy (unit c + half - start.x).
  return side{-unit * dy, dx * (half - start.y) - dy * (half - start.x) - (takesTies ? 0 : 1),
              unit * dx};
}

// Narrows the columns [first, last] to those with a * c + b >= 0.
void narrow(const side& s, int64_t* first, int64_t* last) {
  if (s.a > 0) {
    *first = std::max(*first, ceilDiv(-s.b, s.a));
  } else if (s.a < 0) {
    *last = std::min(*last, floorDiv(s.b, -s.a));
  } else if (s.b < 0) {
    *last = *first - 1;
  }
}

// A corner in units, relative to the pixel corner (x0, y0).
point snap(const cmath_vect& v, int32_t x0, int32_t y0) {
  return point{std::llround(v.x * unit) - x0 * unit, std::llround(v.y * unit) - y0 * unit};
}

int64_t cross(const point& a, const point& b) {
  return a.x * b.y - a.y * b.x;
}

point minus(const point& a, const point& b) {
  return point{a.x - b.x, a.y - b.y};
}

// Pixels [first, end) of row equal to from become to; 16 at a time where it can.
void replaceSpan(uint8_t* row, int64_t first, int64_t end, uint8_t from, uint8_t to) {
  int64_t c = first;
#ifdef __SSE2__
  const __m128i fromV = _mm_set1_epi8(static_cast<char>(from));
  const __m128i toV = _mm_set1_epi8(static_cast<char>(to));
  for (; c + 16 <= end; c += 16) {
    __m128i* at = reinterpret_cast<__m128i*>(row + c);
    const __m128i v = _mm_loadu_si128(at);
    const __m128i match = _mm_cmpeq_epi8(v, fromV);
    _mm_storeu_si128(at, _mm_or_si128(_mm_and_si128(match, toV), _mm_andnot_si128(match, v)));
  }
#endif
  for (; c < end; ++c)
    if (row[c] == from) row[c] = to;
}

// Sets the pixels of the window inside the quadrilateral q (perimeter order, units
// relative to the window's top-left pixel corner) from from to to.
void fill(const cimg_window& window, point q[4], uint8_t from, uint8_t to) {
  const int64_t area = cross(minus(q[2], q[0]), minus(q[3], q[1]));
  if (area == 0) return;
  if (area < 0) std::swap(q[1], q[3]);
  side sides[4];
  for (int k = 0; k < 4; ++k) sides[k] = makeSide(q[k], q[(k + 1) % 4]);
  uint8_t* row = static_cast<uint8_t*>(window.pixels);
  for (int32_t r = 0; r < window.height; ++r, row += window.stride) {
    int64_t first = 0;
    int64_t last = window.width - 1;
    for (side& s : sides) {
      narrow(s, &first, &last);
      s.b += s.step;
    }
    replaceSpan(row, first, last + 1, from, to);
  }
}

}  // namespace

extern "C" int32_t cdraw_rasterize_rotatedRectangle_forID(const cmath_shapeAffineRectCenter* rect,
                                                          const cstd_rect32* clip, uint8_t from,
                                                          uint8_t to, cimg_image* image) {
  CDRAW_CHECK(rect != nullptr && clip != nullptr && image != nullptr);
  cstd_rect32 area;
  if (const int32_t status = cimg_image_getEntire(image, &area); status < 0) return status;
  cmath_shapeAffineRect corners;
  if (const int32_t status = cmath_shapeAffineRect_initCenter(&corners, rect); status < 0)
    return status;
  cstd_rect32 bounds;
  if (const int32_t status = cmath_shapeAffineRect_getEncloseImageRect(&corners, nullptr, &bounds);
      status < 0)
    return status;
  if (bounds.width >= CDRAW_MAX_EXTENT || bounds.height >= CDRAW_MAX_EXTENT)
    return CMATH_STATUS_OUT_OF_RANGE;
  cstd_rect32_intersect(&area, clip, &area);
  cstd_rect32_intersect(&area, &bounds, &area);
  cimg_window window;
  if (const int32_t status = cimg_window_initWindow(&window, image, &area, nullptr); status < 0)
    return status;
  CDRAW_CHECK(window.pixelType == CIMG_TYPE_8);
  if (window.width <= 0 || window.height <= 0) return 0;

  const cmath_vect popp{corners.px.x + corners.py.x - corners.po.x,
                        corners.px.y + corners.py.y - corners.po.y};
  point q[4] = {snap(corners.po, window.x0, window.y0), snap(corners.px, window.x0, window.y0),
                snap(popp, window.x0, window.y0), snap(corners.py, window.x0, window.y0)};
  fill(window, q, from, to);
  return 0;
}
