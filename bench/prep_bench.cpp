// Per-pixel cost of image preparation on 640x480 and 2048x1536 images (data/labels.pgm,
// mirrored to size): the six binarization methods, Gaussian smoothing, grey erosion and
// dilation and the 256-bin histogram. With OpenCV installed the same images go, in the same
// run and on one thread, through cv::threshold (Otsu), cv::adaptiveThreshold (mean),
// cv::GaussianBlur, cv::erode / cv::dilate and cv::calcHist, and the run ends with a table of
// the fastest iteration of each and the ratios ours / OpenCV.
#include <cstring>

#include "ci_id/priv/ci_idut/prep.h"
#include "image_bench.h"
#include "kit/pel.h"

#ifdef IDUT_HAVE_OPENCV4
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

const char* const methodNames[] = {"binarize 0 mid-range",   "binarize 1 Otsu",
                                   "binarize 2 tile range",  "binarize 3 tile max",
                                   "binarize 4 local range", "binarize 5 box mean"};

void BM_Binarize(benchmark::State& state) {
  benchImage& b = benchImageOf(state);
  const int32_t method = int32_t(state.range(2));
  cidut_binarizeParams params;
  cidut_binarizeParams_construct(&params);
  params.method = method;
  ccGreyImage out;
  benchTimeLoop(state, methodNames[method], [&] {
    benchmark::DoNotOptimize(cidut_binarizeImage(out.image(), nullptr, nullptr, nullptr,
                                                 cimg_image_asConst(b.image.image()), &params));
  });
  cidut_binarizeParams_destruct(&params);
}
BENCHMARK(BM_Binarize)
    ->ArgsProduct({{640}, {480}, {0, 1, 2, 3, 4, 5}})
    ->ArgsProduct({{2048}, {1536}, {0, 1, 2, 3, 4, 5}})
    ->Unit(benchmark::kMicrosecond);

// A 5-tap binomial (1 4 6 4 1) / 16 along both axes, OpenCV's 5x5 Gaussian kernel.
void BM_Gauss5x5(benchmark::State& state) {
  benchImage& b = benchImageOf(state);
  ccGreyImage out;
  benchTimeLoop(state, "Gaussian 5x5", [&] {
    benchmark::DoNotOptimize(
        cidut_ip_gauss8(cimg_image_asConst(b.image.image()), out.image(), 2, 0, 2, 0));
  });
}

void morphology(benchmark::State& state, const char* name, int32_t mode, int32_t size) {
  benchImage& b = benchImageOf(state);
  ccGreyImage out;
  benchTimeLoop(state, name, [&] {
    benchmark::DoNotOptimize(
        cidut_morph2d_run(cimg_image_asConst(b.image.image()), out.image(), mode, size, size));
  });
}
void BM_Erode3x3(benchmark::State& state) {
  morphology(state, "erode 3x3", CIDUT_MORPH_MIN, 3);
}
void BM_Dilate3x3(benchmark::State& state) {
  morphology(state, "dilate 3x3", CIDUT_MORPH_MAX, 3);
}
void BM_Erode15x15(benchmark::State& state) {
  morphology(state, "erode 15x15", CIDUT_MORPH_MIN, 15);
}

void BM_Histogram(benchmark::State& state) {
  benchImage& b = benchImageOf(state);
  cimg_windowConst window;
  cimg_windowConst_init(&window, cimg_image_asConst(b.image.image()));
  uint32_t histogram[256];
  benchTimeLoop(state, "histogram", [&] {
    std::memset(histogram, 0, sizeof histogram);
    benchmark::DoNotOptimize(cip_pelHistogram8(&window, histogram));
  });
}

IMAGE_BENCH(BM_Gauss5x5);
IMAGE_BENCH(BM_Erode3x3);
IMAGE_BENCH(BM_Dilate3x3);
IMAGE_BENCH(BM_Erode15x15);
IMAGE_BENCH(BM_Histogram);

#ifdef IDUT_HAVE_OPENCV4
cv::Mat matOf(benchmark::State& state) {
  return cv::Mat(int32_t(state.range(1)), int32_t(state.range(0)), CV_8UC1,
                 benchImageOf(state).packed.data());
}

void BM_OpenCvOtsu(benchmark::State& state) {
  cv::setNumThreads(1);
  const cv::Mat src = matOf(state);
  cv::Mat dst;
  benchTimeLoop(state, "OpenCV threshold Otsu",
                [&] { cv::threshold(src, dst, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU); });
}

void BM_OpenCvAdaptiveMean(benchmark::State& state) {
  cv::setNumThreads(1);
  const cv::Mat src = matOf(state);
  cv::Mat dst;
  benchTimeLoop(state, "OpenCV adaptive mean 15", [&] {
    cv::adaptiveThreshold(src, dst, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY, 15, 10);
  });
}

void BM_OpenCvGauss5x5(benchmark::State& state) {
  cv::setNumThreads(1);
  const cv::Mat src = matOf(state);
  cv::Mat dst;
  benchTimeLoop(state, "OpenCV GaussianBlur 5x5",
                [&] { cv::GaussianBlur(src, dst, cv::Size(5, 5), 0); });
}

void openCvMorphology(benchmark::State& state, const char* name, bool erode, int32_t size) {
  cv::setNumThreads(1);
  const cv::Mat src = matOf(state);
  const cv::Mat element = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(size, size));
  cv::Mat dst;
  benchTimeLoop(state, name, [&] {
    if (erode)
      cv::erode(src, dst, element);
    else
      cv::dilate(src, dst, element);
  });
}
void BM_OpenCvErode3x3(benchmark::State& state) {
  openCvMorphology(state, "OpenCV erode 3x3", true, 3);
}
void BM_OpenCvDilate3x3(benchmark::State& state) {
  openCvMorphology(state, "OpenCV dilate 3x3", false, 3);
}
void BM_OpenCvErode15x15(benchmark::State& state) {
  openCvMorphology(state, "OpenCV erode 15x15", true, 15);
}

void BM_OpenCvHistogram(benchmark::State& state) {
  cv::setNumThreads(1);
  const cv::Mat src = matOf(state);
  const int channels[] = {0};
  const int bins[] = {256};
  const float range[] = {0, 256};
  const float* ranges[] = {range};
  cv::Mat histogram;
  benchTimeLoop(state, "OpenCV calcHist",
                [&] { cv::calcHist(&src, 1, channels, cv::Mat(), histogram, 1, bins, ranges); });
}

IMAGE_BENCH(BM_OpenCvOtsu);
IMAGE_BENCH(BM_OpenCvAdaptiveMean);
IMAGE_BENCH(BM_OpenCvGauss5x5);
IMAGE_BENCH(BM_OpenCvErode3x3);
IMAGE_BENCH(BM_OpenCvDilate3x3);
IMAGE_BENCH(BM_OpenCvErode15x15);
IMAGE_BENCH(BM_OpenCvHistogram);
#endif

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  benchPrintComparison({{methodNames[0], "OpenCV threshold Otsu"},
                        {methodNames[1], "OpenCV threshold Otsu"},
                        {methodNames[2], "OpenCV adaptive mean 15"},
                        {methodNames[3], "OpenCV adaptive mean 15"},
                        {methodNames[4], "OpenCV adaptive mean 15"},
                        {methodNames[5], "OpenCV adaptive mean 15"},
                        {"Gaussian 5x5", "OpenCV GaussianBlur 5x5"},
                        {"erode 3x3", "OpenCV erode 3x3"},
                        {"dilate 3x3", "OpenCV dilate 3x3"},
                        {"erode 15x15", "OpenCV erode 15x15"},
                        {"histogram", "OpenCV calcHist"}});
  return 0;
}
