// The clock-track check: grey profiles just inside the far sides.
#include "clock_tracks.h"

#include <algorithm>
#include <cmath>

#include "grey_sampler.h"

namespace {

constexpr double sampleStep = 0.5;   // pixels along a side
constexpr double endMargin = 0.08;   // of a side's length, left out at each end
constexpr int32_t leastRuns = 3;     // of ink and of space, per side
constexpr double mostCover = 0.85;   // of a side, by ink or by space
constexpr int32_t steadySamples = 2;  // a change of colour counts after two samples
constexpr double insets[] = {0.7, 1.2, 2.0, 3.0, 4.5};  // pixels inside a far side

cmath_vect along(const cmath_vect& a, const cmath_vect& b, double t) {
  return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

// The unit normal of the segment a-b pointing towards `inside`.
cmath_vect inwardNormal(const cmath_vect& a, const cmath_vect& b, const cmath_vect& inside) {
  const double dx = b.x - a.x, dy = b.y - a.y, l = std::hypot(dx, dy);
  cmath_vect n{-dy / l, dx / l};
  if (n.x * (inside.x - a.x) + n.y * (inside.y - a.y) < 0) n = {-n.x, -n.y};
  return n;
}

// Follows the profile from a to b, `inset` pixels inside, and tells whether it alternates
// like a clock track; if so, *runCount gets its runs of ink and space.
bool alternates(const ccGreySampler& sampler, const cmath_vect& a, const cmath_vect& b,
                const cmath_vect& centre, double inset, int32_t threshold, bool darkInk,
                int32_t* runCount) {
  const cmath_vect n = inwardNormal(a, b, centre);
  const double length = std::hypot(b.x - a.x, b.y - a.y);
  const int32_t samples = int32_t(length * (1 - 2 * endMargin) / sampleStep);
  if (samples < 2 * leastRuns * steadySamples) return false;
  int32_t runs[2] = {0, 0}, cover[2] = {0, 0};
  int32_t state = -1, pending = 0;
  for (int32_t i = 0; i < samples; ++i) {
    const cmath_vect p = along(a, b, endMargin + (1 - 2 * endMargin) * i / samples);
    const int32_t g = sampler.grey(p.x + inset * n.x, p.y + inset * n.y);
    if (g < 0) return false;
    const int32_t colour = (g < threshold) == darkInk;  // 1 ink, 0 space
    ++cover[colour];
    if (colour == state) {
      pending = 0;
    } else if (++pending == steadySamples || state < 0) {
      state = colour;
      pending = 0;
      ++runs[colour];
    }
  }
  if (runs[0] < leastRuns || runs[1] < leastRuns || cover[0] > mostCover * samples ||
      cover[1] > mostCover * samples)
    return false;
  *runCount = runs[0] + runs[1];
  return true;
}

}  // namespace

bool idread_symbol_hasClockTracks(const cimg_image* image, const idread_symbol& symbol,
                                  ccClockTrackCheck* check) {
  const ccGreySampler sampler(image);
  cmath_vect c[4];
  for (int32_t i = 0; i < 4; ++i) c[i] = sampler.toWindow(symbol.corners[i]);
  const cmath_vect centre{(c[0].x + c[1].x + c[2].x + c[3].x) / 4,
                          (c[0].y + c[1].y + c[2].y + c[3].y) / 4};
  const double shorter = std::min(std::hypot(c[1].x - c[0].x, c[1].y - c[0].y),
                                  std::hypot(c[3].x - c[0].x, c[3].y - c[0].y));
  // The ink's grey: the middle of the L's first leg, just inside.
  const cmath_vect legMiddle = along(c[0], c[1], 0.5);
  const cmath_vect n = inwardNormal(c[0], c[1], centre);
  const int32_t ink = sampler.grey(legMiddle.x + 0.7 * n.x, legMiddle.y + 0.7 * n.y);
  if (ink < 0) return false;
  const bool darkInk = ink < symbol.threshold;
  // The module size is not known: the clock track is looked for at growing depths, up
  // to an eighth of the shorter side (a symbol has at least 8 modules a side).
  auto sideAlternates = [&](const cmath_vect& end, ccClockTrackCheck::side* side) {
    for (const double inset : insets) {
      if (inset > shorter / 8) break;
      if (alternates(sampler, end, c[2], centre, inset, symbol.threshold, darkInk, &side->runs)) {
        side->span = std::hypot(c[2].x - end.x, c[2].y - end.y) * (1 - 2 * endMargin);
        return true;
      }
    }
    return false;
  };
  ccClockTrackCheck tracks;
  if (!sideAlternates(c[1], &tracks.x) || !sideAlternates(c[3], &tracks.y)) return false;
  if (check) *check = tracks;
  return true;
}
