// Kit images: shared buffers, windows, origins, transforms, failures.
#include "kit/image.h"

#include <gtest/gtest.h>

#include <array>

#include "support/hooks.h"

namespace {

using box = std::array<int32_t, 4>;  // x, y, width, height

box windowOf(const cimg_image& image) {
  cstd_rect32 r{};
  EXPECT_EQ(cimg_image_getWindow(&image, &r), 0);
  return {r.x, r.y, r.width, r.height};
}

cimg_window recordOf(const cimg_image& image) {
  cimg_window w{};
  EXPECT_EQ(cimg_window_init(&w, &image), 0);
  return w;
}

// A caller's allocator that counts its blocks and makes its free fail.
int customBlocks = 0;
constexpr int32_t customFreeStatus = static_cast<int32_t>(0x80001234u);
int32_t customAlloc(size_t bytes, void** block) {
  const int32_t status = csys_memory_alloc_internal(bytes, block);
  customBlocks += status >= 0;
  return status;
}
int32_t customFree(void** block) {
  csys_memory_free_internal(block);
  --customBlocks;
  return customFreeStatus;
}

TEST(KitImage, CopiesSharePixelsAndTheLastHandleFreesThem) {
  leakGuard guard;
  const int64_t before = csys_memory_getLiveBlocks();
  cimg_image a, b;
  cimg_imageConst alias;
  ASSERT_EQ(cimg_image_construct(&a, CIMG_TYPE_8, 5, 3), 0);
  cimg_image_constructCopy(&b, &a);
  cimg_imageConst_constructUnbound(&alias);
  int32_t aliased = -1;
  ASSERT_EQ(cimg_imageConst_aliasToFastMem(cimg_image_asConst(&b), &alias, &aliased), 0);
  EXPECT_EQ(csys_memory_getLiveBlocks(), before + 2);  // one buffer header, one pixel block
  cimg_window wa = recordOf(a);
  cimg_windowConst wc;
  ASSERT_EQ(cimg_windowConst_init(&wc, &alias), 0);
  cimg_window_row<uint8_t>(&wa, 2)[4] = 77;
  EXPECT_EQ(cimg_image_destruct(&a), 0);
  EXPECT_EQ(cimg_image_destruct(&a), 0);  // a second destruct does nothing
  EXPECT_EQ(cimg_image_assign(&b, &a), 0);
  EXPECT_EQ(cimg_windowConst_row<uint8_t>(&wc, 2)[4], 77);  // the alias still holds them
  EXPECT_EQ(cimg_imageConst_destruct(&alias), 0);
  EXPECT_EQ(csys_memory_getLiveBlocks(), before);

  // A caller's free runs once, with the last handle, and its status is passed on.
  ASSERT_EQ(cimg_image_constructCustomAllocFunc(&a, CIMG_TYPE_8, 9, 2, customAlloc, customFree), 0);
  cimg_image_constructCopy(&b, &a);
  EXPECT_EQ(cimg_image_destruct(&a), 0);
  EXPECT_EQ(customBlocks, 1);
  EXPECT_EQ(cimg_image_destruct(&b), customFreeStatus);
  EXPECT_EQ(customBlocks, 0);
}

TEST(KitImage, WindowsAddressPixelsOfEveryTypeAndStayInside) {
  leakGuard guard;
  for (int32_t type : {CIMG_TYPE_8, CIMG_TYPE_32, CIMG_TYPE_DOUBLE}) {
    cimg_image image;
    ASSERT_EQ(cimg_image_construct(&image, type, 10, 8), 0);
    const cimg_window whole = recordOf(image);
    EXPECT_EQ(whole.stride * type % 16, 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(whole.pixels) % 64, 0u);
    ASSERT_EQ(cimg_image_window(&image, 1, 1, 3, 2, 0), 0);
    ASSERT_EQ(cimg_image_window(&image, 1, 1, 2, 1, 0), 0);  // relative to the last window
    EXPECT_EQ(windowOf(image), (box{2, 2, 2, 1}));
    EXPECT_EQ(recordOf(image).pixels,
              static_cast<char*>(whole.pixels) + (2 * whole.stride + 2) * type);
    EXPECT_EQ(cimg_image_window(&image, -2, -2, 10, 8, 0), 0);  // past the window, not the image
    EXPECT_EQ(cimg_image_window(&image, 1, 0, 10, 1, 0), CIMG_STATUS_BAD_SIZE);
    EXPECT_EQ(windowOf(image), (box{0, 0, 10, 8}));

    // Rectangles are clipped to the image; a window record leaves the image's window.
    const cstd_rect32 rects[] = {{1, 2, 3, 4}, {-3, 6, 20, 5}, {12, -5, 4, 4}, {3, 3, -2, 2}};
    const box clippedTo[] = {{1, 2, 3, 4}, {0, 6, 10, 2}, {10, 0, 0, 0}, {3, 3, 0, 2}};
    for (int i = 0; i < 4; ++i) {
      int32_t clipped = -1;
      cimg_window w;
      ASSERT_EQ(cimg_window_initWindow(&w, &image, &rects[i], &clipped), 0);
      EXPECT_EQ((box{w.x0, w.y0, w.width, w.height}), clippedTo[i]);
      EXPECT_EQ(clipped, i > 0);
      EXPECT_EQ(windowOf(image), (box{0, 0, 10, 8}));
      ASSERT_EQ(cimg_image_setWindowRect(&image, &rects[i], &clipped), 0);
      EXPECT_EQ(windowOf(image), clippedTo[i]);
      ASSERT_EQ(cimg_image_setEntire(&image), 0);
    }
    cimg_image_destruct(&image);
  }
}

TEST(KitImage, OriginsAndBadSizes) {
  leakGuard guard;
  cimg_image image;
  const cstd_rect32 rect{-4, 7, 6, 5};
  ASSERT_EQ(cimg_image_constructRect(&image, CIMG_TYPE_32, &rect), 0);
  ASSERT_EQ(cimg_image_window(&image, 2, 1, 3, 3, 0), 0);
  const void* windowPixel = recordOf(image).pixels;
  ASSERT_EQ(cimg_image_setOrigin(&image, 100, 200), 0);  // the window keeps its pixels
  EXPECT_EQ(windowOf(image), (box{102, 201, 3, 3}));
  ASSERT_EQ(cimg_image_setWindowOrigin(&image, 0, 0), 0);
  EXPECT_EQ(windowOf(image), (box{0, 0, 3, 3}));
  EXPECT_EQ(recordOf(image).pixels, windowPixel);
  // Image coordinates of every pixel fit in 32 bits.
  EXPECT_EQ(cimg_image_setOrigin(&image, INT32_MAX - 5, 0), CIMG_STATUS_BAD_SIZE);
  EXPECT_EQ(cimg_image_setOrigin(&image, INT32_MAX - 6, INT32_MIN), 0);
  cimg_image_destruct(&image);
  const cstd_rect32 tooFar{INT32_MAX - 2, 0, 3, 1};
  EXPECT_EQ(cimg_image_constructRect(&image, CIMG_TYPE_8, &tooFar), CIMG_STATUS_BAD_SIZE);
  EXPECT_EQ(cimg_image_window(&image, 0, 0, 1, 1, 0), CIMG_STATUS_UNBOUND);
  EXPECT_CHECK_FAILS(cimg_image_window(&image, 0, 0, 1, 1, 1));  // flags must be 0
}

}  // namespace
