// Image auto pointers: who constructs and destructs, and what a failing destruct throws.
#include <gtest/gtest.h>

#include "ci_id/priv/ci_idut/image"
#include "support/hooks.h"

namespace {

constexpr int32_t freeFailure = static_cast<int32_t>(0x80004321u);
int32_t failingFree(void** block) {
  csys_memory_free_internal(block);
  return freeFailure;
}

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
    cc_ImageConstAutoPtr nothing(nullptr, true);
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

TEST(ImageAutoPtr, FailingDestructThrowsWithTheHeaderLine) {
  leakGuard guard;
  cimg_image image;
  cimg_imageConst view;
  for (bool viaConst : {false, true}) {
    ASSERT_EQ(cimg_image_constructCustomAllocFunc(&image, CIMG_TYPE_8, 2, 2,
                                                  csys_memory_alloc_internal, failingFree),
              0);
    try {
      if (viaConst) {
        cimg_imageConst_constructCopy(&view, cimg_image_asConst(&image));
        cimg_image_destruct(&image);
        cc_ImageConstAutoPtr held(&view, false);
      } else {
        cc_ImageAutoPtr held(&image, false);
      }
      ADD_FAILURE() << "no exception";
    } catch (const cxException& e) {
      EXPECT_EQ(e.status(), freeFailure);
      EXPECT_STREQ(e.file(), "defs/ci_id/priv/ci_idut/image");
      EXPECT_EQ(e.line(), viaConst ? 44 : 28);
    }
  }
}

}  // namespace
