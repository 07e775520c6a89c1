// Clipping lines, segments, rays and shapes against a window ROI: exact results at the
// sides and corners, and invariants over many random shapes checked against a
// floating-point clip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "ci_id/priv/ci_idut/scan.h"
#include "support/hooks.h"

namespace {

constexpr int32_t one = 0x10000;
constexpr int32_t diag = 46341;  // cos 45 degrees

// Window 20 x 12, margin 1, origin at its corner: usable centres x 24..296, y 24..168.
cidc_windowROI testROI() {
  cimg_windowConst w{};
  w.width = 20;
  w.height = 12;
  cidc_windowROI roi;
  EXPECT_EQ(cidc_windowROI_initCorner(&roi, &w, 1, 1), 0);
  return roi;
}

cidc_scanLine lineThrough(cidc_point64 p, int32_t ux, int32_t uy) {
  cidc_scanLine line;
  const cidc_unitDir16 u{ux, uy};
  EXPECT_EQ(cidc_scanLine_initPointDir(&line, &p, &u), 0);
  return line;
}

cidc_scanLineSeg clipped(const cidc_scanLine& line) {
  const cidc_windowROI roi = testROI();
  cidc_scanLineSeg out;
  EXPECT_EQ(cidc_scanLine_clip(&line, &roi, &out), 0);
  return out;
}

#define EXPECT_ENDS(seg, x0, y0, x1, y1) \
  do {                                   \
    EXPECT_EQ((seg).isDegenerate, 0);    \
    EXPECT_EQ((seg).pt[0].x, x0);        \
    EXPECT_EQ((seg).pt[0].y, y0);        \
    EXPECT_EQ((seg).pt[1].x, x1);        \
    EXPECT_EQ((seg).pt[1].y, y1);        \
  } while (0)

TEST(Clip, LinesAtEachSideAndCorner) {
  EXPECT_ENDS(clipped(lineThrough({0, 100}, one, 0)), 24, 100, 296, 100);
  EXPECT_ENDS(clipped(lineThrough({0, 100}, -one, 0)), 296, 100, 24, 100);
  EXPECT_ENDS(clipped(lineThrough({0, 24}, one, 0)), 24, 24, 296, 24);  // bounds inclusive
  EXPECT_ENDS(clipped(lineThrough({0, 168}, one, 0)), 24, 168, 296, 168);
  EXPECT_EQ(clipped(lineThrough({0, 23}, one, 0)).isDegenerate, 1);
  EXPECT_EQ(clipped(lineThrough({0, 169}, one, 0)).isDegenerate, 1);
  EXPECT_ENDS(clipped(lineThrough({296, 0}, 0, -one)), 296, 168, 296, 24);
  EXPECT_EQ(clipped(lineThrough({297, 0}, 0, one)).isDegenerate, 1);
  EXPECT_EQ(clipped(lineThrough({23, 0}, 0, one)).isDegenerate, 1);

  // y = x: in at the corner (24, 24), out through the side y = 168; and backwards.
  EXPECT_ENDS(clipped(lineThrough({0, 0}, diag, diag)), 24, 24, 168, 168);
  EXPECT_ENDS(clipped(lineThrough({0, 0}, -diag, -diag)), 168, 168, 24, 24);
  // x + y = 48 touches the corner (24, 24) from outside: one point; x + y = 46 misses.
  const cidc_scanLine touching = lineThrough({25, 25}, diag, -diag);
  ASSERT_EQ(touching.footX, 24);
  EXPECT_ENDS(clipped(touching), 24, 24, 24, 24);
  EXPECT_EQ(clipped(lineThrough({23, 24}, diag, -diag)).isDegenerate, 1);
  // Slopes 1/4 and 1/2 near (0, 40): in through x = 24, out through x = 296 or y = 168,
  // where the line through the (floored) foot crosses them.
  const cidc_scanLine shallowLine = lineThrough({0, 40}, 63577, 15894);
  const cidc_scanLineSeg shallow = clipped(shallowLine);
  const double fx = double(shallowLine.footX), fy = double(shallowLine.footY);
  EXPECT_EQ(shallow.pt[0].x, 24);
  EXPECT_NEAR(double(shallow.pt[0].y), fy + (24 - fx) / 4, 1);
  EXPECT_EQ(shallow.pt[1].x, 296);
  EXPECT_NEAR(double(shallow.pt[1].y), fy + (296 - fx) / 4, 1);
  const cidc_scanLine steeperLine = lineThrough({0, 40}, 58617, 29309);
  const cidc_scanLineSeg steeper = clipped(steeperLine);
  EXPECT_NEAR(double(steeper.pt[1].x),
              double(steeperLine.footX) + (168 - double(steeperLine.footY)) * 2, 1);
  EXPECT_EQ(steeper.pt[1].y, 168);
}

cidc_scanLineSeg clippedSegment(cidc_point64 a, cidc_point64 b) {
  const cidc_windowROI roi = testROI();
  cidc_scanLineSeg seg;
  const cidc_point64 pts[2] = {a, b};
  EXPECT_EQ(cidc_scanLineSeg_initPoints(&seg, pts, nullptr), 0);
  EXPECT_EQ(cidc_scanLineSeg_clip(&seg, &roi, &seg), 0);  // in place
  return seg;
}

TEST(Clip, SegmentsInsideCrossingAndOutside) {
  cidc_scanLineSeg inside;
  const cidc_point64 pts[2] = {{40, 50}, {200, 130}};
  cidc_scanLineSeg_initPoints(&inside, pts, nullptr);
  const cidc_scanLineSeg same = clippedSegment(pts[0], pts[1]);
  EXPECT_ENDS(same, 40, 50, 200, 130);
  EXPECT_EQ(same.pos[0].along, inside.pos[0].along);
  EXPECT_EQ(same.pos[1].along, inside.pos[1].along);

  EXPECT_ENDS(clippedSegment({0, 100}, {400, 100}), 24, 100, 296, 100);
  EXPECT_ENDS(clippedSegment({400, 100}, {0, 100}), 296, 100, 24, 100);
  EXPECT_ENDS(clippedSegment({60, 0}, {60, 100}), 60, 24, 60, 100);
  EXPECT_EQ(clippedSegment({0, 100}, {20, 100}).isDegenerate, 1);
  EXPECT_EQ(clippedSegment({0, 100}, {24, 100}).isDegenerate, 1);  // one point is empty
  EXPECT_EQ(clippedSegment({300, 0}, {300, 100}).isDegenerate, 1);
  // The cut fraction 0.4 of (160, 80), moved back by the floored 63.99 and 31.99: the end
  // stays a sixteenth outside, its pixel inside.
  const cidc_scanLineSeg cut = clippedSegment({200, 40}, {360, 120});
  EXPECT_ENDS(cut, 200, 40, 297, 89);
  EXPECT_EQ(cut.pix[1].x, 18);
  // Cut at both ends, the end by the y side (0.2 of the way), the start by the x side.
  EXPECT_ENDS(clippedSegment({360, 120}, {0, 0}), 297, 99, 72, 24);
  EXPECT_EQ(clippedSegment({0, 200}, {100, 260}).isDegenerate, 1);  // wholly below
}

TEST(Clip, RaysAndShapes) {
  const cidc_windowROI roi = testROI();
  cidc_scanRay ray;
  cidc_scanLineSeg out;
  const cidc_point64 inside{100, 100}, outside{0, 100};
  const cidc_unitDir16 east{one, 0}, west{-one, 0};
  cidc_scanRay_initPointDir(&ray, &inside, &east, nullptr);
  ASSERT_EQ(cidc_scanRay_clip(&ray, &roi, &out), 0);
  EXPECT_ENDS(out, 100, 100, 296, 100);
  cidc_scanRay_initPointDir(&ray, &inside, &west, nullptr);
  ASSERT_EQ(cidc_scanRay_clip(&ray, &roi, &out), 0);
  EXPECT_ENDS(out, 100, 100, 24, 100);
  cidc_scanRay_initPointDir(&ray, &outside, &east, nullptr);
  ASSERT_EQ(cidc_scanRay_clip(&ray, &roi, &out), 0);
  EXPECT_ENDS(out, 24, 100, 296, 100);
  const cidc_scanLine given = lineThrough({0, 0}, diag, diag);
  const cidc_point64 onDiagonal{50, 50};
  cidc_scanRay_initPointDir(&ray, &onDiagonal, &west, &given);  // the line wins over west
  ASSERT_EQ(cidc_scanRay_clip(&ray, &roi, &out), 0);
  EXPECT_ENDS(out, 50, 50, 168, 168);

  cidc_scanShape shape;
  cidc_scanShape_initScanRay(&shape, &ray);
  EXPECT_EQ(shape.line, &ray.line);
  ASSERT_EQ(cidc_scanShape_clip(&shape, &roi, &out), 0);
  EXPECT_ENDS(out, 50, 50, 168, 168);
  cidc_scanShape_initScanLine(&shape, &given);
  ASSERT_EQ(cidc_scanShape_clip(&shape, &roi, &out), 0);
  EXPECT_ENDS(out, 24, 24, 168, 168);
  cidc_scanLineSeg seg;
  const cidc_point64 pts[2] = {{0, 100}, {100, 100}};
  cidc_scanLineSeg_initPoints(&seg, pts, nullptr);
  cidc_scanShape_initScanLineSeg(&shape, &seg);
  EXPECT_EQ(shape.line, &seg.line);
  ASSERT_EQ(cidc_scanShape_clip(&shape, &roi, &out), 0);
  EXPECT_ENDS(out, 24, 100, 100, 100);
  const cidc_scanShape empty{nullptr, nullptr, nullptr};
  EXPECT_CHECK_FAILS(cidc_scanShape_clip(&empty, &roi, &out));
}

// Liang-Barsky in doubles: the parameters [t0, t1] of p + t d inside the box, or false.
bool referenceClip(double px, double py, double dx, double dy, const cidc_windowROI& roi,
                   double& t0, double& t1) {
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {px - double(roi.loX16), double(roi.hiX16) - px, py - double(roi.loY16),
                       double(roi.hiY16) - py};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, r);
    else
      t1 = std::min(t1, r);
  }
  return t0 <= t1;
}

// Checks a clip result against the reference clip of the directed path p + t d, t in
// [t0, t1]: ends inside the ROI (within slack sixteenths), in the path's direction, near the
// reference ends; empty only when the reference is (nearly) empty.
void checkClip(const cidc_scanLineSeg& out, double px, double py, double dx, double dy, double t0,
               double t1, const cidc_windowROI& roi, double slack) {
  const bool crosses = referenceClip(px, py, dx, dy, roi, t0, t1);
  const double length = std::hypot(dx, dy);
  const double tolerance = 3 / length;  // three sixteenths, in t
  if (out.isDegenerate) {
    EXPECT_TRUE(!crosses || t1 - t0 < 2 * tolerance) << "missed a path " << (t1 - t0) * length;
    return;
  }
  ASSERT_TRUE(crosses && t1 - t0 > -2 * tolerance) << "found a path that misses";
  for (int i = 0; i < 2; ++i) {
    EXPECT_GE(double(out.pt[i].x), double(roi.loX16) - slack);
    EXPECT_LE(double(out.pt[i].x), double(roi.hiX16) + slack);
    EXPECT_GE(double(out.pt[i].y), double(roi.loY16) - slack);
    EXPECT_LE(double(out.pt[i].y), double(roi.hiY16) + slack);
    EXPECT_GE(out.pix[i].x, roi.minX);
    EXPECT_LT(out.pix[i].x, roi.maxX);
    EXPECT_GE(out.pix[i].y, roi.minY);
    EXPECT_LT(out.pix[i].y, roi.maxY);
    const double t = i == 0 ? t0 : t1;
    EXPECT_NEAR(double(out.pt[i].x), px + t * dx, 3) << i;
    EXPECT_NEAR(double(out.pt[i].y), py + t * dy, 3) << i;
  }
  EXPECT_GE(double(out.pt[1].x - out.pt[0].x) * dx + double(out.pt[1].y - out.pt[0].y) * dy, 0);
  EXPECT_LE(out.pos[0].along, out.pos[1].along);
}

TEST(Clip, RandomLinesSegmentsAndRaysStayInsideAndKeepTheirDirection) {
  std::mt19937 random(5);
  auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(random);
  };
  for (int trial = 0; trial < 4000; ++trial) {
    cimg_windowConst w{};
    w.width = 5 + int32_t(random() % 200);
    w.height = 5 + int32_t(random() % 200);
    w.x0 = int32_t(random() % 100) - 50;
    w.y0 = int32_t(random() % 100) - 50;
    cidc_windowROI roi;
    ASSERT_EQ(cidc_windowROI_initCenter(&roi, &w, 1, 1), 0);
    const double reach = 16.0 * (w.width + w.height);
    const cidc_point64 a{std::llround(uniform(-reach, reach)),
                         std::llround(uniform(-reach, reach))};
    const cidc_point64 b{std::llround(uniform(-reach, reach)),
                         std::llround(uniform(-reach, reach))};
    cidc_scanLineSeg out;

    cidc_scanLineSeg seg;
    const cidc_point64 pts[2] = {a, b};
    ASSERT_EQ(cidc_scanLineSeg_initPoints(&seg, pts, nullptr), 0);
    ASSERT_EQ(cidc_scanLineSeg_clip(&seg, &roi, &out), 0);
    checkClip(out, double(a.x), double(a.y), double(b.x - a.x), double(b.y - a.y), 0, 1, roi, 1);

    // The segment's line and a ray from its start, as the fixed-point line has them.
    const cidc_scanLine& line = seg.line;
    const double ux = line.dir.x / 65536.0, uy = line.dir.y / 65536.0;
    ASSERT_EQ(cidc_scanLine_clip(&line, &roi, &out), 0);
    checkClip(out, double(line.footX), double(line.footY), ux, uy, -1e9, 1e9, roi, 0);
    const cidc_scanLineSeg whole = out;

    // A ray from a point near the line: from the point when it lies inside, to where the
    // line leaves; else the whole line.
    cidc_scanRay ray;
    const cidc_unitDir16 u = line.dir;
    ASSERT_EQ(cidc_scanRay_initPointDir(&ray, &a, &u, &line), 0);
    ASSERT_EQ(cidc_scanRay_clip(&ray, &roi, &out), 0);
    const bool inside =
        roi.loX16 <= a.x && a.x <= roi.hiX16 && roi.loY16 <= a.y && a.y <= roi.hiY16;
    const double ahead = double(whole.pt[1].x - a.x) * ux + double(whole.pt[1].y - a.y) * uy;
    if (inside && !whole.isDegenerate && ahead > 0) {
      EXPECT_EQ(out.pt[0].x, a.x);
      EXPECT_EQ(out.pt[0].y, a.y);
      EXPECT_EQ(out.pt[1].x, whole.pt[1].x);
      EXPECT_EQ(out.pt[1].y, whole.pt[1].y);
    } else if (!inside) {
      EXPECT_EQ(out.isDegenerate, whole.isDegenerate);
      EXPECT_EQ(out.pt[0].x, whole.pt[0].x);
      EXPECT_EQ(out.pt[1].y, whole.pt[1].y);
    }
  }
}

}  // namespace
