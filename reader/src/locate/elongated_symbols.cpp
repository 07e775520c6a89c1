// Symbols longer than the DataMatrix finder takes, found as the smallest rectangle around
// a tracked contour: a symbol's clock modules reach out to its sides and its L lines two
// of them, so the contour's convex hull is the symbol's outline.
#include "elongated_symbols.h"

#include <algorithm>
#include <cmath>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "contour_hull.h"
#include "kit/bt.h"
#include "quadrilateral.h"
#include "row_search.h"
#include "search_state.h"

namespace {

// The smallest long symbol, 8 x 48 modules, at the smallest module the reader samples.
constexpr double minModule = 1.5;  // pixels
constexpr double minWidth = 8 * minModule;
constexpr double minLength = 48 * minModule;
constexpr double minAspect = 4.5;  // the finder takes up to 5; perspective eats some
constexpr int32_t minPoints = 60;  // contour points of the smallest symbol worth trying
constexpr int32_t maxSeeds = 4096;
// Longest contour followed: an 8 x 144 symbol of 3-pixel modules, its inner module edges
// included. Longer contours wander through texture and are cut short.
constexpr int32_t maxContourPoints = 6000;
// Contour points followed per image at most: seeds are taken strongest first, and only
// on edges that run on through their neighbouring rows, so a symbol's edges come before
// the texture's.
constexpr int32_t pointBudget = 20000;

using point = idread_hullPoint;

// The smallest-area rectangle around a convex hull: one of its sides lies on a hull edge.
// false for a hull of fewer than three points.
bool smallestRectangle(const std::vector<point>& hull, std::array<point, 4>* corners) {
  if (hull.size() < 3) return false;
  double best = INFINITY;
  for (size_t i = 0; i < hull.size(); ++i) {
    const point& a = hull[i];
    const point& b = hull[(i + 1) % hull.size()];
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    if (length == 0) continue;
    const point u{(b.x - a.x) / length, (b.y - a.y) / length}, v{-u.y, u.x};
    double minU = INFINITY, maxU = -INFINITY, minV = INFINITY, maxV = -INFINITY;
    for (const point& p : hull) {
      const double pu = p.x * u.x + p.y * u.y, pv = p.x * v.x + p.y * v.y;
      minU = std::min(minU, pu), maxU = std::max(maxU, pu);
      minV = std::min(minV, pv), maxV = std::max(maxV, pv);
    }
    const double area = (maxU - minU) * (maxV - minV);
    if (area >= best) continue;
    best = area;
    auto at = [&](double pu, double pv) { return point{pu * u.x + pv * v.x, pu * u.y + pv * v.y}; };
    *corners = {at(minU, minV), at(maxU, minV), at(maxU, maxV), at(minU, maxV)};
  }
  return best < INFINITY;
}

// Blocks of 4 x 4 window pixels that a tracked contour passed through: seeds there lie on
// a contour tracked already.
class ccTrackedBlocks {
 public:
  ccTrackedBlocks(int32_t width, int32_t height)
      : columns_((width + 3) / 4), marks_(size_t(columns_) * ((height + 3) / 4)) {}
  bool marked(int32_t x, int32_t y) const { return marks_[index(x, y)]; }
  void mark(int32_t x, int32_t y) { marks_[index(x, y)] = 1; }

 private:
  size_t index(int32_t x, int32_t y) const { return size_t(y >> 2) * columns_ + (x >> 2); }
  int32_t columns_;
  std::vector<uint8_t> marks_;
};

}  // namespace

int32_t idread_locateElongated(const cimg_image* image, const idread_locateOptions& options,
                               std::vector<std::array<cmath_vect, 4>>* rectangles) {
  const cimg_imageConst* source = cimg_image_asConst(image);
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, source); status < 0) return status;
  cmath_xformLinear clientFromImage;
  if (const int32_t status = cimg_imageConst_getLinearClientFromImageXform(source, &clientFromImage);
      status < 0)
    return status;
  const ccScanRows scan(window, options.rowSpacing, 0, options.minSize, options.maxSize,
                        options.firstScanRow());
  std::vector<cid2d_trackingSeed> seeds(maxSeeds);
  int32_t numSeeds = 0;
  if (const int32_t status = cid2d_getHorizontalTrackingSeeds(
          source, scan.params.scanPositions, scan.params.numScanPositions, maxSeeds,
          idread_rowEdgeStrength, 1, seeds.data(), &numSeeds, 0, 0.0);
      status < 0)
    return status;
  cbt_runParams run;
  if (const int32_t status = cbt_runParams_init(&run); status < 0) return status;
  const size_t first = rectangles->size();
  cbt_result contour;
  if (const int32_t status = cbt_result_construct(&contour, 0); status < 0) return status;
  run.maxPoints = maxContourPoints;
  ccTrackedBlocks tracked(window.width, window.height);
  int32_t status = 0, budget = pointBudget;
  for (int32_t i = 0; i < numSeeds && status >= 0 && budget > 0; ++i) {
    const cid2d_trackingSeed& seed = seeds[size_t(i)];
    if (tracked.marked(seed.x, seed.y) || !idread_isCoherentEdge(window, seed)) continue;
    run.polarity = seed.polarity;
    run.startX = seed.startX, run.startY = seed.startY;
    run.endX = seed.endX, run.endY = seed.endY;
    run.level = seed.meanGrey;
    status = cbt_boundaryTrack(source, &run, &contour);
    if (status == CBT_STATUS_NO_BOUNDARY) {
      status = 0;
      continue;
    }
    if (status < 0 || !(contour.flags & CBT_FLAG_USABLE) || contour.numPoints == 0) continue;
    budget -= contour.numPoints;
    // Tracker points: window pixels x 256, pixel centres on whole numbers.
    for (int32_t k = 0; k < contour.numPoints; ++k) {
      const cbt_point& p = contour.points[k];
      tracked.mark(std::clamp((p.x + 128) >> 8, 0, window.width - 1),
                   std::clamp((p.y + 128) >> 8, 0, window.height - 1));
    }
    if (contour.numPoints < minPoints || (contour.flags & CBT_FLAG_REJECTED)) continue;
    std::array<point, 4> corners;
    if (!smallestRectangle(idread_contourHull(contour), &corners)) continue;
    const double width = std::hypot(corners[1].x - corners[0].x, corners[1].y - corners[0].y);
    const double height = std::hypot(corners[3].x - corners[0].x, corners[3].y - corners[0].y);
    const double shorter = std::min(width, height), longer = std::max(width, height);
    if (shorter < minWidth || longer < minLength || longer < minAspect * shorter ||
        longer > options.maxSize)
      continue;
    std::array<cmath_vect, 4> rectangle;
    for (int32_t k = 0; k < 4; ++k) {
      cmath_vect p{corners[size_t(k)].x + window.x0, corners[size_t(k)].y + window.y0};
      cmath_xformLinear_mapPoint(&clientFromImage, &p, &rectangle[size_t(k)]);
    }
    // A symbol's outline tracked again at another level, or a long blob inside it, adds
    // nothing: the first (strongest) find stays.
    const cmath_vect centre{(rectangle[0].x + rectangle[2].x) / 2,
                            (rectangle[0].y + rectangle[2].y) / 2};
    if (std::none_of(rectangles->begin() + ptrdiff_t(first), rectangles->end(),
                     [&](const auto& r) { return idread_isInsideQuadrilateral(centre, r.data()); }))
      rectangles->push_back(rectangle);
  }
  cbt_result_destruct(&contour);
  return status;
}
