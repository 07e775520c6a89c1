// Binarization: worked cases, every method against direct computations, output placement,
// argument checks, allocation failures; and the division of a buffer by a constant.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "ci_id/priv/ci_idut/prep.h"
#include "kit/filter.h"
#include "kit/pel.h"
#include "kit/std.h"
#include "kit/thresh.h"
#include "support/held_image.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

// A plain grid of bytes, row by row.
struct plane {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> v;
  plane(int32_t w, int32_t h, uint8_t fill = 0) : width(w), height(h), v(size_t(w) * h, fill) {}
  uint8_t& at(int32_t x, int32_t y) { return v[size_t(y) * width + x]; }
  uint8_t at(int32_t x, int32_t y) const { return v[size_t(y) * width + x]; }
  // The pixel at (x, y) with the coordinates moved into the grid.
  uint8_t clamped(int32_t x, int32_t y) const {
    return at(std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1));
  }
};

plane randomPlane(int32_t w, int32_t h, std::mt19937& random) {
  plane p(w, h);
  for (uint8_t& v : p.v) v = uint8_t(random());
  return p;
}

plane read(const cimg_imageConst* image) {
  cimg_windowConst w;
  EXPECT_EQ(cimg_windowConst_init(&w, image), 0);
  plane p(w.width, w.height);
  for (int32_t y = 0; y < w.height; ++y)
    for (int32_t x = 0; x < w.width; ++x) p.at(x, y) = cimg_windowConst_row<uint8_t>(&w, y)[x];
  return p;
}

cidut_binarizeParams paramsFor(int32_t method) {
  cidut_binarizeParams p;
  EXPECT_EQ(cidut_binarizeParams_construct(&p), 0);
  p.method = method;
  return p;
}

// The result in an unbound destination; mask, when given, receives the contrast mask.
plane binarize(const cimg_imageConst* source, const cidut_binarizeParams& p,
               plane* mask = nullptr) {
  heldImage out, maskImage;
  EXPECT_EQ(cidut_binarizeImage(&out.image, nullptr, nullptr, mask ? &maskImage.image : nullptr,
                                source, &p),
            0);
  if (mask) *mask = read(maskImage.constImage());
  return read(out.constImage());
}
plane binarize(const plane& in, const cidut_binarizeParams& p, plane* mask = nullptr) {
  const heldImage source({-1, 7, in.width, in.height}, in.v, 2, 77);
  return binarize(source.constImage(), p, mask);
}

// 255 where the pixel is above its threshold.
plane above(const plane& in, const plane& thresholds) {
  plane out(in.width, in.height);
  for (size_t i = 0; i < in.v.size(); ++i) out.v[i] = in.v[i] > thresholds.v[i] ? 255 : 0;
  return out;
}

TEST(Binarize, DefaultsAndWorkedCases) {
  leakGuard guard;
  cidut_binarizeParams d;
  ASSERT_EQ(cidut_binarizeParams_construct(&d), 0);
  EXPECT_EQ(std::tie(d.method, d.regionMode, d.tilesX, d.tilesY, d.reduction, d.boxSize,
                     d.minTileContrast, d.meanOffset, d.tilesPerRegionSide, d.minLocalContrast),
            std::make_tuple(CIDUT_BINARIZE_TILE_MAX, CIDUT_BINARIZE_REFERENCE_NONE, 20, 10, 2, 15,
                            65, 10, 10.0, 20.0));
  // Method 0 on 10 and 201: threshold 105 (rounded down), and 105 itself counts as light.
  plane twoLevels(9, 5, 10);
  for (int32_t x = 0; x < 9; x += 2) twoLevels.at(x, 2) = 201;
  plane out = binarize(twoLevels, paramsFor(CIDUT_BINARIZE_GLOBAL_MIDRANGE));
  for (size_t i = 0; i < out.v.size(); ++i) EXPECT_EQ(out.v[i], twoLevels.v[i] == 201 ? 255 : 0);
  // Method 1 splits two levels between them.
  EXPECT_EQ(binarize(twoLevels, paramsFor(CIDUT_BINARIZE_GLOBAL_WGV)).v, out.v);
  twoLevels.at(1, 1) = 105;
  twoLevels.at(3, 1) = 104;
  out = binarize(twoLevels, paramsFor(CIDUT_BINARIZE_GLOBAL_MIDRANGE));
  EXPECT_EQ(out.at(1, 1), 255);
  EXPECT_EQ(out.at(3, 1), 0);

  // Method 2: a flat tile of 128 has threshold 0 and turns white; on one tile a flat 0
  // stays black.
  cidut_binarizeParams p = paramsFor(CIDUT_BINARIZE_TILE_MIDRANGE);
  p.tilesX = p.tilesY = 1;
  EXPECT_EQ(binarize(plane(12, 8, 128), p).v, plane(12, 8, 255).v);
  EXPECT_EQ(binarize(plane(12, 8, 0), p).v, plane(12, 8, 0).v);

  // Method 3 without a reference: the least tile minimum is 20, a tile whose maximum is 220
  // thresholds at 120. Two tiles of 20 x 10 side by side (tilesX 2 on 40 columns: tiles of
  // 21 and 19).
  plane scene(40, 10, 150);
  scene.at(30, 5) = 20;
  scene.at(2, 2) = 220;
  scene.at(3, 3) = 120;
  scene.at(4, 4) = 121;
  p = paramsFor(CIDUT_BINARIZE_TILE_MAX);
  p.tilesX = 2;
  p.tilesY = 1;
  out = binarize(scene, p);
  EXPECT_EQ(out.at(3, 3), 0);
  EXPECT_EQ(out.at(4, 4), 255);
  EXPECT_EQ(out.at(20, 0), 255);  // 150 > 120 on the first tile's last column
  EXPECT_EQ(out.at(30, 5), 0);    // the second tile: (150 + 20) / 2 = 85
  EXPECT_EQ(out.at(21, 0), 255);
}

// The tile thresholds written out with coordinates: tiles of (w + 1) x (h + 1) from the
// top-left corner, cut at the edges.
plane tileThresholds(const plane& in, int32_t nX, int32_t nY, int32_t method, const plane* ref,
                     uint8_t minTileContrast) {
  const int32_t stepX = in.width / nX + 1, stepY = in.height / nY + 1;
  const uint8_t refMin = ref ? *std::min_element(ref->v.begin(), ref->v.end()) : 0;
  const uint8_t refMax = ref ? *std::max_element(ref->v.begin(), ref->v.end()) : 0;
  const uint8_t globalMin = *std::min_element(in.v.begin(), in.v.end());
  plane t(in.width, in.height);
  for (int32_t y0 = 0; y0 < in.height; y0 += stepY)
    for (int32_t x0 = 0; x0 < in.width; x0 += stepX) {
      const int32_t x1 = std::min(x0 + stepX, in.width), y1 = std::min(y0 + stepY, in.height);
      int32_t mn = 255, mx = 0;
      for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x)
          mn = std::min<int32_t>(mn, in.at(x, y)), mx = std::max<int32_t>(mx, in.at(x, y));
      int32_t threshold = 0;
      if (method == CIDUT_BINARIZE_TILE_MIDRANGE)
        threshold = mx - mn > (ref ? refMax - refMin : minTileContrast) ? (mn + mx) / 2 : 0;
      else
        threshold = (mx + (ref ? refMin : globalMin)) / 2;
      for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x) t.at(x, y) = uint8_t(threshold);
    }
  return t;
}

TEST(Binarize, TilesAgainstDirectTiling) {
  leakGuard guard;
  std::mt19937 random(31);
  for (int trial = 0; trial < 24; ++trial) {
    const int32_t w = 1 + int32_t(random() % 70), h = 1 + int32_t(random() % 50);
    // Smooth ramps plus noise, so that tiles differ in level and range.
    plane in(w, h);
    const int32_t gx = int32_t(random() % 5), gy = int32_t(random() % 5),
                  noise = 1 + int32_t(random() % 120);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        in.at(x, y) = uint8_t(std::min<int32_t>(255, gx * x + gy * y + int32_t(random() % noise)));
    cidut_binarizeParams p = paramsFor(trial % 2 ? CIDUT_BINARIZE_TILE_MIDRANGE : 7 /* as 3 */);
    p.tilesX = 1 + int32_t(random() % (w + 3));
    p.tilesY = 1 + int32_t(random() % (h + 3));
    p.minTileContrast = uint8_t(random() % 120);
    const int32_t method = trial % 2 ? CIDUT_BINARIZE_TILE_MIDRANGE : CIDUT_BINARIZE_TILE_MAX;
    const heldImage source({7, -3, w, h}, in.v, 3, 77);
    const plane none = binarize(source.constImage(), p);
    ASSERT_EQ(
        none.v,
        above(in, tileThresholds(in, p.tilesX, p.tilesY, method, nullptr, p.minTileContrast)).v)
        << trial;

    // Reference window: relative to the source window, may reach into the margin of 3.
    p.regionMode = CIDUT_BINARIZE_REFERENCE_WINDOW;
    p.windowX = int32_t(random() % (w + 2)) - 2;
    p.windowY = int32_t(random() % (h + 2)) - 2;
    p.windowWidth = 1 + int32_t(random() % (w + 2 - p.windowX));
    p.windowHeight = 1 + int32_t(random() % (h + 2 - p.windowY));
    plane ref(p.windowWidth, p.windowHeight);
    for (int32_t y = 0; y < ref.height; ++y)
      for (int32_t x = 0; x < ref.width; ++x) {
        const int32_t sx = p.windowX + x, sy = p.windowY + y;
        ref.at(x, y) = sx < 0 || sy < 0 || sx >= w || sy >= h ? 77 : in.at(sx, sy);
      }
    ASSERT_EQ(binarize(source.constImage(), p).v,
              above(in, tileThresholds(in, p.tilesX, p.tilesY, method, &ref, p.minTileContrast)).v)
        << trial;
  }

  // A region 200 px long on an image 640 px wide makes 32 tiles across (tiles of 21 px, the
  // last cut to 10), and one 100 px high on 100 rows 10 tiles down.
  const plane in = randomPlane(640, 100, random);
  cidut_binarizeParams p = paramsFor(CIDUT_BINARIZE_TILE_MAX);
  p.region = cmath_shapeAffineRect{{50, 0}, {250, 0}, {50, 100}};
  const plane byRegion = binarize(in, p);
  EXPECT_EQ(byRegion.v,
            above(in, tileThresholds(in, 32, 10, CIDUT_BINARIZE_TILE_MAX, nullptr, 0)).v);
}

// The box-mean rule written directly: every pixel against the sum of the box that fits
// nearest around it, the box cut to the image's sides.
plane boxMeanReference(const plane& in, int32_t box, int32_t offset) {
  const int32_t bw = std::min(box, in.width), bh = std::min(box, in.height);
  plane out(in.width, in.height);
  for (int32_t y = 0; y < in.height; ++y)
    for (int32_t x = 0; x < in.width; ++x) {
      const int32_t left = std::clamp(x - bw / 2, 0, in.width - bw);
      const int32_t top = std::clamp(y - bh / 2, 0, in.height - bh);
      int32_t sum = 0;
      for (int32_t v = top; v < top + bh; ++v)
        for (int32_t u = left; u < left + bw; ++u) sum += in.at(u, v);
      out.at(x, y) = in.at(x, y) * bw * bh < sum - offset * bw * bh ? 0 : 255;
    }
  return out;
}

TEST(Binarize, LocalMeanAgainstDirectBoxSums) {
  leakGuard guard;
  std::mt19937 random(5);
  struct trialSize {
    int32_t w, h, box;
  };
  const trialSize sizes[] = {{40, 30, 15}, {33, 21, 4}, {14, 14, 15}, {1, 1, 1}};
  for (const trialSize& s : sizes) {
    // Random pixels over a ramp: dark and light decisions both happen.
    plane in = randomPlane(s.w, s.h, random);
    for (int32_t y = 0; y < s.h; ++y)
      for (int32_t x = 0; x < s.w; ++x) in.at(x, y) = uint8_t(in.at(x, y) / 2 + x % 100);
    cidut_binarizeParams p = paramsFor(CIDUT_BINARIZE_LOCAL_MEAN);
    p.boxSize = s.box;
    p.meanOffset = uint8_t(random() % 40);
    EXPECT_EQ(binarize(in, p).v, boxMeanReference(in, s.box, p.meanOffset).v)
        << s.w << " x " << s.h << " box " << s.box;
  }
  // A box of 128 at full white fills its column sums to 32640 without wrapping.
  const plane white(128, 128, 255);
  cidut_binarizeParams p = paramsFor(CIDUT_BINARIZE_LOCAL_MEAN);
  p.boxSize = 128;
  EXPECT_EQ(binarize(white, p).v, white.v);
}

// The local-range thresholds written directly on the reduced image A (the source when the
// factor is below 2, else the kit's smoothing), then expanded; mask receives the range
// mask.
plane localMinMaxReference(const plane& in, const cidut_binarizeParams& p, plane* mask) {
  const int32_t s = p.reduction;
  plane a = in;
  if (s >= 2) {
    const heldImage source({0, 0, in.width, in.height}, in.v);
    csGaussParams g = csGaussParamsDefault;
    g.xSize = g.xSample = g.ySize = g.ySample = s;
    heldImage reduced;
    EXPECT_EQ(cip_gauss_smooth8_8(source.constImage(), &reduced.image, &g), 0);
    a = read(reduced.constImage());
  }
  auto extreme = [&](const plane& from, int32_t x, int32_t y, int32_t r, bool max) {
    int32_t v = max ? 0 : 255;
    for (int32_t dy = -r; dy <= r; ++dy)
      for (int32_t dx = -r; dx <= r; ++dx)
        v = max ? std::max<int32_t>(v, from.clamped(x + dx, y + dy))
                : std::min<int32_t>(v, from.clamped(x + dx, y + dy));
    return v;
  };
  plane d(a.width, a.height), e(a.width, a.height);
  uint32_t histogram[256] = {};
  for (int32_t y = 0; y < a.height; ++y)
    for (int32_t x = 0; x < a.width; ++x) {
      d.at(x, y) = uint8_t(extreme(a, x, y, 1, true));
      e.at(x, y) = uint8_t(extreme(a, x, y, 1, false));
      ++histogram[a.at(x, y)];
    }
  cip_threshParams tp;
  cip_threshResult g;
  cip_threshParams_init(&tp);
  cip_threshComputeWGVThresholdFromHistogram(histogram, 255, 1, 255, &tp, &g);
  plane t(a.width, a.height), range(a.width, a.height);
  for (int32_t y = 0; y < a.height; ++y)
    for (int32_t x = 0; x < a.width; ++x) {
      const int32_t mn = extreme(e, x, y, 4, false), r9 = extreme(d, x, y, 4, true) - mn;
      int32_t d3 = 0, e3 = 255;
      for (int32_t dx = -1; dx <= 1; ++dx) {
        d3 = std::max<int32_t>(d3, d.clamped(x + dx, y + 1));
        e3 = std::min<int32_t>(e3, e.clamped(x + dx, y + 1));
      }
      const bool flat = r9 < p.minLocalContrast;
      const int32_t r = d3 - e3 >= p.minLocalContrast ? d3 - e3 : r9;
      t.at(x, y) = uint8_t(flat ? g.threshold : mn + r / 2);
      range.at(x, y) = uint8_t(flat ? d.at(x, y) - e.at(x, y) : r9);
    }
  const int32_t f = std::max(s, 1);
  plane expanded(in.width, in.height);
  *mask = plane(in.width, in.height);
  for (int32_t y = 0; y < in.height; ++y)
    for (int32_t x = 0; x < in.width; ++x) {
      expanded.at(x, y) = t.at(x / f, y / f);
      mask->at(x, y) = range.at(x / f, y / f) >= p.minLocalContrast ? 255 : 0;
    }
  return above(in, expanded);
}

TEST(Binarize, LocalMinMaxAgainstDirectNeighbourhoods) {
  leakGuard guard;
  std::mt19937 random(77);
  // Every reduction 0..3; minimum contrasts some, all (0) and no (256) ranges reach.
  const double contrasts[] = {20.0, 35.5, 0.0, 256.0};
  for (int trial = 0; trial < 8; ++trial) {
    const int32_t w = 1 + int32_t(random() % 60), h = 1 + int32_t(random() % 45);
    // Blobs of ink on a ramp, so that flat, low-range and high-range places all occur.
    greyScene scene(w, h, 180);
    scene.shade([&](double x, double) { return -x; });
    for (int k = 0; k < 6; ++k) {
      const double cx = random() % (w + 1), cy = random() % (h + 1), r = 1 + random() % 6;
      scene.paint(
          [&](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r; },
          40 + random() % 60);
    }
    scene.addNoise(4, trial);
    const testImage image(scene);
    const plane in = read(image.constImage());
    cidut_binarizeParams p = paramsFor(CIDUT_BINARIZE_LOCAL_MINMAX);
    p.reduction = int32_t(trial % 4);
    p.minLocalContrast = contrasts[(trial + trial / 4 * 2) % 4];
    plane mask(0, 0), expectedMask(0, 0);
    EXPECT_EQ(binarize(in, p, &mask).v, localMinMaxReference(in, p, &expectedMask).v) << trial;
    EXPECT_EQ(mask.v, expectedMask.v) << trial;
  }
}

TEST(Binarize, OutputPlacementAndArgumentChecks) {
  leakGuard guard;
  std::mt19937 random(3);
  const plane in = randomPlane(20, 10, random);
  heldImage source({-1, 11, 20, 10}, in.v, 4, 77);
  const cmath_xformLinear xform{{2, 0.5, 0, 3}, {4, -2}};
  ASSERT_EQ(cimg_image_setLinearImageFromClientXform(&source.image, &xform), 0);
  const cidut_binarizeParams p = paramsFor(CIDUT_BINARIZE_GLOBAL_MIDRANGE);
  const plane expected = binarize(in, p);
  // Placed at the source window, holding the result, with the source's transform.
  auto expectPlaced = [&](const heldImage& out) {
    const cstd_rect32 window = out.windowRect();
    EXPECT_EQ(std::tie(window.x, window.y), std::tuple(-1, 11));
    EXPECT_EQ(read(out.constImage()).v, expected.v);
    cmath_xformLinear got;
    cimg_image_getLinearImageFromClientXform(&out.image, &got);
    EXPECT_EQ(std::memcmp(&got, &xform, sizeof got), 0);
  };
  auto call = [&](heldImage& out, const cidut_binarizeParams* q = nullptr) {
    return cidut_binarizeImage(&out.image, nullptr, nullptr, nullptr, source.constImage(),
                               q ? q : &p);
  };

  // An unbound destination gets a new image.
  heldImage out;
  ASSERT_EQ(call(out), 0);
  expectPlaced(out);

  // A bound destination is written in its window only and moved to the source's place.
  heldImage bound({100, 200, 30, 16}, 9);
  cimg_image_window(&bound.image, 3, 4, 20, 10, 0);
  ASSERT_EQ(call(bound), 0);
  expectPlaced(bound);
  cimg_image_setEntire(&bound.image);
  const plane whole = read(bound.constImage());
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 30; ++x)
      if (x < 3 || x >= 23 || y < 4 || y >= 14) {
        EXPECT_EQ(whole.at(x, y), 9);
      }

  // A bound destination of another size is refused before anything is written.
  cimg_image_window(&bound.image, 0, 0, 21, 10, 0);
  EXPECT_EQ(call(bound), CIDUT_ERR_IMAGE_SIZE);
  cimg_image_setEntire(&bound.image);
  EXPECT_EQ(read(bound.constImage()).v, whole.v);

  // Rules on the parameters, and a reference window outside the image.
  cidut_binarizeParams q = paramsFor(CIDUT_BINARIZE_LOCAL_MEAN);
  q.boxSize = 129;
  EXPECT_CHECK_FAILS(call(out, &q));
  q = paramsFor(CIDUT_BINARIZE_TILE_MAX);  // a reference region that is null
  q.regionMode = CIDUT_BINARIZE_REFERENCE_REGION;
  EXPECT_CHECK_FAILS(call(out, &q));
  q = paramsFor(CIDUT_BINARIZE_TILE_MAX);
  q.regionMode = CIDUT_BINARIZE_REFERENCE_WINDOW;
  q.windowX = 25;
  q.windowWidth = 6;
  q.windowHeight = 4;
  EXPECT_EQ(call(out, &q), CIMG_STATUS_BAD_SIZE);

  // An empty source; a destination on the source's own pixels.
  cimg_image_window(&source.image, 2, 2, 0, 3, 0);
  EXPECT_EQ(call(out), CIDUT_ERR_IMAGE_SIZE);
  cimg_image_window(&source.image, 0, 0, 5, 5, 0);
  cimg_image_assign(&out.image, &source.image);
  EXPECT_CHECK_FAILS(call(out));
}

TEST(Binarize, AllocationFailures) {
  leakGuard guard;
  std::mt19937 random(8);
  const plane in = randomPlane(37, 23, random);
  const heldImage source({3, 4, in.width, in.height}, in.v, 1, 77);
  heldImage bound(37, 23, 0);
  struct variant {
    int32_t method, regionMode, reduction;
    bool mask;
  };
  const variant variants[] = {{2, 1, 2, false}, {3, 2, 2, false}, {4, 2, 2, true},
                              {5, 2, 2, false}};
  for (const variant& v : variants) {
    cidut_binarizeParams p = paramsFor(v.method);
    p.regionMode = v.regionMode;
    p.reduction = v.reduction;
    p.windowWidth = p.windowHeight = 7;
    p.region = cmath_shapeAffineRect{{3, 4}, {30, 8}, {1, 20}};
    for (const bool intoBound : {false, true}) {
      const int failures = driveAllocationFailures([&] {
        heldImage out, mask;
        const int32_t status =
            cidut_binarizeImage(intoBound ? &bound.image : &out.image, nullptr, nullptr,
                                v.mask ? &mask.image : nullptr, source.constImage(), &p);
        // A failing call hands out nothing.
        EXPECT_EQ(out.bound(), status == 0 && !intoBound);
        EXPECT_EQ(mask.bound(), status == 0 && v.mask);
        return status;
      });
      EXPECT_GE(failures, intoBound ? 0 : 1) << "method " << v.method;
    }
    EXPECT_EQ(driveAttentionFailures([&] {
                return cidut_binarizeImage(&bound.image, nullptr, nullptr, nullptr,
                                           source.constImage(), &p);
              }),
              0);
  }
}

int32_t inhibitAll(const char*) {
  return 1;
}

TEST(DivideBuffer, TruncatesQuotientsToBytes) {
  const uint32_t worked = 1000;
  uint8_t byte = 0;
  EXPECT_EQ(cidut_divideBufferByConstant32_8(&worked, 1, 3, &byte), 0);
  EXPECT_EQ(byte, 77);  // 333 mod 256

  std::mt19937 random(1);
  std::vector<uint32_t> source(1001);
  for (uint32_t& s : source) s = uint32_t(random());
  source[0] = 0xFFFFFFFFu;
  for (const uint32_t divisor : {1u, 7u, 0xFFFFFFFFu}) {
    for (const bool inhibited : {false, true}) {
      cprt_isOptimizationInhibitedFP = inhibited ? inhibitAll : nullptr;
      std::vector<uint8_t> out(source.size() + 1, 0xEE);
      EXPECT_EQ(cidut_divideBufferByConstant32_8(source.data(), int32_t(source.size()), divisor,
                                                 out.data()),
                0);
      for (size_t i = 0; i < source.size(); ++i)
        ASSERT_EQ(out[i], uint8_t((source[i] / divisor) & 0xFF)) << divisor;
      EXPECT_EQ(out.back(), 0xEE);
    }
  }
  cprt_isOptimizationInhibitedFP = nullptr;
  EXPECT_EQ(cidut_divideBufferByConstant32_8(&worked, 0, 3, &byte), 0);
  EXPECT_CHECK_FAILS(cidut_divideBufferByConstant32_8(&worked, 1, 0, &byte));
}

}  // namespace
