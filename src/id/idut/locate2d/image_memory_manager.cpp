// The coarse and fine images of a search: constant copies sharing the caller's pixels,
// each addressed in its own pixels (identity client transform, window at (0, 0)).
#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"

extern "C" int32_t cid2d_imageMemoryManager_construct(cid2d_imageMemoryManager* manager,
                                                      const cimg_imageConst* coarseImage,
                                                      const cimg_imageConst* fineImage) {
  CIDUT_CHECK(manager && coarseImage && fineImage);
  ccCleanupFrame<2> frame;
  if (frame.failed(cimg_imageConst_constructCopy(&manager->coarse, coarseImage)))
    return frame.exit();
  frame.holdOutput<cimg_imageConst_destruct>(&manager->coarse);
  if (frame.failed(cimg_imageConst_constructCopy(&manager->fine, fineImage))) return frame.exit();
  frame.holdOutput<cimg_imageConst_destruct>(&manager->fine);
  // Client coordinates become image coordinates, and the caller's window starts at (0, 0)
  // wherever it lay in its image.
  cmath_xformLinear identity;
  cmath_xformLinear_initIdentity(&identity);
  if (frame.failed(cimg_imageConst_setLinearClientFromImageXform(&manager->coarse, &identity)) ||
      frame.failed(cimg_imageConst_setLinearClientFromImageXform(&manager->fine, &identity)) ||
      frame.failed(cimg_imageConst_setWindowOrigin(&manager->coarse, 0, 0)) ||
      frame.failed(cimg_imageConst_setWindowOrigin(&manager->fine, 0, 0)))
    return frame.exit();
  cimg_imageConst_constructUnbound(&manager->coarseAux);
  cimg_imageConst_constructUnbound(&manager->fineAux);
  manager->coarseAuxState = 0;
  manager->fineAuxState = 0;
  manager->auxState = 0;
  return frame.exit();
}

extern "C" int32_t cid2d_imageMemoryManager_destruct(cid2d_imageMemoryManager* manager) {
  CIDUT_CHECK(manager != nullptr);
  for (cimg_imageConst* image :
       {&manager->coarse, &manager->coarseAux, &manager->fine, &manager->fineAux}) {
    if (const int32_t status = cimg_imageConst_destruct(image); status < 0) return status;
  }
  return 0;
}

extern "C" int32_t cid2d_imageMemoryManager_getCoarseImage(const cid2d_imageMemoryManager* manager,
                                                           cimg_imageConst* image) {
  CIDUT_CHECK(manager && image);
  return cimg_imageConst_assign(image, &manager->coarse);
}

extern "C" int32_t cid2d_imageMemoryManager_getFineImage(const cid2d_imageMemoryManager* manager,
                                                         int32_t /*ignored*/,
                                                         cimg_imageConst* image) {
  CIDUT_CHECK(manager && image);
  return cimg_imageConst_assign(image, &manager->fine);
}

CIDUT_DEFINE_TYPE_CHECKS(cid2d_imageMemoryManager)
