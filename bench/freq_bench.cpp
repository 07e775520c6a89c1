// Speed of the 2-D floating FFT, cfPelFFT with complex output into a bound image, on
// 256 x 256 and 1024 x 1024 random images. With FFTW installed, FFTW's 2-D complex DFT
// of the same pixels runs too (widening the bytes to complex inside the timed loop, as
// cfPelFFT does), and the run ends with the CPU time ratio cfPelFFT / FFTW per size.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ci_id/priv/ci_idut/freq.h"

#ifdef IDUT_HAVE_FFTW3
#include <fftw3.h>
#endif

namespace {

// A side x side 8-bit image of random bytes.
struct benchImage {
  cimg_image image;
  std::vector<uint8_t> pixels;
  explicit benchImage(int32_t side) {
    cimg_image_construct(&image, CIMG_TYPE_8, side, side);
    cimg_window window;
    cimg_window_init(&window, &image);
    std::mt19937 rng(1);
    for (int32_t y = 0; y < side; ++y) {
      for (int32_t x = 0; x < side; ++x) {
        pixels.push_back(uint8_t(rng()));
        cimg_window_row<uint8_t>(&window, y)[x] = pixels.back();
      }
    }
  }
  ~benchImage() { cimg_image_destruct(&image); }
};

void BM_PelFFT(benchmark::State& state) {
  const int32_t side = int32_t(state.range(0));
  benchImage in(side);
  cimg_image out;
  cimg_image_construct(&out, CIMG_TYPE_DOUBLE, 2 * side, side);
  for (auto _ : state) {
    if (cfPelFFT(cimg_image_asConst(&in.image), &out, CF_FFT_COMPLEX, 0) != 0) {
      state.SkipWithError("cfPelFFT failed");
    }
    benchmark::ClobberMemory();
  }
  cimg_image_destruct(&out);
}
BENCHMARK(BM_PelFFT)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);

#ifdef IDUT_HAVE_FFTW3
void BM_FFTW(benchmark::State& state) {
  const int32_t side = int32_t(state.range(0));
  benchImage in(side);
  const size_t n = size_t(side) * side;
  fftw_complex* data = fftw_alloc_complex(n);
  fftw_complex* bins = fftw_alloc_complex(n);
  fftw_plan plan = fftw_plan_dft_2d(side, side, data, bins, FFTW_FORWARD, FFTW_MEASURE);
  for (auto _ : state) {
    for (size_t i = 0; i < n; ++i) {
      data[i][0] = in.pixels[i];
      data[i][1] = 0;
    }
    fftw_execute(plan);
    benchmark::ClobberMemory();
  }
  fftw_destroy_plan(plan);
  fftw_free(bins);
  fftw_free(data);
}
BENCHMARK(BM_FFTW)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);
#endif

// The console report, remembering each benchmark's CPU time per iteration (the median
// when repeated), which other work on the machine disturbs less than the real time.
class ratioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median") {
        times_[run.run_name.str()] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void printRatios() const {
    for (const char* side : {"256", "1024"}) {
      const auto ours = times_.find(std::string("BM_PelFFT/") + side);
      const auto fftw = times_.find(std::string("BM_FFTW/") + side);
      if (ours == times_.end() || fftw == times_.end()) continue;
      std::printf("cfPelFFT / FFTW at %sx%s: %.2f\n", side, side, ours->second / fftw->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  ratioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios();
  benchmark::Shutdown();
  return 0;
}
