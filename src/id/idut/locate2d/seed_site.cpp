// What the finders from a seed share around it.
#include "id/idut/locate2d/seed_site.h"

#include <algorithm>

int32_t cid2d_openSeedSite(const cimg_imageConst* image, cimg_image* visitMap,
                           const cid_mask* mask, const cmath_xformLinear* maskXform,
                           const cid2d_trackingSeed& seed, cid2d_seedSite* site, bool* isFree) {
  *isFree = false;
  if (const int32_t status = cimg_windowConst_init(&site->window, image); status < 0) return status;
  if (const int32_t status = site->visits.open(visitMap); status < 0) return status;
  if (const int32_t status =
          cimg_imageConst_getLinearClientFromImageXform(image, &site->clientFromImage);
      status < 0)
    return status;
  cmath_vect point{double(seed.x + site->window.x0), double(seed.y + site->window.y0)};
  cmath_xformLinear_mapPoint(&site->clientFromImage, &point, &point);
  int32_t claimed = 0;
  if (const int32_t status = cid_mask_isPointUnMasked(mask, &point, maskXform, &claimed);
      status < 0)
    return status;
  *isFree = !claimed && site->visits.at(seed.x >> 2, seed.y >> 2) == 0;
  return 0;
}

int32_t cid2d_searchRunParams(const cid2d_trackingParams& params, cbt_runParams* run) {
  if (const int32_t status = cbt_runParams_init(run); status < 0) return status;
  run->interpolate = 1;
  run->followOpen = 1;
  run->minPoints = 0;
  run->maxPoints = params.maxBoundaryPoints;
  return 0;
}

cbt_runParams cid2d_seedRunParams(const cbt_runParams& base, const cid2d_trackingSeed& seed,
                                  const cid2d_trackingParams& params) {
  cbt_runParams run = base;
  run.polarity = seed.polarity;
  run.startX = seed.startX;
  run.startY = seed.startY;
  run.endX = seed.endX;
  run.endY = seed.endY;
  run.level = seed.meanGrey;
  run.maxPoints = std::min(params.maxBoundaryPoints, cid2d_contourBuffers::maxContourPoints);
  return run;
}

int32_t cid2d_takeContour(const cbt_result& boundary, cid2d_point* contour) {
  const int32_t count = std::min(boundary.numPoints, cid2d_contourBuffers::maxContourPoints);
  for (int32_t i = 0; i < count; ++i)
    contour[i] = cid2d_point{(boundary.points[i].x + 128) >> 4, (boundary.points[i].y + 128) >> 4};
  return count;
}

int32_t cid2d_smoothingSpan(int32_t w, int32_t h, const cid2d_trackingParams& params) {
  const int32_t d = std::max({32, params.symbolRows, params.symbolCols});
  return std::min(25, std::max(std::min(w, h) / d, int32_t(params.minSmoothing)));
}

bool cid2d_contourSizeFits(const cid2d_point* contour, int32_t n, const cimg_windowConst& window,
                           const cid2d_trackingParams& params, int32_t maxAspect, int32_t* w,
                           int32_t* h) {
  const cid2d_box box = cid2d_boundingBox(contour, n);
  *w = (box.maxX - box.minX) >> 4;
  *h = (box.maxY - box.minY) >> 4;
  const int32_t longer = std::max(*w, *h), shorter = std::min(*w, *h);
  return longer >= params.minSize && longer <= params.maxSize && *w < window.width - 1 &&
         *h < window.height - 1 && shorter >= params.minSize && maxAspect * *w >= *h &&
         maxAspect * *h >= *w;
}
