// Symbol regions from other regions: flips, quarter turns, shifts and mapped corners. Flips
// keep the tightness flags in place; quarter turns carry them with their corners.
#include <initializer_list>

#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"

namespace {

// Tightness flag slots: the flags are stored in the order Po, Py, Px, Popp.
enum { tightPo = 0, tightPy = 1, tightPx = 2, tightPopp = 3 };

}  // namespace

extern "C" int32_t cid_region_initFlipX(cid_region* region, const cid_region* in) {
  cid_region result = *in;
  result.Po = in->Px;
  result.Px = in->Po;
  result.Py = in->Popp;
  result.Popp = in->Py;
  *region = result;
  return 0;
}

extern "C" int32_t cid_region_initFlipY(cid_region* region, const cid_region* in) {
  cid_region result = *in;
  result.Po = in->Py;
  result.Py = in->Po;
  result.Px = in->Popp;
  result.Popp = in->Px;
  *region = result;
  return 0;
}

extern "C" int32_t cid_region_initRotatePoints(cid_region* region, int32_t quarterTurns,
                                               const cid_region* in) {
  const int32_t r = quarterTurns % 4;
  CIDUT_CHECK(r >= 0);
  if (r == 0) {
    *region = *in;
    return 0;
  }
  // Corners and their flags in perimeter order Po, Px, Popp, Py.
  const cmath_vect corner[4] = {in->Po, in->Px, in->Popp, in->Py};
  const int32_t flag[4] = {in->tightness[tightPo], in->tightness[tightPx], in->tightness[tightPopp],
                           in->tightness[tightPy]};
  const int po = r, px = (r + 1) % 4, popp = (r + 2) % 4, py = (r + 3) % 4;
  cid_region result;
  cid_region_initPoPxPyPopp(&result, &corner[po], &corner[px], &corner[py],
                            in->affine ? nullptr : &corner[popp]);
  result.tightness[tightPo] = flag[po];
  result.tightness[tightPy] = flag[py];
  result.tightness[tightPx] = flag[px];
  result.tightness[tightPopp] = flag[popp];
  *region = result;
  return 0;
}

namespace {

// The region with every corner (Po, Px, Py, Popp in this order) replaced by
// move(corner), which returns a status; the first failure is returned and the output
// left as it was.
template <class Move>
int32_t moveCorners(cid_region* region, const cid_region* in, Move move) {
  cid_region result = *in;
  for (cmath_vect* corner : {&result.Po, &result.Px, &result.Py, &result.Popp}) {
    if (const int32_t status = move(corner); status < 0) return status;
  }
  *region = result;
  return 0;
}

}  // namespace

extern "C" int32_t cid_region_initShift(cid_region* region, const cmath_vect* shift,
                                        const cid_region* in) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(shift != nullptr);
  CIDUT_CHECK(in != nullptr);
  return moveCorners(region, in, [&](cmath_vect* corner) {
    corner->x += shift->x;
    corner->y += shift->y;
    return 0;
  });
}

extern "C" int32_t cid_region_initMap(cid_region* region, const cmath_xformLinear* xform,
                                      const cid_region* in) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(xform != nullptr);
  CIDUT_CHECK(in != nullptr);
  return moveCorners(region, in, [&](cmath_vect* corner) {
    return cmath_xformLinear_mapPoint(xform, corner, corner);
  });
}

extern "C" int32_t cid_region_initMapPersp(cid_region* region, const cmath_xformPerspective* xform,
                                           const cid_region* in) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(xform != nullptr);
  CIDUT_CHECK(in != nullptr);
  cid_region general = *in;
  general.affine = 0;
  return moveCorners(region, &general, [&](cmath_vect* corner) {
    return cmath_xformPerspective_mapPoint(xform, corner, corner);
  });
}

extern "C" int32_t cid_region_copyTightness(cid_region* region, const cid_region* in) {
  for (int i = 0; i < 4; ++i) region->tightness[i] = in->tightness[i];
  return 0;
}
