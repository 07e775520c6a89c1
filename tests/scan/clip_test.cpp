// Clipping against a window ROI: exact results at the sides and corners, and random
// shapes against a floating-point clip.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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

using ends = std::array<int64_t, 5>;
ends endsOf(const cidc_scanLineSeg& s) {
  return {s.isDegenerate, s.pt[0].x, s.pt[0].y, s.pt[1].x, s.pt[1].y};
}
constexpr ends empty{1, 0, 0, 0, 0};

enum shapeKind { line, segment, ray };

// Clips the line through a along b, the segment from a to b, or the ray from a along b.
ends clipShape(shapeKind kind, cidc_point64 a, cidc_point64 b) {
  const cidc_windowROI roi = testROI();
  const cidc_unitDir16 u{int32_t(b.x), int32_t(b.y)};
  const cidc_point64 pts[2] = {a, b};
  cidc_scanLine l;
  cidc_scanLineSeg seg, out;
  cidc_scanRay r;
  cidc_scanShape shape;
  cidc_scanLine_initPointDir(&l, &a, &u);
  if (kind == line) cidc_scanShape_initScanLine(&shape, &l);
  if (kind == segment) cidc_scanLineSeg_initPoints(&seg, pts, nullptr);
  if (kind == segment) cidc_scanShape_initScanLineSeg(&shape, &seg);
  if (kind == ray) cidc_scanRay_initPointDir(&r, &a, &u, nullptr);
  if (kind == ray) cidc_scanShape_initScanRay(&shape, &r);
  EXPECT_EQ(cidc_scanShape_clip(&shape, &roi, &out), 0);
  return endsOf(out);
}

TEST(Clip, LinesSegmentsAndRaysAtEachSideAndCorner) {
  const struct {
    shapeKind kind;
    cidc_point64 a, b;
    ends expected;
  } cases[] = {
      {line, {0, 100}, {one, 0}, {0, 24, 100, 296, 100}},
      {line, {0, 24}, {one, 0}, {0, 24, 24, 296, 24}},  // bounds inclusive
      {line, {0, 168}, {one, 0}, {0, 24, 168, 296, 168}},
      {line, {0, 23}, {one, 0}, empty},
      {line, {296, 0}, {0, -one}, {0, 296, 168, 296, 24}},
      {line, {297, 0}, {0, one}, empty},
      {line, {0, 0}, {diag, diag}, {0, 24, 24, 168, 168}},  // in at a corner, out at a side
      {line, {25, 25}, {diag, -diag}, {0, 24, 24, 24, 24}},  // touches the corner: one point
      {line, {23, 24}, {diag, -diag}, empty},
      {segment, {40, 50}, {200, 130}, {0, 40, 50, 200, 130}},
      {segment, {400, 100}, {0, 100}, {0, 296, 100, 24, 100}},
      {segment, {60, 0}, {60, 100}, {0, 60, 24, 60, 100}},
      {segment, {0, 100}, {24, 100}, empty},  // one point is empty
      // Moved back by the floored 63.99 and 31.99: a sixteenth outside.
      {segment, {200, 40}, {360, 120}, {0, 200, 40, 297, 89}},
      {segment, {360, 120}, {0, 0}, {0, 297, 99, 72, 24}},  // cut at both ends
      {segment, {0, 200}, {100, 260}, empty},
      {ray, {100, 100}, {one, 0}, {0, 100, 100, 296, 100}},
      {ray, {0, 100}, {one, 0}, {0, 24, 100, 296, 100}},  // from outside: the whole line
  };
  for (const auto& c : cases)
    EXPECT_EQ(clipShape(c.kind, c.a, c.b), c.expected) << c.kind << ": " << c.a.x << ", " << c.a.y;

  const cidc_windowROI roi = testROI();
  cidc_scanLineSeg out;
  const cidc_scanShape none{nullptr, nullptr, nullptr};
  EXPECT_CHECK_FAILS(cidc_scanShape_clip(&none, &roi, &out));
}

// Liang-Barsky in doubles: the parameters [t0, t1] of p + t d inside the box, or false.
bool referenceClip(double px, double py, double dx, double dy, const cidc_windowROI& roi,
                   double& t0, double& t1) {
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {px - double(roi.loX16), double(roi.hiX16) - px, py - double(roi.loY16),
                       double(roi.hiY16) - py};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0 && q[i] < 0) return false;
    if (p[i] < 0) t0 = std::max(t0, q[i] / p[i]);
    if (p[i] > 0) t1 = std::min(t1, q[i] / p[i]);
  }
  return t0 <= t1;
}

// A clip of the path p + t d, t in [t0, t1], against the reference: ends inside the ROI
// (within slack), in the path's direction, near the reference's; empty only with it.
void checkClip(const cidc_scanLineSeg& out, double px, double py, double dx, double dy, double t0,
               double t1, const cidc_windowROI& roi, int64_t slack) {
  const bool crosses = referenceClip(px, py, dx, dy, roi, t0, t1);
  const double tolerance = 3 / std::hypot(dx, dy);  // three sixteenths, in t
  if (out.isDegenerate) {
    EXPECT_TRUE(!crosses || t1 - t0 < 2 * tolerance) << "missed a path";
    return;
  }
  ASSERT_TRUE(crosses && t1 - t0 > -2 * tolerance) << "found a path that misses";
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(out.pt[i].x >= roi.loX16 - slack && out.pt[i].x <= roi.hiX16 + slack &&
                out.pt[i].y >= roi.loY16 - slack && out.pt[i].y <= roi.hiY16 + slack);
    EXPECT_TRUE(out.pix[i].x >= roi.minX && out.pix[i].x < roi.maxX && out.pix[i].y >= roi.minY &&
                out.pix[i].y < roi.maxY);
    EXPECT_NEAR(double(out.pt[i].x), px + (i ? t1 : t0) * dx, 3) << i;
    EXPECT_NEAR(double(out.pt[i].y), py + (i ? t1 : t0) * dy, 3) << i;
  }
  EXPECT_GE(double(out.pt[1].x - out.pt[0].x) * dx + double(out.pt[1].y - out.pt[0].y) * dy, 0);
  EXPECT_LE(out.pos[0].along, out.pos[1].along);
}

TEST(Clip, RandomLinesSegmentsAndRaysStayInsideAndKeepTheirDirection) {
  std::mt19937 random(5);
  for (int trial = 0; trial < 400; ++trial) {
    cimg_windowConst w{};
    w.width = 5 + int32_t(random() % 200);
    w.height = 5 + int32_t(random() % 200);
    w.x0 = int32_t(random() % 100) - 50;
    w.y0 = int32_t(random() % 100) - 50;
    cidc_windowROI roi;
    ASSERT_EQ(cidc_windowROI_initCenter(&roi, &w, 1, 1), 0);
    std::uniform_int_distribution<int64_t> coordinate(-16 * (w.width + w.height),
                                                      16 * (w.width + w.height));
    const cidc_point64 a{coordinate(random), coordinate(random)};
    const cidc_point64 b{coordinate(random), coordinate(random)};

    cidc_scanLineSeg seg, out;
    const cidc_point64 pts[2] = {a, b};
    ASSERT_EQ(cidc_scanLineSeg_initPoints(&seg, pts, nullptr), 0);
    ASSERT_EQ(cidc_scanLineSeg_clip(&seg, &roi, &out), 0);
    checkClip(out, double(a.x), double(a.y), double(b.x - a.x), double(b.y - a.y), 0, 1, roi, 1);

    const cidc_scanLine& line = seg.line;
    const double ux = line.dir.x / 65536.0, uy = line.dir.y / 65536.0;
    ASSERT_EQ(cidc_scanLine_clip(&line, &roi, &out), 0);
    checkClip(out, double(line.footX), double(line.footY), ux, uy, -1e9, 1e9, roi, 0);
    const cidc_scanLineSeg whole = out;

    // A ray from a along the line (overriding the direction given).
    cidc_scanRay ray;
    const cidc_unitDir16 ignored{0, -one};
    ASSERT_EQ(cidc_scanRay_initPointDir(&ray, &a, &ignored, &line), 0);
    ASSERT_EQ(cidc_scanRay_clip(&ray, &roi, &out), 0);
    const bool inside =
        roi.loX16 <= a.x && a.x <= roi.hiX16 && roi.loY16 <= a.y && a.y <= roi.hiY16;
    const double ahead = double(whole.pt[1].x - a.x) * ux + double(whole.pt[1].y - a.y) * uy;
    if (inside && !whole.isDegenerate && ahead > 0) {
      EXPECT_EQ(endsOf(out), (ends{0, a.x, a.y, whole.pt[1].x, whole.pt[1].y}));
    } else if (!inside) {
      EXPECT_EQ(endsOf(out), endsOf(whole));
    }
  }
}

}  // namespace
