// Kit drawing and pixel setting: rotated rectangles against a centre-in-rectangle reference,
// descriptions of one rectangle, tilings without gaps or overlaps, clipping, failures.
#include "kit/draw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "kit/pel.h"
#include "support/hooks.h"

namespace {

constexpr double pi = std::numbers::pi;

// An 8-bit image covering rect (image coordinates), every pixel set to fill.
struct image8 {
  image8(const cstd_rect32& rect, uint8_t fill) {
    EXPECT_EQ(cimg_image_constructRect(&image, CIMG_TYPE_8, &rect), 0);
    EXPECT_EQ(cimg_window_init(&all, &image), 0);
    EXPECT_EQ(cip_pelSet8(&all, fill), 0);
  }
  ~image8() { cimg_image_destruct(&image); }
  uint8_t& at(int32_t x, int32_t y) {
    return cimg_window_row<uint8_t>(&all, y - all.y0)[x - all.x0];
  }
  int32_t draw(const cmath_shapeAffineRectCenter& rect, uint8_t from = 0, uint8_t to = 1) {
    const cstd_rect32 clip{all.x0, all.y0, all.width, all.height};
    return cdraw_rasterize_rotatedRectangle_forID(&rect, &clip, from, to, &image);
  }
  cimg_image image;
  cimg_window all;
};

cmath_shapeAffineRectCenter centred(double cx, double cy, double xLength, double yLength,
                                    double xRotation, double yRotation) {
  return cmath_shapeAffineRectCenter{{cx, cy}, xLength, yLength, xRotation, yRotation};
}

cmath_shapeAffineRectCenter randomRect(std::mt19937& random, double cx, double cy) {
  std::uniform_real_distribution<double> length(1, 30), angle(-pi, pi), skew(-0.5, 0.5);
  const double rotation = angle(random);
  return centred(cx, cy, length(random), length(random), rotation, rotation + skew(random));
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
    image8 image({0, 0, 12, 10}, 0);
    ASSERT_EQ(
        image.draw(centred((b[0] + b[2]) / 2, (b[1] + b[3]) / 2, b[2] - b[0], b[3] - b[1], 0, 0)),
        0);
    for (int32_t y = 0; y < 10; ++y)
      for (int32_t x = 0; x < 12; ++x)
        EXPECT_EQ(image.at(x, y),
                  b[0] <= x + 0.5 && x + 0.5 < b[2] && b[1] <= y + 0.5 && y + 0.5 < b[3]);
  }
}

TEST(DrawRectangle, RotatedRectanglesMatchTheCentreTestAndChangeOnlyFrom) {
  std::mt19937 random(7);
  auto before = [](int32_t x, int32_t y) -> uint8_t { return (x * 7 + y * 3) % 5 == 0 ? 9 : 2; };
  for (int n = 0; n < 40; ++n) {
    image8 image({-10, 5, 50, 40}, 0);
    for (int32_t y = 5; y < 45; ++y)
      for (int32_t x = -10; x < 40; ++x) image.at(x, y) = before(x, y);
    const auto rect = randomRect(random, 15.3 + n % 7, 24.9 - n % 5);
    ASSERT_EQ(image.draw(rect, 2, 200), 0);
    for (int32_t y = 5; y < 45; ++y) {
      for (int32_t x = -10; x < 40; ++x) {
        const double margin = insideBy(rect, x + 0.5, y + 0.5);
        if (std::fabs(margin) < 0.01) continue;
        ASSERT_EQ(image.at(x, y), margin > 0 && before(x, y) == 2 ? 200 : before(x, y)) << n;
      }
    }
  }
}

TEST(DrawRectangle, PixelsDoNotDependOnTheDescriptionAndAreSymmetric) {
  std::mt19937 random(11);
  for (int n = 0; n < 30; ++n) {
    const auto r = randomRect(random, 20.5, 20.5);
    // The same parallelogram turned by a half turn, with its corners in the other sense (a
    // negative length), with the roles of its sides exchanged.
    const cmath_shapeAffineRectCenter descriptions[] = {
        centred(20.5, 20.5, r.xLength, r.yLength, r.xRotation + pi, r.yRotation + pi),
        centred(20.5, 20.5, -r.xLength, r.yLength, r.xRotation, r.yRotation),
        centred(20.5, 20.5, r.yLength, r.xLength, r.yRotation + pi / 2, r.xRotation + pi / 2)};
    image8 first({0, 0, 41, 41}, 0);
    ASSERT_EQ(first.draw(r), 0);
    for (const auto& d : descriptions) {
      image8 other({0, 0, 41, 41}, 0);
      ASSERT_EQ(other.draw(d), 0);
      for (int32_t y = 0; y < 41; ++y)
        for (int32_t x = 0; x < 41; ++x) ASSERT_EQ(other.at(x, y), first.at(x, y)) << n;
    }
    // Centred on a pixel centre: point-symmetric pixels.
    for (int32_t y = 0; y < 41; ++y)
      for (int32_t x = 0; x < 41; ++x) ASSERT_EQ(first.at(x, y), first.at(40 - x, 40 - y)) << n;
  }
}

// How often each pixel of area is drawn when the rectangle is cut into nx x ny cells and
// each cell is drawn alone.
std::vector<int> cellCounts(const cmath_shapeAffineRectCenter& whole, int nx, int ny,
                            const cstd_rect32& area) {
  std::vector<int> counts(size_t(area.width) * area.height, 0);
  const double w = whole.xLength / nx, h = whole.yLength / ny;
  const cmath_vect X{std::cos(whole.xRotation), std::sin(whole.xRotation)};
  const cmath_vect Y{-std::sin(whole.yRotation), std::cos(whole.yRotation)};
  for (int i = 0; i < nx; ++i) {
    for (int j = 0; j < ny; ++j) {
      const double u = (i + 0.5) * w - whole.xLength / 2, v = (j + 0.5) * h - whole.yLength / 2;
      image8 image(area, 0);
      EXPECT_EQ(
          image.draw(centred(whole.center.x + u * X.x + v * Y.x, whole.center.y + u * X.y + v * Y.y,
                             w, h, whole.xRotation, whole.yRotation)),
          0);
      for (int32_t y = 0; y < area.height; ++y)
        for (int32_t x = 0; x < area.width; ++x)
          counts[size_t(y) * area.width + x] += image.at(area.x + x, area.y + y);
    }
  }
  return counts;
}

TEST(DrawRectangle, AdjacentRectanglesLeaveNoGapsAndNoOverlaps) {
  const cstd_rect32 area{-4, -4, 48, 48};
  // Cell sides through pixel centres, along the axes and along the diagonals, where the tie
  // rule decides: the cells cover exactly what the whole rectangle covers.
  const double s = std::sqrt(2.0);
  const cmath_shapeAffineRectCenter exact[] = {centred(20.5, 19.5, 24, 18, 0, 0),
                                               centred(20.5, 20.5, 24 * s, 15 * s, pi / 4, pi / 4)};
  const int cells[][2] = {{8, 6}, {6, 5}};
  for (int n = 0; n < 2; ++n) {
    const std::vector<int> counts = cellCounts(exact[n], cells[n][0], cells[n][1], area);
    image8 whole(area, 0);
    ASSERT_EQ(whole.draw(exact[n]), 0);
    for (int32_t y = 0; y < area.height; ++y)
      for (int32_t x = 0; x < area.width; ++x)
        ASSERT_EQ(counts[size_t(y) * area.width + x], whole.at(area.x + x, area.y + y)) << n;
  }
  // Any angle and skew: every pixel at most once, and once well inside.
  std::mt19937 random(5);
  for (int n = 0; n < 10; ++n) {
    auto r = randomRect(random, 20.2, 19.7);
    r.xLength = r.yLength = 27;
    const std::vector<int> counts = cellCounts(r, 5, 4, area);
    for (int32_t y = 0; y < area.height; ++y) {
      for (int32_t x = 0; x < area.width; ++x) {
        const int count = counts[size_t(y) * area.width + x];
        ASSERT_LE(count, 1) << n;
        if (insideBy(r, area.x + x + 0.5, area.y + y + 0.5) > 0.01) {
          ASSERT_EQ(count, 1) << n;
        }
      }
    }
  }
}

TEST(DrawRectangle, ClipsToTheClipRectangleAndTheImage) {
  const auto rect = centred(3.7, 9.2, 30, 11, 0.4, 0.4);
  image8 reference({-40, -40, 100, 100}, 0);
  ASSERT_EQ(reference.draw(rect), 0);
  image8 image({-5, 3, 20, 15}, 0);
  const cstd_rect32 clips[] = {{0, 5, 30, 8}, {-100, -100, 300, 300}, {40, 40, 5, 5}};
  for (const auto& clip : clips) {
    ASSERT_EQ(cip_pelSet8(&image.all, 0), 0);
    ASSERT_EQ(cdraw_rasterize_rotatedRectangle_forID(&rect, &clip, 0, 1, &image.image), 0);
    for (int32_t y = 3; y < 18; ++y) {
      for (int32_t x = -5; x < 15; ++x) {
        const bool inClip =
            x >= clip.x && x < clip.x + clip.width && y >= clip.y && y < clip.y + clip.height;
        EXPECT_EQ(image.at(x, y), inClip ? reference.at(x, y) : 0) << x << ", " << y;
      }
    }
  }
  // Setting a window leaves the pixels beside it.
  const cstd_rect32 part{0, 5, 5, 3};
  cimg_window window;
  ASSERT_EQ(cimg_window_initWindow(&window, &image.image, &part, nullptr), 0);
  ASSERT_EQ(cip_pelSet8(&window, 9), 0);
  for (int32_t y = 3; y < 18; ++y)
    for (int32_t x = -5; x < 15; ++x)
      EXPECT_EQ(image.at(x, y) == 9, x >= 0 && x < 5 && y >= 5 && y < 8);
}

TEST(DrawRectangle, FailuresAndArgumentChecks) {
  leakGuard guard;
  image8 image({0, 0, 8, 8}, 0);
  EXPECT_EQ(image.draw(centred(NAN, 2, 3, 3, 0, 0)), CMATH_STATUS_NOT_FINITE);
  EXPECT_EQ(image.draw(centred(2, 2, CDRAW_MAX_EXTENT, 3, 0, 0)), CMATH_STATUS_OUT_OF_RANGE);
  EXPECT_EQ(image.draw(centred(2, 2, 1e12, 3, 0, 0)), CMATH_STATUS_OUT_OF_RANGE);
  ASSERT_EQ(image.draw(centred(4, 4, 6, 0, 0.5, 0.5)), 0);  // no area
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(image.at(x, y), 0);

  const auto rect = centred(2, 2, 3, 3, 0, 0);
  const cstd_rect32 clip{0, 0, 8, 8};
  cimg_image unbound, wide;
  cimg_image_constructUnbound(&unbound);
  EXPECT_EQ(cdraw_rasterize_rotatedRectangle_forID(&rect, &clip, 0, 1, &unbound),
            CIMG_STATUS_UNBOUND);
  EXPECT_CHECK_FAILS(cdraw_rasterize_rotatedRectangle_forID(nullptr, &clip, 0, 1, &image.image));
  EXPECT_CHECK_FAILS(cdraw_rasterize_rotatedRectangle_forID(&rect, nullptr, 0, 1, &image.image));
  EXPECT_CHECK_FAILS(cdraw_rasterize_rotatedRectangle_forID(&rect, &clip, 0, 1, nullptr));
  ASSERT_EQ(cimg_image_construct(&wide, CIMG_TYPE_32, 4, 4), 0);
  EXPECT_CHECK_FAILS(cdraw_rasterize_rotatedRectangle_forID(&rect, &clip, 0, 1, &wide));
  cimg_window wideAll;
  ASSERT_EQ(cimg_window_init(&wideAll, &wide), 0);
  EXPECT_CHECK_FAILS(cip_pelSet8(&wideAll, 1));
  EXPECT_CHECK_FAILS(cip_pelSet8(nullptr, 1));
  cimg_image_destruct(&wide);
}

}  // namespace
