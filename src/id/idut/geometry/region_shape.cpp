// Shape tests of symbol regions: degeneracy and point containment.
#include <cmath>

#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"

namespace {

cmath_vect minus(const cmath_vect& a, const cmath_vect& b) {
  return cmath_vect{a.x - b.x, a.y - b.y};
}

// A corner sharper or flatter than sin^2 = 0.003 (about 3.1 degrees from straight or
// folded) counts as degenerate.
constexpr double minSineSquared = 0.003;

}  // namespace

extern "C" int32_t cid_region_getIsDegenerate(const cid_region* region, int32_t* isDegenerate) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(isDegenerate != nullptr);
  *isDegenerate = 0;
  // Edges in perimeter order, each taken backwards, and their squared lengths.
  const cmath_vect e[4] = {minus(region->Po, region->Px), minus(region->Px, region->Popp),
                           minus(region->Popp, region->Py), minus(region->Py, region->Po)};
  double lengthSquared[4];
  for (int i = 0; i < 4; ++i) lengthSquared[i] = e[i].x * e[i].x + e[i].y * e[i].y;
  // An affine region checks two corners; the other two are congruent to them.
  const int corners = region->affine ? 2 : 4;
  int previousSide = 0;
  for (int i = 0; i < corners; ++i) {
    const int j = (i + 1) % 4;
    const double c = e[i].x * e[j].y - e[j].x * e[i].y;
    const int side = c > 0.0 ? 1 : 0;
    if (std::fabs(c) < 1e-12 || minSineSquared * lengthSquared[i] * lengthSquared[j] > c * c ||
        (i > 0 && side != previousSide)) {
      *isDegenerate = 1;
      return 0;
    }
    previousSide = side;
  }
  return 0;
}

extern "C" int32_t cid_region_within(const cid_region* region, const cmath_vect* point,
                                     int32_t* within) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(point != nullptr);
  CIDUT_CHECK(within != nullptr);
  *within = 1;
  const cmath_vect t[4] = {region->Po, region->Px, region->Popp, region->Py};
  const cmath_vect& p = *point;
  bool allZero = true;
  int referenceSide = 0;
  for (int i = 0, j = 3; i < 4; j = i++) {
    const double c = (t[i].x - t[j].x) * (p.y - t[j].y) - (p.x - t[j].x) * (t[i].y - t[j].y);
    if (!cmath_double_epsilonEqual(c, 0.0, 1e-12)) allZero = false;
    // The first edge (Py to Po) sets the side strictly; later edges accept zero.
    if (i == 0) {
      referenceSide = c > 0.0 ? 1 : 0;
    } else if ((c >= 0.0 ? 1 : 0) != referenceSide) {
      *within = 0;
      break;
    }
  }
  if (allZero) *within = 0;
  return 0;
}
