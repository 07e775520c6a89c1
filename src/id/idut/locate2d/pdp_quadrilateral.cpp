// The ring finder's quadrilateral. Chords in 1/16 pixel, squared lengths in quarter pixels
// squared, corner angles as |tan| x 1000.
#include "id/idut/locate2d/pdp_quadrilateral.h"

#include <stdlib.h>

#include "kit/shapes.h"

namespace {

constexpr int32_t minFirstLengthSq = 143;     // segment 0 must be longer (3 pixels)
constexpr int32_t longSideSq = 785;           // one of segments 0..2 at least this (7 pixels)
constexpr int64_t leastCornerTangent = 1804;  // about 61 degrees
constexpr int64_t sharpCornerTangent = 2475;  // about 68 degrees
constexpr int64_t oppositeCornerAllowance = 3200;

cmath_shapeLine chordLine(const cid2d_chord& c) {
  return cmath_shapeLine{cmath_vect{double(c.dx()), double(c.dy())},
                         cmath_vect{double(c.from.x), double(c.from.y)}};
}

}  // namespace

cid2d_ringFit cid2d_fitRingQuadrilateral(const cid2d_point* smoothed, int32_t n,
                                         const cid2d_segment segments[4]) {
  cid2d_ringFit fit;
  if (segments[0].lengthSq <= minFirstLengthSq) return fit;
  if (segments[0].lengthSq < longSideSq && segments[1].lengthSq < longSideSq &&
      segments[2].lengthSq < longSideSq)
    return fit;
  int32_t covered = 0;
  for (int32_t i = 0; i < 4; ++i) covered += segments[i].end - segments[i].start;
  if (covered <= n / 3 - 1) return fit;

  cid2d_chord chords[4];
  for (int32_t i = 0; i < 4; ++i) chords[i] = cid2d_segmentChord(smoothed, n, segments[i]);
  int64_t tangents[4];  // corner i lies between sides i and i + 1
  for (int32_t i = 0; i < 4; ++i) {
    const cid2d_chord &a = chords[i], &b = chords[(i + 1) % 4];
    tangents[i] = llabs(cid2d_tangent1000(a.dx(), a.dy(), b.dx(), b.dy()));
    if (tangents[i] < leastCornerTangent) return fit;
  }
  for (int32_t i = 0; i < 4; ++i)
    if (tangents[i] < sharpCornerTangent &&
        tangents[(i + 2) % 4] >= tangents[i] + oppositeCornerAllowance)
      return fit;

  cmath_vect corners[4];
  for (int32_t i = 0; i < 4; ++i) {
    const cmath_shapeLine a = chordLine(chords[i]), b = chordLine(chords[(i + 1) % 4]);
    if (cmath_shapeLine_intersection(&a, &b, &corners[i]) < 0) return fit;
    corners[i] = cmath_vect{corners[i].x / 16, corners[i].y / 16};
  }
  fit.found = true;
  fit.corners = cid2d_symbolCorners{corners[1], corners[0], corners[2], corners[3]};
  fit.fourthCornerInferred = 0;
  return fit;
}
