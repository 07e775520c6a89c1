// The edge-following gate: before a seed is tracked, its edge is followed up and down the
// image in steps of 4 rows; only an edge that continues for more than five points, as a
// finder's solid side does, is handed to the finder.
#include <stdlib.h>

#include <algorithm>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/frame/check.h"
#include "id/idut/locate2d/visit_map.h"

namespace {

constexpr int32_t rowStep = 4;
constexpr int32_t maxSteps = 40;      // up and down together
constexpr int32_t maxOffset = 6;      // columns searched either side of the last point
constexpr int32_t minChain = 6;       // points the edge must reach
constexpr int32_t minEdge = 45;

// The chain of edge points, top to bottom once complete, in the caller's scratch memory.
class ccEdgeChain {
 public:
  ccEdgeChain(void* scratch, uint32_t bytes)
      : points_(static_cast<cid2d_trackingSeed*>(scratch)),
        capacity_(int32_t(bytes / sizeof(cid2d_trackingSeed))) {}

  int32_t size() const { return size_; }
  const cid2d_trackingSeed& last() const { return points_[size_ - 1]; }
  // A new point continues the chain unless it turns too far (cross product of the last
  // step and the new one below 4).
  bool continues(int32_t x, int32_t y) const {
    if (size_ < 2) return true;
    const cid2d_trackingSeed& a = points_[size_ - 2];
    const cid2d_trackingSeed& b = points_[size_ - 1];
    return (b.x - a.x) * (y - b.y) - (b.y - a.y) * (x - b.x) < 4;
  }
  void append(const cid2d_trackingSeed& point) {
    if (size_ < capacity_) points_[size_++] = point;
  }
  void reverse() { std::reverse(points_, points_ + size_); }

 private:
  cid2d_trackingSeed* points_;
  int32_t capacity_;
  int32_t size_ = 0;
};

// Looks for the seed's edge on window row y near column x0; true with the point found.
bool edgeOnRow(const cimg_windowConst& window, const cid2d_trackingSeed& seed,
               const ccEdgeChain& chain, int32_t x0, int32_t y, cid2d_trackingSeed* found) {
  const uint8_t* row = static_cast<const uint8_t*>(window.pixels) + ptrdiff_t(y) * window.stride;
  const int32_t least = std::max(minEdge, seed.strength / 2);
  for (int32_t k = 0; k <= 2 * maxOffset; ++k) {
    const int32_t x = x0 + (k % 2 ? -(k + 1) / 2 : k / 2);  // 0, -1, +1, -2, +2, ...
    if (x - 2 < 0 || x + 3 >= window.width) continue;
    const int32_t a = row[x + 1] + row[x + 2], b = row[x - 1] + row[x];
    const int32_t g = (row[x + 1] + row[x + 2] + row[x + 3]) - (row[x - 2] + row[x - 1] + row[x]);
    const int32_t twiceMean = 2 * seed.meanGrey;
    const bool isEdge = seed.polarity ? a > twiceMean && twiceMean > b && g > least
                                      : a < twiceMean && twiceMean < b && g < -least;
    if (!isEdge || !chain.continues(x, y)) continue;
    *found = cid2d_trackingSeed{x, y, g, (a + b) / 4, seed.scanIndex, seed.polarity,
                                (x + 1) * 256, y * 256, (x - 1) * 256, y * 256};
    return true;
  }
  return false;
}

// Follows the edge in one direction (-1 up, +1 down) for at most `steps` steps; returns
// the step at which it ended.
int32_t followEdge(const cimg_windowConst& window, const cid2d_trackingSeed& seed, int32_t direction,
                   int32_t steps, ccEdgeChain* chain) {
  int32_t misses = 0;
  int32_t n = 1;
  for (; n < steps; ++n) {
    const int32_t y = seed.y + direction * rowStep * n;
    if (y < 0 || y >= window.height) break;
    cid2d_trackingSeed point;
    if (edgeOnRow(window, seed, *chain, chain->last().x, y, &point)) {
      chain->append(point);
    } else if (++misses == 2) {
      break;
    }
  }
  return n;
}

}  // namespace

extern "C" int32_t cf_DcdFindDMSymbolFromSeed(const cimg_imageConst* image,
                                              const cid2d_trackingParams* params,
                                              const cid2d_trackingSeed* seed,
                                              const cbt_runParams* runParams,
                                              cimg_image* visitMap, const cid_mask* mask,
                                              int32_t reserved,
                                              const cmath_xformLinear* maskXform,
                                              cid2d_trackingResult* result) {
  CIDUT_CHECK(image && params && seed && visitMap && params->scratch);
  CIDUT_CHECK(params->scratchBytes >= sizeof(cid2d_trackingSeed));
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, image); status < 0) return status;
  ccEdgeChain chain(params->scratch, params->scratchBytes);
  chain.append(*seed);
  const int32_t upSteps = followEdge(window, *seed, -1, maxSteps, &chain);
  chain.reverse();
  followEdge(window, *seed, +1, maxSteps - upSteps, &chain);
  if (chain.size() < minChain) return 0;
  ccVisitMap visits;
  if (const int32_t status = visits.open(visitMap); status < 0) return status;
  visits.set(seed->x >> 2, seed->y >> 2, 0);
  return cf_BndFindDMSymbolFromSeed(image, params, seed, runParams, visitMap, mask, reserved,
                                    maskXform, result);
}
