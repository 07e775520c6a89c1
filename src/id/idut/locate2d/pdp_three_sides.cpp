// The ring finder's three-side fallback. Contour points and chords in 1/16 pixel, squared
// chord lengths in quarter pixels squared, angles as |tan| x 1000.
#include "id/idut/locate2d/pdp_three_sides.h"

#include <stdlib.h>

#include <algorithm>

#include "id/idut/frame/cleanup_frame.h"
#include "kit/shapes.h"

namespace {

constexpr int64_t perpendicularTangent = 2747;  // above: about 70 degrees or more
constexpr int64_t parallelTangent = 177;        // below: about 10 degrees or less
constexpr int32_t leastHullSide = 61;           // city block, 1/16 pixel

int32_t cityBlock(const cid2d_point& a, const cid2d_point& b) {
  return abs(a.x - b.x) + abs(a.y - b.y);
}

int64_t cross(const cid2d_point& a, const cid2d_point& b, const cid2d_point& c) {
  return (int64_t{b.x} - a.x) * (int64_t{c.y} - b.y) - (int64_t{b.y} - a.y) * (int64_t{c.x} - b.x);
}

// The line from `from` towards `to`, both scaled down by 2^shift (arithmetic shifts).
cmath_shapeLine lineThrough(const cid2d_point& from, const cid2d_point& to, int32_t shift) {
  return cmath_shapeLine{cmath_vect{double((to.x >> shift) - (from.x >> shift)),
                                    double((to.y >> shift) - (from.y >> shift))},
                         cmath_vect{double(from.x >> shift), double(from.y >> shift)}};
}

// The intersection of two lines divided by unit (into pixels).
int32_t meet(const cmath_shapeLine& a, const cmath_shapeLine& b, double unit, cmath_vect* point) {
  if (const int32_t status = cmath_shapeLine_intersection(&a, &b, point); status < 0) return status;
  *point = cmath_vect{point->x / unit, point->y / unit};
  return 0;
}

int32_t nearestHullPoint(const cid2d_point* hull, int32_t count, const cid2d_point& to) {
  int32_t best = 0;
  for (int32_t i = 1; i < count; ++i)
    if (cityBlock(hull[i], to) < cityBlock(hull[best], to)) best = i;
  return best;
}

// Index of the hull point farthest from the side's line.
int32_t farthestHullPoint(const cid2d_point* hull, int32_t count, const cid2d_chord& side) {
  int64_t best = -1;
  int32_t at = 0;
  for (int32_t i = 0; i < count; ++i) {
    const int64_t d = llabs(side.dx() * (int64_t{hull[i].y} - side.from.y) -
                            side.dy() * (int64_t{hull[i].x} - side.from.x));
    if (d > best) {
      best = d;
      at = i;
    }
  }
  return at;
}

int64_t tangentTo(const cid2d_chord& side, const cid2d_point& from, const cid2d_point& to) {
  return llabs(
      cid2d_tangent1000(side.dx(), side.dy(), int64_t{to.x} - from.x, int64_t{to.y} - from.y));
}

}  // namespace

int32_t cid2d_convexHull(const cid2d_point* contour, int32_t n, cid2d_hullEntry* work,
                         cid2d_point* hull, int32_t* hullCount) {
  constexpr int64_t straightDown = 1073741823;
  constexpr int64_t pastVertical = 2147483646;
  int32_t start = 0;
  for (int32_t i = 1; i < n; ++i)
    if (contour[i].y < contour[start].y ||
        (contour[i].y == contour[start].y && contour[i].x < contour[start].x))
      start = i;
  const cid2d_point origin = contour[start];
  for (int32_t i = 0; i < n; ++i) {
    const int64_t dx = int64_t{contour[i].x} - origin.x, dy = int64_t{contour[i].y} - origin.y;
    int64_t key = dx != 0 ? 10000 * dy / dx : i == start ? 0 : straightDown;
    if (key < 0) key += pastVertical;
    work[i] = cid2d_hullEntry{contour[i], key, dx * dx + dy * dy};
  }
  std::swap(work[0], work[start]);  // the start leads: key 0, distance 0
  std::sort(work + 1, work + n, [](const cid2d_hullEntry& a, const cid2d_hullEntry& b) {
    return a.key != b.key ? a.key < b.key : a.distSq < b.distSq;
  });
  int32_t count = 0;
  auto take = [&](const cid2d_point& p) {
    while (count >= 2 && cross(hull[count - 2], hull[count - 1], p) <= 0) --count;
    hull[count++] = p;
  };
  for (int32_t i = 0; i < n; ++i) take(work[i].point);
  while (count >= 3 && cross(hull[count - 2], hull[count - 1], origin) <= 0) --count;
  *hullCount = count;
  return csys_attention_check();
}

int32_t cid2d_completeRingFromThreeSides(const cid2d_point* halved, const cid2d_point* smoothed,
                                         int32_t n, cid2d_segment* segments, int32_t count,
                                         cid2d_ringFit* fit) {
  *fit = cid2d_ringFit{};
  cid2d_sortSegments(segments, count);
  const cid2d_chord main = cid2d_segmentChord(smoothed, n, segments[0]);
  int32_t across = 1;
  cid2d_chord perpendicular{};
  for (; across < count; ++across) {
    perpendicular = cid2d_segmentChord(smoothed, n, segments[across]);
    if (tangentTo(main, perpendicular.from, perpendicular.to) > perpendicularTangent) break;
  }
  if (across == count) return 0;
  const int64_t meanLengthSq =
      ((int64_t{segments[0].lengthSq} + segments[across].lengthSq) / 2) / 16;  // pixels squared

  // Where the two sides nearly meet, and their far ends.
  const bool mainLeadsIn =
      cityBlock(main.to, perpendicular.from) <= cityBlock(perpendicular.to, main.from);
  const cid2d_point nearMain = mainLeadsIn ? main.to : main.from;
  const cid2d_point nearPerpendicular = mainLeadsIn ? perpendicular.from : perpendicular.to;
  const cid2d_point shared{(nearMain.x + nearPerpendicular.x) >> 1,
                           (nearMain.y + nearPerpendicular.y) >> 1};
  const cid2d_point mainFar = mainLeadsIn ? main.from : main.to;
  const cid2d_point perpendicularFar = mainLeadsIn ? perpendicular.to : perpendicular.from;

  ccCleanupFrame<1> frame;
  void* block = nullptr;
  const size_t bytes =
      size_t(n) * (sizeof(cid2d_hullEntry) + sizeof(cid2d_point) + sizeof(cid2d_segment));
  if (frame.failed(csys_memory_alloc_internal(bytes, &block))) return frame.exit();
  frame.holdBlock(&block);
  cid2d_hullEntry* work = static_cast<cid2d_hullEntry*>(block);
  cid2d_point* hull = reinterpret_cast<cid2d_point*>(work + n);
  cid2d_segment* edges = reinterpret_cast<cid2d_segment*>(hull + n);
  int32_t hullCount = 0;
  if (frame.failed(cid2d_convexHull(halved, n, work, hull, &hullCount))) return frame.exit();
  if (hullCount < 4) return frame.exit();
  const int32_t atShared = nearestHullPoint(hull, hullCount, shared);
  const int32_t atMainFar = nearestHullPoint(hull, hullCount, mainFar);
  const int32_t atPerpendicularFar = nearestHullPoint(hull, hullCount, perpendicularFar);
  if (atShared == atMainFar || atShared == atPerpendicularFar || atMainFar == atPerpendicularFar)
    return frame.exit();

  // The hull edges from one far end to the other that avoid the shared corner, as
  // segments of hull indices whose lengthSq holds their city-block length, longest first.
  auto steps = [&](int32_t from, int32_t to) { return (to - from + hullCount) % hullCount; };
  int32_t first = atMainFar, last = atPerpendicularFar;
  if (steps(first, atShared) < steps(first, last)) std::swap(first, last);
  int32_t numEdges = 0;
  for (int32_t i = first; i != last; i = (i + 1) % hullCount) {
    const int32_t j = (i + 1) % hullCount;
    edges[numEdges++] = cid2d_segment{i, cityBlock(hull[i], hull[j]), j};
  }
  cid2d_sortSegments(edges, numEdges);
  const cid2d_segment* parallel = nullptr;
  const cid2d_segment* opposite = nullptr;
  for (int32_t i = 0; i < numEdges; ++i) {
    const int64_t t = tangentTo(main, hull[edges[i].start], hull[edges[i].end]);
    if (!parallel && t < parallelTangent) parallel = &edges[i];
    if (!opposite && t > perpendicularTangent) opposite = &edges[i];
  }
  if (!parallel || !opposite) return frame.exit();

  cmath_vect origin, p1, p2, fourth;
  if (parallel->lengthSq >= leastHullSide && opposite->lengthSq >= leastHullSide) {
    // Corners in eighths of a pixel from the four sides.
    const cmath_shapeLine mainLine = lineThrough(main.from, main.to, 1);
    const cmath_shapeLine perpendicularLine = lineThrough(perpendicular.from, perpendicular.to, 1);
    const cmath_shapeLine parallelLine = lineThrough(hull[parallel->start], hull[parallel->end], 1);
    const cmath_shapeLine oppositeLine = lineThrough(hull[opposite->start], hull[opposite->end], 1);
    if (frame.failed(meet(mainLine, perpendicularLine, 8, &origin)) ||
        frame.failed(meet(perpendicularLine, parallelLine, 8, &p1)) ||
        frame.failed(meet(mainLine, oppositeLine, 8, &p2)) ||
        frame.failed(meet(parallelLine, oppositeLine, 8, &fourth)))
      return frame.exit();
    cmath_shapeAffineRect rect;
    const cmath_vect points[3] = {origin, p1, p2};
    int32_t degenerate = 0;
    double xLength = 0, yLength = 0;
    if (frame.failed(cmath_shapeAffineRect_initPoints(&rect, points)) ||
        frame.failed(cmath_shapeAffineRect_getIsDegenerate(&rect, &degenerate)))
      return frame.exit();
    cmath_shapeAffineRect_getXLength(&rect, &xLength);
    cmath_shapeAffineRect_getYLength(&rect, &yLength);
    const bool tooShort = !degenerate && (3 * xLength * xLength < double(meanLengthSq) ||
                                          3 * yLength * yLength < double(meanLengthSq));
    if (!tooShort) {
      fit->found = true;
      fit->corners = cid2d_symbolCorners{origin, p1, p2, fourth};
      fit->fourthCornerInferred = 0;
      return frame.exit();
    }
  }

  // The missing sides through the hull points farthest from the two sides, in pixels.
  const cid2d_point& farFromMain = hull[farthestHullPoint(hull, hullCount, main)];
  const cid2d_point& farFromPerpendicular = hull[farthestHullPoint(hull, hullCount, perpendicular)];
  const cmath_shapeLine mainLine = lineThrough(main.from, main.to, 0);
  const cmath_shapeLine perpendicularLine = lineThrough(perpendicular.from, perpendicular.to, 0);
  const cmath_shapeLine alongMain{mainLine.direction,
                                  cmath_vect{double(farFromMain.x), double(farFromMain.y)}};
  const cmath_shapeLine alongPerpendicular{
      perpendicularLine.direction,
      cmath_vect{double(farFromPerpendicular.x), double(farFromPerpendicular.y)}};
  cmath_shapeAffineRectPoints points;
  if (frame.failed(meet(mainLine, perpendicularLine, 16, &origin)) ||
      frame.failed(meet(alongMain, perpendicularLine, 16, &p1)) ||
      frame.failed(meet(mainLine, alongPerpendicular, 16, &p2)) ||
      frame.failed(cmath_shapeAffineRectPoints_init(&points, &origin, &p1, &p2)) ||
      frame.failed(cmath_shapeAffineRectPoints_getPopp(&points, &fourth)))
    return frame.exit();
  fit->found = true;
  fit->corners = cid2d_symbolCorners{origin, p1, p2, fourth};
  fit->fourthCornerInferred = 1;
  return frame.exit();
}
