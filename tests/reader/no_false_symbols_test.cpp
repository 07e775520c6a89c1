// Images without a symbol give none, found or read: noise of either kind, checkerboards,
// lines of dot-matrix text and a label of text and bars, at a camera's sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "idread/read.h"
#include "support/synthetic.h"

namespace {

// Every pixel drawn from `grey` (0..255).
greyScene drawn(int32_t width, int32_t height, const std::function<double(int32_t, int32_t)>& grey) {
  greyScene scene(width, height, 0);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) scene.at(x, y) = grey(x, y);
  return scene;
}

void expectNothing(const greyScene& scene, const std::string& what) {
  testImage image(scene);
  std::vector<idread_symbol> symbols;
  ASSERT_EQ(idread_locateAll(image.image(), idread_locateOptions{}, &symbols), 0);
  EXPECT_TRUE(symbols.empty()) << what << ": " << symbols.size() << " found";
  idread_reader* reader = nullptr;
  ASSERT_EQ(idread_reader_create(&reader), 0);
  std::vector<idread_reading> readings;
  EXPECT_EQ(idread_readAll(reader, image.image(), idread_readOptions{}, &readings), 0);
  EXPECT_TRUE(readings.empty()) << what << ": " << readings.size() << " reported";
  idread_reader_release(&reader);
}

TEST(NoFalseSymbols, NoiseCheckerboardsTextAndLabels) {
  for (const auto& [width, height] : {std::pair{640, 480}, std::pair{1600, 1200}}) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    expectNothing(uniformNoise(width, height, 11), "uniform noise " + size);
    expectNothing(gaussianNoise(width, height, 12), "gaussian noise " + size);
  }
  for (const int32_t square : {4, 8, 40})
    expectNothing(drawn(640, 480, [&](int32_t x, int32_t y) { return (x / square + y / square) % 2 ? 220 : 30; }),
                  "checkerboard " + std::to_string(square));
  for (const double cell : {1.5, 3.0, 6.0}) {
    greyScene text = dotMatrixText(640, 480, cell, uint32_t(cell * 10));
    text.gaussianBlur(0.6);
    text.addNoise(3, 5);
    expectNothing(text, "dot-matrix text, cells of " + std::to_string(cell));
  }
  // A label: a light card with text lines and a block of bars, under uneven light.
  greyScene label = dotMatrixText(800, 600, 2.5, 3);
  for (int32_t bar = 0; bar < 40; ++bar) {
    const double x0 = 200 + bar * 9 + (bar % 3) * 2, w = 2 + bar % 4;
    label.paintWithin(int32_t(x0), 420, int32_t(x0 + w) + 1, 540,
                      [&](double x, double) { return x >= x0 && x < x0 + w; }, 25, 2);
  }
  label.light([](double x, double y) { return 0.7 + 0.3 * std::sin(x / 300) * std::cos(y / 250); });
  label.gaussianBlur(0.8);
  label.addNoise(4, 9);
  expectNothing(label, "label of text and bars");
}

}  // namespace
