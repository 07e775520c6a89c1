// Per-pixel cost of the edge operators on 640x480 and 2048x1536 images (data/labels.pgm,
// mirrored to size): the ID edge detector (2x2 with and without the row-pair path, 3x3),
// the kit detector's Sobel magnitude/angle pass and its edgelets, and the true-peak image
// (edgelet path and portable path). With OpenCV installed the same images go, in the same
// run, through cv::Sobel (16-bit dx and dy) and cv::Canny on one thread, and the run ends
// with a table of the fastest iteration of each and the ratios ours / OpenCV.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "ci_id/priv/ci_idut/edge.h"
#include "image_bench.h"

#ifdef IDUT_HAVE_OPENCV4
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

constexpr uint8_t threshold = 20;

void idEdge(benchmark::State& state, const char* operation, int32_t mode, int32_t accelerate) {
  benchImage& b = benchImageOf(state);
  cimg_window w;
  cimg_window_init(&w, b.image.image());
  cstd_vector8 table;
  cstd_vector8_construct(&table, 0);
  cf_EdgeDetectIDTableInit(&table, threshold, 0);
  const uint8_t* bytes;
  cstd_vector8_getBeginConst(&table, &bytes);
  std::vector<uint8_t> out(size_t(w.width) * w.height);
  // The 3x3 mode reads one pixel around each output pixel, the 2x2 mode one right and below.
  const int32_t margin = mode == CF_EDGE_ID_MODE_2X2 ? 0 : 1;
  const uint8_t* first = cimg_window_row<uint8_t>(&w, margin) + margin;
  const int32_t width = w.width - 1 - margin, height = w.height - 1 - margin;
  benchTimeLoop(state, operation, [&] {
    benchmark::DoNotOptimize(cf_EdgeDetectID(first, w.stride, out.data(), width, height, w.width,
                                             bytes, CF_EDGE_ID_THRESHOLD_TABLE_SIZE, 0, 1,
                                             accelerate, mode));
  });
  cstd_vector8_destruct(&table);
}

void BM_IdEdge2x2(benchmark::State& state) {
  idEdge(state, "ID edge 2x2", 2, 1);
}
void BM_IdEdge2x2Portable(benchmark::State& state) {
  idEdge(state, "ID edge 2x2 portable", 2, 0);
}
void BM_IdEdge3x3(benchmark::State& state) {
  idEdge(state, "ID edge 3x3", 3, 0);
}

void BM_SobelMagAng(benchmark::State& state) {
  benchImage& b = benchImageOf(state);
  cip_edgeParams params;
  cip_edgeParams_init(&params);
  ccGreyImage mag, ang;
  cstd_rect32 whole;
  cimg_image_getWindow(b.image.image(), &whole);
  cimg_image_constructRect(mag.image(), CIMG_TYPE_8, &whole);
  cimg_image_constructRect(ang.image(), CIMG_TYPE_8, &whole);
  benchTimeLoop(state, "Sobel magnitude+angle", [&] {
    benchmark::DoNotOptimize(cip_edge_detectMagAng(cimg_image_asConst(b.image.image()), &params,
                                                   mag.image(), ang.image()));
  });
}

void BM_Edgelets(benchmark::State& state) {
  benchImage& b = benchImageOf(state);
  const cip_edgeParams params{1.0, double(threshold), 1.0};
  csEdgeList* list = nullptr;
  csEdgeListNew(0, &list);
  benchTimeLoop(state, "kit edgelets", [&] {
    benchmark::DoNotOptimize(
        cip_edge_detectEdges(cimg_image_asConst(b.image.image()), &params, list));
  });
  state.counters["edgelets"] = csEdgeListLen(list);
  csEdgeListDelete(&list);
}

int32_t inhibitTruePeak(const char* name) {
  return std::strcmp(name, "cip_truepeak8") == 0;
}

void truePeak(benchmark::State& state, const char* operation, bool portable) {
  benchImage& b = benchImageOf(state);
  ccGreyImage out;
  cstd_rect32 whole;
  cimg_image_getWindow(b.image.image(), &whole);
  cimg_image_constructRect(out.image(), CIMG_TYPE_8, &whole);
  cprt_isOptimizationInhibitedFP = portable ? inhibitTruePeak : nullptr;
  int32_t count = 0;
  benchTimeLoop(state, operation, [&] {
    count = 0;
    benchmark::DoNotOptimize(
        cip_truepeak8(cimg_image_asConst(b.image.image()), out.image(), threshold, &count));
  });
  cprt_isOptimizationInhibitedFP = nullptr;
  state.counters["peaks"] = count;
}

void BM_TruePeak(benchmark::State& state) {
  truePeak(state, "true peaks", false);
}
void BM_TruePeakPortable(benchmark::State& state) {
  truePeak(state, "true peaks portable", true);
}

IMAGE_BENCH(BM_IdEdge2x2);
IMAGE_BENCH(BM_IdEdge2x2Portable);
IMAGE_BENCH(BM_IdEdge3x3);
IMAGE_BENCH(BM_SobelMagAng);
IMAGE_BENCH(BM_Edgelets);
IMAGE_BENCH(BM_TruePeak);
IMAGE_BENCH(BM_TruePeakPortable);

#ifdef IDUT_HAVE_OPENCV4
cv::Mat matOf(benchImage& b, int32_t width, int32_t height) {
  return cv::Mat(height, width, CV_8UC1, b.packed.data());
}

void BM_OpenCvSobel(benchmark::State& state) {
  cv::setNumThreads(1);
  const int32_t width = int32_t(state.range(0)), height = int32_t(state.range(1));
  const cv::Mat src = matOf(benchImageOf(state), width, height);
  cv::Mat dx, dy;
  benchTimeLoop(state, "OpenCV Sobel dx+dy", [&] {
    cv::Sobel(src, dx, CV_16S, 1, 0, 3);
    cv::Sobel(src, dy, CV_16S, 0, 1, 3);
  });
}

void BM_OpenCvCanny(benchmark::State& state) {
  cv::setNumThreads(1);
  const int32_t width = int32_t(state.range(0)), height = int32_t(state.range(1));
  const cv::Mat src = matOf(benchImageOf(state), width, height);
  cv::Mat edges;
  benchTimeLoop(state, "OpenCV Canny",
                [&] { cv::Canny(src, edges, 2 * threshold, 4 * threshold); });
}

IMAGE_BENCH(BM_OpenCvSobel);
IMAGE_BENCH(BM_OpenCvCanny);
#endif

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  benchPrintComparison({{"ID edge 2x2", "OpenCV Sobel dx+dy"},
                        {"ID edge 2x2 portable", "OpenCV Sobel dx+dy"},
                        {"ID edge 3x3", "OpenCV Sobel dx+dy"},
                        {"Sobel magnitude+angle", "OpenCV Sobel dx+dy"},
                        {"kit edgelets", "OpenCV Canny"},
                        {"true peaks", "OpenCV Canny"},
                        {"true peaks portable", "OpenCV Canny"}});
  return 0;
}
