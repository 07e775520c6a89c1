// The coarse and fine image manager.
#include <gtest/gtest.h>

#include <cstring>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

TEST(ImageMemoryManager, HandsOutSharedCopiesAndAFailureLeavesNothing) {
  leakGuard guard;
  testImage coarse(40, 30, 7), fine(80, 60, 9);
  const cmath_xformLinear scaled{{2, 0, 0, 2}, {5, -3}}, identity{{1, 0, 0, 1}, {0, 0}};
  for (testImage* image : {&coarse, &fine}) {  // windows off the corner, scaled clients
    ASSERT_EQ(cimg_image_window(image->image(), 7, 5, 20, 10, 0), 0);
    ASSERT_EQ(cimg_image_setLinearClientFromImageXform(image->image(), &scaled), 0);
  }
  ASSERT_EQ(cimg_image_setOrigin(coarse.image(), 100, 200), 0);
  cid2d_imageMemoryManager manager;
  ASSERT_EQ(cid2d_imageMemoryManager_construct(&manager, coarse.constImage(), fine.constImage()),
            0);
  cimg_imageConst handed[2];
  for (cimg_imageConst& image : handed) cimg_imageConst_constructUnbound(&image);
  ASSERT_EQ(cid2d_imageMemoryManager_getCoarseImage(&manager, &handed[0]), 0);
  ASSERT_EQ(cid2d_imageMemoryManager_getFineImage(&manager, 1, &handed[1]), 0);
  for (int32_t i = 0; i < 2; ++i) {
    cimg_windowConst own, callers;
    cmath_xformLinear clientFromImage;
    cimg_windowConst_init(&own, &handed[i]);
    cimg_windowConst_init(&callers, (i ? fine : coarse).constImage());
    cimg_imageConst_getLinearClientFromImageXform(&handed[i], &clientFromImage);
    EXPECT_TRUE(own.x0 == 0 && own.y0 == 0 && own.width == 20 && own.height == 10);
    EXPECT_EQ(own.pixels, callers.pixels);  // the caller's first window pixel, shared
    EXPECT_EQ(std::memcmp(&clientFromImage, &identity, sizeof identity), 0);
    cimg_imageConst_destruct(&handed[i]);
  }
  EXPECT_EQ(cid2d_imageMemoryManager_destruct(&manager), 0);
  cimg_imageConst unbound;
  cimg_imageConst_constructUnbound(&unbound);
  EXPECT_EQ(cid2d_imageMemoryManager_construct(&manager, coarse.constImage(), &unbound),
            CIMG_STATUS_UNBOUND);
  EXPECT_EQ(manager.coarse.buffer, nullptr);
}

}  // namespace
