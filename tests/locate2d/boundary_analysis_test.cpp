// Boundary analysis: smoothing, curvature, straight runs and merging on known contours.
#include <gtest/gtest.h>

#include <vector>

#include "id/idut/locate2d/boundary_analysis.h"

namespace {

// A square's outline, `side` points a side, `step` apart (1/16 pixel), from its top-left.
std::vector<cid2d_point> squareContour(int32_t side, int32_t step) {
  std::vector<cid2d_point> points;
  for (int32_t i = 0; i < side; ++i) points.push_back({i * step, 0});
  for (int32_t i = 0; i < side; ++i) points.push_back({side * step, i * step});
  for (int32_t i = 0; i < side; ++i) points.push_back({(side - i) * step, side * step});
  for (int32_t i = 0; i < side; ++i) points.push_back({0, (side - i) * step});
  return points;
}

TEST(BoundaryAnalysis, HalvingAndSmoothingRoundExactly) {
  std::vector<cid2d_point> points = {{1, 3}, {2, -4}, {5, 5}, {6, 6}, {9, 9}};
  EXPECT_EQ(cid2d_halveContour(points.data(), 5), 2);
  EXPECT_EQ(points[0].x, 1);   // (1 + 2) >> 1
  EXPECT_EQ(points[0].y, -1);  // (3 - 4) >> 1: arithmetic shift rounds down
  EXPECT_EQ(points[1].x, 5);

  // k = 3: 4096 / 3 = 1365; the first window sums without the rounding term.
  const std::vector<cid2d_point> line = {{0, 0}, {16, 0}, {32, 0}, {48, 0}, {64, 0}};
  std::vector<cid2d_point> smoothed(line.size());
  cid2d_smoothContour(line.data(), 5, 3, smoothed.data());
  EXPECT_EQ(smoothed[1].x, (48 * 1365) >> 12);         // 15: the plain sum truncates
  EXPECT_EQ(smoothed[2].x, ((96 + 1) * 1365) >> 12);   // windows 1..3, rounding term 1
  EXPECT_EQ(smoothed[0].x, ((64 + 0 + 16 + 1) * 1365) >> 12);  // the circular last window
  // Too few points or k < 2: a copy.
  cid2d_smoothContour(line.data(), 2, 3, smoothed.data());
  EXPECT_EQ(smoothed[1].x, 16);
}

TEST(BoundaryAnalysis, SquareGivesFourSidesThatSortAndMerge) {
  std::vector<cid2d_point> square = squareContour(40, 32);
  const int32_t n = int32_t(square.size());
  std::vector<int32_t> curvature(n);
  EXPECT_EQ(cid2d_contourCurvature(square.data(), n, 3, curvature.data()), 2 * 3 * 32);
  EXPECT_EQ(curvature[20], 0);  // mid-side
  std::vector<cid2d_segment> segments(cid2d_contourBuffers::segmentEntries);
  const cid2d_runRules rules{64, 3, 576, false};
  const int32_t count =
      cid2d_findStraightRuns(square.data(), curvature.data(), n, rules, segments.data());
  ASSERT_EQ(count, 4);
  EXPECT_EQ(segments[count].lengthSq, 0);  // the terminating record
  for (int32_t i = 0; i < count; ++i) {
    const cid2d_chord c = cid2d_segmentChord(square.data(), n, segments[i]);
    EXPECT_TRUE(c.dx() == 0 || c.dy() == 0);  // each run lies on one side
    EXPECT_GT(segments[i].lengthSq, 30 * 30 * 8 * 8);  // most of a 40 x 8 quarter-pixel side
  }

  // A curvature spike cuts one side in two.
  curvature[20] = 1000;
  int32_t cut = cid2d_findStraightRuns(square.data(), curvature.data(), n, rules, segments.data());
  ASSERT_EQ(cut, 5);
  cid2d_sortSegments(segments.data(), cut);
  for (int32_t i = 1; i < cut; ++i) EXPECT_GE(segments[i - 1].lengthSq, segments[i].lengthSq);
  std::vector<int32_t> flags(cut);
  cid2d_mergeCollinearSegments(square.data(), n, segments.data(), cut, 12, 64, flags.data());
  // Two exactly collinear halves have t = 0, outside the merge window (-35, 0).
  int32_t zero = 0;
  for (int32_t i = 0; i < cut; ++i) zero += segments[i].lengthSq == 0;
  EXPECT_EQ(zero, 0);
}

}  // namespace
