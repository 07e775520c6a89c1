// Image auto pointers: who constructs and destructs.
#include <gtest/gtest.h>

#include "ci_id/priv/ci_idut/image"
#include "support/hooks.h"

namespace {

bool isBound(const cimg_imageConst* image) {
  int32_t bound = -1;
  cimg_imageConst_getIsBound(image, &bound);
  return bound != 0;
}

TEST(ImageAutoPtr, ConstructsOnlyWhenAskedAndDestructsUnlessReleasedOrUnwinding) {
  leakGuard guard;
  cimg_image a, b;
  cimg_image_construct(&a, CIMG_TYPE_8, 2, 2);
  cimg_image_construct(&b, CIMG_TYPE_8, 2, 2);
  {
    cc_ImageAutoPtr holdsA(&a, false);
    cc_ImageAutoPtr holdsB(&b, false);
    EXPECT_TRUE(isBound(cimg_image_asConst(&a)));  // not constructed again
    holdsA = holdsB;                               // a is no longer held, b is held twice
    holdsB.release();
  }
  EXPECT_TRUE(isBound(cimg_image_asConst(&a)));
  EXPECT_FALSE(isBound(cimg_image_asConst(&b)));
  cimg_image_destruct(&a);

  cimg_image image;
  cimg_imageConst view;
  try {
    cc_ImageAutoPtr held(&image, true);
    cc_ImageConstAutoPtr heldView(&view, true);
    ASSERT_EQ(cimg_image_assignNew(&image, CIMG_TYPE_DOUBLE, 3, 3), 0);
    cimg_imageConst_assign(&view, cimg_image_asConst(&image));
    throw cxException(1, "leaving");
  } catch (const cxException&) {
  }
  EXPECT_FALSE(isBound(cimg_image_asConst(&image)));
  EXPECT_FALSE(isBound(&view));
}

}  // namespace
