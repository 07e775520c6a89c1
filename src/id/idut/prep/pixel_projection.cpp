// The normalised projection of an affine rectangle of an image onto its x side, cut to the
// bins that the image covers.
#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"
#include "kit/affine.h"

extern "C" int32_t cidut_ip_project8(const cimg_imageConst* source,
                                     const cmath_shapeAffineRect* rect, int32_t* count,
                                     cimg_image* destination) {
  CIDUT_CHECK(source != nullptr && rect != nullptr && count != nullptr && destination != nullptr);
  ccCleanupFrame<1> frame;
  cimg_image projection;
  cimg_image_constructUnbound(&projection);
  frame.holdObject<cimg_image_destruct>(&projection);
  int32_t bins = 0, first = 0, last = 0;
  const int32_t status =
      cip_affineProjectNorm(source, &projection, rect, 1, 0, &bins, &first, &last);
  // A rectangle beside the image projects nothing, which is no failure.
  if (status == CIP_STATUS_OUTSIDE_IMAGE || frame.failed(status) || first == last)
    return frame.exit();
  if (frame.failed(cimg_image_window(&projection, first, 0, last - first, 1, 0)) ||
      frame.failed(cimg_image_assign(destination, &projection)))
    return frame.exit();
  *count = bins;
  return frame.exit();
}
