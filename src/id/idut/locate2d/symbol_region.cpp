// The last stages of the finders from a seed.
#include "id/idut/locate2d/symbol_region.h"

#include <utility>

#include "ci_id/priv/ci_idut/geometry.h"

int32_t cid2d_storeSymbolRect(const cid2d_seedSite& site, const cid2d_symbolCorners& corners,
                              int32_t fourthCornerInferred, int32_t score,
                              const cid2d_trackingSeed& seed, cid2d_trackingResult* result) {
  cid2d_symbolCorners c = corners;
  for (cmath_vect* p : {&c.corner, &c.side1, &c.side2, &c.fourth})
    cmath_xformLinear_mapPoint(&site.clientFromImage, p, p);
  cmath_vect d1, d2;
  double cross;
  cmath_vect_initSubtract(&d1, &c.side1, &c.corner);
  cmath_vect_initSubtract(&d2, &c.side2, &c.corner);
  cmath_vect_cross(&d1, &d2, &cross);
  if (cross > 0) std::swap(c.side1, c.side2);
  const cmath_vect points[3] = {c.corner, c.side1, c.side2};
  if (const int32_t status = cmath_shapeAffineRect_initPoints(&result->rect, points); status < 0)
    return status;
  result->fourthCorner = c.fourth;
  result->fourthCornerInferred = fourthCornerInferred;
  result->score = score;
  result->threshold = uint8_t(seed.meanGrey);
  return 0;
}

int32_t cid2d_testSymbolRegion(const cimg_imageConst* image, const cid_mask* mask,
                               const cmath_xformLinear* maskXform,
                               const cid2d_trackingParams& params, cid2d_trackingResult* result) {
  result->scoreRange = 1000;
  cid_region region;
  if (const int32_t status = cid_region_initAffineRect(&region, &result->rect, nullptr); status < 0)
    return status;
  cmath_xformLinear imageFromClient;
  cstd_rect32 enclosing, imageWindow;
  if (const int32_t status = cimg_imageConst_getLinearImageFromClientXform(image, &imageFromClient);
      status < 0)
    return status;
  if (const int32_t status =
          cmath_shapeAffineRect_getEncloseImageRect(&result->rect, &imageFromClient, &enclosing);
      status < 0)
    return status;
  int32_t claimed = 0;
  if (const int32_t status = cid_mask_isRegionUnMasked(mask, &region, maskXform, 5.0, &claimed);
      status < 0)
    return status;
  if (claimed) return 0;
  int32_t inside = 0;
  if (const int32_t status = cimg_imageConst_getWindow(image, &imageWindow); status < 0)
    return status;
  if (const int32_t status = cstd_rect32_containsRect(&imageWindow, &enclosing, &inside);
      status < 0)
    return status;
  result->found = inside;
  result->foundScanIndex = params.startScanIndex;
  return 0;
}
