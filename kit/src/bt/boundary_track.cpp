// Iso-contour following by marching squares over the pixel-centre grid.
//
// The state of the walk is a crossing: a dark and a light pixel, 4-adjacent. Its
// direction follows from the hand: t = hand * (e.y, -e.x) with e the unit step from the
// dark to the light pixel. One step looks at the two pixels beyond the crossing in
// direction t, which close the cell the contour passes through, and picks the cell side
// the contour leaves by. The walk ends when it is back at its first crossing (closed),
// when the next cell leaves the window (open), at the point limit, or, adaptively, where
// the edge fades.
#include <algorithm>
#include <utility>

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

struct crossing {
  pixel dark;
  pixel light;
  bool operator==(const crossing&) const = default;
};

enum class ending { closed, border, limit, faded, noMemory };

// Steps of the adaptive level: its fixed-point scale, and how long a faint edge may last.
constexpr int32_t levelScale = 16;
constexpr int32_t fadedStepsToStop = 16;
constexpr int32_t firstCapacity = 1024;

class contourTracer {
 public:
  contourTracer(const cimg_windowConst& window, const cbt_runParams& params, bool adaptive,
                cbt_result* result)
      : pixels_(static_cast<const uint8_t*>(window.pixels)),
        width_(window.width),
        height_(window.height),
        stride_(window.stride),
        params_(params),
        adaptive_(adaptive && params.strength > 0),
        result_(result),
        level16_(params.level * levelScale) {}

  int32_t run() {
    result_->numPoints = 0;
    result_->flags = 0;
    crossing start;
    if (!findStart(&start)) {
      result_->markMode = CBT_MARK_NONE;
      return CBT_STATUS_NO_BOUNDARY;
    }
    const int32_t hand = params_.polarity ? 1 : -1;
    const int32_t startLevel16 = level16_;
    if (!emit(start)) return CSYS_STATUS_NO_MEMORY;
    ending end = trace(start, hand);
    int32_t flags = CBT_FLAG_USABLE;
    if (end == ending::border) {
      flags |= CBT_FLAG_OPEN;
      if (params_.followOpen) {
        const int32_t forward = result_->numPoints;
        level16_ = startLevel16;
        end = trace(start, -hand);
        // The backward points, reversed, come first: the contour stays in one direction.
        cbt_point* points = result_->points;
        std::reverse(points + forward, points + result_->numPoints);
        std::rotate(points, points + forward, points + result_->numPoints);
      }
    }
    if (end == ending::noMemory) return CSYS_STATUS_NO_MEMORY;
    if (end == ending::limit || end == ending::faded ||
        result_->numPoints < params_.minPoints)
      flags |= CBT_FLAG_REJECTED;
    if (end == ending::faded) result_->markMode = CBT_MARK_ALL_BUT_LAST_10;
    result_->flags = flags;
    return 0;
  }

 private:
  bool inside(pixel p) const { return p.x >= 0 && p.y >= 0 && p.x < width_ && p.y < height_; }
  int32_t value(pixel p) const { return pixels_[p.y * stride_ + p.x]; }
  int32_t level() const { return level16_ / levelScale; }
  bool isDark(pixel p) const { return value(p) <= level(); }

  // The crossing nearest the start point on a 4-connected pixel path to the end point.
  bool findStart(crossing* start) const {
    const pixel from{(params_.startX + 128) >> 8, (params_.startY + 128) >> 8};
    const pixel to{(params_.endX + 128) >> 8, (params_.endY + 128) >> 8};
    const int32_t ax = std::abs(to.x - from.x), ay = std::abs(to.y - from.y);
    const pixel stepX{to.x > from.x ? 1 : -1, 0}, stepY{0, to.y > from.y ? 1 : -1};
    pixel previous = from;
    if (!inside(previous)) return false;
    // Step in x while its next half-step lies nearer along the line than y's.
    for (int32_t nx = 0, ny = 0; nx + ny < ax + ay;) {
      const bool takeX = ay == 0 || (ax != 0 && (2 * nx + 1) * ay < (2 * ny + 1) * ax);
      const pixel next = previous + (takeX ? stepX : stepY);
      (takeX ? nx : ny)++;
      if (!inside(next)) return false;
      const bool previousDark = isDark(previous);
      if (previousDark != isDark(next)) {
        *start = previousDark ? crossing{previous, next} : crossing{next, previous};
        return true;
      }
      previous = next;
    }
    return false;
  }

  ending trace(const crossing& start, int32_t hand) {
    crossing c = start;
    int32_t faintSteps = 0;
    for (;;) {
      const pixel e = c.light - c.dark;
      const pixel t{hand * e.y, -hand * e.x};
      const pixel dark2 = c.dark + t, light2 = c.light + t;
      if (!inside(dark2) || !inside(light2)) return ending::border;
      const bool d2 = isDark(dark2), l2 = isDark(light2);
      if (d2 && !l2) {
        c = {dark2, light2};
      } else if (d2 == l2 ? l2 : centreIsDark(c, dark2, light2)) {
        c = {light2, c.light};  // dark ahead on both sides: leave beside the light pixel
      } else {
        c = {c.dark, dark2};  // light ahead on both sides: leave beside the dark pixel
      }
      if (adaptive_ && !adaptLevel(c, &faintSteps)) return ending::faded;
      if (c == start) return ending::closed;
      if (result_->numPoints >= params_.maxPoints) return ending::limit;
      if (!emit(c)) return ending::noMemory;
    }
  }

  // Saddle cell (dark pixels on one diagonal only): the mean of its corners decides.
  bool centreIsDark(const crossing& c, pixel dark2, pixel light2) const {
    const int32_t sum = value(c.dark) + value(c.light) + value(dark2) + value(light2);
    return sum <= 4 * level() + 1;  // mean below level + 1/2
  }

  // Moves the level towards the middle of the local grey range, keeping the crossing
  // valid; false once the edge has stayed faint for too long.
  bool adaptLevel(const crossing& c, int32_t* faintSteps) {
    const int32_t x0 = std::max(0, std::min(c.dark.x, c.light.x) - 1);
    const int32_t y0 = std::max(0, std::min(c.dark.y, c.light.y) - 1);
    const int32_t x1 = std::min(width_ - 1, std::max(c.dark.x, c.light.x) + 2);
    const int32_t y1 = std::min(height_ - 1, std::max(c.dark.y, c.light.y) + 2);
    int32_t lo = 255, hi = 0;
    for (int32_t y = y0; y <= y1; ++y) {
      const uint8_t* row = pixels_ + y * stride_;
      for (int32_t x = x0; x <= x1; ++x) {
        lo = std::min<int32_t>(lo, row[x]);
        hi = std::max<int32_t>(hi, row[x]);
      }
    }
    if (9 * (hi - lo) < params_.strength) {
      if (++*faintSteps >= fadedStepsToStop) return false;
    } else {
      *faintSteps = 0;
      const int32_t target16 = (lo + hi) * levelScale / 2;
      level16_ += (target16 - level16_) / 4;
    }
    const int32_t lowest = value(c.dark) * levelScale;
    const int32_t highest = value(c.light) * levelScale - 1;
    level16_ = std::clamp(level16_, lowest, highest);
    return true;
  }

  // Appends the sub-pixel position of a crossing, growing the point buffer as needed.
  bool emit(const crossing& c) {
    if (result_->numPoints == result_->capacity && !grow()) return false;
    const int32_t vd = value(c.dark), vl = value(c.light);
    int32_t offset = 128;
    if (params_.interpolate) {
      // (level + 1/2 - vd) / (vl - vd) of a pixel, in 1/256, rounded.
      const int32_t num = (2 * level() + 1 - 2 * vd) * 256;
      const int32_t den = 2 * (vl - vd);
      offset = (num + den / 2) / den;
    }
    const pixel e = c.light - c.dark;
    result_->points[result_->numPoints++] =
        cbt_point{c.dark.x * 256 + e.x * offset, c.dark.y * 256 + e.y * offset};
    return true;
  }

  bool grow() {
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

  const uint8_t* pixels_;
  int32_t width_, height_, stride_;
  const cbt_runParams& params_;
  bool adaptive_;
  cbt_result* result_;
  int32_t level16_;  // contour level in 1/16 grey
};

int32_t track(const cimg_imageConst* image, const cbt_runParams* params, bool adaptive,
              cbt_result* result) {
  if (!image || !params || !result || params->maxPoints < 1) cstd_assert_(__LINE__);
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, image); status < 0) return status;
  if (window.pixelType != CIMG_TYPE_8) return CIMG_STATUS_BAD_SIZE;
  return contourTracer(window, *params, adaptive, result).run();
}

}  // namespace

extern "C" int32_t cbt_boundaryTrack(const cimg_imageConst* image, const cbt_runParams* params,
                                     cbt_result* result) {
  return track(image, params, false, result);
}

extern "C" int32_t cbt_boundaryTrack_Adaptive(const cimg_imageConst* image,
                                              const cbt_runParams* params, int32_t /*extra*/,
                                              cbt_result* result) {
  return track(image, params, true, result);
}
