// Greys of a module grid laid over an image through the perspective of four corners.
#pragma once

#include <stdint.h>

#include <algorithm>
#include <cmath>

#include "kit/xform.h"
#include "locate/grey_sampler.h"

class ccGridSampler {
 public:
  explicit ccGridSampler(const cimg_image* image) : sampler_(image) {}

  // Lays a rows x columns grid over the corners (client coordinates: the L's corner, the
  // end of the x side, the opposite corner, the end of the y side). False when they are
  // degenerate.
  bool place(const cmath_vect corners[4], int32_t rows, int32_t columns) {
    const cmath_vect grid[4] = {{0, 0}, {double(columns), 0}, {double(columns), double(rows)},
                                {0, double(rows)}};
    cmath_vect window[4];
    for (int32_t k = 0; k < 4; ++k) window[k] = sampler_.toWindow(corners[k]);
    return cmath_xformPerspective_constructPointsAllowNonUnique(&toWindow_, grid, window, 4) >= 0;
  }

  // Grid point (u, v) in client coordinates; false off the mapping.
  bool clientPoint(double u, double v, cmath_vect* client) const {
    cmath_vect p{u, v};
    if (cmath_xformPerspective_mapPointInline(&toWindow_, &p, &p) < 0) return false;
    *client = sampler_.toClient(p.x, p.y);
    return true;
  }

  // The grey at grid point (u, v) alone; -1 off the image.
  double pointGrey(double u, double v) const {
    cmath_vect p{u, v};
    if (cmath_xformPerspective_mapPointInline(&toWindow_, &p, &p) < 0) return -1;
    return sampler_.bilinear(p.x, p.y);
  }

  // The mean grey at the centre of module (u, v) of the grid (module units, u along the x
  // side, v up the y side) and four points a quarter module away along the sides; -1 when
  // the grid runs off the image there. The quarter-module steps are taken along the
  // mapping's derivatives at the centre, the same both ways: within a module the
  // perspective is as good as affine.
  double moduleGrey(double u, double v) const {
    const double(&h)[3][3] = toWindow_.h;
    const cmath_vect p{u, v};
    double w;
    if (cmath_xformPerspective_weightInline(&toWindow_, &p, &w) < 0) return -1;
    const double inverse = 1 / w;
    const double x = (h[0][0] * u + h[0][1] * v + h[0][2]) * inverse;
    const double y = (h[1][0] * u + h[1][1] * v + h[1][2]) * inverse;
    // A quarter module along u and along v: d(x, y)/du = (h[.][0] - (x, y) h[2][0]) / w.
    const double q = 0.25 * inverse;
    const double dx[2] = {q * (h[0][0] - x * h[2][0]), q * (h[0][1] - x * h[2][1])};
    const double dy[2] = {q * (h[1][0] - y * h[2][0]), q * (h[1][1] - y * h[2][1])};
    // The five points lie within the box around the centre reaching the longer step; a
    // margin of 1/128 pixel keeps their positions in whole 1/256 pixels there too.
    constexpr double margin = 1.0 / 128;
    const double reachX = std::max(std::fabs(dx[0]), std::fabs(dx[1])) + margin;
    const double reachY = std::max(std::fabs(dy[0]), std::fabs(dy[1])) + margin;
    if (!sampler_.interpolates(x - reachX, y - reachY, x + reachX, y + reachY)) return -1;
    const int32_t cx = int32_t((x - 0.5) * 256), cy = int32_t((y - 0.5) * 256);
    int32_t sum = sampler_.bilinearFixed(cx, cy);
    for (int32_t k = 0; k < 2; ++k) {
      const int32_t ox = int32_t(dx[k] * 256), oy = int32_t(dy[k] * 256);
      sum += sampler_.bilinearFixed(cx + ox, cy + oy) + sampler_.bilinearFixed(cx - ox, cy - oy);
    }
    return sum * (1.0 / (5 * 65536));
  }

 private:
  ccGreySampler sampler_;
  cmath_xformPerspective toWindow_{};
};
