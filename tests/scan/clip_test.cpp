// Clipping against a window ROI: exact results at the sides and corners.
#include <gtest/gtest.h>

#include <array>

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
      {line, {0, 24}, {one, 0}, {0, 24, 24, 296, 24}},  // bounds inclusive
      {line, {0, 23}, {one, 0}, empty},
      {line, {296, 0}, {0, -one}, {0, 296, 168, 296, 24}},
      {line, {0, 0}, {diag, diag}, {0, 24, 24, 168, 168}},  // in at a corner, out at a side
      {line, {25, 25}, {diag, -diag}, {0, 24, 24, 24, 24}},  // touches the corner: one point
      {line, {23, 24}, {diag, -diag}, empty},
      {segment, {400, 100}, {0, 100}, {0, 296, 100, 24, 100}},
      {segment, {0, 100}, {24, 100}, empty},  // one point is empty
      // Moved back by the floored 63.99 and 31.99: a sixteenth outside.
      {segment, {200, 40}, {360, 120}, {0, 200, 40, 297, 89}},
      {segment, {360, 120}, {0, 0}, {0, 297, 99, 72, 24}},  // cut at both ends
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

}  // namespace
