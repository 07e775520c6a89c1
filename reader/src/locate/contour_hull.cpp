// Melkman's hull on the tracker's whole-number points (pixels x 256), so that every turn
// test is exact.
#include "contour_hull.h"

#include <memory>

namespace {

// Twice the signed area of (a, b, c): positive when c lies left of a -> b.
int64_t turn(const cbt_point& a, const cbt_point& b, const cbt_point& c) {
  return int64_t{b.x - a.x} * (c.y - a.y) - int64_t{b.y - a.y} * (c.x - a.x);
}

}  // namespace

std::vector<idread_hullPoint> idread_contourHull(const cbt_result& contour) {
  const int32_t n = contour.numPoints;
  if (n <= 0) return {};
  // Any simple chain will do: a closed contour walked from any point, or an open one cut
  // by the window's border. The first two points are the ends of the run of points on
  // one line that the chain starts with.
  const cbt_point* points = contour.points;
  cbt_point a = points[0], b = a;
  int32_t i = 1;
  for (; i < n && b.x == a.x && b.y == a.y; ++i) b = points[i];
  for (; i < n && turn(a, b, points[i]) == 0; ++i) {
    const cbt_point& p = points[i];
    const int64_t along = int64_t{p.x - a.x} * (b.x - a.x) + int64_t{p.y - a.y} * (b.y - a.y);
    if (along < 0) a = p;  // beyond a
    else if (along > int64_t{b.x - a.x} * (b.x - a.x) + int64_t{b.y - a.y} * (b.y - a.y)) b = p;
  }
  // Written before it is read: left uninitialised, as the contour may hold many points.
  const std::unique_ptr<cbt_point[]> deque(new cbt_point[2 * size_t(n) + 4]);
  size_t bottom = size_t(n) + 1, top = bottom;
  // The walk may keep a point that a later point puts on a hull edge (a chain that ends
  // along the line it began on); such points are dropped here.
  auto finish = [&] {
    std::vector<idread_hullPoint> hull;
    const size_t count = top - bottom;
    for (size_t k = bottom; k < top; ++k) {
      const cbt_point& before = deque[k == bottom ? top - 1 : k - 1];
      const cbt_point& after = deque[k + 1 == top ? bottom : k + 1];
      if (count < 3 || turn(before, deque[k], after) != 0)
        hull.push_back({deque[k].x / 256.0 + 0.5, deque[k].y / 256.0 + 0.5});
    }
    return hull;
  };
  if (i == n) {  // all on one line
    deque[top++] = a;
    if (b.x != a.x || b.y != a.y) deque[top++] = b;
    return finish();
  }
  // deque[bottom] == deque[top] is the last point added; the hull runs counter-clockwise
  // from bottom to top.
  const cbt_point c = points[i++];
  if (turn(a, b, c) > 0) {
    deque[bottom] = c, deque[bottom + 1] = a, deque[bottom + 2] = b, deque[bottom + 3] = c;
  } else {
    deque[bottom] = c, deque[bottom + 1] = b, deque[bottom + 2] = a, deque[bottom + 3] = c;
  }
  top = bottom + 3;
  for (; i < n; ++i) {
    const cbt_point& p = points[i];
    if (turn(deque[bottom], deque[bottom + 1], p) > 0 && turn(deque[top - 1], deque[top], p) > 0)
      continue;  // inside the hull so far
    while (turn(deque[top - 1], deque[top], p) <= 0) --top;
    deque[++top] = p;
    while (turn(deque[bottom], deque[bottom + 1], p) <= 0) ++bottom;
    deque[--bottom] = p;
  }
  return finish();
}
