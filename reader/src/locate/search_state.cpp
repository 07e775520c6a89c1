// What a find-all loop keeps for one image.
#include "search_state.h"

#include <algorithm>
#include <cmath>

namespace {

// Claimed regions are painted this much wider (client units, half on each side).
constexpr double claimMargin = 4.0;

}  // namespace

ccSearchState::ccSearchState() {
  cid2d_trackingResult_construct(&found.tracking);
  found.trackCount = 0;
  cimg_image_constructUnbound(&visits_);
}

ccSearchState::~ccSearchState() {
  if (maskBuilt_) cid_mask_destruct(&mask_);
  cimg_image_destruct(&visits_);
  cid2d_trackingResult_destruct(&found.tracking);
}

int32_t ccSearchState::buildMask(const cimg_image* image) {
  const int32_t status = cid_mask_construct(&mask_, image);
  maskBuilt_ = status >= 0;
  if (status < 0) return status;
  cimg_window window;
  if (const int32_t windowStatus = cimg_window_init(&window, image); windowStatus < 0)
    return windowStatus;
  windowX0_ = window.x0, windowY0_ = window.y0;
  return cimg_image_getLinearImageFromClientXform(image, &imageFromClient_);
}

int32_t ccSearchState::clearVisits(int32_t width, int32_t height) {
  if (const int32_t status =
          cimg_image_assignNew(&visits_, CIMG_TYPE_8, (width + 3) / 4, (height + 3) / 4);
      status < 0)
    return status;
  if (const int32_t status = cimg_window_init(&visitWindow_, &visits_); status < 0) return status;
  for (int32_t y = 0; y < visitWindow_.height; ++y)
    std::fill_n(cimg_window_row<uint8_t>(&visitWindow_, y), visitWindow_.width, uint8_t{0});
  return 0;
}

int32_t ccSearchState::claim(const cmath_vect corners[4], double quiet) {
  cid_region region;
  if (const int32_t status =
          cid_region_initPoPxPyPopp(&region, &corners[0], &corners[1], &corners[3], &corners[2]);
      status < 0)
    return status;
  if (const int32_t status = cid_mask_appendRegion(&mask_, &region, claimMargin + 2 * quiet);
      status < 0)
    return status;
  cmath_vect q[4];
  for (int32_t k = 0; k < 4; ++k) {
    cmath_xformLinear_mapPoint(&imageFromClient_, &corners[k], &q[k]);
    q[k].x -= windowX0_, q[k].y -= windowY0_;
  }
  // Only a convex quadrilateral is kept for the test: every corner turns the same way.
  int32_t turns = 0;
  for (int32_t k = 0; k < 4; ++k) {
    const cmath_vect &a = q[k], &b = q[(k + 1) % 4], &c = q[(k + 2) % 4];
    const double turn = (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
    turns += (turn > 0) - (turn < 0);
  }
  if (turns != 4 && turns != -4) return 0;
  std::array<side, 4> sides;
  for (int32_t k = 0; k < 4; ++k) {
    const cmath_vect& a = q[k];
    const cmath_vect& b = q[(k + 1) % 4];
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    const double turnIn = turns > 0 ? 1 : -1;
    const double nx = -(b.y - a.y) / length * turnIn, ny = (b.x - a.x) / length * turnIn;
    sides[size_t(k)] = side{nx, ny, -(nx * a.x + ny * a.y)};
  }
  claimed_.push_back(sides);
  return 0;
}

bool ccSearchState::insideClaimed(int32_t x, int32_t y) const {
  // A pixel and a half inside all four sides, so that the whole pixel holding the point
  // lies in the quadrilateral, however the mask rounds it.
  constexpr double depth = 1.5;
  return std::any_of(claimed_.begin(), claimed_.end(), [&](const std::array<side, 4>& sides) {
    return std::all_of(sides.begin(), sides.end(),
                       [&](const side& s) { return s.a * x + s.b * y + s.c >= depth; });
  });
}

void ccSearchState::markVisited(int32_t x, int32_t y) {
  if (uint8_t* block = visitBlock(x, y)) *block = 1;
}

ccScanRows::ccScanRows(const cimg_windowConst& window, int32_t spacing, int32_t margin,
                       double minSize, double maxSize, int32_t first)
    : scratch_(new uint64_t[CID2D_SCRATCH_BYTES / sizeof(uint64_t) + 1]) {
  for (int32_t y = first + margin; y < window.height - margin; y += spacing)
    rows_.push_back(window.y0 + y);
  cid2d_trackingParams_init(&params);
  params.scratch = scratch_.get();
  params.scratchBytes = CID2D_SCRATCH_BYTES;
  params.scanPositions = rows_.data();
  params.numScanPositions = int32_t(rows_.size());
  params.minSize = minSize;
  params.maxSize = maxSize;
}
