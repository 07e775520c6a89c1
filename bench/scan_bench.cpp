// Edge-scan speed in samples per second (items/s): a general scan and an axis scan across
// 1000 pixels of a striped, slightly blurred image, and the peak detector alone over a
// derivative sequence with a peak every few samples.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "ci_id/priv/ci_idut/scan.h"

namespace {

constexpr int32_t imageSize = 1100;

// Stripes 7 pixels wide along x, with a one-pixel ramp at each edge.
struct stripedImage {
  cimg_image image;
  stripedImage() {
    cimg_image_construct(&image, CIMG_TYPE_8, imageSize, imageSize);
    cimg_window w;
    cimg_window_init(&w, &image);
    for (int32_t y = 0; y < imageSize; ++y) {
      uint8_t* row = cimg_window_row<uint8_t>(&w, y);
      for (int32_t x = 0; x < imageSize; ++x) {
        const int32_t phase = x % 14;
        row[x] = phase < 6 ? 40 : phase == 6 || phase == 13 ? 125 : 210;
      }
    }
  }
  ~stripedImage() { cimg_image_destruct(&image); }
};

void runScan(benchmark::State& state, cidc_point64 from, cidc_point64 to, int16_t dx, int16_t dy) {
  stripedImage striped;
  cimg_windowConst window;
  cimg_windowConst_init(&window, cimg_image_asConst(&striped.image));
  cidc_windowROI roi;
  cidc_windowROI_initCorner(&roi, &window, 2, 2);
  cidc_scanLineSeg seg, out;
  const cidc_point64 pts[2] = {from, to};
  cidc_scanLineSeg_initPoints(&seg, pts, nullptr);
  cidc_scanShape shape;
  cidc_scanShape_initScanLineSeg(&shape, &seg);
  cstd_vector_cidc_peakIDFixedX_4 peaks;
  cstd_vector_cidc_peakIDFixedX_4_constructEmpty(&peaks);
  const int32_t threshold = 20;
  const int16_t dir[2] = {dx, dy};
  int32_t found = 0;
  for (auto _ : state) {
    cstd_vector_cidc_peakIDFixedX_4_clear(&peaks);
    cidc_runEdgeScan(cimg_image_asConst(&striped.image), &roi, &threshold, &shape, dir, &peaks,
                     &out);
    cstd_vector_cidc_peakIDFixedX_4_getSize(&peaks, &found);
  }
  if (found < 100) state.SkipWithError("stripes not found");
  state.counters["peaks"] = found;
  state.SetItemsProcessed(state.iterations() * 1001);
  cstd_vector_cidc_peakIDFixedX_4_destruct(&peaks);
}

void BM_GeneralEdgeScan1000(benchmark::State& state) {
  runScan(state, {16 * 50 + 8, 16 * 50 + 8}, {16 * 1050 + 8, 16 * 450 + 8}, 29, 12);
}
BENCHMARK(BM_GeneralEdgeScan1000);

void BM_AxisEdgeScan1000(benchmark::State& state) {
  runScan(state, {16 * 50 + 8, 16 * 500 + 8}, {16 * 1050 + 8, 16 * 500 + 8}, 32, 0);
}
BENCHMARK(BM_AxisEdgeScan1000);

void BM_PeakDetector(benchmark::State& state) {
  constexpr int32_t n = 4096;
  std::vector<int16_t> samples(n);
  for (int32_t k = 0; k < n; ++k)
    samples[k] = int16_t(std::lround(300 * std::sin(k * 0.9) + 40 * std::sin(k * 2.3)));
  cstd_vector_cidc_peakIDFixedX_4 peaks;
  cstd_vector_cidc_peakIDFixedX_4_constructEmpty(&peaks);
  int32_t found = 0;
  for (auto _ : state) {
    cstd_vector_cidc_peakIDFixedX_4_clear(&peaks);
    cidc_peakDetectState detector;
    cidc_peakDetectState_init(&detector, &peaks, samples[0], n);
    for (int32_t k = 1; k < n; ++k)
      cidc_peakDetectState_detect(&detector, 100, 120, samples[k], 50, 0, 0, 0);
    cidc_peakDetectState_finish(&detector, &peaks);
    cstd_vector_cidc_peakIDFixedX_4_getSize(&peaks, &found);
  }
  state.counters["peaks"] = found;
  state.SetItemsProcessed(state.iterations() * n);
  cstd_vector_cidc_peakIDFixedX_4_destruct(&peaks);
}
BENCHMARK(BM_PeakDetector);

}  // namespace

BENCHMARK_MAIN();
