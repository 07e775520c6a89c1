// Synthetic grey images for tests.
#include "support/synthetic.h"

#include <algorithm>
#include <cmath>
#include <random>

void greyScene::paint(const std::function<bool(double, double)>& inside, double value,
                      int supersample) {
  paintWithin(0, 0, width, height, inside, value, supersample);
}

void greyScene::paintWithin(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                            const std::function<bool(double, double)>& inside, double value,
                            int supersample) {
  const double step = 1.0 / supersample;
  for (int32_t y = std::max(0, y0); y < std::min(height, y1); ++y) {
    for (int32_t x = std::max(0, x0); x < std::min(width, x1); ++x) {
      int covered = 0;
      for (int sy = 0; sy < supersample; ++sy)
        for (int sx = 0; sx < supersample; ++sx)
          covered += inside(x + (sx + 0.5) * step, y + (sy + 0.5) * step);
      if (covered == 0) continue;
      const double f = double(covered) / (supersample * supersample);
      at(x, y) = at(x, y) * (1 - f) + value * f;
    }
  }
}

void greyScene::gaussianBlur(double sigma) {
  const int radius = int(std::ceil(3 * sigma));
  std::vector<double> kernel(2 * radius + 1);
  double sum = 0;
  for (int i = -radius; i <= radius; ++i) sum += kernel[i + radius] = std::exp(-i * i / (2 * sigma * sigma));
  for (double& k : kernel) k /= sum;
  auto pass = [&](bool horizontal) {
    std::vector<double> out(grey.size());
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        double acc = 0;
        for (int i = -radius; i <= radius; ++i) {
          const int32_t sx = horizontal ? std::clamp(x + i, 0, width - 1) : x;
          const int32_t sy = horizontal ? y : std::clamp(y + i, 0, height - 1);
          acc += kernel[i + radius] * grey[size_t(sy) * width + sx];
        }
        out[size_t(y) * width + x] = acc;
      }
    }
    grey.swap(out);
  };
  pass(true);
  pass(false);
}

void greyScene::addNoise(double sigma, uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0, sigma);
  for (double& g : grey) g += noise(random);
}

greyScene uniformNoise(int32_t width, int32_t height, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int32_t> grey(0, 255);
  greyScene scene(width, height, 0);
  for (double& g : scene.grey) g = grey(random);
  return scene;
}

greyScene gaussianNoise(int32_t width, int32_t height, uint32_t seed) {
  greyScene scene(width, height, 128);
  scene.addNoise(40, seed);
  return scene;
}

greyScene dotMatrixText(int32_t width, int32_t height, double cell, uint32_t seed) {
  std::mt19937 random(seed);
  std::bernoulli_distribution dot(0.4);
  greyScene scene(width, height, 225);
  const double glyphWidth = 6 * cell, lineHeight = 10 * cell;
  for (double top = 2 * cell; top + 7 * cell < height; top += lineHeight) {
    for (double left = 2 * cell; left + 5 * cell < width; left += glyphWidth) {
      for (int32_t r = 0; r < 7; ++r) {
        for (int32_t c = 0; c < 5; ++c) {
          if (!dot(random)) continue;
          const double x0 = left + c * cell, y0 = top + r * cell;
          scene.paintWithin(int32_t(x0), int32_t(y0), int32_t(x0 + cell) + 1, int32_t(y0 + cell) + 1,
                            [&](double x, double y) {
                              return x >= x0 && x < x0 + cell && y >= y0 && y < y0 + cell;
                            },
                            30, 2);
        }
      }
    }
  }
  return scene;
}

void greyScene::light(const std::function<double(double, double)>& gain) {
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) at(x, y) *= gain(x + 0.5, y + 0.5);
}

void greyScene::shade(const std::function<double(double, double)>& offset) {
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) at(x, y) += offset(x + 0.5, y + 0.5);
}
