// Edge scans on synthetic step edges: sub-pixel positions converted back to the image for
// scans at many angles, magnitude scale, polarity, appending, short scans and failures.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "ci_id/priv/ci_idut/scan.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

constexpr double pi = std::numbers::pi;
constexpr int32_t size = 128;
constexpr double dark = 40, bright = 210;

// A straight step edge through point c with unit normal n pointing into the bright side.
struct stepEdge {
  cmath_vect c;
  cmath_vect n;
  double distance(const cmath_vect& p) const { return (p.x - c.x) * n.x + (p.y - c.y) * n.y; }
};

greyScene edgeScene(const stepEdge& edge, double blur) {
  greyScene scene(size, size, dark);
  scene.paint([&](double x, double y) { return edge.distance({x, y}) > 0; }, bright, 16);
  if (blur > 0) scene.gaussianBlur(blur);
  return scene;
}

// A peak vector released with the object.
struct peakList {
  cstd_vector_cidc_peakIDFixedX_4 v;
  peakList() { EXPECT_EQ(cstd_vector_cidc_peakIDFixedX_4_constructEmpty(&v), 0); }
  ~peakList() { cstd_vector_cidc_peakIDFixedX_4_destruct(&v); }
  std::vector<cidc_peakIDFixedX_4> all() {
    cidc_peakIDFixedX_4* begin = nullptr;
    int32_t n = 0;
    EXPECT_EQ(cstd_vector_cidc_peakIDFixedX_4_getBeginSize(&v, &begin, &n), 0);
    std::vector<cidc_peakIDFixedX_4> peaks(size_t(n > 0 ? n : 0));
    for (int32_t i = 0; i < n; ++i) peaks[size_t(i)] = begin[i];
    return peaks;
  }
};

// A scanner over one image: ROI with a margin of 2 and the origin at the centre.
class scanner {
 public:
  explicit scanner(const greyScene& scene) : image_(scene) {
    cimg_windowConst window;
    EXPECT_EQ(cimg_windowConst_init(&window, image_.constImage()), 0);
    EXPECT_EQ(cidc_windowROI_initCenter(&roi_, &window, 2, 2), 0);
  }
  const cidc_windowROI& roi() const { return roi_; }

  // Scans the line through image point p along angle, projecting on dir; returns status.
  int32_t scanLine(const cmath_vect& p, double angle, const int16_t dir[2], peakList& peaks,
                   cidc_scanLineSeg* out, int32_t threshold = 20) {
    cidc_unitDir16 u;
    EXPECT_EQ(cidc_unitDir16_initVect(&u, int32_t(std::lround(std::cos(angle) * 16384)),
                                      int32_t(std::lround(std::sin(angle) * 16384))),
              0);
    cidc_scanLine line;
    const cidc_point64 q = toScan(p);
    EXPECT_EQ(cidc_scanLine_initPointDir(&line, &q, &u), 0);
    cidc_scanShape shape;
    cidc_scanShape_initScanLine(&shape, &line);
    return cidc_runEdgeScan(image_.constImage(), &roi_, &threshold, &shape, dir, &peaks.v, out);
  }
  int32_t scanShape(const cidc_scanShape& shape, const int16_t dir[2], peakList& peaks,
                    cidc_scanLineSeg* out, int32_t threshold = 20) {
    return cidc_runEdgeScan(image_.constImage(), &roi_, &threshold, &shape, dir, &peaks.v, out);
  }
  cidc_point64 toScan(const cmath_vect& p) const {
    return {std::llround((p.x - roi_.originX) * 16), std::llround((p.y - roi_.originY) * 16)};
  }
  cmath_vect toImage(const cidc_peakIDFixedX_4& peak, const cidc_scanLineSeg& seg) const {
    cmath_vect p;
    cidc_convertPeakToImage(&peak.pos, &seg, &roi_.originX, &p);
    return p;
  }
  testImage& image() { return image_; }

 private:
  testImage image_;
  cidc_windowROI roi_;
};

// Largest distance from the edge of the peak, converted to the image, over scans crossing
// the edge through points spread along it, in both senses, at the given angles from its
// normal. project: project on the scan direction, else give no projection direction (axis
// scans only). Every scan must find the edge, once, with the right polarity.
double worstError(const stepEdge& edge, double blur, const std::vector<double>& offNormal,
                  bool project) {
  scanner s(edgeScene(edge, blur));
  double worst = 0;
  for (double off : offNormal) {
    for (int sense = 0; sense < 2; ++sense) {
      const double angle = std::atan2(edge.n.y, edge.n.x) + off + sense * pi;
      // 32 along the scan, nudged by 1 across it so that axis scans take the projected path.
      const double c = std::cos(angle), sn = std::sin(angle);
      const int16_t dir[2] = {int16_t(project ? std::lround(32 * c - sn) : 0),
                              int16_t(project ? std::lround(32 * sn + c) : 0)};
      for (double shift = -20; shift <= 20; shift += 2.5) {
        const cmath_vect through{edge.c.x - shift * edge.n.y, edge.c.y + shift * edge.n.x};
        peakList peaks;
        cidc_scanLineSeg out;
        EXPECT_EQ(s.scanLine(through, angle, dir, peaks, &out), 0);
        const auto all = peaks.all();
        if (all.size() != 1) {
          ADD_FAILURE() << all.size() << " peaks at angle " << angle;
          continue;
        }
        EXPECT_EQ(all[0].magnitude > 0, sense == 0) << "polarity at angle " << angle;
        worst = std::max(worst, std::abs(edge.distance(s.toImage(all[0], out))));
      }
    }
  }
  return worst;
}

// Vertical and horizontal edges at sub-pixel positions on the 1/16 grid of the
// rendering, so that the rendered edge is exactly where it is said to be.
std::vector<stepEdge> axisEdges() {
  std::vector<stepEdge> edges;
  for (double f : {0.0, 3 / 16.0, 0.5, 13 / 16.0}) {
    edges.push_back({{60 + f, 64}, {1, 0}});
    edges.push_back({{64, 70 + f}, {0, -1}});
  }
  return edges;
}

TEST(EdgeScan, AxisScansLocateEdgesWithinAnEighthPixel) {
  for (const stepEdge& edge : axisEdges()) {
    EXPECT_LE(worstError(edge, 0, {0}, false), 1 / 8.0) << edge.c.x << ", " << edge.c.y;
    EXPECT_LE(worstError(edge, 0, {0}, true), 1 / 8.0) << edge.c.x << ", " << edge.c.y;
    EXPECT_LE(worstError(edge, 1.2, {0}, false), 1 / 4.0) << edge.c.x << ", " << edge.c.y;
    EXPECT_LE(worstError(edge, 1.2, {0}, true), 1 / 4.0) << edge.c.x << ", " << edge.c.y;
  }
}

// General scans add two floored 1/16 terms (along and across of the start pixel) to the
// truncated 1/16 parabolic offset of the axis scans, hence 3/16 on sharp edges.
TEST(EdgeScan, GeneralScansLocateEdgesAtAnyAngleUpTo45Degrees) {
  const std::vector<double> angles{0.02, 0.15, -0.2, 0.33, -0.41, 0.5, -0.6, 0.68, -0.77};
  for (const stepEdge& edge : axisEdges()) {
    EXPECT_LE(worstError(edge, 0, angles, true), 3 / 16.0) << edge.c.x << ", " << edge.c.y;
    EXPECT_LE(worstError(edge, 1.2, angles, true), 1 / 4.0) << edge.c.x << ", " << edge.c.y;
  }
}

// On an oblique edge the walk's pixels lie up to half a pixel off the scan line on its
// minor axis; over the samples around a peak that moves a measurement by up to about the
// edge normal's minor component. Gross errors (a wrong across term, a wrong walk) show as
// much more.
TEST(EdgeScan, GeneralScansAlongTheNormalOfObliqueEdges) {
  for (double normal = 0.1; normal < 2 * pi; normal += 0.5) {
    const stepEdge edge{{63.3, 64.6}, {std::cos(normal), std::sin(normal)}};
    const double minor = std::min(std::abs(edge.n.x), std::abs(edge.n.y));
    EXPECT_LE(worstError(edge, 0, {0}, true), minor + 3 / 16.0) << normal;
    EXPECT_LE(worstError(edge, 1.2, {0}, true), minor + 1 / 4.0) << normal;
  }
}

cidc_peakIDFixedX_4 markerPeak(int64_t pos) {
  cidc_peakIDFixedX_4 p{};
  p.pos = pos;
  p.magnitude = 7;
  return p;
}

TEST(EdgeScan, MagnitudeScaleMidLevelAndAppending) {
  const double h = bright - dark;
  {  // rising pixel-aligned edge along a segment, 1-D scan: 16 h, after the peaks held
    scanner s(edgeScene({{64, 0}, {1, 0}}, 0));
    peakList peaks;
    const cidc_peakIDFixedX_4 held[2] = {markerPeak(1111), markerPeak(2222)};
    for (const auto& p : held) cstd_vector_cidc_peakIDFixedX_4_pushBack(&peaks.v, &p);
    cidc_scanLineSeg seg, out;
    const cidc_point64 ends[2] = {s.toScan({30.5, 50.5}), s.toScan({100.5, 50.5})};
    ASSERT_EQ(cidc_scanLineSeg_initPoints(&seg, ends, nullptr), 0);
    cidc_scanShape shape;
    cidc_scanShape_initScanLineSeg(&shape, &seg);
    const int16_t along[2] = {32, 0};
    ASSERT_EQ(s.scanShape(shape, along, peaks, &out), 0);
    const auto all = peaks.all();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].pos, 1111);
    EXPECT_EQ(all[1].pos, 2222);
    EXPECT_EQ(all[2].magnitude, 16 * h);
    EXPECT_EQ(all[2].midLevel, (dark + bright) / 2);
    EXPECT_EQ(all[2].tagA | all[2].tagB, 0);
    EXPECT_DOUBLE_EQ(s.toImage(all[2], out).x, 64.0);
  }
  {  // falling edge on a vertical scan: -16 h
    scanner s(edgeScene({{0, 70}, {0, -1}}, 0));
    peakList peaks;
    cidc_scanLineSeg out;
    const int16_t none[2] = {0, 0};
    ASSERT_EQ(s.scanLine({40.5, 60}, pi / 2, none, peaks, &out), 0);
    const auto all = peaks.all();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].magnitude, -16 * h);
    EXPECT_DOUBLE_EQ(s.toImage(all[0], out).y, 70.0);
  }
  {  // projection 32 across a horizontal scan: a 3-pixel bar below the row gives 16 h
    greyScene scene(size, size, dark);
    scene.paint([](double x, double y) { return x >= 60 && x < 63 && y >= 51; }, bright);
    scanner s(scene);
    peakList peaks;
    cidc_scanLineSeg out;
    const int16_t down[2] = {0, 32};
    ASSERT_EQ(s.scanLine({10, 50.5}, 0, down, peaks, &out), 0);
    const auto all = peaks.all();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].magnitude, 16 * h);
    EXPECT_EQ(all[0].midLevel, dark);
    EXPECT_DOUBLE_EQ(s.toImage(all[0], out).x, 61.5);
  }
}

TEST(EdgeScan, ShortOrMissingScansAddNothing) {
  scanner s(edgeScene({{64.5, 0}, {1, 0}}, 0));
  const int16_t dir[2] = {32, 8};
  cidc_scanShape shape;
  cidc_scanLineSeg seg, out;
  auto scanSegment = [&](cmath_vect a, cmath_vect b) {
    const cidc_point64 ends[2] = {s.toScan(a), s.toScan(b)};
    EXPECT_EQ(cidc_scanLineSeg_initPoints(&seg, ends, nullptr), 0);
    cidc_scanShape_initScanLineSeg(&shape, &seg);
    peakList peaks;
    const cidc_peakIDFixedX_4 held = markerPeak(5);
    cstd_vector_cidc_peakIDFixedX_4_pushBack(&peaks.v, &held);
    EXPECT_EQ(s.scanShape(shape, dir, peaks, &out), 0);
    return peaks.all().size() - 1;
  };
  EXPECT_EQ(scanSegment({63.5, 40.5}, {65.5, 40.5}), 1u);  // three pixels across the edge
  EXPECT_EQ(scanSegment({63.5, 40.5}, {64.5, 40.5}), 0u);  // two
  EXPECT_EQ(scanSegment({63.5, 40.5}, {64.9, 41.2}), 0u);  // two walk pixels, general
  EXPECT_EQ(out.isDegenerate, 0);
  EXPECT_EQ(scanSegment({62.5, 40.5}, {66.9, 41.2}), 1u);  // five
  EXPECT_EQ(scanSegment({62.5, 0.5}, {66.9, 1.2}), 0u);    // in the margin: outside the ROI
  EXPECT_EQ(out.isDegenerate, 1);
}

TEST(EdgeScan, FailuresReturnTheStatusAndLeaveOutputsAlone) {
  scanner s(edgeScene({{64.5, 0}, {1, 0}}, 0));
  const int32_t threshold = 20;
  const int16_t dir[2] = {32, 8}, along[2] = {32, 0};
  cidc_scanLine slanted, horizontal;
  const cidc_point64 p = s.toScan({10, 50});
  const cidc_unitDir16 u{60000, 26000};
  cidc_scanLine_initPointDir(&slanted, &p, &u);
  cidc_scanLine_init(&horizontal);
  cidc_scanShape general, axis;
  cidc_scanShape_initScanLine(&general, &slanted);
  cidc_scanShape_initScanLine(&axis, &horizontal);

  cimg_imageConst unbound;
  cimg_imageConst_constructUnbound(&unbound);
  peakList peaks;
  cidc_scanLineSeg out;
  out.isDegenerate = 77;
  EXPECT_EQ(cidc_runEdgeScan(&unbound, &s.roi(), &threshold, &general, dir, &peaks.v, &out),
            CIMG_STATUS_UNBOUND);
  EXPECT_EQ(out.isDegenerate, 77);
  EXPECT_TRUE(peaks.all().empty());
  cimg_imageConst_destruct(&unbound);

  for (auto [shape, d] : {std::pair(&general, dir), std::pair(&axis, along)}) {
    const int runs = driveAllocationFailures([&, shape = shape, d = d] {
      peakList local;
      return cidc_runEdgeScan(s.image().constImage(), &s.roi(), &threshold, shape, d, &local.v,
                              &out);
    });
    EXPECT_EQ(runs, 1);  // the vector grows once
  }
  EXPECT_CHECK_FAILS(
      cidc_runEdgeScan(s.image().constImage(), &s.roi(), nullptr, &axis, dir, &peaks.v, &out));
}

TEST(ProfilePeaks, CentralDifferencePeaksInDifferenceSamples) {
  const int32_t x[] = {0, 0, 0, 300, 300, 300, 290, 100, 100, 100};
  cimg_windowConst extent{}, samples{};
  extent.width = 10;
  samples.pixels = x;
  const int32_t threshold = 100;
  peakList peaks;
  const cidc_peakIDFixedX_4 held = markerPeak(9);
  cstd_vector_cidc_peakIDFixedX_4_pushBack(&peaks.v, &held);
  ASSERT_EQ(cidc_runEdgeScanPeakDetection(&extent, &samples, &threshold, &peaks.v), 0);
  // Differences 0, 300, 300, 0, -10, -200, -190, 0: a rise centred on 1.5 (between x[2] and
  // x[3]) and a fall at 5 (centred on x[6]) with the parabola pulled towards 6.
  const auto all = peaks.all();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[1].pos, 24);
  EXPECT_EQ(all[1].magnitude, 300);
  EXPECT_EQ(all[1].midLevel, 150 & 0xFF);
  EXPECT_EQ(all[2].pos, 80 + (16 * (-10 + 190)) / (2 * (-10 + 400 - 190)));
  EXPECT_EQ(all[2].magnitude, -200);
  EXPECT_EQ(all[2].midLevel, (300 + 100) / 2);  // x[5] and x[7]
  extent.width = 2;
  ASSERT_EQ(cidc_runEdgeScanPeakDetection(&extent, &samples, &threshold, &peaks.v), 0);
  EXPECT_EQ(peaks.all().size(), 3u);
}

}  // namespace
