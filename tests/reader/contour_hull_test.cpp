// The contour hull walks the contour once; it must give the hull a sort would, on closed
// contours started anywhere, on open chains and on contours that begin along a line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "contour_hull.h"

namespace {

// The reference: the hull of the points as a set (monotone chain, counter-clockwise,
// edge points dropped), as sorted vertices.
std::vector<std::pair<double, double>> sortedHullOf(std::vector<cbt_point> points) {
  std::sort(points.begin(), points.end(),
            [](cbt_point a, cbt_point b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
  auto turn = [](cbt_point a, cbt_point b, cbt_point c) {
    return int64_t{b.x - a.x} * (c.y - a.y) - int64_t{b.y - a.y} * (c.x - a.x);
  };
  std::vector<cbt_point> hull(2 * points.size() + 1);
  size_t k = 0;
  for (const cbt_point& p : points) {
    while (k >= 2 && turn(hull[k - 2], hull[k - 1], p) <= 0) --k;
    hull[k++] = p;
  }
  for (size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
    while (k >= lower && turn(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
    hull[k++] = points[i];
  }
  std::vector<std::pair<double, double>> vertices;
  for (size_t i = 0; i + 1 < k; ++i) vertices.push_back({hull[i].x / 256.0 + 0.5, hull[i].y / 256.0 + 0.5});
  std::sort(vertices.begin(), vertices.end());
  return vertices;
}

void expectHullOf(const std::vector<cbt_point>& chain) {
  cbt_result contour{};
  contour.numPoints = int32_t(chain.size());
  contour.points = const_cast<cbt_point*>(chain.data());
  const std::vector<idread_hullPoint> hull = idread_contourHull(contour);
  double area = 0;  // counter-clockwise (x right, y up): positive
  std::vector<std::pair<double, double>> vertices;
  for (size_t i = 0; i < hull.size(); ++i) {
    const idread_hullPoint &a = hull[i], &b = hull[(i + 1) % hull.size()];
    area += a.x * b.y - a.y * b.x;
    vertices.push_back({a.x, a.y});
  }
  EXPECT_GT(area, 0);
  std::sort(vertices.begin(), vertices.end());
  EXPECT_EQ(vertices, sortedHullOf(chain));
}

// A closed star-shaped contour around (cx, cy): simple, with dents, started at `start`.
std::vector<cbt_point> starContour(std::mt19937& random, int32_t n, size_t start) {
  std::uniform_real_distribution<double> radius(40, 120);
  std::vector<cbt_point> points;
  for (int32_t i = 0; i < n; ++i) {
    const double angle = 2 * M_PI * i / n, r = radius(random);
    points.push_back({int32_t(std::lround(256 * (300 + r * std::cos(angle)))),
                      int32_t(std::lround(256 * (200 + r * std::sin(angle))))});
  }
  std::rotate(points.begin(), points.begin() + ptrdiff_t(start % points.size()), points.end());
  return points;
}

TEST(ContourHull, MatchesTheHullOfThePointSet) {
  std::mt19937 random(7);
  for (int32_t trial = 0; trial < 200; ++trial) {
    std::vector<cbt_point> contour = starContour(random, 8 + trial % 60, size_t(trial * 13));
    if (trial % 2) std::reverse(contour.begin(), contour.end());  // either direction
    expectHullOf(contour);
    // Cut open: a chain whose ends are joined by no edge.
    expectHullOf(std::vector<cbt_point>(contour.begin(), contour.begin() + ptrdiff_t(contour.size() * 2 / 3)));
  }
  // A square traced pixel edge by pixel edge, starting halfway along a side, so that the
  // first points lie on one line with the hull's corners beyond both ends.
  std::vector<cbt_point> square;
  for (int32_t i = 0; i < 40; ++i) square.push_back({256 * i, 0});
  for (int32_t i = 0; i < 40; ++i) square.push_back({256 * 40, 256 * i});
  for (int32_t i = 40; i > 0; --i) square.push_back({256 * i, 256 * 40});
  for (int32_t i = 40; i > 0; --i) square.push_back({0, 256 * i});
  std::rotate(square.begin(), square.begin() + 20, square.end());
  expectHullOf(square);
  // All on one line: its two ends.
  cbt_result line{};
  std::vector<cbt_point> points{{0, 0}, {256, 256}, {512, 512}, {768, 768}};
  line.numPoints = 4;
  line.points = points.data();
  EXPECT_EQ(idread_contourHull(line).size(), 2u);
}

}  // namespace
