// Kit smoothing filters against direct convolutions with Pascal weights; flags, failure exits.
#include "kit/filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "kit/pel.h"
#include "support/held_image.h"
#include "support/hooks.h"

namespace {

uint8_t pixel(const cimg_window& w, int32_t x, int32_t y) {
  return cimg_window_row<uint8_t>(&w, y)[x];
}

// Row 2n of Pascal's triangle.
std::vector<int64_t> pascalRow(int32_t n) {
  std::vector<int64_t> row{1};
  for (int32_t k = 0; k < 2 * n; ++k) {
    std::vector<int64_t> next(row.size() + 1, 0);
    for (size_t i = 0; i < row.size(); ++i) {
      next[i] += row[i];
      next[i + 1] += row[i];
    }
    row = next;
  }
  return row;
}

// The Gaussian at window pixel (cx, cy), border pixels repeated: gain x the weighted mean.
uint8_t gaussAt(const cimg_window& w, int32_t cx, int32_t cy, int32_t nx, int32_t ny, double gain,
                bool round) {
  const std::vector<int64_t> wx = pascalRow(nx), wy = pascalRow(ny);
  __int128 sum = 0;
  for (int32_t dy = -ny; dy <= ny; ++dy)
    for (int32_t dx = -nx; dx <= nx; ++dx) {
      const int32_t x = std::clamp(cx + dx, 0, w.width - 1),
                    y = std::clamp(cy + dy, 0, w.height - 1);
      sum += (__int128)wx[dx + nx] * wy[dy + ny] * pixel(w, x, y);
    }
  const __int128 total = (__int128)1 << (2 * nx + 2 * ny);
  const __int128 g = std::llround(gain * 65536);
  const __int128 value = (sum * g + (round ? total * 32768 : 0)) / (total * 65536);
  return uint8_t(std::min<__int128>(value, 255));
}

// The box mean of the box with top-left window pixel (x, y).
uint8_t boxAt(const cimg_window& w, int32_t x, int32_t y, int32_t bx, int32_t by, double gain,
              bool round) {
  int64_t sum = 0;
  for (int32_t r = y; r < y + by; ++r)
    for (int32_t c = x; c < x + bx; ++c) sum += pixel(w, c, r);
  const int64_t area = int64_t{bx} * by, g = std::llround(gain * 65536);
  return uint8_t(std::min<int64_t>((sum * g + (round ? area * 32768 : 0)) / (area * 65536), 255));
}

TEST(KitFilter, SmoothingMatchesDirectConvolutionWithBorderRepeated) {
  std::mt19937 random(5);
  // Sizes through the 16-bit and 32-bit column sums, the plain loop (large or sampled
  // kernels), widths with and without a tail, windows narrower than the kernel.
  const int32_t sizes[][2] = {{0, 0}, {1, 3}, {4, 0}, {4, 8}, {12, 2}, {2, 12}};
  for (int trial = 0; trial < 24; ++trial) {
    const int32_t nx = sizes[trial % 6][0], ny = sizes[trial % 6][1];
    const int32_t width = 1 + int32_t(random() % 45), height = 1 + int32_t(random() % 23);
    heldImage image({0, 0, width + 7, height + 5}, random);
    ASSERT_EQ(cimg_image_window(&image.image, 3, 2, width, height, 0), 0);
    const cimg_window in = image.window();

    csGaussParams params = csGaussParamsNull;
    params.xSize = nx;
    params.ySize = ny;
    params.xSample = trial % 4 == 1 ? int32_t(random() % 5) : 0;
    params.ySample = trial % 4 == 2 ? int32_t(random() % 5) : 0;
    heldImage out;
    ASSERT_EQ(cip_gauss_smooth8_8(image.constImage(), &out.image, &params), 0);
    const int32_t sx = std::max(1, params.xSample), sy = std::max(1, params.ySample);
    const cimg_window result = out.window();
    ASSERT_EQ(result.width, (width + sx - 1) / sx);
    ASSERT_EQ(result.height, (height + sy - 1) / sy);
    EXPECT_EQ(std::tie(result.x0, result.y0), std::tuple(3, 2));  // at the source window
    for (int32_t j = 0; j < result.height; ++j)
      for (int32_t i = 0; i < result.width; ++i)
        ASSERT_EQ(pixel(result, i, j),
                  gaussAt(in, i * sx + (sx - 1) / 2, j * sy + (sy - 1) / 2, nx, ny, 1.0, true))
            << "trial " << trial << " at " << i << ", " << j;
  }
}

TEST(KitFilter, WindowGaussianCoversTheKernelsInsideWithFlagsAndPlacement) {
  std::mt19937 random(8);
  heldImage image({0, 0, 70, 40}, random);
  const cimg_window in = image.window({4, 3, 61, 33});
  csIRegion region;
  const csIRegion source{4, 3, 61, 33};
  ASSERT_EQ(cfGaussGetDstReg(&source, 2, 3, 1, 2, &region), 0);
  EXPECT_EQ(std::tie(region.x, region.y, region.width, region.height), std::tuple(6, 4, 19, 16));

  struct variant {
    int32_t flags;
    double gain;
  };
  const variant variants[] = {{CS_FILTER_STANDARD & ~CS_FILTER_ROUND, 1.0},
                              {CS_FILTER_STANDARD & ~CS_FILTER_X, 1.0},
                              {CS_FILTER_STANDARD & ~CS_FILTER_SAMPLE_SKIP, 256.0},
                              {CS_FILTER_STANDARD & ~CS_FILTER_GAIN, 256.0}};
  for (const variant& v : variants) {
    csGaussParams params = csGaussParamsNull;
    params.xSize = params.xSample = 2;
    params.ySize = params.ySample = 1;
    params.flags = v.flags;
    params.gain = v.gain;
    const bool useX = v.flags & CS_FILTER_X, skip = v.flags & CS_FILTER_SAMPLE_SKIP;
    const int32_t nx = useX ? 2 : 0, sx = useX ? (skip ? 3 : 2) : 1, ny = 1, sy = skip ? 2 : 1;
    const double gain = (v.flags & CS_FILTER_GAIN) ? v.gain : 1.0;
    const int32_t width = (61 - 2 * nx - 1) / sx + 1, height = (33 - 2 * ny - 1) / sy + 1;

    const heldImage out(width, height, 0);
    const cimg_window result = out.window();
    csVImageClientCoords placement;
    const cimg_windowConst source = readOnly(in);
    ASSERT_EQ(cip_gauss(&source, &result, &params, &placement), 0);
    for (int32_t j = 0; j < height; ++j)
      for (int32_t i = 0; i < width; ++i)
        ASSERT_EQ(pixel(result, i, j),
                  gaussAt(in, nx + i * sx, ny + j * sy, nx, ny, gain, v.flags & CS_FILTER_ROUND))
            << "flags " << std::hex << v.flags << std::dec << " gain " << v.gain << " at " << i
            << ", " << j;
    const cmath_vect o = placement.origin;
    EXPECT_EQ(std::tuple(o.x, o.y, placement.xEnd.x - o.x, placement.xEnd.y, placement.yEnd.x,
                         placement.yEnd.y - o.y),
              std::tuple(4 + nx + 0.5 - sx / 2.0, 3 + ny + 0.5 - sy / 2.0, sx, o.y, o.x, sy));
  }
}

TEST(KitFilter, BoxFilterMatchesDirectMeans) {
  std::mt19937 random(13);
  for (int trial = 0; trial < 20; ++trial) {
    const int32_t width = 1 + int32_t(random() % 40), height = 1 + int32_t(random() % 30);
    heldImage image({0, 0, width + 3, height + 2}, random);
    const cimg_window in = image.window({2, 1, width, height});
    csPlpfParams params = csPlpfParamsNull;
    params.xSize = int32_t(random() % 9);
    params.ySize = int32_t(random() % 9);
    params.xSample = int32_t(random() % 4);
    params.ySample = int32_t(random() % 4);
    params.flags = trial % 3 == 0 ? (CS_FILTER_STANDARD & ~CS_FILTER_ROUND) : CS_FILTER_STANDARD;
    params.gain = trial % 5 == 0 ? 256.0 : trial % 5 == 1 ? 0.75 : 1.0;
    const int32_t bx = std::max(1, params.xSize), by = std::max(1, params.ySize);
    const int32_t sx = params.xSample + 1, sy = params.ySample + 1;

    const csIRegion source{2, 1, width, height};
    csIRegion region;
    ASSERT_EQ(cfPlpfComputeDstReg(&source, &params, &region), 0);
    EXPECT_EQ(std::tie(region.x, region.y, region.width, region.height),
              std::tuple(2, 1, width < bx ? 0 : (width - bx) / sx + 1,
                         height < by ? 0 : (height - by) / sy + 1));
    if (csIRegionIsNull(&region)) continue;

    const heldImage out(region.width, region.height, 0);
    const cimg_window result = out.window();
    const cimg_windowConst from = readOnly(in);
    csVImageClientCoords placement;
    ASSERT_EQ(cip_plpf(&from, &result, &params, &placement), 0);
    for (int32_t j = 0; j < region.height; ++j)
      for (int32_t i = 0; i < region.width; ++i)
        ASSERT_EQ(pixel(result, i, j),
                  boxAt(in, i * sx, j * sy, bx, by, params.gain, params.flags & CS_FILTER_ROUND))
            << "trial " << trial << " at " << i << ", " << j;
    EXPECT_EQ(std::tie(placement.origin.x, placement.origin.y),
              std::tuple(2 + (bx - sx) / 2.0, 1 + (by - sy) / 2.0));
  }
}

TEST(KitFilter, DestinationsAndArguments) {
  std::mt19937 random(21);
  heldImage image({0, 0, 30, 20}, random);
  const cimg_window in = image.window({0, 0, 30, 20});
  const cimg_windowConst from = readOnly(in);
  csGaussParams params = csGaussParamsNull;
  params.xSize = params.ySize = 1;
  params.flags = CS_FILTER_STANDARD;

  // Wrong size, overlap with the source; a source smaller than the kernel writes nothing.
  heldImage small(27, 18, 0);
  const cimg_window wrong = small.window();
  EXPECT_EQ(cip_gauss(&from, &wrong, &params, nullptr), CIMG_STATUS_BAD_SIZE);
  const cimg_window inside = image.window({1, 1, 28, 18});
  EXPECT_EQ(cip_gauss(&from, &inside, &params, nullptr), CIP_STATUS_MEMORY_OVERLAP);
  const cimg_window beside = image.window({0, 0, 2, 2});
  const cimg_windowConst tiny = readOnly(beside);
  csVImageClientCoords placement{};
  EXPECT_EQ(cip_gauss(&tiny, &wrong, &params, &placement), 0);  // 2 x 2 holds no 3 x 3 kernel
  EXPECT_DOUBLE_EQ(placement.xEnd.x - placement.origin.x, 1.0);

  params.gain = 257;
  EXPECT_CHECK_FAILS(cip_gauss(&from, &wrong, &params, nullptr));
  params.gain = 1;
  csPlpfParams box = csPlpfParamsNull;
  box.ySize = 3;
  box.xSize = CS_PLPF_MAX_SIZE + 1;
  box.flags = CS_FILTER_STANDARD;
  EXPECT_CHECK_FAILS(cip_plpf(&from, &wrong, &box, nullptr));
}
}  // namespace
