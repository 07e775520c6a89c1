// Window ROIs, unit directions, lines and segments: exact fixed-point values.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <utility>

#include "ci_id/priv/ci_idut/scan.h"
#include "support/hooks.h"

namespace {

constexpr int32_t one = 0x10000;

std::array<int64_t, 10> fieldsOf(const cidc_scanLine& l) {
  return {l.dist, l.dir.x, l.dir.y, l.footX, l.footY, l.major, l.stepX, l.stepY, l.projX, l.projY};
}

cimg_windowConst windowOf(int32_t width, int32_t height, int32_t x0, int32_t y0) {
  cimg_windowConst w{};
  w.width = width, w.height = height, w.x0 = x0, w.y0 = y0;
  return w;
}

TEST(WindowROI, BoundsMarginsOriginsAndTheShrinkingCopy) {
  const cimg_windowConst w = windowOf(20, 12, 10, 20);
  cidc_windowROI roi, dst;
  ASSERT_EQ(cidc_windowROI_init(&roi, &w, 3, 2, 15, 25), 0);
  // toWindow, origin, min/max/size per axis, span, lo, hi, half span, margin (1/16 px).
  const cidc_windowROI expected{5,   5,   15,  25,  -2,  12, 14,  -3, 5,  8,
                                208, 112, -24, -40, 184, 72, 104, 56, 48, 32};
  EXPECT_EQ(0, memcmp(&roi, &expected, sizeof roi));

  int64_t sx = 48, sy = 0;  // sx = the margin applied: nothing changes
  ASSERT_EQ(cidc_windowROI_initCopyShrink(&dst, &roi, &sx, &sy), 0);
  EXPECT_EQ(0, memcmp(&dst, &roi, sizeof roi));
  sx = 49;
  sy = 33;
  ASSERT_EQ(cidc_windowROI_initCopyShrink(&dst, &roi, &sx, &sy), 0);
  const cidc_windowROI shrunk{5,   5,  15, 25, 1,   9,  8,  -1, 3,  4,
                              110, 46, 25, -7, 135, 39, 55, 23, 49, 33};
  EXPECT_EQ(0, memcmp(&dst, &shrunk, sizeof dst));
  sy = 57;  // span 112 - 114 < 0
  EXPECT_CHECK_FAILS(cidc_windowROI_initCopyShrink(&dst, &roi, &sx, &sy));

  const cimg_windowConst small = windowOf(5, 4, 10, 20), narrow = windowOf(7, 12, 0, 0);
  ASSERT_EQ(cidc_windowROI_initCenter(&roi, &small, 0, 0), 0);
  EXPECT_EQ(std::pair(roi.originX, roi.originY), std::pair(12, 22));
  ASSERT_EQ(cidc_windowROI_initSameOrigin(&dst, &w, &roi, 1, 1), 0);
  EXPECT_EQ(dst.originY, 22);
  EXPECT_CHECK_FAILS(cidc_windowROI_init(&roi, &narrow, 3, 2, 0, 0));  // 1 usable column
}

TEST(UnitDir16, ScalingSignsAndTruncation) {
  const struct {
    int32_t dx, dy, ux, uy;
  } cases[] = {{0, 0, 0, -one},
               {3, 4, 0x9999, 0xCCCC},
               {-3, -4, -0x9999, -0xCCCC},        // truncation toward zero
               {1, 1, 46341, 46341}};             // 2^30 / 23170
  for (const auto& c : cases) {
    cidc_unitDir16 u{};
    ASSERT_EQ(cidc_unitDir16_initVect(&u, c.dx, c.dy), 0);
    EXPECT_EQ(std::pair(u.x, u.y), std::pair(c.ux, c.uy)) << c.dx << ", " << c.dy;
  }
}

TEST(ScanLine, DerivedFieldsDistancesAndFeet) {
  const cidc_point64 p{160, 320}, onX48{48, 7};
  const cidc_unitDir16 u{39321, 52428}, mirrored{-39321, 52428};
  const cidc_unitDir16 none{0, 0};
  cidc_scanLine line;
  ASSERT_EQ(cidc_scanLine_initPointDir(&line, &p, &u), 0);  // foot x floor of -50.4
  EXPECT_EQ(fieldsOf(line), (std::array<int64_t, 10>{63, 39321, 52428, -51, 37, 52428, 49155, 65541,
                                                     31453, -41938}));
  cidc_scanLine_initPointDir(&line, &p, &mirrored);
  EXPECT_EQ(std::pair(line.stepX, line.projX), std::pair(-49155, -31454));  // truncated, floored
  cidc_scanLine_initPointDir(&line, &onX48, &none);
  EXPECT_EQ(fieldsOf(line), (std::array<int64_t, 10>{0, one, 0, 48, 7, one, one, 0, one, 0}));
}

TEST(ScanLineSeg, PointsPixelsPositionsAndPeakPositions) {
  cidc_scanLineSeg seg;
  const cidc_point64 down[2] = {{-1, -17}, {-1, 40}};
  ASSERT_EQ(cidc_scanLineSeg_initPoints(&seg, down, nullptr), 0);
  EXPECT_EQ(std::pair(seg.pix[0].x, seg.pix[0].y), std::pair(-1, -2));  // arithmetic shift
  EXPECT_EQ(seg.line.dir.y, one);
  EXPECT_EQ(seg.pos[0].along, -24);  // centre y of pixel -2
  EXPECT_EQ(seg.pos[0].across, 8);   // -centre x
  EXPECT_EQ(seg.pos[1].along, 40);
  const cidc_point64 backwards[2] = {{100, 0}, {0, 0}};
  cidc_scanLine east;
  cidc_scanLine_init(&east);
  EXPECT_CHECK_FAILS(cidc_scanLineSeg_initPoints(&seg, backwards, &east));

  const int64_t along[2] = {40, 100};
  const cidc_point64 p{32, -48};
  const cidc_unitDir16 up{0, -one}, slope{39321, 52428};
  cidc_scanLine line;
  cidc_scanLine_initPointDir(&line, &p, &up);
  ASSERT_EQ(cidc_scanLineSeg_initPeakPos(&seg, &line, along), 0);
  EXPECT_EQ((std::array<int64_t, 3>{seg.pt[0].x, seg.pt[0].y, seg.pt[1].y}),
            (std::array<int64_t, 3>{32, -40, -100}));
  cidc_scanLine_initPointDir(&line, &p, &slope);
  ASSERT_EQ(cidc_scanLineSeg_initPeakPos(&seg, &line, along), 0);
  EXPECT_EQ(seg.pt[1].x, ((line.dist * -52428) >> 16) + ((100 * 49155) >> 16));
  EXPECT_EQ(seg.pt[1].y, ((line.dist * 39321) >> 16) + ((100 * 65541) >> 16));
}

}  // namespace
