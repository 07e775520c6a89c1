// The polarity test of a found symbol: mean greys of three sample sets, nearest pixels.
#include "symbol_polarity.h"

#include <cmath>

#include "grey_sampler.h"

namespace {

constexpr int32_t samplesPerLeg = 16;  // along the middle half of each leg
constexpr int32_t interiorGrid = 8;    // 8 x 8 samples over the middle 60 % of each side

struct meanGrey {
  int64_t sum = 0;
  int32_t count = 0;
  double value() const { return count ? double(sum) / count : 0.0; }
};

}  // namespace

bool idread_symbol_hasPolarity(const cimg_image* image, const idread_symbol& symbol,
                             idread_polarity polarity) {
  if (polarity == idread_polarityAny) return true;
  const ccGreySampler sampler(image);
  const cmath_vect po = sampler.toWindow(symbol.corners[0]);
  const cmath_vect legEnds[2] = {sampler.toWindow(symbol.corners[1]),
                                 sampler.toWindow(symbol.corners[3])};
  meanGrey band, outside, interior;
  for (int32_t leg = 0; leg < 2; ++leg) {
    const cmath_vect& end = legEnds[leg];
    const cmath_vect& other = legEnds[1 - leg];
    const double dx = end.x - po.x, dy = end.y - po.y, length = std::hypot(dx, dy);
    if (length == 0) return false;
    // Unit normal into the symbol (towards the other leg), 1 px long.
    double nx = -dy / length, ny = dx / length;
    if (nx * (other.x - po.x) + ny * (other.y - po.y) < 0) nx = -nx, ny = -ny;
    for (int32_t k = 0; k < samplesPerLeg; ++k) {
      const double t = 0.25 + 0.5 * (k + 0.5) / samplesPerLeg;
      const double x = po.x + t * dx, y = po.y + t * dy;
      sampler.add(x + nx, y + ny, &band.sum, &band.count);
      sampler.add(x - nx, y - ny, &outside.sum, &outside.count);
    }
  }
  const cmath_vect u{legEnds[0].x - po.x, legEnds[0].y - po.y};
  const cmath_vect v{legEnds[1].x - po.x, legEnds[1].y - po.y};
  for (int32_t a = 0; a < interiorGrid; ++a) {
    for (int32_t b = 0; b < interiorGrid; ++b) {
      const double s = 0.2 + 0.6 * (a + 0.5) / interiorGrid;
      const double t = 0.2 + 0.6 * (b + 0.5) / interiorGrid;
      sampler.add(po.x + s * u.x + t * v.x, po.y + s * u.y + t * v.y, &interior.sum,
                  &interior.count);
    }
  }
  const double l = band.value();
  if (polarity == idread_polarityDarkOnLight) return l < outside.value() && l < interior.value();
  return l > outside.value() && l > interior.value();
}
