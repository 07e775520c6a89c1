// Window ROIs, unit directions, lines, segments and rays: exact fixed-point values where
// rounding, truncation and signs are easy to get wrong.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "ci_id/priv/ci_idut/scan.h"
#include "support/hooks.h"

namespace {

constexpr int32_t one = 0x10000;

// Field by field: the record has padding.
void expectSameLine(const cidc_scanLine& a, const cidc_scanLine& b) {
  EXPECT_EQ(a.dist, b.dist);
  EXPECT_EQ(a.dir.x, b.dir.x);
  EXPECT_EQ(a.dir.y, b.dir.y);
  EXPECT_EQ(a.footX, b.footX);
  EXPECT_EQ(a.footY, b.footY);
  EXPECT_EQ(a.major, b.major);
  EXPECT_EQ(a.stepX, b.stepX);
  EXPECT_EQ(a.stepY, b.stepY);
  EXPECT_EQ(a.projX, b.projX);
  EXPECT_EQ(a.projY, b.projY);
}

cimg_windowConst windowOf(int32_t width, int32_t height, int32_t x0, int32_t y0) {
  cimg_windowConst w{};
  w.width = width;
  w.height = height;
  w.x0 = x0;
  w.y0 = y0;
  return w;
}

TEST(WindowROI, BoundsMarginsAndOrigins) {
  const cimg_windowConst w = windowOf(20, 12, 10, 20);
  cidc_windowROI roi;
  ASSERT_EQ(cidc_windowROI_init(&roi, &w, 3, 2, 15, 25), 0);
  // toWindow, origin, min/max/size per axis, span, lo, hi, half span, margin (1/16 px).
  const cidc_windowROI expected{5,   5,   15,  25,  -2,  12, 14,  -3, 5,  8,
                                208, 112, -24, -40, 184, 72, 104, 56, 48, 32};
  EXPECT_EQ(0, memcmp(&roi, &expected, sizeof roi));

  const cimg_windowConst small = windowOf(5, 4, 10, 20);
  ASSERT_EQ(cidc_windowROI_initCenter(&roi, &small, 0, 0), 0);
  EXPECT_EQ(roi.originX, 12);
  EXPECT_EQ(roi.originY, 22);
  cidc_windowROI corner;
  ASSERT_EQ(cidc_windowROI_initCorner(&corner, &w, 1, 1), 0);
  EXPECT_EQ(corner.originX, 10);
  EXPECT_EQ(corner.minX, 1);
  ASSERT_EQ(cidc_windowROI_initSameOrigin(&corner, &w, &roi, 1, 1), 0);
  EXPECT_EQ(corner.originY, 22);

  const cimg_windowConst narrow = windowOf(7, 12, 0, 0);
  EXPECT_CHECK_FAILS(cidc_windowROI_init(&roi, &narrow, 3, 2, 0, 0));  // 1 usable column
  const cimg_windowConst enough = windowOf(8, 12, 0, 0);
  EXPECT_EQ(cidc_windowROI_init(&roi, &enough, 3, 2, 0, 0), 0);
}

TEST(WindowROI, ShrinkingCopyAppliesOnlyLargerRequestsInFull) {
  const cimg_windowConst w = windowOf(20, 12, 10, 20);
  cidc_windowROI src, dst;
  cidc_windowROI_init(&src, &w, 3, 2, 15, 25);
  int64_t sx = 48, sy = 0;  // sx = the margin applied: nothing changes
  ASSERT_EQ(cidc_windowROI_initCopyShrink(&dst, &src, &sx, &sy), 0);
  EXPECT_EQ(0, memcmp(&dst, &src, sizeof src));

  sx = 49;
  sy = 33;
  ASSERT_EQ(cidc_windowROI_initCopyShrink(&dst, &src, &sx, &sy), 0);
  // x: lo -24 + 49 = 25, hi 184 - 49 = 135, min 25 >> 4, max (134 >> 4) + 1; y: lo -7 gives
  // min -1 (arithmetic shift), hi 39 gives max 3.
  const cidc_windowROI expected{5,   5,  15, 25, 1,   9,  8,  -1, 3,  4,
                                110, 46, 25, -7, 135, 39, 55, 23, 49, 33};
  EXPECT_EQ(0, memcmp(&dst, &expected, sizeof dst));

  sy = 57;  // span 112 - 114 < 0
  EXPECT_CHECK_FAILS(cidc_windowROI_initCopyShrink(&dst, &src, &sx, &sy));
}

TEST(UnitDir16, ScalingSignsAndTruncation) {
  auto dir = [](int32_t dx, int32_t dy) {
    cidc_unitDir16 u{};
    EXPECT_EQ(cidc_unitDir16_initVect(&u, dx, dy), 0);
    return std::pair(u.x, u.y);
  };
  EXPECT_EQ(dir(0, 0), std::pair(0, -one));
  EXPECT_EQ(dir(0, 5), std::pair(0, one));
  EXPECT_EQ(dir(-7, 0), std::pair(-one, 0));
  EXPECT_EQ(dir(3, 4), std::pair(0x9999, 0xCCCC));
  EXPECT_EQ(dir(-3, -4), std::pair(-0x9999, -0xCCCC));        // truncation toward zero
  EXPECT_EQ(dir(300000, -400000), std::pair(39321, -52428));  // scaled down by 16
  EXPECT_EQ(dir(1, 1), std::pair(46341, 46341));              // 2^30 / 23170
}

TEST(ScanLine, DerivedFieldsAndDistances) {
  const cidc_point64 p{160, 320};
  cidc_scanLine line;
  const cidc_unitDir16 u{39321, 52428};
  ASSERT_EQ(cidc_scanLine_initPointDir(&line, &p, &u), 0);
  EXPECT_EQ(line.major, 52428);
  EXPECT_EQ(line.stepX, 49155);
  EXPECT_EQ(line.stepY, 65541);
  EXPECT_EQ(line.projX, 31453);
  EXPECT_EQ(line.projY, -41938);
  EXPECT_EQ(line.dist, 63);
  EXPECT_EQ(line.footX, -51);  // floor of -50.4
  EXPECT_EQ(line.footY, 37);
  const cidc_unitDir16 mirrored{-39321, 52428};
  cidc_scanLine_initPointDir(&line, &p, &mirrored);
  EXPECT_EQ(line.stepX, -49155);  // truncated
  EXPECT_EQ(line.projX, -31454);  // floored
  const cidc_unitDir16 flat{52428, -39321};
  cidc_scanLine_initPointDir(&line, &p, &flat);
  EXPECT_EQ(line.stepX, 65541);
  EXPECT_EQ(line.projY, 31454);

  const cidc_point64 onY80{0, 80};
  const cidc_unitDir16 east{one, 0}, west{-one, 0}, south{0, one}, none{0, 0};
  cidc_scanLine_initPointDir(&line, &onY80, &east);
  EXPECT_EQ(line.dist, 80);
  EXPECT_EQ(line.footY, 80);
  EXPECT_EQ(line.stepX, one);
  EXPECT_EQ(line.projY, 0);
  cidc_scanLine_initPointDir(&line, &onY80, &west);
  EXPECT_EQ(line.dist, -80);
  EXPECT_EQ(line.footY, 80);
  const cidc_point64 onX48{48, 7};
  cidc_scanLine_initPointDir(&line, &onX48, &south);
  EXPECT_EQ(line.dist, -48);
  EXPECT_EQ(line.footX, 48);
  EXPECT_EQ(line.projY, -one);
  cidc_scanLine_initPointDir(&line, &onX48, &none);
  EXPECT_EQ(line.dir.x, one);
  EXPECT_EQ(line.footX, 48);
  EXPECT_EQ(line.footY, 7);
  EXPECT_EQ(line.dist, 0);
}

TEST(ScanLine, AnglesDistancesOffsetsAndTranslation) {
  cidc_scanLine line;
  const cidc_point64 offset{3, 7};
  const struct {
    uint16_t angle;
    int32_t ux, uy;
    int64_t footX, footY, dist;
  } axes[] = {{0, one, 0, 0, 12, 12},
              {0x8000, -one, 0, 0, 2, -2},
              {0x4000, 0, one, -2, 0, 2},
              {0xC000, 0, -one, 8, 0, 8}};
  for (const auto& a : axes) {
    ASSERT_EQ(cidc_scanLine_initDirDist(&line, &a.angle, 5, &offset), 0);
    EXPECT_EQ(line.dir.x, a.ux);
    EXPECT_EQ(line.dir.y, a.uy);
    EXPECT_EQ(line.footX, a.footX) << a.angle;
    EXPECT_EQ(line.footY, a.footY) << a.angle;
    EXPECT_EQ(line.dist, a.dist) << a.angle;
  }
  const uint16_t diagonal = 0x2000;
  ASSERT_EQ(cidc_scanLine_initDirDist(&line, &diagonal, 160, nullptr), 0);
  EXPECT_EQ(line.dir.x, 46341);
  EXPECT_EQ(line.footX, -114);
  EXPECT_EQ(line.footY, 113);
  cidc_scanLine moved;
  ASSERT_EQ(cidc_scanLine_initDirDist(&moved, &diagonal, 160, &offset), 0);
  const int64_t delta = (3 * -46341 + 7 * 46341) >> 16;  // 2
  EXPECT_EQ(moved.dist, 160 + delta);
  EXPECT_EQ(moved.footX, -114 + ((delta * -46341) >> 16));
  EXPECT_EQ(moved.footY, 113 + ((delta * 46341) >> 16));
  cidc_scanLine_translate(&line, &offset, &line);  // in place
  expectSameLine(line, moved);
}

TEST(ScanLineSeg, PointsPixelsPositionsAndPeakPositions) {
  cidc_scanLineSeg seg;
  const cidc_point64 down[2] = {{-1, -17}, {-1, 40}};
  ASSERT_EQ(cidc_scanLineSeg_initPoints(&seg, down, nullptr), 0);
  EXPECT_EQ(seg.pix[0].x, -1);  // arithmetic shift
  EXPECT_EQ(seg.pix[0].y, -2);
  EXPECT_EQ(seg.line.dir.y, one);
  EXPECT_EQ(seg.pos[0].along, -24);  // centre y of pixel -2
  EXPECT_EQ(seg.pos[0].across, 8);   // -centre x
  EXPECT_EQ(seg.pos[1].along, 40);
  EXPECT_EQ(seg.isDegenerate, 0);

  const cidc_point64 same[2] = {{5, 5}, {5, 5}};
  ASSERT_EQ(cidc_scanLineSeg_initPoints(&seg, same, nullptr), 0);
  EXPECT_EQ(seg.line.dir.y, -one);
  const cidc_point64 backwards[2] = {{100, 0}, {0, 0}};
  cidc_scanLine east;
  cidc_scanLine_init(&east);
  EXPECT_CHECK_FAILS(cidc_scanLineSeg_initPoints(&seg, backwards, &east));

  // Along positions back to points: axis lines by sign, others from the foot.
  const int64_t along[2] = {40, 100};
  const cidc_point64 p{32, -48};
  const cidc_unitDir16 up{0, -one}, slope{39321, 52428};
  cidc_scanLine line;
  cidc_scanLine_initPointDir(&line, &p, &up);
  ASSERT_EQ(cidc_scanLineSeg_initPeakPos(&seg, &line, along), 0);
  EXPECT_EQ(seg.pt[0].x, 32);
  EXPECT_EQ(seg.pt[0].y, -40);
  EXPECT_EQ(seg.pt[1].y, -100);
  cidc_scanLine_initPointDir(&line, &p, &slope);
  ASSERT_EQ(cidc_scanLineSeg_initPeakPos(&seg, &line, along), 0);
  const int64_t baseX = (line.dist * -52428) >> 16, baseY = (line.dist * 39321) >> 16;
  EXPECT_EQ(seg.pt[1].x, baseX + ((100 * 49155) >> 16));
  EXPECT_EQ(seg.pt[1].y, baseY + ((100 * 65541) >> 16));
  EXPECT_NEAR(double(seg.pos[1].along - seg.pos[0].along), 60, 16);

  cidc_scanLineSeg moved;
  const cidc_point64 offset{16, -32};
  ASSERT_EQ(cidc_scanLineSeg_translate(&seg, &offset, &moved), 0);
  EXPECT_EQ(moved.pt[0].x, seg.pt[0].x + 16);
  EXPECT_EQ(moved.pt[1].y, seg.pt[1].y - 32);
  cidc_scanLine shifted;
  cidc_scanLine_translate(&seg.line, &offset, &shifted);
  expectSameLine(moved.line, shifted);
}

TEST(ScanLineSeg, ConvertingAlongPositionsBackToTheImage) {
  cidc_scanLineSeg seg;
  const cidc_point64 ends[2] = {{56, 88}, {300, 88}};  // pixel (3, 5) onwards
  ASSERT_EQ(cidc_scanLineSeg_initPoints(&seg, ends, nullptr), 0);
  const int32_t origin[2] = {100, 200};
  cmath_vect p;
  const int64_t at = seg.pos[0].along + 16 * 4 + 4;
  cidc_convertPeakToImage(&at, &seg, origin, &p);
  EXPECT_DOUBLE_EQ(p.x, 100 + 3.5 + 4.25);
  EXPECT_DOUBLE_EQ(p.y, 200 + 5.5);
  const cidc_point64 slanted[2] = {{56, 88}, {-300, 400}};
  ASSERT_EQ(cidc_scanLineSeg_initPoints(&seg, slanted, nullptr), 0);
  // The start pixel's centre, up to the floored along and across (1/16 each).
  cidc_convertPeakToImage(&seg.pos[0].along, &seg, origin, &p);
  EXPECT_NEAR(p.x, 100 + 3.5, 1.5 / 16);
  EXPECT_NEAR(p.y, 200 + 5.5, 1.5 / 16);
}

}  // namespace
