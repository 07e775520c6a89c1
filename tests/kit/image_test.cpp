// Kit images: shared buffers, windows, origins, window records, transforms, failures.
#include "kit/image.h"

#include <gtest/gtest.h>

#include <ostream>

#include "support/hooks.h"

static bool operator==(const cstd_rect32& a, const cstd_rect32& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}
static void PrintTo(const cstd_rect32& r, std::ostream* out) {
  *out << "(" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << ")";
}

namespace {

cstd_rect32 windowOf(const cimg_image& image) {
  cstd_rect32 r{};
  EXPECT_EQ(cimg_image_getWindow(&image, &r), 0);
  return r;
}

cimg_window recordOf(const cimg_image& image) {
  cimg_window w{};
  EXPECT_EQ(cimg_window_init(&w, &image), 0);
  return w;
}

bool isBound(const cimg_image& image) {
  int32_t bound = -1;
  EXPECT_EQ(cimg_image_getIsBound(&image, &bound), 0);
  return bound;
}

// A caller's allocator that counts its blocks and can make its free fail.
int customBlocks = 0;
int32_t customFreeStatus = 0;
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
  cimg_imageConst c, alias;
  ASSERT_EQ(cimg_image_construct(&a, CIMG_TYPE_8, 5, 3), 0);
  cimg_image_constructCopy(&b, &a);
  cimg_imageConst_constructUnbound(&c);
  cimg_imageConst_constructUnbound(&alias);
  ASSERT_EQ(cimg_imageConst_assign(&c, cimg_image_asConst(&b)), 0);
  EXPECT_EQ(cimg_imageConst_assign(&c, &c), 0);
  int32_t aliased = -1;
  ASSERT_EQ(cimg_imageConst_aliasToFastMem(&c, &alias, &aliased), 0);
  EXPECT_EQ(aliased, 0);
  EXPECT_EQ(csys_memory_getLiveBlocks(), before + 2);  // one buffer header, one pixel block

  cimg_window wa = recordOf(a);
  cimg_windowConst wc;
  ASSERT_EQ(cimg_windowConst_init(&wc, &alias), 0);
  EXPECT_EQ(wa.storage, wc.storage);
  cimg_window_row<uint8_t>(&wa, 2)[4] = 77;
  EXPECT_EQ(cimg_windowConst_row<uint8_t>(&wc, 2)[4], 77);

  EXPECT_EQ(cimg_image_destruct(&a), 0);
  EXPECT_EQ(cimg_image_destruct(&a), 0);  // a second destruct does nothing
  EXPECT_EQ(cimg_image_assign(&b, &a), 0);
  EXPECT_FALSE(isBound(b));
  EXPECT_EQ(cimg_imageConst_destruct(&c), 0);
  EXPECT_EQ(cimg_windowConst_row<uint8_t>(&wc, 2)[4], 77);  // the alias still holds them
  EXPECT_EQ(cimg_imageConst_destruct(&alias), 0);
  EXPECT_EQ(csys_memory_getLiveBlocks(), before);
}

TEST(KitImage, WindowRecordsAddressPixelsOfEveryType) {
  leakGuard guard;
  for (int32_t type : {CIMG_TYPE_8, CIMG_TYPE_32, CIMG_TYPE_DOUBLE}) {
    cimg_image image;
    ASSERT_EQ(cimg_image_construct(&image, type, 5, 3), 0);
    const cimg_window whole = recordOf(image);
    EXPECT_EQ(whole.pixelType, type);
    EXPECT_GE(whole.stride, 5);
    EXPECT_EQ(whole.stride * type % 16, 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(whole.pixels) % 64, 0u);

    ASSERT_EQ(cimg_image_window(&image, 1, 1, 3, 2, 0), 0);
    ASSERT_EQ(cimg_image_window(&image, 1, 1, 2, 1, 0), 0);  // relative to the last window
    const cimg_window w = recordOf(image);
    EXPECT_EQ((cstd_rect32{w.x0, w.y0, w.width, w.height}), (cstd_rect32{2, 2, 2, 1}));
    EXPECT_EQ(w.stride, whole.stride);
    EXPECT_EQ(w.storage, whole.storage);
    EXPECT_EQ(w.pixels, static_cast<char*>(whole.pixels) + (2 * whole.stride + 2) * type);

    void* address = nullptr;
    ASSERT_EQ(cimg_image_pointToOffset_internal(&image, 1, 0, &address), 0);
    EXPECT_EQ(address, static_cast<char*>(w.pixels) + type);
    ASSERT_EQ(cimg_image_pointToOffset_internal(&image, -2, -2, &address), 0);
    EXPECT_EQ(address, whole.pixels);
    EXPECT_CHECK_FAILS(cimg_image_pointToOffset_internal(&image, 3, 0, &address));
    EXPECT_CHECK_FAILS(cimg_image_pointToOffset_internal(&image, 0, -3, &address));
    cimg_image_destruct(&image);
  }
}

TEST(KitImage, WindowsStayInsideTheImage) {
  leakGuard guard;
  cimg_image image;
  ASSERT_EQ(cimg_image_construct(&image, CIMG_TYPE_8, 10, 8), 0);
  ASSERT_EQ(cimg_image_window(&image, 2, 2, 4, 4, 0), 0);
  EXPECT_EQ(cimg_image_window(&image, -2, -2, 10, 8, 0), 0);  // past the window, not the image
  EXPECT_EQ(cimg_image_window(&image, 1, 0, 10, 1, 0), CIMG_STATUS_BAD_SIZE);
  EXPECT_EQ(cimg_image_window(&image, -1, 0, 1, 1, 0), CIMG_STATUS_BAD_SIZE);
  EXPECT_EQ(cimg_image_window(&image, 0, 0, -1, 1, 0), CIMG_STATUS_BAD_SIZE);
  EXPECT_EQ(windowOf(image), (cstd_rect32{0, 0, 10, 8}));
  EXPECT_EQ(cimg_image_window(&image, 10, 8, 0, 0, 0), 0);  // empty, at the far corner
  EXPECT_EQ(windowOf(image), (cstd_rect32{10, 8, 0, 0}));

  struct Case {
    cstd_rect32 rect, expected;
    int32_t clipped;
  };
  for (const Case& c :
       {Case{{1, 2, 3, 4}, {1, 2, 3, 4}, 0}, Case{{-3, 6, 20, 5}, {0, 6, 10, 2}, 1},
        Case{{12, -5, 4, 4}, {10, 0, 0, 0}, 1}, Case{{3, 3, -2, 2}, {3, 3, 0, 2}, 1}}) {
    int32_t clipped = -1;
    ASSERT_EQ(cimg_image_setWindowRect(&image, &c.rect, &clipped), 0);
    EXPECT_EQ(windowOf(image), c.expected);
    EXPECT_EQ(clipped, c.clipped);
    ASSERT_EQ(cimg_image_setEntire(&image), 0);
    cimg_window w;
    ASSERT_EQ(cimg_window_initWindow(&w, &image, &c.rect, &clipped), 0);
    EXPECT_EQ((cstd_rect32{w.x0, w.y0, w.width, w.height}), c.expected);
    EXPECT_EQ(clipped, c.clipped);
    EXPECT_EQ(windowOf(image), (cstd_rect32{0, 0, 10, 8}));
  }
  cimg_image_destruct(&image);
}

TEST(KitImage, OriginsPlaceTheImageInImageCoordinates) {
  leakGuard guard;
  cimg_image image;
  const cstd_rect32 rect{-4, 7, 6, 5};
  ASSERT_EQ(cimg_image_constructRect(&image, CIMG_TYPE_32, &rect), 0);
  cstd_rect32 entire;
  int32_t x, y;
  ASSERT_EQ(cimg_image_getEntire(&image, &entire), 0);
  EXPECT_EQ(entire, rect);
  EXPECT_EQ(windowOf(image), rect);

  ASSERT_EQ(cimg_image_window(&image, 2, 1, 3, 3, 0), 0);
  const void* windowPixel = recordOf(image).pixels;
  ASSERT_EQ(cimg_image_setOrigin(&image, 100, 200), 0);  // the window keeps its pixels
  EXPECT_EQ(windowOf(image), (cstd_rect32{102, 201, 3, 3}));
  ASSERT_EQ(cimg_image_setWindowOrigin(&image, 0, 0), 0);
  EXPECT_EQ(windowOf(image), (cstd_rect32{0, 0, 3, 3}));
  EXPECT_EQ(recordOf(image).pixels, windowPixel);
  ASSERT_EQ(cimg_image_getOrigin(&image, &x, &y), 0);
  EXPECT_EQ(x, -2);
  EXPECT_EQ(y, -1);

  // Image coordinates of every pixel fit in 32 bits.
  EXPECT_EQ(cimg_image_setOrigin(&image, INT32_MAX - 5, 0), CIMG_STATUS_BAD_SIZE);
  EXPECT_EQ(cimg_image_setWindowOrigin(&image, INT32_MIN, 0), CIMG_STATUS_BAD_SIZE);
  EXPECT_EQ(cimg_image_setOrigin(&image, INT32_MAX - 6, INT32_MIN), 0);
  cimg_image_destruct(&image);
  const cstd_rect32 tooFar{INT32_MAX - 2, 0, 3, 1};
  EXPECT_EQ(cimg_image_constructRect(&image, CIMG_TYPE_8, &tooFar), CIMG_STATUS_BAD_SIZE);
}

TEST(KitImage, TransformsStayInverse) {
  cimg_image image;
  cimg_imageConst copy;
  cimg_image_constructUnbound(&image);
  cmath_xformLinear x, inverse, product;
  const cmath_xformLinear general{{2.0, 0.5, -1.0, 3.0}, {10.0, -4.0}};
  for (bool imageFromClient : {true, false}) {
    ASSERT_EQ(imageFromClient ? cimg_image_setLinearImageFromClientXform(&image, &general)
                              : cimg_image_setClientFromImageXform(&image, &general),
              0);
    cimg_imageConst_constructCopy(&copy, cimg_image_asConst(&image));
    cimg_imageConst_getLinearImageFromClientXform(&copy, &x);
    cimg_imageConst_getLinearClientFromImageXform(&copy, &inverse);
    EXPECT_EQ((imageFromClient ? x : inverse).translation.x, 10.0);
    cmath_xformLinear_initCompose(&product, &x, &inverse);
    for (double v : {product.matrix.xx - 1, product.matrix.xy, product.matrix.yx,
                     product.matrix.yy - 1, product.translation.x, product.translation.y}) {
      EXPECT_NEAR(v, 0.0, 1e-12);
    }
  }
  const cmath_xformLinear singular{{1.0, 2.0, 2.0, 4.0}, {0.0, 0.0}};
  EXPECT_EQ(cimg_image_setLinearClientFromImageXform(&image, &singular), CMATH_STATUS_SINGULAR);
  cimg_image_getLinearClientFromImageXform(&image, &x);
  EXPECT_EQ(x.matrix.xx, 2.0);  // unchanged

  cimg_imageConst_setLinearImageFromClientXform(&copy, &general);
  ASSERT_EQ(cimg_image_copyXforms(&image, &copy), 0);
  cimg_image_getLinearImageFromClientXform(&image, &x);
  EXPECT_EQ(x.matrix.yx, -1.0);
}

TEST(KitImage, BadSizesAndUnboundHandles) {
  cimg_image image;
  cimg_imageConst c;
  struct Size {
    int32_t type, width, height;
  };
  for (const Size& bad : {Size{2, 4, 4}, Size{0, 4, 4}, Size{1, 0, 4}, Size{8, 4, -1}}) {
    EXPECT_EQ(cimg_image_construct(&image, bad.type, bad.width, bad.height), CIMG_STATUS_BAD_SIZE);
    EXPECT_FALSE(isBound(image));
  }
  cimg_imageConst_constructUnbound(&c);
  cstd_rect32 r{};
  cimg_windowConst w;
  const void* address;
  for (int32_t status :
       {cimg_image_getWindow(&image, &r), cimg_image_window(&image, 0, 0, 1, 1, 0),
        cimg_image_setWindowRect(&image, &r, nullptr), cimg_image_setEntire(&image),
        cimg_image_setWindowOrigin(&image, 0, 0), cimg_windowConst_init(&w, &c),
        cimg_imageConst_pointToOffset_internal(&c, 0, 0, &address)}) {
    EXPECT_EQ(status, CIMG_STATUS_UNBOUND);
  }
}

TEST(KitImage, FailedAllocationsLeaveNothingBehind) {
  leakGuard guard;
  const cstd_rect32 rect{3, 3, 2, 2};
  cimg_image image, old;
  for (int which = 0; which < 3; ++which) {
    const auto construct = [&] {
      const int32_t status = which == 0   ? cimg_image_construct(&image, CIMG_TYPE_32, 7, 9)
                             : which == 1 ? cimg_image_constructRect(&image, CIMG_TYPE_8, &rect)
                                          : cimg_image_constructCustomAllocFunc(
                                                &image, CIMG_TYPE_8, 1, 1, customAlloc, customFree);
      EXPECT_EQ(isBound(image), status >= 0);
      cimg_image_destruct(&image);
      return status;
    };
    EXPECT_EQ(driveAllocationFailures(construct), 2);
  }

  // assignNew lets the old pixels go only once the new ones exist.
  ASSERT_EQ(cimg_image_construct(&old, CIMG_TYPE_8, 3, 3), 0);
  cimg_image_window(&old, 1, 1, 1, 1, 0);
  cimg_image_constructCopy(&image, &old);
  EXPECT_EQ(cimg_image_assignNew(&image, CIMG_TYPE_DOUBLE, 0, 2), CIMG_STATUS_BAD_SIZE);
  const auto assignNew = [&] {
    const int32_t status = cimg_image_assignNew(&image, CIMG_TYPE_DOUBLE, 4, 2);
    EXPECT_EQ(recordOf(image).storage == recordOf(old).storage, status < 0);
    EXPECT_EQ(windowOf(image), (status < 0 ? windowOf(old) : cstd_rect32{0, 0, 4, 2}));
    cimg_image_assign(&image, &old);
    return status;
  };
  EXPECT_EQ(driveAllocationFailures(assignNew), 2);
  cimg_image_destruct(&image);
  cimg_image_destruct(&old);
}

TEST(KitImage, CustomFreeRunsOnceWithTheLastHandle) {
  leakGuard guard;
  cimg_image image, copy;
  ASSERT_EQ(cimg_image_constructCustomAllocFunc(&image, CIMG_TYPE_8, 9, 2, customAlloc, customFree),
            0);
  cimg_image_constructCopy(&copy, &image);
  customFreeStatus = static_cast<int32_t>(0x80001234u);
  EXPECT_EQ(cimg_image_destruct(&image), 0);
  EXPECT_EQ(customBlocks, 1);
  EXPECT_EQ(cimg_image_destruct(&copy), customFreeStatus);  // passed on
  EXPECT_EQ(customBlocks, 0);
  customFreeStatus = 0;
}

TEST(KitImage, ArgumentChecks) {
  cimg_image image;
  cimg_imageConst c;
  cimg_window w;
  cimg_windowConst wc;
  cstd_rect32 r{0, 0, 1, 1};
  cmath_xformLinear x;
  int32_t n;
  const void* constAddress;
  cimg_image_construct(&image, CIMG_TYPE_8, 2, 2);
  cimg_imageConst_constructUnbound(&c);

  EXPECT_CHECK_FAILS(cimg_image_construct(nullptr, 1, 1, 1));
  EXPECT_CHECK_FAILS(cimg_image_constructRect(&image, 1, nullptr));
  EXPECT_CHECK_FAILS(cimg_image_constructCustomAllocFunc(&image, 1, 1, 1, customAlloc, nullptr));
  EXPECT_CHECK_FAILS(cimg_image_constructUnbound(nullptr));
  EXPECT_CHECK_FAILS(cimg_imageConst_constructCopy(&c, nullptr));
  EXPECT_CHECK_FAILS(cimg_image_assign(&image, nullptr));
  EXPECT_CHECK_FAILS(cimg_image_assignNew(nullptr, 1, 1, 1));
  EXPECT_CHECK_FAILS(cimg_image_setUnbound(nullptr));
  EXPECT_CHECK_FAILS(cimg_image_destruct(nullptr));
  EXPECT_CHECK_FAILS(cimg_image_getIsBound(&image, nullptr));
  EXPECT_CHECK_FAILS(cimg_imageConst_aliasToFastMem(&c, &c, nullptr));
  EXPECT_CHECK_FAILS(cimg_image_getEntire(&image, nullptr));
  EXPECT_CHECK_FAILS(cimg_image_getWindow(nullptr, &r));
  EXPECT_CHECK_FAILS(cimg_image_window(&image, 0, 0, 1, 1, 1));
  EXPECT_CHECK_FAILS(cimg_image_setWindowRect(&image, nullptr, nullptr));
  EXPECT_CHECK_FAILS(cimg_image_setEntire(nullptr));
  EXPECT_CHECK_FAILS(cimg_image_getOrigin(&image, &n, nullptr));
  EXPECT_CHECK_FAILS(cimg_image_setOrigin(nullptr, 0, 0));
  EXPECT_CHECK_FAILS(cimg_image_setWindowOrigin(nullptr, 0, 0));
  EXPECT_CHECK_FAILS(cimg_window_init(nullptr, &image));
  EXPECT_CHECK_FAILS(cimg_windowConst_init(&wc, nullptr));
  EXPECT_CHECK_FAILS(cimg_window_initWindow(&w, &image, nullptr, nullptr));
  EXPECT_CHECK_FAILS(cimg_windowConst_initWindow(&wc, &c, nullptr, nullptr));
  EXPECT_CHECK_FAILS(cimg_image_pointToOffset_internal(&image, 0, 0, nullptr));
  EXPECT_CHECK_FAILS(cimg_imageConst_pointToOffset_internal(nullptr, 0, 0, &constAddress));
  EXPECT_CHECK_FAILS(cimg_image_copyXforms(&image, nullptr));
  EXPECT_CHECK_FAILS(cimg_image_setLinearImageFromClientXform(&image, nullptr));
  EXPECT_CHECK_FAILS(cimg_image_getLinearClientFromImageXform(nullptr, &x));
  cimg_image_destruct(&image);
}

}  // namespace
