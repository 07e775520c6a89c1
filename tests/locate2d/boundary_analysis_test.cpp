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

TEST(BoundaryAnalysis, HalvingAndSmoothingRoundAsSpecified) {
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

TEST(BoundaryAnalysis, SlightlyTurningNeighboursMerge) {
  std::vector<cid2d_point> points;
  for (int32_t i = 0; i < 30; ++i) points.push_back({i * 32, 0});
  for (int32_t i = 0; i < 30; ++i) points.push_back({960 + i * 32, -i});
  for (int32_t i = 0; i < 40; ++i) points.push_back({1920 - i * 48, 400});  // the way back
  const int32_t n = int32_t(points.size());
  std::vector<cid2d_segment> segments = {{0, 0, 30}, {30, 0, 60}, {0, 0, 0}};
  for (int32_t i = 0; i < 2; ++i) {
    const cid2d_chord c = cid2d_segmentChord(points.data(), n, segments[i]);
    segments[i].lengthSq = int32_t((c.dx() >> 2) * (c.dx() >> 2) + (c.dy() >> 2) * (c.dy() >> 2));
  }
  std::vector<int32_t> flags(2);
  cid2d_mergeCollinearSegments(points.data(), n, segments.data(), 2, 12, 64, flags.data());
  EXPECT_EQ(segments[0].start, 0);
  EXPECT_EQ(segments[0].end, 60);
  EXPECT_EQ(segments[1].lengthSq, 0);
  EXPECT_EQ(flags[0], 1);
  EXPECT_EQ(flags[1], 1);
  EXPECT_EQ(cid2d_tangent1000(1, 0, 0, 1), 0x7FFFFFFF);
  EXPECT_EQ(cid2d_tangent1000(1000, 0, 1000, -17), -17);
}

TEST(BoundaryAnalysis, RunsJoinAcrossTheStartAndTallyShortRuns) {
  // Started mid-side: the last run reaches through the start into the first.
  const std::vector<cid2d_point> square = squareContour(40, 32);
  const int32_t n = int32_t(square.size());
  std::vector<cid2d_point> turned(square.begin() + 20, square.end());
  turned.insert(turned.end(), square.begin(), square.begin() + 20);
  std::vector<int32_t> curvature(n);
  cid2d_contourCurvature(turned.data(), n, 3, curvature.data());
  std::vector<cid2d_segment> segments(cid2d_contourBuffers::segmentEntries);
  cid2d_runRules rules{64, 3, 576, false};
  ASSERT_EQ(cid2d_findStraightRuns(turned.data(), curvature.data(), n, rules, segments.data()), 5);
  const cid2d_segment first = segments[0], last = segments[4];
  rules.joinAcrossStart = true;
  ASSERT_EQ(cid2d_findStraightRuns(turned.data(), curvature.data(), n, rules, segments.data()), 4);
  EXPECT_EQ(segments[0].start, last.start);
  EXPECT_EQ(segments[0].end, first.end + n);
  EXPECT_EQ(segments[0].lengthSq, last.lengthSq);  // the last run already reached through
  EXPECT_EQ(segments[4].lengthSq, 0);

  std::vector<int32_t> flat(n, 1000);
  auto run = [&](int32_t first, int32_t following) {
    for (int32_t i = first; i <= first + following; ++i) flat[i] = 0;
  };
  run(2, 30);
  run(42, 30);
  for (int32_t first : {80, 90, 100, 110}) run(first, 3);
  run(120, 1);
  cid2d_runTally tally;
  rules = cid2d_runRules{64, 3, 576, false};
  rules.tally = &tally;
  EXPECT_EQ(cid2d_findStraightRuns(square.data(), flat.data(), n, rules, segments.data()), 2);
  EXPECT_EQ(tally.droppedShort, 4);
  EXPECT_EQ(tally.seen, 6);
}

}  // namespace
