// `bench_search_cost`: what each search pass and a whole read cost on images with and
// without symbols, at camera sizes from 640 x 480 to 4000 x 3000, so that the cost can be
// seen to follow the pixels whatever the content. Prints a Markdown table: thread CPU
// milliseconds, the least of three runs, and the read's nanoseconds per pixel.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "idread/read.h"
#include "sample_sets.h"
#include "support/datamatrix.h"
#include "support/symbols.h"
#include "support/synthetic.h"

namespace {

double leastOfThree(const std::function<void()>& work) {
  double best = 1e300;
  for (int32_t run = 0; run < 3; ++run) {
    const double start = threadCpuMs();
    work();
    best = std::min(best, threadCpuMs() - start);
  }
  return best;
}

// A DataMatrix symbol in every 320 x 240 cell (zint's, so that it reads; a drawn grid of
// random modules without zint), of a size and turn that change from cell to cell, on a
// light ground with a little noise.
greyScene symbolScene(int32_t width, int32_t height) {
  greyScene scene(width, height, 205);
  const int32_t sides[] = {14, 18, 22, 26, 32};
  uint32_t seed = 1;
  for (int32_t y = 120; y + 120 <= height; y += 240) {
    for (int32_t x = 160; x + 160 <= width; x += 320, ++seed) {
      const int32_t side = sides[seed % 5];
      const cmath_vect centre{double(x), double(y)};
      moduleGrid grid;
      if (zintModules(zintDataMatrix, "CELL " + std::to_string(seed), &grid,
                      "--square --vers=" + std::to_string(seed % 5 + 2))) {
        cmath_vect corners[4];
        turnedRectangle(centre, 150, 150, 0.3 * seed, corners);
        paintModules(scene, grid, corners, 35);
      } else {
        paintDataMatrix(scene, side, side, 150.0 / side, 0.3 * seed, centre, 35, seed);
      }
    }
  }
  scene.gaussianBlur(0.7);
  scene.addNoise(4, 7);
  return scene;
}

struct content {
  const char* name;
  std::function<greyScene(int32_t, int32_t)> make;
};

}  // namespace

int main() {
  const content contents[] = {
      {"symbols", symbolScene},
      {"uniform noise", [](int32_t w, int32_t h) { return uniformNoise(w, h, 1); }},
      {"gaussian noise", [](int32_t w, int32_t h) { return gaussianNoise(w, h, 2); }},
      {"dot-matrix text", [](int32_t w, int32_t h) { return dotMatrixText(w, h, 2.5, 3); }},
  };
  const std::pair<const char*, std::vector<idread_pass>> passes[] = {
      {"rows", {idread_passRows}},
      {"low-contrast", {idread_passLowContrast}},
      {"adaptive", {idread_passAdaptive}}};
  idread_reader* reader = nullptr;
  if (idread_reader_create(&reader) < 0) return 1;
  std::printf("| pixels | content | rows | low-contrast | adaptive | read | ns per pixel (read) |\n");
  std::printf("|---|---|---|---|---|---|---|\n");
  for (const auto& [width, height] : {std::pair{640, 480}, std::pair{1280, 960},
                                      std::pair{2560, 1920}, std::pair{4000, 3000}}) {
    for (const content& c : contents) {
      testImage image(c.make(width, height));
      std::printf("| %d x %d | %s |", width, height, c.name);
      for (const auto& [name, list] : passes) {
        idread_locateOptions options;
        options.passes = list;
        const double ms = leastOfThree([&] {
          std::vector<idread_symbol> symbols;
          idread_locateAll(image.image(), options, &symbols);
        });
        std::printf(" %.1f |", ms);
      }
      const double readMs = leastOfThree([&] {
        std::vector<idread_reading> readings;
        idread_readAll(reader, image.image(), {}, &readings);
      });
      std::printf(" %.1f | %.1f |\n", readMs, readMs * 1e6 / (double(width) * height));
      std::fflush(stdout);
    }
  }
  idread_reader_release(&reader);
  return 0;
}
