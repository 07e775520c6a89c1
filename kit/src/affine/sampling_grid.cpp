// The sampling grid of an affine rectangle over a source window.
#include "sampling_grid.h"

#include <math.h>

namespace {

constexpr double limit = 1073741824.0;     // 2^30
constexpr double fixedOne = 4294967296.0;  // 2^32

bool finite(const cmath_vect& p) {
  return isfinite(p.x) && isfinite(p.y);
}
bool near(double value) {
  return fabs(value) <= limit;
}

}  // namespace

int32_t cip_affineGrid_init(const cmath_shapeAffineRect& rect, const cimg_imageConst& source,
                            const cimg_windowConst& window, int32_t ySamples,
                            cip_affineGrid* grid) {
  if (!finite(rect.po) || !finite(rect.px) || !finite(rect.py)) return CMATH_STATUS_NOT_FINITE;
  cmath_xformLinear imageFromClient;
  cimg_imageConst_getLinearImageFromClientXform(&source, &imageFromClient);
  cmath_vect po, px, py;
  cmath_xformLinear_mapPoint(&imageFromClient, &rect.po, &po);
  cmath_xformLinear_mapPoint(&imageFromClient, &rect.px, &px);
  cmath_xformLinear_mapPoint(&imageFromClient, &rect.py, &py);
  double xLength = 0, yLength = 0;
  cmath_shapeAffineRect_getXLength(&rect, &xLength);
  cmath_shapeAffineRect_getYLength(&rect, &yLength);
  // Window pixel units, centres at integers.
  const cmath_vect corner{window.x0 + 0.5, window.y0 + 0.5};
  for (cmath_vect* p : {&po, &px, &py}) *p = cmath_vect{p->x - corner.x, p->y - corner.y};
  const cmath_vect popp{px.x + py.x - po.x, px.y + py.y - po.y};
  if (!finite(po) || !finite(px) || !finite(py)) return CMATH_STATUS_NOT_FINITE;
  for (const cmath_vect& p : {po, px, py, popp}) {
    if (!near(p.x) || !near(p.y)) return CMATH_STATUS_OUT_OF_RANGE;
  }
  if (!near(xLength) || !near(yLength)) return CMATH_STATUS_OUT_OF_RANGE;

  grid->width = std::max(1, int32_t(lround(xLength)));
  grid->height = ySamples > 0 ? ySamples : std::max(1, int32_t(lround(yLength)));
  const double sx = fixedOne / grid->width, sy = fixedOne / grid->height;
  grid->alongXx = (px.x - po.x) * sx;
  grid->alongXy = (px.y - po.y) * sx;
  grid->alongYx = (py.x - po.x) * sy;
  grid->alongYy = (py.y - po.y) * sy;
  grid->firstX = po.x * fixedOne + 0.5 * (grid->alongXx + grid->alongYx);
  grid->firstY = po.y * fixedOne + 0.5 * (grid->alongXy + grid->alongYy);
  return 0;
}

int32_t cip_affineSourceWindow(const cimg_imageConst* source, cimg_windowConst* in) {
  int32_t bound = 0;
  cimg_imageConst_getIsBound(source, &bound);
  if (!bound) return CIMG_STATUS_UNBOUND;
  return cimg_windowConst_init(in, source);
}
