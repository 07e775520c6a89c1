// The module-grid measurement of `idut locate`: sampling, edges, pitch and teeth on one
// symbol's two clock tracks (synthetic/easy scene0000, a 40 x 40 symbol of 8.7-pixel
// modules), the whole measurement with its depth search, and its share of the find-all
// loop's time over the synthetic sample sets (median per image).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "image_file.h"
#include "idread/locate.h"
#include "module_grid.h"

namespace {

const std::string samples = IDUT_SAMPLES_DIR;

struct foundImage {
  ccGreyImage image;
  std::vector<idread_symbol> symbols;
};

bool load(const std::string& path, foundImage* found) {
  std::string error;
  if (!idut_readGreyImage(path, &found->image, &error)) return false;
  return idread_locateAll(found->image.image(), {}, &found->symbols) == 0;
}

foundImage& scene() {
  static foundImage found;
  static const bool loaded = load(samples + "/synthetic/easy/scene0000.pgm", &found);
  (void)loaded;
  return found;
}

void BM_ClockTracks(benchmark::State& state) {
  foundImage& f = scene();
  if (f.symbols.empty()) return state.SkipWithError("no sample symbol");
  const idread_symbol& s = f.symbols[0];
  idread_clockTrack columns, rows;
  for (auto _ : state)
    benchmark::DoNotOptimize(
        idread_measureClockTracks(f.image.image(), s, s.pitch / 2, &columns, &rows));
}
BENCHMARK(BM_ClockTracks)->Unit(benchmark::kMicrosecond);

void BM_ModuleGrid(benchmark::State& state) {
  foundImage& f = scene();
  if (f.symbols.empty()) return state.SkipWithError("no sample symbol");
  for (auto _ : state) {
    idread_symbol s = f.symbols[0];
    benchmark::DoNotOptimize(idread_measureModuleGrid(f.image.image(), &s));
  }
}
BENCHMARK(BM_ModuleGrid)->Unit(benchmark::kMicrosecond);

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

template <typename F>
double bestMs(F f) {
  double best = 1e30;
  for (int32_t i = 0; i < 5; ++i) {
    const auto start = std::chrono::steady_clock::now();
    f();
    best = std::min(
        best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                  .count());
  }
  return best;
}

// Per image: the find-all loop, and the grid measurement of the symbols it keeps (finds it
// drops are measured too, inside the loop, and not counted here).
void gridShare() {
  for (const char* set : {"easy", "multi", "hard"}) {
    std::vector<double> locateMs, gridMs;
    for (const auto& entry : std::filesystem::directory_iterator(samples + "/synthetic/" + set)) {
      if (entry.path().extension() != ".pgm") continue;
      foundImage f;
      if (!load(entry.path().string(), &f)) continue;
      locateMs.push_back(bestMs([&] {
        std::vector<idread_symbol> symbols;
        idread_locateAll(f.image.image(), {}, &symbols);
      }));
      gridMs.push_back(bestMs([&] {
        for (idread_symbol s : f.symbols) idread_measureModuleGrid(f.image.image(), &s);
      }));
    }
    const double l = median(locateMs), g = median(gridMs);
    std::printf("%-6s median locate %.3f ms, grid of the kept symbols %.3f ms (%.1f %%)\n", set, l,
                g, l > 0 ? 100 * g / l : 0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  gridShare();
  return 0;
}
