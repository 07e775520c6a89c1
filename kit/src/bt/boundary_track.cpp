// Iso-contour following by marching squares over the pixel-centre grid.
//
// Each pixel p has an offset g(p) = 2 I(p) - T2(p) from twice its threshold; the pixel is
// dark when g(p) <= 0. The fixed tracker's threshold is level + 1/2 everywhere; the
// adaptive tracker's is a surface that follows the local contrast. Either way g depends
// on the pixel alone, so the contour is a level set of a fixed function and closes.
//
// The state of the walk is a crossing: a dark and a light pixel, 4-adjacent. Its
// direction follows from the hand: t = hand * (e.y, -e.x) with e the unit step from the
// dark to the light pixel. One step looks at the two pixels beyond the crossing in
// direction t, which close the cell the contour passes through, and picks the cell side
// the contour leaves by. The walk ends when it is back at its first crossing (closed),
// when the next cell leaves the window (open), or at the point limit.
#include <algorithm>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "kit/bt.h"
#include "kit/system.h"

namespace {

struct pixel {
  int32_t x;
  int32_t y;
  pixel operator+(pixel o) const { return {x + o.x, y + o.y}; }
  pixel operator-(pixel o) const { return {x - o.x, y - o.y}; }
  bool operator==(const pixel&) const = default;
};

// The four unit steps, a quarter turn apart: +x, +y, -x, -y.
constexpr pixel unitSteps[4] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};

// A dark pixel, the step to its light neighbour and both pixels' offsets, kept so that
// each step of the walk reads only the two pixels ahead.
struct crossing {
  pixel dark;
  int32_t toLight;  // index into unitSteps
  int32_t darkOffset, lightOffset;
  bool isAt(const crossing& o) const { return dark == o.dark && toLight == o.toLight; }
};

enum class ending { closed, border, limit, noMemory };

constexpr int32_t firstCapacity = 1024;

// The pixels of the tracked window.
struct pixelGrid {
  const uint8_t* pixels;
  int32_t width, height, stride;

  bool inside(pixel p) const { return p.x >= 0 && p.y >= 0 && p.x < width && p.y < height; }
  int32_t index(pixel p) const { return p.y * stride + p.x; }
};

// The fixed threshold: level + 1/2 everywhere.
struct fixedLevel {
  int32_t twiceThreshold;
  explicit fixedLevel(const cbt_runParams& params) : twiceThreshold(2 * params.level + 1) {}
  int32_t offset(const pixelGrid& grid, pixel p) const { return offsetAt(grid, p, grid.index(p)); }
  // offset() of pixel p at `index` in the grid's memory.
  int32_t offsetAt(const pixelGrid& grid, pixel, int32_t index) const {
    return 2 * grid.pixels[index] - twiceThreshold;
  }
};

// The least and greatest grey of the pixels within `radius` of p (a square), clipped to
// the window.
template <int32_t radius>
void neighbourhoodRange(const pixelGrid& grid, pixel p, int32_t* least, int32_t* greatest) {
#ifdef __SSE2__
  // Away from the window's edges: eight bytes a row from the square's left column on,
  // the bytes beyond its right column masked out, then folded to one.
  static_assert(2 * radius + 1 <= 8, "a row of the square fits in eight bytes");
  if (p.x >= radius && p.y >= radius && p.y + radius < grid.height && p.x - radius + 8 <= grid.width) {
    const uint8_t* at = grid.pixels + (p.y - radius) * grid.stride + (p.x - radius);
    __m128i lo = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at)), hi = lo;
    for (int32_t r = 1; r <= 2 * radius; ++r) {
      const __m128i row = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at + r * grid.stride));
      lo = _mm_min_epu8(lo, row);
      hi = _mm_max_epu8(hi, row);
    }
    const __m128i beyond = _mm_slli_epi64(_mm_set_epi32(0, 0, -1, -1), 8 * (2 * radius + 1));
    lo = _mm_or_si128(lo, beyond);
    hi = _mm_andnot_si128(beyond, hi);
    for (const int32_t bits : {32, 16, 8}) {
      lo = _mm_min_epu8(lo, _mm_srli_epi64(lo, bits));
      hi = _mm_max_epu8(hi, _mm_srli_epi64(hi, bits));
    }
    *least = _mm_cvtsi128_si32(lo) & 0xff;
    *greatest = _mm_cvtsi128_si32(hi) & 0xff;
    return;
  }
#endif
  const int32_t x0 = std::max(0, p.x - radius), x1 = std::min(grid.width - 1, p.x + radius);
  const int32_t y0 = std::max(0, p.y - radius), y1 = std::min(grid.height - 1, p.y + radius);
  int32_t lo = 255, hi = 0;
  for (int32_t y = y0; y <= y1; ++y) {
    const uint8_t* row = grid.pixels + y * grid.stride;
    for (int32_t x = x0; x <= x1; ++x) {
      lo = std::min<int32_t>(lo, row[x]);
      hi = std::max<int32_t>(hi, row[x]);
    }
  }
  *least = lo;
  *greatest = hi;
}

// The adaptive threshold: the middle of the grey range of the 5 x 5 pixels around the
// pixel where that range reaches a third of the seed's edge contrast (at least 8 grey
// levels); elsewhere, in flat areas, the seed's level + 1/2.
struct adaptiveLevel {
  int32_t leastRange;
  int32_t twiceFallback;
  explicit adaptiveLevel(const cbt_runParams& params)
      : leastRange(std::max(8, params.strength / 9)), twiceFallback(2 * params.level + 1) {}
  int32_t offset(const pixelGrid& grid, pixel p) const { return offsetAt(grid, p, grid.index(p)); }
  int32_t offsetAt(const pixelGrid& grid, pixel p, int32_t index) const {
    int32_t lo, hi;
    neighbourhoodRange<2>(grid, p, &lo, &hi);
    const int32_t twiceThreshold = hi - lo >= leastRange ? lo + hi : twiceFallback;
    return 2 * grid.pixels[index] - twiceThreshold;
  }
};

template <class Level>
class contourTracer {
 public:
  contourTracer(const pixelGrid& grid, const cbt_runParams& params, cbt_result* result)
      : grid_(grid), params_(params), level_(params), result_(result) {}

  // Runs the walk; `ending` tells how the contour ended.
  int32_t run(ending* end) {
    crossing start;
    if (!findStart(&start)) return CBT_STATUS_NO_BOUNDARY;
    const int32_t hand = params_.polarity ? 1 : -1;
    if (!emit(start)) return CSYS_STATUS_NO_MEMORY;
    *end = trace(start, hand);
    if (*end == ending::border && params_.followOpen) {
      const int32_t forward = result_->numPoints;
      const ending backEnd = trace(start, -hand);
      if (backEnd != ending::border) *end = backEnd;
      // The backward points, reversed, come first: the contour stays in one direction.
      cbt_point* points = result_->points;
      std::reverse(points + forward, points + result_->numPoints);
      std::rotate(points, points + forward, points + result_->numPoints);
    }
    return *end == ending::noMemory ? CSYS_STATUS_NO_MEMORY : 0;
  }

 private:
  static crossing makeCrossing(pixel dark, int32_t darkOffset, pixel light, int32_t lightOffset) {
    const pixel e = light - dark;
    const int32_t toLight = e.x != 0 ? 1 - e.x : 2 - e.y;
    return crossing{dark, toLight, darkOffset, lightOffset};
  }

  // The crossing nearest the start point on a 4-connected pixel path to the end point.
  bool findStart(crossing* start) const {
    const pixel from{(params_.startX + 128) >> 8, (params_.startY + 128) >> 8};
    const pixel to{(params_.endX + 128) >> 8, (params_.endY + 128) >> 8};
    const int32_t ax = std::abs(to.x - from.x), ay = std::abs(to.y - from.y);
    const pixel stepX{to.x > from.x ? 1 : -1, 0}, stepY{0, to.y > from.y ? 1 : -1};
    pixel previous = from;
    if (!grid_.inside(previous)) return false;
    // Step in x while its next half-step lies nearer along the line than y's.
    for (int32_t nx = 0, ny = 0; nx + ny < ax + ay;) {
      const bool takeX = ay == 0 || (ax != 0 && (2 * nx + 1) * ay < (2 * ny + 1) * ax);
      const pixel next = previous + (takeX ? stepX : stepY);
      (takeX ? nx : ny)++;
      if (!grid_.inside(next)) return false;
      const int32_t gPrevious = level_.offset(grid_, previous), gNext = level_.offset(grid_, next);
      if ((gPrevious <= 0) != (gNext <= 0)) {
        *start = gPrevious <= 0 ? makeCrossing(previous, gPrevious, next, gNext)
                                : makeCrossing(next, gNext, previous, gPrevious);
        return true;
      }
      previous = next;
    }
    return false;
  }

  // Each step looks at the two pixels beyond the crossing in direction t = hand * (e.y,
  // -e.x), a quarter turn from e = light - dark. Both lie one step along t from pixels in
  // the window, at the same coordinate along t, so one comparison tells whether they are
  // in it too. Pixels are reached by their index in the grid's memory, stepped by fixed
  // offsets. The walk keeps what it reads in locals: a store of a point could otherwise
  // alias them.
  ending trace(const crossing& start, int32_t hand) {
    const int32_t quarterTurn = hand > 0 ? 3 : 1;
    const pixelGrid grid = grid_;
    const Level level = level_;
    const int32_t maxPoints = params_.maxPoints;
    const bool interpolate = params_.interpolate != 0;
    const int32_t indexSteps[4] = {1, grid.stride, -1, -grid.stride};
    // Per direction, the coordinate of the step's axis one step on stays below this bound
    // (as unsigned, so that -1 fails too).
    const uint32_t bounds[2] = {uint32_t(grid.width), uint32_t(grid.height)};
    int32_t count = result_->numPoints, capacity = result_->capacity;
    cbt_point* points = result_->points;
    crossing c = start;
    int32_t darkIndex = grid.index(c.dark);
    for (;;) {
      const int32_t t = (c.toLight + quarterTurn) & 3;
      const pixel step = unitSteps[t];
      const pixel dark2 = c.dark + step;
      if (uint32_t((t & 1) ? dark2.y : dark2.x) >= bounds[t & 1])
        return finish(count, ending::border);
      const pixel light2 = dark2 + unitSteps[c.toLight];
      const int32_t dark2Index = darkIndex + indexSteps[t];
      const int32_t light2Index = dark2Index + indexSteps[c.toLight];
      const int32_t g2 = level.offsetAt(grid, dark2, dark2Index);
      const int32_t h2 = level.offsetAt(grid, light2, light2Index);
      // Dark ahead beside the dark pixel only: straight on. Dark ahead beside the light
      // pixel (both sides, or a saddle cell whose mean is dark): leave beside the light
      // pixel. Otherwise leave beside the dark pixel.
      const bool d2 = g2 <= 0, l2 = h2 <= 0;
      const bool straight = d2 && !l2;
      const bool aroundLight = l2 && (d2 || c.darkOffset + c.lightOffset + g2 + h2 <= 0);
      darkIndex = straight ? dark2Index : aroundLight ? light2Index : darkIndex;
      c = crossing{straight ? dark2 : aroundLight ? light2 : c.dark,
                   straight ? c.toLight : aroundLight ? (t + 2) & 3 : t,
                   straight ? g2 : aroundLight ? h2 : c.darkOffset,
                   straight ? h2 : aroundLight ? c.lightOffset : g2};
      if (c.isAt(start)) return finish(count, ending::closed);
      if (count >= maxPoints) return finish(count, ending::limit);
      if (count == capacity) {
        result_->numPoints = count;
        if (!grow()) return ending::noMemory;
        points = result_->points;
        capacity = result_->capacity;
      }
      points[count++] = pointOf(c, interpolate);
    }
  }

  ending finish(int32_t count, ending end) {
    result_->numPoints = count;
    return end;
  }

  // Appends the sub-pixel position of a crossing, growing the point buffer as needed.
  bool emit(const crossing& c) {
    if (result_->numPoints == result_->capacity && !grow()) return false;
    result_->points[result_->numPoints++] = pointOf(c, params_.interpolate != 0);
    return true;
  }

  // The crossing's position in 1/256 pixel: where the offset changes sign between its two
  // pixels, rounded, or half way between them.
  static cbt_point pointOf(const crossing& c, bool interpolate) {
    int32_t offset = 128;
    if (interpolate) {
      const int32_t num = -c.darkOffset * 256, den = c.lightOffset - c.darkOffset;
      offset = (num + den / 2) / den;
    }
    const pixel e = unitSteps[c.toLight];
    return cbt_point{c.dark.x * 256 + e.x * offset, c.dark.y * 256 + e.y * offset};
  }

  // Out of line: it runs a few times a contour at most.
  [[gnu::noinline]] bool grow() {
    const int64_t wanted = std::max<int64_t>(firstCapacity, 2 * int64_t{result_->capacity});
    const int32_t capacity = int32_t(std::min<int64_t>(wanted, params_.maxPoints));
    void* block = nullptr;
    if (csys_memory_alloc_internal(size_t(capacity) * sizeof(cbt_point), &block) < 0) return false;
    if (result_->numPoints > 0)
      csys_memory_copy(size_t(result_->numPoints) * sizeof(cbt_point), result_->points, block);
    void* old = result_->points;
    csys_memory_free_internal(&old);
    result_->points = static_cast<cbt_point*>(block);
    result_->capacity = capacity;
    return true;
  }

  const pixelGrid& grid_;
  const cbt_runParams& params_;
  Level level_;
  cbt_result* result_;
};

template <class Level>
int32_t track(const cimg_imageConst* image, const cbt_runParams* params, cbt_result* result) {
  if (!image || !params || !result || params->maxPoints < 1) cstd_assert_(__LINE__);
  result->numPoints = 0;
  result->flags = 0;
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, image); status < 0) return status;
  if (window.pixelType != CIMG_TYPE_8) return CIMG_STATUS_BAD_SIZE;
  const pixelGrid grid{static_cast<const uint8_t*>(window.pixels), window.width, window.height,
                       window.stride};
  ending end = ending::closed;
  if (const int32_t status = contourTracer<Level>(grid, *params, result).run(&end); status < 0)
    return status;
  result->flags = CBT_FLAG_USABLE;
  if (end == ending::border) result->flags |= CBT_FLAG_OPEN;
  if (end == ending::limit || result->numPoints < params->minPoints)
    result->flags |= CBT_FLAG_REJECTED;
  return 0;
}

}  // namespace

extern "C" int32_t cbt_boundaryTrack(const cimg_imageConst* image, const cbt_runParams* params,
                                     cbt_result* result) {
  return track<fixedLevel>(image, params, result);
}

extern "C" int32_t cbt_boundaryTrack_Adaptive(const cimg_imageConst* image,
                                              const cbt_runParams* params, int32_t /*extra*/,
                                              cbt_result* result) {
  const int32_t status = track<adaptiveLevel>(image, params, result);
  // What the caller should mark: nothing of a failed run; of an open contour all but its
  // last points at the border, which stay free for seeds there; all of any other contour,
  // one cut at the point limit included: a seed on it would only walk it again.
  if (status < 0) {
    result->markMode = CBT_MARK_NONE;
  } else if (result->flags & CBT_FLAG_OPEN) {
    result->markMode = CBT_MARK_ALL_BUT_LAST_10;
  }
  return status;
}
