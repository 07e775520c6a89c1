// Edge scans for tests: a peak vector with a marker in front, and a scanner over one image.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ci_id/priv/ci_idut/scan.h"
#include "support/synthetic.h"

// A peak vector holding a marker peak at pos -7 (unless it must not allocate).
struct peakList {
  cstd_vector_cidc_peakIDFixedX_4 v;
  explicit peakList(bool marked = true) {
    EXPECT_EQ(cstd_vector_cidc_peakIDFixedX_4_constructEmpty(&v), 0);
    cidc_peakIDFixedX_4 marker{};
    marker.pos = -7;
    EXPECT_EQ(marked ? cstd_vector_cidc_peakIDFixedX_4_pushBack(&v, &marker) : 0, 0);
  }
  ~peakList() { cstd_vector_cidc_peakIDFixedX_4_destruct(&v); }
  // The peaks after the marker, which must be intact.
  std::vector<cidc_peakIDFixedX_4> found() {
    cidc_peakIDFixedX_4* begin = nullptr;
    int32_t n = 0;
    EXPECT_EQ(cstd_vector_cidc_peakIDFixedX_4_getBeginSize(&v, &begin, &n), 0);
    EXPECT_TRUE(n >= 1 && begin[0].pos == -7);
    std::vector<cidc_peakIDFixedX_4> peaks;
    for (int32_t i = 1; i < n; ++i) peaks.push_back(begin[i]);
    return peaks;
  }
};

// A scanner over one image: ROI with a margin of 2 and the origin at the centre.
struct scanner {
  explicit scanner(const greyScene& scene) : image(scene), input(image.constImage()) {
    cimg_windowConst window;
    EXPECT_EQ(cimg_windowConst_init(&window, input), 0);
    EXPECT_EQ(cidc_windowROI_initCenter(&roi, &window, 2, 2), 0);
  }
  // The line through p along angle, or the segment from p to end, projected on dir.
  int32_t scan(const cmath_vect& p, double angle, const int16_t dir[2], peakList& peaks,
               cidc_scanLineSeg* out, const cmath_vect* end = nullptr) {
    cidc_unitDir16 u;
    EXPECT_EQ(cidc_unitDir16_initVect(&u, int32_t(std::lround(std::cos(angle) * 16384)),
                                      int32_t(std::lround(std::sin(angle) * 16384))),
              0);
    cidc_scanLineSeg seg;
    const cidc_point64 ends[2] = {toScan(p), toScan(end ? *end : p)};
    EXPECT_EQ(cidc_scanLine_initPointDir(&seg.line, &ends[0], &u), 0);
    if (end) cidc_scanLineSeg_initPoints(&seg, ends, nullptr);
    cidc_scanShape shape;
    if (end) cidc_scanShape_initScanLineSeg(&shape, &seg);
    if (!end) cidc_scanShape_initScanLine(&shape, &seg.line);
    return cidc_runEdgeScan(input, &roi, threshold, &shape, dir, &peaks.v, out);
  }
  cidc_point64 toScan(const cmath_vect& p) const {
    return {std::llround((p.x - roi.originX) * 16), std::llround((p.y - roi.originY) * 16)};
  }
  cmath_vect toImage(const cidc_peakIDFixedX_4& peak, const cidc_scanLineSeg& seg) const {
    cmath_vect p;
    cidc_convertPeakToImage(&peak.pos, &seg, &roi.originX, &p);
    return p;
  }

  testImage image;
  const cimg_imageConst* input;
  cidc_windowROI roi;
  int32_t twenty = 20;
  const int32_t* threshold = &twenty;
};
