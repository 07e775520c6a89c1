// Shared by the image benchmarks: test images of any size made from the demo label image,
// a timing loop that keeps the fastest iteration in ns per pixel, and the closing table of
// our operations against their OpenCV counterparts.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "image_file.h"

// The demo label image mirrored across its edges to the given size, in a kit image and as
// packed rows (for the peers).
struct benchImage {
  ccGreyImage image;
  std::vector<uint8_t> packed;
};

inline benchImage& benchImageOf(int32_t width, int32_t height) {
  static std::map<std::pair<int32_t, int32_t>, benchImage> cache;
  benchImage& b = cache[{width, height}];
  if (!b.packed.empty()) return b;
  ccGreyImage labels;
  std::string error;
  if (!idut_readGreyImage(IDUT_DATA_DIR "/labels.pgm", &labels, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::exit(1);
  }
  cimg_window in;
  cimg_window_init(&in, labels.image());
  auto mirror = [](int32_t v, int32_t n) {
    v %= 2 * n;
    return v < n ? v : 2 * n - 1 - v;
  };
  cimg_image_construct(b.image.image(), CIMG_TYPE_8, width, height);
  cimg_window out;
  cimg_window_init(&out, b.image.image());
  b.packed.resize(size_t(width) * height);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = cimg_window_row<uint8_t>(&in, mirror(y, in.height));
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t v = row[mirror(x, in.width)];
      cimg_window_row<uint8_t>(&out, y)[x] = v;
      b.packed[size_t(y) * width + x] = v;
    }
  }
  return b;
}

// The image of a benchmark whose two arguments are width and height.
inline benchImage& benchImageOf(const benchmark::State& state) {
  return benchImageOf(int32_t(state.range(0)), int32_t(state.range(1)));
}

// The fastest iteration of each operation and size, in ns per pixel.
inline std::map<std::string, std::map<std::string, double>>& benchFastest() {
  static std::map<std::string, std::map<std::string, double>> fastest;
  return fastest;
}

// Times body once per iteration and records the fastest in ns per pixel.
template <class Body>
void benchTimeLoop(benchmark::State& state, const char* operation, Body body) {
  const int32_t width = int32_t(state.range(0)), height = int32_t(state.range(1));
  const double pixels = double(width) * height;
  double best = 1e300;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    body();
    best = std::min(
        best,
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count());
  }
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  double& entry = benchFastest()[operation][size];
  entry = entry == 0 ? best / pixels : std::min(entry, best / pixels);
  state.counters["ns_per_pixel"] = best / pixels;
}

// Each pair: our operation and the OpenCV operation it is compared with.
inline void benchPrintComparison(const std::vector<std::pair<const char*, const char*>>& pairs) {
  std::printf("\n%-26s %-10s %10s  %-26s %10s %7s\n", "ours", "size", "ns/pixel", "OpenCV",
              "ns/pixel", "ratio");
  for (const auto& [ours, theirs] : pairs) {
    for (const auto& [size, nsOurs] : benchFastest()[ours]) {
      const double nsTheirs = benchFastest()[theirs][size];
      if (nsTheirs > 0)
        std::printf("%-26s %-10s %10.3f  %-26s %10.3f %7.2f\n", ours, size.c_str(), nsOurs, theirs,
                    nsTheirs, nsOurs / nsTheirs);
      else
        std::printf("%-26s %-10s %10.3f\n", ours, size.c_str(), nsOurs);
    }
  }
}

#define IMAGE_BENCH(name) \
  BENCHMARK(name)->Args({640, 480})->Args({2048, 1536})->Unit(benchmark::kMicrosecond)
