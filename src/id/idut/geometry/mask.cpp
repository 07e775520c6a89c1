// Region masks: construction and the changes to the claimed regions, which keep the list
// and the painted mask image in step.
#include <algorithm>
#include <cmath>

#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"
#include "kit/draw.h"
#include "kit/pel.h"

namespace {

// Changes the mask pixels of the region's rectangle, grown by margin (client units), from
// the value from to the value to.
int32_t paintRegion(cid_mask* mask, const cid_region& region, double margin, uint8_t from,
                    uint8_t to) {
  cmath_xformLinear imageFromClient;
  if (const int32_t status =
          cimg_image_getLinearImageFromClientXform(&mask->image, &imageFromClient);
      status < 0)
    return status;
  cid_region mapped;
  if (const int32_t status = cid_region_initMap(&mapped, &imageFromClient, &region); status < 0)
    return status;
  cmath_shapeAffineRect rect;
  if (const int32_t status = cid_region_getAffineRect(&mapped, &rect); status < 0) return status;
  cmath_shapeAffineRectCenter centred;
  if (const int32_t status = cmath_shapeAffineRect_getCenter(&rect, &centred); status < 0)
    return status;
  double determinant;
  if (const int32_t status = cmath_matrix_getDeterminant(&imageFromClient.matrix, &determinant);
      status < 0)
    return status;
  // The margin in pixels; a negative one shrinks, but no side below zero.
  const double grow = std::sqrt(std::fabs(determinant)) * margin;
  centred.xLength = std::max(0.0, centred.xLength + grow);
  centred.yLength = std::max(0.0, centred.yLength + grow);
  const cstd_rect32 placement{mask->window.x0, mask->window.y0, mask->window.width,
                              mask->window.height};

  ccCleanupFrame<1> frame;
  cimg_image target;
  if (frame.failed(cimg_image_constructCopy(&target, &mask->image))) return frame.exit();
  frame.holdObject<cimg_image_destruct>(&target);
  frame.failed(cdraw_rasterize_rotatedRectangle_forID(&centred, &placement, from, to, &target));
  return frame.exit();
}

// The list position of index (-1: the last region), which must name a region.
int32_t positionOf(const cid_mask& mask, int32_t index, int32_t* position) {
  int32_t count;
  if (const int32_t status = cstd_vector_cid_region_getSize(&mask.regions, &count); status < 0)
    return status;
  *position = index == -1 ? count - 1 : index;
  CIDUT_CHECK(*position >= 0 && *position < count);
  return 0;
}

}  // namespace

extern "C" int32_t cid_mask_construct(cid_mask* mask, const cimg_image* source) {
  CIDUT_CHECK(mask != nullptr);
  mask->clearValue = 255;
  mask->claimedValue = 0;
  mask->hasImage = 0;
  mask->testCentre = 1;
  mask->testSame = 1;
  mask->window = cimg_window{};

  ccCleanupFrame<2> frame;
  if (frame.failed(cstd_vector_cid_region_constructEmpty(&mask->regions))) return frame.exit();
  frame.holdOutput<cstd_vector_cid_region_destruct>(&mask->regions);
  if (source == nullptr) {
    frame.failed(cimg_image_constructUnbound(&mask->image));
    return frame.exit();
  }

  cstd_rect32 area;
  if (frame.failed(cimg_image_getWindow(source, &area))) return frame.exit();
  if (frame.failed(cimg_image_constructRect(&mask->image, CIMG_TYPE_8, &area))) return frame.exit();
  frame.holdOutput<cimg_image_destruct>(&mask->image);
  int32_t clipped = 0;
  if (frame.failed(cimg_window_initWindow(&mask->window, &mask->image, &area, &clipped)))
    return frame.exit();
  CIDUT_CHECK(clipped == 0);
  if (frame.failed(cip_pelSet8(&mask->window, mask->clearValue))) return frame.exit();
  cmath_xformLinear imageFromClient;
  if (frame.failed(cimg_imageConst_getLinearImageFromClientXform(cimg_image_asConst(source),
                                                                 &imageFromClient)))
    return frame.exit();
  if (frame.failed(cimg_image_setLinearImageFromClientXform(&mask->image, &imageFromClient)))
    return frame.exit();
  mask->hasImage = 1;
  return frame.exit();
}

extern "C" int32_t cid_mask_destruct(cid_mask* mask) {
  CIDUT_CHECK(mask != nullptr);
  if (const int32_t status = cstd_vector_cid_region_destruct(&mask->regions); status < 0)
    return status;
  if (const int32_t status = cimg_image_destruct(&mask->image); status < 0) return status;
  mask->hasImage = 0;
  return 0;
}

extern "C" int32_t cid_mask_appendRegion(cid_mask* mask, const cid_region* region, double margin) {
  CIDUT_CHECK(region != nullptr);
  if (mask == nullptr) return 0;
  if (const int32_t status = cstd_vector_cid_region_pushBack(&mask->regions, region); status < 0)
    return status;
  if (!mask->hasImage) return 0;
  return paintRegion(mask, *region, margin, mask->clearValue, mask->claimedValue);
}

extern "C" int32_t cid_mask_removeRegion(cid_mask* mask, int32_t index, double margin) {
  if (mask == nullptr) return 0;
  int32_t position;
  if (const int32_t status = positionOf(*mask, index, &position); status < 0) return status;
  const cid_region* stored;
  if (const int32_t status =
          cstd_vector_cid_region_getElementConst(&mask->regions, position, &stored);
      status < 0)
    return status;
  const cid_region removed = *stored;
  const int32_t status = index == -1
                             ? cstd_vector_cid_region_popBack(&mask->regions)
                             : cstd_vector_cid_region_eraseElement(&mask->regions, position);
  if (status < 0) return status;
  if (!mask->hasImage) return 0;
  return paintRegion(mask, removed, margin, mask->claimedValue, mask->clearValue);
}

extern "C" int32_t cid_mask_updateRegion(cid_mask* mask, int32_t index, const cid_region* region,
                                         double margin) {
  CIDUT_CHECK(region != nullptr);
  if (mask == nullptr) return 0;
  int32_t position;
  if (const int32_t status = positionOf(*mask, index, &position); status < 0) return status;
  cid_region* stored;
  if (const int32_t status = cstd_vector_cid_region_getElement(&mask->regions, position, &stored);
      status < 0)
    return status;
  const cid_region old = *stored;
  *stored = *region;
  if (!mask->hasImage) return 0;
  if (const int32_t status = paintRegion(mask, old, margin, mask->claimedValue, mask->clearValue);
      status < 0)
    return status;
  return paintRegion(mask, *region, margin, mask->clearValue, mask->claimedValue);
}

CIDUT_DEFINE_TYPE_CHECKS(cid_mask)
