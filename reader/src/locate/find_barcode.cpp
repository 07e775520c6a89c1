// The bars of a linear barcode across the image's middle.
#include <cmath>
#include <utility>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "ci_id/priv/ci_idut/prep.h"
#include "idread/locate.h"

namespace {

// The bars' direction in degrees from the image's x axis, clockwise on screen, in
// [0, 180): the finder's rectangle has its x side across the bars.
double barAngleDegrees(const cmath_shapeAffineRect& rect) {
  const double xSide = std::atan2(rect.px.y - rect.po.y, rect.px.x - rect.po.x);
  const double degrees = xSide * 180.0 / M_PI + 90.0;
  return degrees - 180.0 * std::floor(degrees / 180.0);
}

}  // namespace

int32_t idread_findBarcode(const cimg_image* image, idread_barcode* barcode) {
  *barcode = idread_barcode{};
  const cimg_imageConst* source = cimg_image_asConst(image);
  if (const int32_t status = cid2d_findOneBarcode(source, &barcode->rect, &barcode->found);
      status < 0)
    return status;
  // The finder scans one row: bars within about 20 degrees of it give it too few
  // crossings. The transposed image turns them upright; its rectangle comes back in its
  // own pixels, x and y swapped.
  if (!barcode->found) {
    cimg_image transposed;
    cimg_image_constructUnbound(&transposed);
    int32_t status = cidut_ip_pelTranspose8(source, &transposed);
    if (status >= 0)
      status = cid2d_findOneBarcode(cimg_image_asConst(&transposed), &barcode->rect,
                                    &barcode->found);
    cimg_image_destruct(&transposed);
    if (status < 0) return status;
    for (cmath_vect* p : {&barcode->rect.po, &barcode->rect.px, &barcode->rect.py})
      std::swap(p->x, p->y);
  }
  if (barcode->found) barcode->barAngle = barAngleDegrees(barcode->rect);
  return 0;
}
