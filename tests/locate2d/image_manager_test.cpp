// The coarse and fine image manager: copies addressed in their own pixels, sharing the
// caller's, and nothing left behind by a failed construction.
#include <gtest/gtest.h>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

// A handle's window and its first pixel's address.
struct windowView {
  cstd_rect32 rect;
  const void* first;
};
windowView viewOf(const cimg_imageConst* image) {
  windowView view{};
  cimg_windowConst window;
  EXPECT_EQ(cimg_imageConst_getWindow(image, &view.rect), 0);
  EXPECT_EQ(cimg_windowConst_init(&window, image), 0);
  view.first = window.pixels;
  return view;
}

TEST(ImageMemoryManager, HandsOutCopiesAddressedInTheirOwnPixels) {
  leakGuard guard;
  testImage coarse(40, 30, 7), fine(80, 60, 9);
  // Windows off the images' corners, origins moved, a client transform that scales.
  ASSERT_EQ(cimg_image_window(coarse.image(), 7, 5, 20, 10, 0), 0);
  ASSERT_EQ(cimg_image_setOrigin(coarse.image(), 100, 200), 0);
  ASSERT_EQ(cimg_image_window(fine.image(), 3, 4, 50, 40, 0), 0);
  cmath_xformLinear scaled;
  cmath_matrix twice;
  const cmath_vect shift{5, -3};
  cmath_matrix_init(&twice, 2, 0, 0, 2);
  cmath_xformLinear_initMatrixTrans(&scaled, &twice, &shift);
  ASSERT_EQ(cimg_image_setLinearClientFromImageXform(coarse.image(), &scaled), 0);
  ASSERT_EQ(cimg_image_setLinearClientFromImageXform(fine.image(), &scaled), 0);

  cid2d_imageMemoryManager manager;
  ASSERT_EQ(cid2d_imageMemoryManager_construct(&manager, coarse.constImage(), fine.constImage()),
            0);
  cimg_imageConst handed[2];
  cimg_imageConst_constructUnbound(&handed[0]);
  cimg_imageConst_constructUnbound(&handed[1]);
  ASSERT_EQ(cid2d_imageMemoryManager_getCoarseImage(&manager, &handed[0]), 0);
  ASSERT_EQ(cid2d_imageMemoryManager_getFineImage(&manager, 123, &handed[1]), 0);
  const testImage* callers[2] = {&coarse, &fine};
  for (int32_t i = 0; i < 2; ++i) {
    const windowView view = viewOf(&handed[i]), caller = viewOf(callers[i]->constImage());
    EXPECT_EQ(view.rect.x, 0);
    EXPECT_EQ(view.rect.y, 0);
    EXPECT_EQ(view.rect.width, caller.rect.width);
    EXPECT_EQ(view.rect.height, caller.rect.height);
    EXPECT_EQ(view.first, caller.first);  // the same pixels, not a copy of them
    cmath_xformLinear clientFromImage;
    cimg_imageConst_getLinearClientFromImageXform(&handed[i], &clientFromImage);
    EXPECT_EQ(clientFromImage.matrix.xx, 1.0);
    EXPECT_EQ(clientFromImage.matrix.yy, 1.0);
    EXPECT_EQ(clientFromImage.translation.x, 0.0);
    EXPECT_EQ(clientFromImage.translation.y, 0.0);
  }
  int32_t bound = -1;
  cimg_imageConst_getIsBound(&manager.coarseAux, &bound);
  EXPECT_EQ(bound, 0);
  EXPECT_EQ(manager.coarseAuxState + manager.fineAuxState + manager.auxState, 0);
  // The caller's own handles are not changed.
  EXPECT_EQ(viewOf(coarse.constImage()).rect.x, 107);

  ASSERT_EQ(cid2d_imageMemoryManager_destruct(&manager), 0);
  cimg_imageConst_destruct(&handed[0]);
  cimg_imageConst_destruct(&handed[1]);
}

TEST(ImageMemoryManager, AFailedConstructionLeavesNothingBehind) {
  leakGuard guard;  // pixels still referenced by the manager would stay allocated
  testImage coarse(40, 30, 7);
  cimg_imageConst unbound;
  cimg_imageConst_constructUnbound(&unbound);
  cid2d_imageMemoryManager manager;
  EXPECT_EQ(cid2d_imageMemoryManager_construct(&manager, coarse.constImage(), &unbound),
            CIMG_STATUS_UNBOUND);
  int32_t bound = -1;
  cimg_imageConst_getIsBound(&manager.coarse, &bound);
  EXPECT_EQ(bound, 0);
  // The copies share pixels: construction allocates nothing that could fail.
  EXPECT_EQ(driveAllocationFailures([&] {
              const int32_t status = cid2d_imageMemoryManager_construct(
                  &manager, coarse.constImage(), coarse.constImage());
              return status < 0 ? status : cid2d_imageMemoryManager_destruct(&manager);
            }),
            0);
}

}  // namespace
