// Magnitude/angle images, edgelet lists with bands when memory is short, true peaks of edgelets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "ci_id/priv/ci_idut/edge.h"
#include "support/held_image.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

constexpr uint8_t dark = 20, light = 220;

using positionSet = std::set<std::pair<int32_t, int32_t>>;

// A vertical step: columns left of x dark, from x on light.
greyScene verticalStep(int32_t width, int32_t height, int32_t x) {
  greyScene scene(width, height, dark);
  scene.paint([x](double px, double) { return px >= x; }, light);
  return scene;
}

struct edgeList {
  csEdgeList* list = nullptr;
  explicit edgeList(int32_t capacity = 0) { csEdgeListNew(capacity, &list); }
  ~edgeList() { csEdgeListDelete(&list); }
  std::vector<std::pair<int32_t, int32_t>> positions() const {
    std::vector<std::pair<int32_t, int32_t>> out;
    for (const csEdge* e = csEdgeListFirst(list); e; e = csEdgeListNext(list, e))
      out.emplace_back(csEdgePi(e), csEdgePj(e));
    return out;
  }
  positionSet distinct() const {
    const auto all = positions();
    return {all.begin(), all.end()};
  }
  std::vector<int32_t> rowCounts(int32_t height) const {
    std::vector<int32_t> counts(height, 0);
    for (const auto& [i, j] : positions()) ++counts[j];
    return counts;
  }
};

const cip_edgeParams thinPeaks{1.0, 20.0, 1.0};

positionSet edgeletsOf(const testImage& source, uint8_t threshold) {
  edgeList list;
  const cip_edgeParams params{1.0, double(threshold), 0.0};
  EXPECT_EQ(cip_edge_detectEdges(source.constImage(), &params, list.list), 0);
  return list.distinct();
}

TEST(EdgeDetect, MagnitudeAndAngleImages) {
  cip_edgeParams defaults;
  cip_edgeParams_init(&defaults);

  // Unbound outputs cover the interior of the source window.
  testImage source(verticalStep(12, 9, 6));
  cimg_image_setWindowOrigin(source.image(), 100, 50);
  cmath_xformLinear shift{{2, 0, 0, 2}, {3, 4}};
  cimg_image_setLinearClientFromImageXform(source.image(), &shift);
  heldImage mag, ang;
  ASSERT_EQ(cip_edge_detectMagAng(source.constImage(), &defaults, &mag.image, &ang.image), 0);
  for (const heldImage* out : {&mag, &ang}) {
    const cstd_rect32 w = out->windowRect();
    EXPECT_EQ(std::tie(w.x, w.y, w.width, w.height), std::tuple(101, 51, 10, 7));
    cmath_xformLinear xform;
    cimg_image_getLinearClientFromImageXform(&out->image, &xform);
    EXPECT_EQ(std::tie(xform.translation.x, xform.matrix.yy), std::tuple(3, 2));
  }
  // Sobel across a 200-level step: 4 * 200 / 4 on the two columns beside it, angle +x.
  for (int32_t y = 51; y < 58; ++y) {
    EXPECT_EQ(std::tuple(mag.atImage(104, y), mag.atImage(105, y), mag.atImage(106, y),
                         mag.atImage(107, y), ang.atImage(105, y)),
              std::tuple(0, 200, 200, 0, 0));
  }

  // A bound magnitude image restricts both outputs; it keeps its pixels outside.
  heldImage small({104, 48, 5, 6}, 77), angles;  // reaches above the source
  ASSERT_EQ(cip_edge_detectMagAng(source.constImage(), &defaults, &small.image, &angles.image), 0);
  const cstd_rect32 a = angles.windowRect();
  EXPECT_EQ(std::tie(a.x, a.y, a.width, a.height), std::tuple(104, 51, 5, 3));
  EXPECT_EQ(std::tuple(small.atImage(105, 50), small.atImage(105, 51), small.atImage(104, 53)),
            std::tuple(77, 200, 0));

  heldImage unbound, m2, a2;
  EXPECT_EQ(cip_edge_detectMagAng(unbound.constImage(), &defaults, &m2.image, &a2.image),
            CIDUT_ERR_IMAGE_UNBOUND);
}

TEST(EdgeDetect, EdgeletsOfAStep) {
  testImage source(verticalStep(40, 16, 20));
  edgeList out;
  ASSERT_EQ(cip_edge_detectEdges(source.constImage(), &thinPeaks, out.list), 0);
  // One edgelet per interior row, none in the border.
  const auto positions = out.positions();
  ASSERT_EQ(positions.size(), 14u);
  for (const auto& [i, j] : positions) EXPECT_TRUE((i == 19 || i == 20) && j >= 1 && j <= 14);
  // A caller's list is replaced, not appended to.
  ASSERT_EQ(cip_edge_detectEdges(source.constImage(), &thinPeaks, out.list), 0);
  EXPECT_EQ(csEdgeListLen(out.list), 14);

  // Chains: appended to the caller's list, linked along the step.
  edgeList list(100);
  csEdgeChains chains;
  csEdgeChains_construct(&chains);
  ASSERT_EQ(cip_edge_detectEdgesChains(source.constImage(), &thinPeaks, list.list, &chains), 0);
  EXPECT_EQ(csEdgeListLen(list.list), 14);
  EXPECT_EQ(chains.count, 1);
  csEdgeChains_destruct(&chains);

  // Unbound, or too many edgelets for the smaller banded lists: the caller's list untouched.
  heldImage unbound;
  EXPECT_EQ(cip_edge_detectEdges(unbound.constImage(), &thinPeaks, out.list),
            CIDUT_ERR_IMAGE_UNBOUND);
  greyScene ramp(64, 64, 0);  // every pixel ties with its neighbours: all are edgelets
  for (int32_t y = 0; y < 64; ++y)
    for (int32_t x = 0; x < 64; ++x) ramp.at(x, y) = 3.0 * x;
  testImage dense(ramp);
  const cip_edgeParams keepTies{1.0, 1.0, 0.0};
  leakGuard guard;
  EXPECT_EQ(cip_edge_detectEdges(dense.constImage(), &keepTies, out.list), CIDUT_ERR_NO_MEMORY);
  EXPECT_EQ(csEdgeListLen(out.list), 14);
}

// Memory for 3/4 of the list: 4 bands, rows 0-3, 0-5, 2-7, 4-9, each edgelet kept once.
TEST(EdgeDetect, BandsWhenMemoryIsShort) {
  const int32_t width = 400, height = 10;
  testImage stepImage(verticalStep(width, height, 200));
  edgeList whole, banded;
  ASSERT_EQ(cip_edge_detectEdges(stepImage.constImage(), &thinPeaks, whole.list), 0);
  csys_memory_setAllocationLimit(size_t(width) * height / 2 * sizeof(csEdge) * 3 / 4);
  const int32_t status = cip_edge_detectEdges(stepImage.constImage(), &thinPeaks, banded.list);
  csys_memory_setAllocationLimit(0);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(banded.rowCounts(height), (std::vector<int32_t>{0, 2, 2, 2, 2, 2, 2, 1, 1, 0}));
  EXPECT_EQ(banded.distinct(), whole.distinct());
}

TEST(TruePeaksFromEdgelets, MarksAndPlacement) {
  testImage source(verticalStep(30, 12, 15));
  cimg_image_setWindowOrigin(source.image(), 7, 3);
  cmath_xformLinear scale{{0.5, 0, 0, 0.5}, {1, 2}};
  cimg_image_setLinearImageFromClientXform(source.image(), &scale);

  heldImage padded, single, peak, xs, ys;
  ASSERT_EQ(cf_GetTrueEdgePeakFromEdgelets(source.constImage(), &padded.image, 20), 0);
  ASSERT_EQ(cf_GetTrueEdgePeakFromEdgelets_noPadding(source.constImage(), &single.image, 20), 0);
  ASSERT_EQ(
      cf_GetTrueEdgePeakXYFromEdgelets(source.constImage(), &peak.image, &xs.image, &ys.image, 20),
      0);
  for (const heldImage* out : {&padded, &single, &peak, &xs, &ys}) {
    const cstd_rect32 w = out->windowRect();
    EXPECT_EQ(std::tie(w.x, w.y, w.width, w.height), std::tuple(7, 3, 30, 12));
    cmath_xformLinear xform;
    cimg_image_getLinearImageFromClientXform(&out->image, &xform);
    EXPECT_EQ(xform.matrix.xx, 0.5);
    EXPECT_EQ(xform.translation.y, 2);
  }
  // Every edgelet is marked with its magnitude (200 beside the step).
  const positionSet edgelets = edgeletsOf(source, 20);
  for (int32_t y = 3; y < 15; ++y) {
    for (int32_t x = 7; x < 37; ++x) {
      const bool edgelet = edgelets.count({x - 7, y - 3}) != 0;
      const bool rightOfEdgelet = edgelets.count({x - 8, y - 3}) != 0;
      EXPECT_EQ(single.atImage(x, y), edgelet ? 200 : 0) << x << "," << y;
      EXPECT_EQ(padded.atImage(x, y), edgelet || rightOfEdgelet ? 200 : 0) << x << "," << y;
      EXPECT_EQ(peak.atImage(x, y), padded.atImage(x, y));
      EXPECT_EQ(xs.atImage(x, y), edgelet ? 0x80 : 0);  // dark to light along +x
      EXPECT_EQ(ys.atImage(x, y), 0);
    }
  }

  heldImage unbound, none;
  EXPECT_EQ(cf_GetTrueEdgePeakFromEdgelets(unbound.constImage(), &none.image, 5),
            CIDUT_ERR_IMAGE_UNBOUND);
}

}  // namespace
