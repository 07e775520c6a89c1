// Symbol regions: construction from points, lines and rectangles, flips, turns and maps,
// affine views and dilations, with their failure exits and argument checks.
#include <gtest/gtest.h>

#include <cmath>

#include "ci_id/priv/ci_idut/geometry.h"
#include "support/hooks.h"

namespace {

void expectNear(const cmath_vect& a, const cmath_vect& b, double tolerance = 1e-9) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
}

void expectCorners(const cid_region& r, const cmath_vect& po, const cmath_vect& px,
                   const cmath_vect& py, const cmath_vect& popp, double tolerance = 1e-9) {
  expectNear(r.Po, po, tolerance);
  expectNear(r.Px, px, tolerance);
  expectNear(r.Py, py, tolerance);
  expectNear(r.Popp, popp, tolerance);
}

void expectSameRegion(const cid_region& a, const cid_region& b, double tolerance = 1e-9) {
  expectCorners(a, b.Po, b.Px, b.Py, b.Popp, tolerance);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(a.tightness[i], b.tightness[i]) << i;
  EXPECT_EQ(a.affine, b.affine);
}

cid_region general(cmath_vect po, cmath_vect px, cmath_vect py, cmath_vect popp) {
  cid_region r;
  cid_region_initPoPxPyPopp(&r, &po, &px, &py, &popp);
  return r;
}

// A general region with distinct flags Po 1, Py 2, Px 3, Popp 4.
cid_region flagged() {
  cid_region r = general({0, 0}, {10, 1}, {-1, 8}, {11, 10});
  r.tightness[0] = 1;
  r.tightness[1] = 2;
  r.tightness[2] = 3;
  r.tightness[3] = 4;
  return r;
}

TEST(Region, ConstructionFromPoints) {
  cid_region r;
  cid_region_init(&r);
  expectCorners(r, {0, 0}, {1, 0}, {0, 1}, {1, 1}, 0);
  EXPECT_EQ(r.affine, 1);

  const cmath_vect po{0, 0}, px{4, 0}, py{1, 3}, popp{6, 4};
  cid_region_initPoPxPyPopp(&r, &po, &px, &py, nullptr);
  expectNear(r.Popp, {5, 3}, 0);
  EXPECT_EQ(r.affine, 1);
  cid_region_initPoPxPyPopp(&r, &po, &px, &py, &popp);
  EXPECT_EQ(r.affine, 0);
  for (int flag : r.tightness) EXPECT_EQ(flag, 1);

  // Point lists in both orders, read back unchanged.
  const double list[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  double back[8];
  for (int32_t perimeter : {0, 1}) {
    cid_region_initPoints(&r, list, perimeter);
    EXPECT_EQ(r.Py.x, perimeter ? 7 : 5);
    EXPECT_EQ(r.Popp.x, perimeter ? 5 : 7);
    EXPECT_EQ(r.affine, 0);
    cid_region_getPoints(&r, back, perimeter);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(back[i], list[i]);
    cmath_vect vects[4];
    cid_region_getVectPoints(&r, vects, perimeter);
    cid_region copy;
    cid_region_initVectPoints(&copy, vects, perimeter);
    expectSameRegion(copy, r, 0);
  }
}

TEST(Region, ConstructionFromRectanglesAndTheirFailures) {
  cid_region r;
  const cmath_shapeAffineRect rect{{1, 1}, {5, 2}, {0, 4}};
  ASSERT_EQ(cid_region_initAffineRect(&r, &rect, nullptr), 0);
  expectCorners(r, {1, 1}, {5, 2}, {0, 4}, {4, 5}, 0);
  const cmath_shapeAffineRectCenter center{{10, 20}, 4, 2, 0, 0};
  ASSERT_EQ(cid_region_initAffineRectCenter(&r, &center, nullptr), 0);
  expectCorners(r, {8, 19}, {12, 19}, {8, 21}, {12, 21});

  const cmath_shapeAffineRect bad{{1, 1}, {NAN, 2}, {0, 4}};
  EXPECT_EQ(cid_region_initAffineRect(&r, &bad, nullptr), CMATH_STATUS_NOT_FINITE);
  const cmath_shapeAffineRectCenter badCenter{{10, 20}, INFINITY, 2, 0, 0};
  EXPECT_EQ(cid_region_initAffineRectCenter(&r, &badCenter, nullptr), CMATH_STATUS_NOT_FINITE);

  // Affine views: a general region's rectangle comes from its centre segments.
  cmath_shapeAffineRect out;
  cmath_vect popp{0, 0};
  cid_region trapezoid = general({0, -1}, {9, -2}, {0, 1}, {9, 2});
  ASSERT_EQ(cid_region_getAffineRectAndPopp(&trapezoid, &out, &popp), 0);
  expectNear(popp, {9, 2}, 0);
  ASSERT_EQ(cid_region_getAffineRect(&trapezoid, &out), 0);
  // Centre at x = 3; X centre segment (0, 0)-(9, 0); Y centre segment through (3, 0) spans
  // the X sides there: y from -4/3 to 4/3.
  expectNear(out.po, {0, -4.0 / 3});
  expectNear(out.px, {9, -4.0 / 3});
  expectNear(out.py, {0, 4.0 / 3});
  cid_region affine;
  ASSERT_EQ(cid_region_initMakeAffine(&affine, &trapezoid), 0);
  EXPECT_EQ(affine.affine, 1);
  expectNear(affine.Popp, {9, 4.0 / 3});

  trapezoid.Px.y = NAN;
  popp = {7, 7};
  EXPECT_EQ(cid_region_getAffineRectAndPopp(&trapezoid, &out, &popp), CMATH_STATUS_NOT_FINITE);
  EXPECT_EQ(popp.x, 7);
  EXPECT_EQ(cid_region_getAffineRect(&trapezoid, &out), CMATH_STATUS_NOT_FINITE);
  trapezoid.affine = 1;
  EXPECT_EQ(cid_region_getAffineRect(&trapezoid, &out), CMATH_STATUS_NOT_FINITE);
}

TEST(Region, LinesRoundTripAndParallelSides) {
  const cid_region r = general({0, 0}, {10, 1}, {-1, 8}, {12, 11});
  cmath_shapeLine ySides[2], xSides[2];
  cid_region_getLines(&r, ySides, xSides);
  expectNear(ySides[1].point, r.Px, 0);
  expectNear(xSides[1].direction, {13, 3}, 0);
  cid_region back;
  ASSERT_EQ(cid_region_initLines(&back, ySides, xSides), 0);
  expectSameRegion(back, r);

  xSides[1].direction = ySides[0].direction;
  EXPECT_EQ(cid_region_initLines(&back, ySides, xSides), CMATH_STATUS_PARALLEL_LINES);
}

TEST(Region, FlipsAndQuarterTurns) {
  const cid_region r = flagged();
  cid_region once, twice;
  cid_region_initFlipX(&once, &r);
  expectCorners(once, r.Px, r.Po, r.Popp, r.Py, 0);
  cid_region_initFlipX(&twice, &once);
  expectSameRegion(twice, r, 0);
  cid_region_initFlipY(&once, &r);
  expectCorners(once, r.Py, r.Popp, r.Po, r.Px, 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(once.tightness[i], r.tightness[i]);  // stay in place
  cid_region_initFlipY(&once, &once);                                        // in place
  expectSameRegion(once, r, 0);

  cid_region turned;
  ASSERT_EQ(cid_region_initRotatePoints(&turned, 1, &r), 0);
  expectCorners(turned, r.Px, r.Popp, r.Po, r.Py, 0);
  EXPECT_EQ(turned.tightness[0], 3);  // Po was Px
  EXPECT_EQ(turned.tightness[1], 1);  // Py was Po
  EXPECT_EQ(turned.tightness[2], 4);  // Px was Popp
  EXPECT_EQ(turned.tightness[3], 2);  // Popp was Py
  for (int32_t turns : {0, 4, -4, 8}) {
    cid_region_initRotatePoints(&turned, turns, &r);
    expectSameRegion(turned, r, 0);
  }
  turned = r;
  for (int i = 0; i < 4; ++i) cid_region_initRotatePoints(&turned, 1, &turned);
  expectSameRegion(turned, r, 0);
  // An affine region keeps its Popp implicit.
  cid_region square;
  cid_region_init(&square);
  cid_region_initRotatePoints(&turned, 3, &square);
  EXPECT_EQ(turned.affine, 1);
  expectCorners(turned, {0, 1}, {0, 0}, {1, 1}, {1, 0}, 0);
  EXPECT_CHECK_FAILS(cid_region_initRotatePoints(&turned, -1, &r));
}

TEST(Region, ShiftsAndMaps) {
  const cid_region r = flagged();
  cid_region out;
  const cmath_vect shift{2, -3};
  cid_region_initShift(&out, &shift, &r);
  expectCorners(out, {2, -3}, {12, -2}, {1, 5}, {13, 7}, 0);
  EXPECT_EQ(out.tightness[3], 4);

  const cmath_xformLinear turn{{0, -1, 1, 0}, {5, 0}};
  cid_region_initMap(&out, &turn, &r);
  expectCorners(out, {5, 0}, {4, 10}, {-3, -1}, {-5, 11}, 0);
  EXPECT_EQ(out.affine, 0);
  EXPECT_EQ(out.tightness[2], 3);

  cid_region square;
  cid_region_init(&square);
  square.tightness[1] = 0;
  // w = 0.5 x + 1.
  const cmath_xformPerspective tilt{{{1, 0, 0}, {0, 1, 0}, {0.5, 0, 1}}};
  ASSERT_EQ(cid_region_initMapPersp(&out, &tilt, &square), 0);
  expectCorners(out, {0, 0}, {2.0 / 3, 0}, {0, 1}, {2.0 / 3, 2.0 / 3});
  EXPECT_EQ(out.affine, 0);
  EXPECT_EQ(out.tightness[1], 0);
  cid_region far = square;
  far.Popp = cmath_vect{-2, 5};  // on the horizon x = -2
  EXPECT_EQ(cid_region_initMapPersp(&out, &tilt, &far), CMATH_STATUS_AT_HORIZON);

  cid_region_copyTightness(&out, &r);
  EXPECT_EQ(out.tightness[1], 2);
}

TEST(Region, DilationOfParallelograms) {
  cid_region square, out, back;
  cid_region_init(&square);
  const double scale[2] = {2, 1};
  ASSERT_EQ(cid_region_initDilate(&out, scale, nullptr, &square), 0);
  expectCorners(out, {-0.5, 0}, {1.5, 0}, {-0.5, 1}, {1.5, 1});
  const double distance[2] = {1, 0};
  ASSERT_EQ(cid_region_initDilate(&out, nullptr, distance, &square), 0);
  expectCorners(out, {-1, 0}, {2, 0}, {-1, 1}, {2, 1});

  // Dilate, then shrink back, with scales and with distances.
  cid_region slanted;
  const cmath_vect po{3, 1}, px{9, 3}, py{1, 6};
  cid_region_initPoPxPyPopp(&slanted, &po, &px, &py, nullptr);
  slanted.tightness[2] = 0;
  const double grow[2] = {3, 0.5}, shrink[2] = {1.0 / 3, 2};
  cid_region_initDilate(&out, grow, nullptr, &slanted);
  cid_region_initDilate(&back, shrink, nullptr, &out);
  expectSameRegion(back, slanted);
  const double outwards[2] = {1.5, -0.75}, inwards[2] = {-1.5, 0.75};
  cid_region_initDilate(&out, nullptr, outwards, &slanted);
  cid_region_initDilate(&back, nullptr, inwards, &out);
  expectSameRegion(back, slanted);

  // One dimension, one end.
  const double two = 2;
  ASSERT_EQ(cid_region_initDilateDim(&out, 1, 0, 1, nullptr, &two, &square), 0);
  expectCorners(out, {0, 0}, {3, 0}, {0, 1}, {3, 1});
  // In Y an affine region is rebuilt around its X midpoint segment: the growth is shared.
  ASSERT_EQ(cid_region_initDilateDim(&out, 0, 1, 0, &two, nullptr, &square), 0);
  expectCorners(out, {0, -0.25}, {1, -0.25}, {0, 1.25}, {1, 1.25});
  // DilateX of an affine region is Dilate with (scale, 1) and (distance, 0).
  cid_region viaDilate;
  const double scaleX[2] = {1.5, 1}, distanceX[2] = {0.25, 0};
  cid_region_initDilateX(&out, 1.5, 0.25, &slanted);
  cid_region_initDilate(&viaDilate, scaleX, distanceX, &slanted);
  expectSameRegion(out, viaDilate, 0);

  cid_region line = square;
  line.Py = line.Po;
  line.Popp = line.Px;
  EXPECT_CHECK_FAILS(cid_region_initDilate(&out, nullptr, distance, &line));
  EXPECT_CHECK_FAILS(cid_region_initDilateDim(&out, 0, 1, 1, nullptr, &two, &line));
  EXPECT_EQ(cid_region_initDilateDim(&out, 0, 1, 1, &two, nullptr, &line), 0);
}

TEST(Region, DirectWideningOfLooseGeneralRegions) {
  cid_region r = general({0, 0}, {4, 0}, {0, 2}, {4, 4});
  for (int& flag : r.tightness) flag = 0;
  cid_region out, back;
  // Midpoints of the Y sides (0, 1) and (4, 2): v = (4, 1).
  ASSERT_EQ(cid_region_initDilateX(&out, 2, 0, &r), 0);
  expectCorners(out, {-2, -0.5}, {6, 0.5}, {-2, 1.5}, {6, 4.5});
  EXPECT_EQ(out.affine, 0);
  EXPECT_EQ(out.tightness[0], 0);
  cid_region_initDilateX(&out, 0, std::sqrt(17.0), &r);  // scale 0: distance only
  expectCorners(out, {-4, -1}, {8, 1}, {-4, 1}, {8, 5});
  cid_region_initDilateX(&back, 0, -std::sqrt(17.0), &out);
  expectSameRegion(back, r);
}

TEST(Region, ArgumentChecks) {
  cid_region r, out;
  cid_region_init(&r);
  const cmath_vect p{}, three[3] = {};
  cmath_vect four[4];
  double eight[8];
  const cmath_shapeAffineRect rect{};
  const cmath_shapeAffineRectCenter center{};
  cmath_shapeLine lines[2];
  const cmath_xformLinear linear{};
  const cmath_xformPerspective perspective{};
  cmath_shapeAffineRect rectOut;
  const double pair[2] = {1, 1};
  EXPECT_CHECK_FAILS(cid_region_init(nullptr));
  EXPECT_CHECK_FAILS(cid_region_initPoPxPyPopp(&out, nullptr, &p, &p, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initPoPxPyPopp(&out, &p, nullptr, &p, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initPoPxPyPopp(&out, &p, &p, nullptr, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initAffineRectPoints(nullptr, three, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initAffineRectPoints(&out, nullptr, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initAffineRect(nullptr, &rect, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initAffineRect(&out, nullptr, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initAffineRectCenter(nullptr, &center, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initAffineRectCenter(&out, nullptr, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initVectPoints(nullptr, four, 0));
  EXPECT_CHECK_FAILS(cid_region_initVectPoints(&out, nullptr, 0));
  EXPECT_CHECK_FAILS(cid_region_initPoints(nullptr, eight, 0));
  EXPECT_CHECK_FAILS(cid_region_initPoints(&out, nullptr, 0));
  EXPECT_CHECK_FAILS(cid_region_getVectPoints(nullptr, four, 0));
  EXPECT_CHECK_FAILS(cid_region_getVectPoints(&r, nullptr, 0));
  EXPECT_CHECK_FAILS(cid_region_getPoints(nullptr, eight, 0));
  EXPECT_CHECK_FAILS(cid_region_getPoints(&r, nullptr, 0));
  EXPECT_CHECK_FAILS(cid_region_initLines(nullptr, lines, lines));
  EXPECT_CHECK_FAILS(cid_region_initLines(&out, nullptr, lines));
  EXPECT_CHECK_FAILS(cid_region_initLines(&out, lines, nullptr));
  EXPECT_CHECK_FAILS(cid_region_getLines(nullptr, lines, lines));
  EXPECT_CHECK_FAILS(cid_region_getLines(&r, nullptr, lines));
  EXPECT_CHECK_FAILS(cid_region_getLines(&r, lines, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initShift(nullptr, &p, &r));
  EXPECT_CHECK_FAILS(cid_region_initShift(&out, nullptr, &r));
  EXPECT_CHECK_FAILS(cid_region_initShift(&out, &p, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initMap(nullptr, &linear, &r));
  EXPECT_CHECK_FAILS(cid_region_initMap(&out, nullptr, &r));
  EXPECT_CHECK_FAILS(cid_region_initMap(&out, &linear, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initMapPersp(nullptr, &perspective, &r));
  EXPECT_CHECK_FAILS(cid_region_initMapPersp(&out, nullptr, &r));
  EXPECT_CHECK_FAILS(cid_region_initMapPersp(&out, &perspective, nullptr));
  EXPECT_CHECK_FAILS(cid_region_getAffineRect(nullptr, &rectOut));
  EXPECT_CHECK_FAILS(cid_region_getAffineRect(&r, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initMakeAffine(nullptr, &r));
  EXPECT_CHECK_FAILS(cid_region_initMakeAffine(&out, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initBoundPoints(nullptr, nullptr, nullptr, &r, &r));
  EXPECT_CHECK_FAILS(cid_region_initBoundPoints(&out, nullptr, nullptr, nullptr, &r));
  EXPECT_CHECK_FAILS(cid_region_initBoundPoints(&out, nullptr, nullptr, &r, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initChangePersp(nullptr, &r, &r, 1, 1));
  EXPECT_CHECK_FAILS(cid_region_initChangePersp(&out, nullptr, &r, 1, 1));
  EXPECT_CHECK_FAILS(cid_region_initChangePersp(&out, &r, nullptr, 1, 1));
  EXPECT_CHECK_FAILS(cid_region_initDilate(nullptr, pair, pair, &r));
  EXPECT_CHECK_FAILS(cid_region_initDilate(&out, pair, pair, nullptr));
  EXPECT_CHECK_FAILS(cid_region_initDilateDim(nullptr, 1, 1, 1, nullptr, nullptr, &r));
  EXPECT_CHECK_FAILS(cid_region_initDilateDim(&out, 1, 1, 1, nullptr, nullptr, nullptr));
}

}  // namespace
