// Line drawing for the overlay: round pens stepped along each segment, clipped to the
// picture. Coordinates are continuous: pixel (i, j) covers [i, i + 1) x [j, j + 1).
#include "overlay.h"

#include <algorithm>
#include <cmath>

namespace {

struct rgb {
  uint8_t r, g, b;
};

constexpr rgb quadColour{40, 220, 40};
constexpr rgb legColour{235, 30, 30};

// Line width grows with the picture so that it stays visible when scaled down.
double penRadius(const idut_rgbPicture& picture) {
  return std::max(1.0, std::max(picture.width, picture.height) / 800.0);
}

void stamp(idut_rgbPicture* picture, double cx, double cy, double radius, rgb colour) {
  const int32_t x0 = std::max(0, int32_t(std::floor(cx - radius)));
  const int32_t x1 = std::min(picture->width - 1, int32_t(std::floor(cx + radius)));
  const int32_t y0 = std::max(0, int32_t(std::floor(cy - radius)));
  const int32_t y1 = std::min(picture->height - 1, int32_t(std::floor(cy + radius)));
  for (int32_t y = y0; y <= y1; ++y) {
    for (int32_t x = x0; x <= x1; ++x) {
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      if (dx * dx + dy * dy > radius * radius) continue;
      uint8_t* p = &picture->rgb[(size_t(y) * picture->width + x) * 3];
      p[0] = colour.r;
      p[1] = colour.g;
      p[2] = colour.b;
    }
  }
}

void line(idut_rgbPicture* picture, const cmath_vect& a, const cmath_vect& b, double radius,
          rgb colour) {
  const double length = std::hypot(b.x - a.x, b.y - a.y);
  const int32_t steps = std::max(1, int32_t(std::ceil(length / (radius * 0.5))));
  for (int32_t i = 0; i <= steps; ++i) {
    const double t = double(i) / steps;
    stamp(picture, a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), radius, colour);
  }
}

}  // namespace

void idut_drawSymbols(idut_rgbPicture* picture, const std::vector<idread_symbol>& symbols,
                      bool markL) {
  const double radius = penRadius(*picture);
  for (const idread_symbol& s : symbols) {
    const cmath_vect* c = s.corners;
    idut_drawQuadrilateral(picture, c);
    if (!markL) continue;
    line(picture, c[0], c[1], radius * 1.5, legColour);
    line(picture, c[0], c[3], radius * 1.5, legColour);
    stamp(picture, c[0].x, c[0].y, radius * 4, legColour);
  }
}

void idut_drawQuadrilateral(idut_rgbPicture* picture, const cmath_vect corners[4]) {
  const double radius = penRadius(*picture);
  for (int32_t k = 0; k < 4; ++k) line(picture, corners[k], corners[(k + 1) % 4], radius, quadColour);
}

void idut_drawMarker(idut_rgbPicture* picture, const cmath_vect& from, const cmath_vect& to) {
  line(picture, from, to, penRadius(*picture) * 1.5, legColour);
}
