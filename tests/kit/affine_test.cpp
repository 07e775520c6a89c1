// Kit affine sampling and projection against pixel means and bilinear interpolation.
#include "kit/affine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "support/held_image.h"
#include "support/hooks.h"

namespace {

// A random 8-bit image whose window is (4, 1, ww, wh) of a larger buffer.
struct sourceImage {
  sourceImage(int32_t ww, int32_t wh, std::mt19937& random)
      : image({0, 0, ww + 6, wh + 4}, random) {
    EXPECT_EQ(cimg_image_window(&image.image, 4, 1, ww, wh, 0), 0);
    window = image.window();
  }
  // Window pixel (c, r), border pixels repeated.
  double at(int32_t c, int32_t r) const {
    c = std::clamp(c, 0, window.width - 1);
    r = std::clamp(r, 0, window.height - 1);
    return cimg_window_row<uint8_t>(&window, r)[c];
  }
  double bilinear(double x, double y) const {
    const double u = std::clamp(x - window.x0 - 0.5, 0.0, window.width - 1.0);
    const double v = std::clamp(y - window.y0 - 0.5, 0.0, window.height - 1.0);
    const int32_t c = int32_t(std::floor(u)), r = int32_t(std::floor(v));
    const double fx = u - c, fy = v - r;
    return (at(c, r) * (1 - fx) + at(c + 1, r) * fx) * (1 - fy) +
           (at(c, r + 1) * (1 - fx) + at(c + 1, r + 1) * fx) * fy;
  }
  heldImage image;
  cimg_window window;
};

cmath_shapeAffineRect rectOf(double x, double y, double xLength, double yLength, double angle,
                             double skew = 0) {
  cmath_shapeAffineRectCenter center{{x, y}, xLength, yLength, angle, angle + skew};
  cmath_shapeAffineRect rect;
  cmath_shapeAffineRect_initCenter(&rect, &center);
  return rect;
}

TEST(KitAffine, UprightRectanglesGiveTheMeansOfTheirPixels) {
  std::mt19937 random(3);
  sourceImage source(40, 30, random);
  cmath_xformLinear clientFromImage{{0.5, 0, 0, 0.5}, {-5, 3.5}};
  ASSERT_EQ(cimg_image_setLinearClientFromImageXform(&source.image.image, &clientFromImage), 0);
  for (int trial = 0; trial < 4; ++trial) {
    const int32_t x = int32_t(random() % 30), y = int32_t(random() % 20);
    const int32_t w = 2 + 2 * int32_t(random() % ((40 - x) / 2));
    const int32_t h = 2 + 2 * int32_t(random() % ((30 - y) / 2));
    const double cx = 0.5 * (4 + x) - 5, cy = 0.5 * (1 + y) + 3.5;
    const cmath_shapeAffineRect rect{{cx, cy}, {cx + 0.5 * w, cy}, {cx, cy + 0.5 * h}};
    heldImage out;
    ASSERT_EQ(cip_affine8(&rect, source.image.constImage(), &out.image), 0);
    const cimg_window result = out.window();
    ASSERT_EQ(result.width, w / 2);
    ASSERT_EQ(result.height, h / 2);
    for (int32_t j = 0; j < result.height; ++j)
      for (int32_t i = 0; i < result.width; ++i) {
        const double mean =
            (source.at(x + 2 * i, y + 2 * j) + source.at(x + 2 * i + 1, y + 2 * j) +
             source.at(x + 2 * i, y + 2 * j + 1) + source.at(x + 2 * i + 1, y + 2 * j + 1)) /
            4;
        ASSERT_EQ(cimg_window_row<uint8_t>(&result, j)[i], std::floor(mean + 0.5));
      }
  }
}

TEST(KitAffine, RotatedAndSkewedRectanglesMatchBilinearInterpolation) {
  std::mt19937 random(4);
  sourceImage source(50, 40, random);
  std::uniform_real_distribution<double> u(0, 1);
  for (int trial = 0; trial < 6; ++trial) {
    const cmath_shapeAffineRect rect =
        rectOf(4 + 50 * u(random), 1 + 40 * u(random), 3 + 30 * u(random), 3 + 20 * u(random),
               6.3 * u(random), trial % 3 == 0 ? 0.3 * u(random) : 0);
    heldImage out;
    ASSERT_EQ(cip_affine8(&rect, source.image.constImage(), &out.image), 0);
    const cimg_window result = out.window();
    const cmath_vect ex{(rect.px.x - rect.po.x) / result.width,
                        (rect.px.y - rect.po.y) / result.width};
    const cmath_vect ey{(rect.py.x - rect.po.x) / result.height,
                        (rect.py.y - rect.po.y) / result.height};
    for (int32_t j = 0; j < result.height; ++j)
      for (int32_t i = 0; i < result.width; ++i) {
        const double x = rect.po.x + (i + 0.5) * ex.x + (j + 0.5) * ey.x;
        const double y = rect.po.y + (i + 0.5) * ex.y + (j + 0.5) * ey.y;
        ASSERT_NEAR(cimg_window_row<uint8_t>(&result, j)[i], source.bilinear(x, y), 1.0)
            << "trial " << trial << " at " << i << ", " << j;
      }
  }
}

TEST(KitAffine, ProjectionAveragesThePointsInsideTheWindow) {
  std::mt19937 random(6);
  sourceImage source(30, 20, random);
  const cmath_shapeAffineRect rect{{24, 3}, {44, 3}, {24, 13}};  // right half off the window
  for (const int32_t scale : {1, 256}) {
    heldImage out;
    int32_t count = -1, first = -1, last = -1;
    ASSERT_EQ(cip_affineProjectNorm(source.image.constImage(), &out.image, &rect, scale, 0, &count,
                                    &first, &last),
              0);
    EXPECT_EQ(count, 20);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 10);  // bins 10 .. 19 lie right of image x 34
    const cimg_window bins = out.window();
    ASSERT_EQ(bins.pixelType, CIMG_TYPE_32);
    ASSERT_EQ(bins.width, 20);
    ASSERT_EQ(bins.height, 1);
    for (int32_t i = 0; i < 20; ++i) {
      double sum = 0;
      for (int32_t r = 2; r < 12; ++r) sum += source.at(20 + i, r);
      const double expected = i < 10 ? std::floor(scale * sum / 10 + 0.5) : 0;
      EXPECT_EQ(cimg_window_row<uint32_t>(&bins, 0)[i], expected) << "bin " << i;
    }
  }
  // Wholly off the window: the status, nothing written.
  const cmath_shapeAffineRect away{{40, 3}, {60, 3}, {40, 13}};
  heldImage out;
  int32_t count = -7, first = -7, last = -7;
  EXPECT_EQ(cip_affineProjectNorm(source.image.constImage(), &out.image, &away, 1, 0, &count,
                                  &first, &last),
            CIP_STATUS_OUTSIDE_IMAGE);
  EXPECT_EQ(count, -7);
  EXPECT_FALSE(out.bound());
}

TEST(KitAffine, ArgumentChecksAndOutOfRange) {
  std::mt19937 random(7);
  sourceImage source(10, 10, random);
  const cmath_shapeAffineRect rect{{4, 1}, {12, 1}, {4, 9}};
  heldImage unbound, out;
  int32_t count, first, last;
  EXPECT_CHECK_FAILS(cip_affine8(nullptr, source.image.constImage(), &out.image));
  EXPECT_CHECK_FAILS(cip_affineProjectNorm(source.image.constImage(), &out.image, &rect, -1, 0,
                                           &count, &first, &last));
  const cmath_shapeAffineRect far{{4, 1}, {4e9, 1}, {4, 9}};
  EXPECT_EQ(cip_affine8(&far, source.image.constImage(), &out.image), CMATH_STATUS_OUT_OF_RANGE);
}

}  // namespace
