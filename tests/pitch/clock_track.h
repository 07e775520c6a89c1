// Clock tracks for tests: edges of known dark bars along a scan, and the teeth found in them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "ci_id/priv/ci_idut/pitch.h"

inline cmath_shapeAffineRect scanRect(double x0, double y0, double length) {
  return cmath_shapeAffineRect{{x0, y0}, {x0 + length, y0}, {x0, y0 + 6.0}};
}

// Dark bars (start, width from the scan start): a falling then a rising edge, 24.8.
inline std::vector<cidut_edge1D> barEdges(const std::vector<std::pair<double, double>>& bars,
                                   double length, double contrast = 200.0) {
  std::vector<cidut_edge1D> edges;
  for (const auto& [start, width] : bars) {
    edges.push_back({int32_t(std::lround((start - length / 2) * 256)), int32_t(-contrast * 256)});
    edges.push_back(
        {int32_t(std::lround((start + width - length / 2) * 256)), int32_t(contrast * 256)});
  }
  return edges;
}

// Ten bars of width 4 at pitch 8 from the scan start, less the missing ones.
inline std::vector<std::pair<double, double>> clockBars(std::vector<int> missing = {}) {
  std::vector<std::pair<double, double>> bars;
  for (int k = 0; k < 10; ++k) {
    if (std::find(missing.begin(), missing.end(), k) == missing.end())
      bars.push_back({8.0 * k, 4.0});
  }
  return bars;
}

inline cidut_edgePairingParams clockParams() {
  cidut_edgePairingParams p;
  EXPECT_EQ(cidut_edgePairingParams_init(&p), 0);
  p.expectedCount = 10;
  p.expectedWidth = 4.0;
  p.expectedPitch = 8.0;
  return p;
}

struct teeth {
  cidut_teethResults r;
  teeth() { EXPECT_EQ(cidut_teethResults_construct(&r), 0); }
  ~teeth() { cidut_teethResults_destruct(&r); }
  std::vector<cidut_toothCand> list() const {
    const cidut_toothCand* begin = nullptr;
    int32_t n = 0;
    EXPECT_EQ(cstd_vector_cidut_toothCand_getBeginSizeConst(&r.teeth, &begin, &n), 0);
    return std::vector<cidut_toothCand>(begin, begin + n);
  }
};

inline int32_t run(const cidut_edgePairingParams& p, const std::vector<cidut_edge1D>& edges,
            const cmath_shapeAffineRect& rect, teeth* out, const cmath_xform* forward = nullptr,
            const cmath_xform* inverse = nullptr, const cmath_xformLinear* points = nullptr,
            int32_t flags = CIDUT_EDGES_ALONG_X) {
  const cidut_edgeList1D list{int32_t(edges.size()), flags, 0, edges.data()};
  return cidut_edgesToTeeth(&p, &list, forward, inverse, &rect, points, &out->r);
}
