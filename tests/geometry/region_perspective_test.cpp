// Regions in perspective against homographies of rectangles: centre lines, vanishing points.
#include <gtest/gtest.h>

#include <cmath>

#include "ci_id/priv/ci_idut/geometry.h"
#include "support/hooks.h"

namespace {

struct homography {
  double h[3][3];

  cmath_vect operator()(double x, double y) const {
    const double w = h[2][0] * x + h[2][1] * y + h[2][2];
    return {(h[0][0] * x + h[0][1] * y + h[0][2]) / w, (h[1][0] * x + h[1][1] * y + h[1][2]) / w};
  }
  cmath_vect vanishingPoint(bool xFamily) const {
    const int c = xFamily ? 0 : 1;
    return {h[0][c] / h[2][c], h[1][c] / h[2][c]};
  }
  cid_region region(double x0, double y0, double x1, double y1) const {
    const cmath_vect po = (*this)(x0, y0), px = (*this)(x1, y0), py = (*this)(x0, y1),
                     popp = (*this)(x1, y1);
    cid_region r;
    cid_region_initPoPxPyPopp(&r, &po, &px, &py, &popp);
    return r;
  }
};

// A mild and a strong view, and one without vanishing points.
const homography views[] = {
    {{{1.2, 0.1, 30}, {0.05, 0.9, 20}, {0.002, 0.001, 1}}},
    {{{0.8, -0.2, 200}, {0.3, 1.1, 50}, {-0.0015, 0.0008, 1}}},
};
const homography affineView{{{0.9, -0.3, 7}, {0.4, 1.2, -5}, {0, 0, 1}}};

cmath_vect unit(const cmath_vect& from, const cmath_vect& to) {
  const double length = std::hypot(to.x - from.x, to.y - from.y);
  return {(to.x - from.x) / length, (to.y - from.y) / length};
}

void expectNear(const cmath_vect& a, const cmath_vect& b, double tolerance = 1e-9) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
}

// The distance of p from the line ab, relative to its distance from a.
double offLine(const cmath_vect& a, const cmath_vect& b, const cmath_vect& p) {
  const cmath_vect d = unit(a, b);
  return std::fabs((p.x - a.x) * d.y - (p.y - a.y) * d.x) / (1 + std::hypot(p.x - a.x, p.y - a.y));
}

void expectVanishingPoints(const cid_region& r, const homography& view) {
  const cmath_vect vx = view.vanishingPoint(true), vy = view.vanishingPoint(false);
  EXPECT_NEAR(offLine(r.Po, r.Px, vx) + offLine(r.Py, r.Popp, vx), 0, 1e-9);
  EXPECT_NEAR(offLine(r.Po, r.Py, vy) + offLine(r.Px, r.Popp, vy), 0, 1e-9);
}

TEST(RegionPerspective, CentreSegmentsAreImagesOfTheCentreLines) {
  for (const homography& view : {views[0], views[1], affineView}) {
    const cid_region r = view.region(0, 0, 100, 60);
    cmath_vect center;
    cidut_lineSeg x, y;
    ASSERT_EQ(cid_region_getCenterSegments(&r, &center, &x, &y), 0);
    expectNear(center, view(50, 30));
    expectNear(x.p1, view(0, 30));
    expectNear(x.p2, view(100, 30));
    expectNear(y.p1, view(50, 0));
    expectNear(y.p2, view(50, 60));
    const double a = std::hypot(x.p1.x - center.x, x.p1.y - center.y);
    const double b = std::hypot(x.p2.x - center.x, x.p2.y - center.y);
    double ratio;
    cid_region_getXForshortening(&r, &ratio);
    EXPECT_NEAR(ratio, std::min(a, b) / std::max(a, b), 1e-12);
  }
}

TEST(RegionPerspective, ChangeOfPerspectiveAndDilationKeepTheVanishingPoints) {
  for (const homography& view : views) {
    cid_region r = view.region(0, 0, 100, 60), out, square;
    const cid_region reference = view.region(20, 10, 70, 40);
    // A parallelogram redrawn in the reference's perspective.
    const cmath_vect po{80, 60}, px{130, 65}, py{78, 110};
    cid_region_initPoPxPyPopp(&square, &po, &px, &py, nullptr);
    square.tightness[3] = 0;
    ASSERT_EQ(cid_region_initChangePersp(&out, &square, &reference, 1, 1), 0);
    EXPECT_TRUE(out.affine == 0 && out.tightness[3] == 0);
    expectVanishingPoints(out, view);
    cidut_lineSeg x;

    r.tightness[0] = 0;
    const double scale[2] = {1.5, 0.8}, distance[2] = {4, 2};
    ASSERT_EQ(cid_region_initDilate(&out, scale, distance, &r), 0);
    expectVanishingPoints(out, view);
    EXPECT_EQ(out.tightness[0], 0);
    cid_region_getXCenterSegment(&r, &x);
    const cmath_vect v{x.p2.x - x.p1.x, x.p2.y - x.p1.y};
    const double k = 0.25 + 4 / std::hypot(v.x, v.y);
    EXPECT_NEAR(offLine(out.Po, out.Py, {x.p1.x - k * v.x, x.p1.y - k * v.y}), 0, 1e-9);
    EXPECT_NEAR(offLine(out.Px, out.Popp, {x.p2.x + k * v.x, x.p2.y + k * v.y}), 0, 1e-9);
  }
}

TEST(RegionPerspective, WhereLinesMeetDirectionsVanishAndConstructionsFail) {
  cid_region flat, trapezoid, out;
  const cmath_vect a{0, 0}, b{1, 0}, c{2, 0}, d{3, 0};
  cid_region_initPoPxPyPopp(&flat, &a, &b, &c, &d);
  const double one[2] = {1, 1};
  EXPECT_EQ(cid_region_initDilate(&out, one, nullptr, &flat), CMATH_STATUS_PARALLEL_LINES);
  const cid_region r = views[0].region(0, 0, 100, 60);
  EXPECT_EQ(cid_region_initChangePersp(&out, &r, &flat, 1, 0), CMATH_STATUS_PARALLEL_LINES);
  // At the Y vanishing point (2, 4) the Y direction vanishes.
  const cmath_vect po{0, 0}, px{4, 0}, py{1, 2}, popp{3, 2}, apex{2, 4};
  cid_region_initPoPxPyPopp(&trapezoid, &po, &px, &py, &popp);
  cmath_vect dir{9, 9};
  ASSERT_EQ(cid_region_getYDirAtPoint(&trapezoid, &apex, &dir), 0);
  EXPECT_TRUE(dir.x == 0 && dir.y == 0);
  const cidut_lineSeg x{{2, 4}, {5, 1}};
  EXPECT_EQ(cid_region_initBoundPoints(&out, &x, nullptr, &trapezoid, &trapezoid),
            CMATH_STATUS_PARALLEL_LINES);
}

}  // namespace
