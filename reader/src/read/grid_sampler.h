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
    const cmath_vect p{u, v};
    double w;
    if (cmath_xformPerspective_weightInline(&toWindow_, &p, &w) < 0) return -1;
    const moduleSpot spot = spotAt(u, v, w);
    // The five points lie within the box around the centre reaching the longer step; a
    // margin of 1/128 pixel keeps their positions in whole 1/256 pixels there too.
    const double reachX = std::max(std::fabs(spot.dx[0]), std::fabs(spot.dx[1])) + wholeMargin;
    const double reachY = std::max(std::fabs(spot.dy[0]), std::fabs(spot.dy[1])) + wholeMargin;
    if (!sampler_.interpolates(spot.x - reachX, spot.y - reachY, spot.x + reachX, spot.y + reachY))
      return -1;
    return meanOfFive(spot);
  }

  // moduleGrey(c + 1/2 + shift, v) for the modules c = 0 .. count - 1 of a row, into
  // greys[0 .. count - 1]. Where the modules' cells lie on the image and clear of the
  // mapping's horizon, so do all their points (a quarter module from the centres, give or
  // take the perspective's curvature within a module), and the modules' own checks are
  // left out: the same greys, sooner.
  void rowGreys(double shift, double v, int32_t count, double* greys) const {
    if (!boxInside(shift, count + shift, v - 0.5, v + 0.5)) {
      for (int32_t c = 0; c < count; ++c) greys[c] = moduleGrey(c + 0.5 + shift, v);
      return;
    }
    for (int32_t c = 0; c < count; ++c) {
      const double u = c + 0.5 + shift;
      greys[c] = meanOfFive(spotAt(u, v, weightAt(u, v)));
    }
  }

 private:
  static constexpr double wholeMargin = 1.0 / 128;

  // The mapping's weight at grid point (u, v), summed as weightInline sums it.
  double weightAt(double u, double v) const {
    const double(&h)[3][3] = toWindow_.h;
    return h[2][0] * u + h[2][1] * v + h[2][2];
  }

  // A module's centre in the window and its quarter-module steps along u and v.
  struct moduleSpot {
    double x, y;
    double dx[2], dy[2];
  };
  moduleSpot spotAt(double u, double v, double w) const {
    const double(&h)[3][3] = toWindow_.h;
    const double inverse = 1 / w;
    moduleSpot spot;
    spot.x = (h[0][0] * u + h[0][1] * v + h[0][2]) * inverse;
    spot.y = (h[1][0] * u + h[1][1] * v + h[1][2]) * inverse;
    // A quarter module along u and along v: d(x, y)/du = (h[.][0] - (x, y) h[2][0]) / w.
    const double q = 0.25 * inverse;
    spot.dx[0] = q * (h[0][0] - spot.x * h[2][0]);
    spot.dx[1] = q * (h[0][1] - spot.x * h[2][1]);
    spot.dy[0] = q * (h[1][0] - spot.y * h[2][0]);
    spot.dy[1] = q * (h[1][1] - spot.y * h[2][1]);
    return spot;
  }

  // The mean of the spot's five bilinear samples, taken in whole 1/256 pixels; each must
  // have its pixels in the window.
  double meanOfFive(const moduleSpot& spot) const {
    const int32_t cx = int32_t((spot.x - 0.5) * 256), cy = int32_t((spot.y - 0.5) * 256);
    int32_t sum = sampler_.bilinearFixed(cx, cy);
    for (int32_t k = 0; k < 2; ++k) {
      const int32_t ox = int32_t(spot.dx[k] * 256), oy = int32_t(spot.dy[k] * 256);
      sum += sampler_.bilinearFixed(cx + ox, cy + oy) + sampler_.bilinearFixed(cx - ox, cy - oy);
    }
    return sum * (1.0 / (5 * 65536));
  }

  // Whether the grid box [u0, u1] x [v0, v1] maps onto the image with every point's
  // pixels in the window (margin as moduleGrey's), its weights of one sign, far from zero
  // and within a factor of two of each other: the weight is affine, so its corners bound
  // it, and the box maps onto the quadrilateral of its corners. The factor bounds the
  // perspective's curvature within a module, so that a quarter-module step along the
  // derivatives strays from the mapped point by far less than the quarter module between
  // the points and their cell's edges.
  bool boxInside(double u0, double u1, double v0, double v1) const {
    const double(&h)[3][3] = toWindow_.h;
    double least = INFINITY, most = -INFINITY, scale = 0;
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    for (const double u : {u0, u1})
      for (const double v : {v0, v1}) {
        const double w = weightAt(u, v);
        least = std::min(least, w);
        most = std::max(most, w);
        scale = std::max(scale,
                         std::fabs(h[2][0] * u) + std::fabs(h[2][1] * v) + std::fabs(h[2][2]));
        const moduleSpot corner = spotAt(u, v, w);
        x0 = std::min(x0, corner.x), x1 = std::max(x1, corner.x);
        y0 = std::min(y0, corner.y), y1 = std::max(y1, corner.y);
      }
    const bool clearOfHorizon = (least > 1e-9 * scale && most <= 2 * least) ||
                                (most < -1e-9 * scale && least >= 2 * most);
    return clearOfHorizon && sampler_.interpolates(x0 - wholeMargin, y0 - wholeMargin,
                                                   x1 + wholeMargin, y1 + wholeMargin);
  }

  ccGreySampler sampler_;
  cmath_xformPerspective toWindow_{};
};
