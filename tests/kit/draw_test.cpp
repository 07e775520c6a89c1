// Kit drawing: rotated rectangles against a centre-in-rectangle reference, clipping, failures.
#include "kit/draw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "support/held_image.h"
#include "support/hooks.h"

namespace {

constexpr double pi = std::numbers::pi;

// Draws into the image over its window, or into target clipped to the image's window.
int32_t draw(heldImage& image, const cmath_shapeAffineRectCenter& rect, uint8_t from = 0,
             uint8_t to = 1, cimg_image* target = nullptr) {
  const cstd_rect32 area = image.windowRect();
  return cdraw_rasterize_rotatedRectangle_forID(&rect, &area, from, to,
                                                target ? target : &image.image);
}

// Calls f(x, y) for every pixel of the image's window, in image coordinates.
template <class F>
void forEachPixel(const heldImage& image, F f) {
  const cstd_rect32 area = image.windowRect();
  for (int32_t y = area.y; y < area.y + area.height; ++y)
    for (int32_t x = area.x; x < area.x + area.width; ++x) f(x, y);
}

cmath_shapeAffineRectCenter randomRect(std::mt19937& random, double cx, double cy) {
  std::uniform_real_distribution<double> length(1, 30), angle(-pi, pi), skew(-0.5, 0.5);
  const double rotation = angle(random);
  return {{cx, cy}, length(random), length(random), rotation, rotation + skew(random)};
}

// The signed distance of (x, y) from the nearest side of the parallelogram, positive inside.
double insideBy(const cmath_shapeAffineRectCenter& rect, double x, double y) {
  cmath_shapeAffineRect r;
  EXPECT_EQ(cmath_shapeAffineRect_initCenter(&r, &rect), 0);
  const cmath_vect q[4] = {r.po, r.px, {r.px.x + r.py.x - r.po.x, r.px.y + r.py.y - r.po.y}, r.py};
  const double sense = rect.xLength * rect.yLength > 0 ? 1 : -1;
  double nearest = INFINITY;
  for (int k = 0; k < 4; ++k) {
    const double dx = q[(k + 1) % 4].x - q[k].x, dy = q[(k + 1) % 4].y - q[k].y;
    nearest =
        std::min(nearest, sense * (dx * (y - q[k].y) - dy * (x - q[k].x)) / std::hypot(dx, dy));
  }
  return nearest;
}

TEST(DrawRectangle, AxisAlignedRectanglesTakeHalfOpenBoxes) {
  // Corners on pixel edges, on pixel centres (ties) and between them.
  const double boxes[][4] = {{2, 3, 9, 7}, {2.5, 3.5, 9.5, 7.5}, {1.25, 0.75, 6.5, 4.125}};
  for (const auto& b : boxes) {
    heldImage image({0, 0, 12, 10}, 0);
    ASSERT_EQ(draw(image, {{(b[0] + b[2]) / 2, (b[1] + b[3]) / 2}, b[2] - b[0], b[3] - b[1], 0, 0}),
              0);
    forEachPixel(image, [&](int32_t x, int32_t y) {
      EXPECT_EQ(image.atImage(x, y),
                b[0] <= x + 0.5 && x + 0.5 < b[2] && b[1] <= y + 0.5 && y + 0.5 < b[3]);
    });
  }
}

TEST(DrawRectangle, PixelsMatchTheCentreTestWhateverTheDescription) {
  std::mt19937 random(7);
  // Only pixels at 2 may change. The background is point-symmetric about pixel (20, 20), and
  // so is every rectangle centred there.
  const auto before = [](int32_t x, int32_t y) { return (x - 20) * (y - 20) % 5 == 0 ? 9 : 2; };
  for (int n = 0; n < 8; ++n) {
    const auto r = randomRect(random, 20.5, 20.5);
    // The same parallelogram turned by a half turn, with its corners in the other sense (a
    // negative length), with the roles of its sides exchanged.
    const cmath_shapeAffineRectCenter descriptions[] = {
        {r.center, r.xLength, r.yLength, r.xRotation + pi, r.yRotation + pi},
        {r.center, -r.xLength, r.yLength, r.xRotation, r.yRotation},
        {r.center, r.yLength, r.xLength, r.yRotation + pi / 2, r.xRotation + pi / 2}};
    heldImage first({0, 0, 41, 41}, 0);
    forEachPixel(first, [&](int32_t x, int32_t y) { first.atImage(x, y) = before(x, y); });
    ASSERT_EQ(draw(first, r, 2, 200), 0);
    forEachPixel(first, [&](int32_t x, int32_t y) {
      const double margin = insideBy(r, x + 0.5, y + 0.5);
      if (std::fabs(margin) > 0.01) {
        EXPECT_EQ(first.atImage(x, y), margin > 0 && before(x, y) == 2 ? 200 : before(x, y)) << n;
      }
      EXPECT_EQ(first.atImage(x, y), first.atImage(40 - x, 40 - y)) << n;
    });
    for (const auto& d : descriptions) {
      heldImage other({0, 0, 41, 41}, 0);
      forEachPixel(other, [&](int32_t x, int32_t y) { other.atImage(x, y) = before(x, y); });
      ASSERT_EQ(draw(other, d, 2, 200), 0);
      forEachPixel(other, [&](int32_t x, int32_t y) {
        EXPECT_EQ(other.atImage(x, y), first.atImage(x, y)) << n;
      });
    }
  }
}

TEST(DrawRectangle, ClipsToTheClipRectangleAndTheImage) {
  const cmath_shapeAffineRectCenter rect{{3.7, 9.2}, 30, 11, 0.4, 0.4};
  heldImage reference({-40, -40, 100, 100}, 0);
  ASSERT_EQ(draw(reference, rect), 0);
  for (const cstd_rect32& clip : {cstd_rect32{0, 5, 30, 8}, cstd_rect32{-100, -100, 300, 300}}) {
    heldImage image({-5, 3, 20, 15}, 0);
    ASSERT_EQ(cdraw_rasterize_rotatedRectangle_forID(&rect, &clip, 0, 1, &image.image), 0);
    forEachPixel(image, [&](int32_t x, int32_t y) {
      const bool inClip =
          x >= clip.x && x < clip.x + clip.width && y >= clip.y && y < clip.y + clip.height;
      EXPECT_EQ(image.atImage(x, y), inClip ? reference.atImage(x, y) : 0) << x << ", " << y;
    });
  }
}

TEST(DrawRectangle, FailuresAndArgumentChecks) {
  heldImage image({0, 0, 8, 8}, 0);
  EXPECT_EQ(draw(image, {{2, 2}, CDRAW_MAX_EXTENT, 3, 0, 0}), CMATH_STATUS_OUT_OF_RANGE);
  ASSERT_EQ(draw(image, {{4, 4}, 6, 0, 0.5, 0.5}), 0);  // no area
  forEachPixel(image, [&](int32_t x, int32_t y) { EXPECT_EQ(image.atImage(x, y), 0); });
  heldImage unbound, wide(CIMG_TYPE_32, 4, 4, 0);
  EXPECT_EQ(draw(image, {{2, 2}, 3, 3, 0, 0}, 0, 1, &unbound.image), CIMG_STATUS_UNBOUND);
  EXPECT_CHECK_FAILS(draw(image, {{2, 2}, 3, 3, 0, 0}, 0, 1, &wide.image));
}
}  // namespace
