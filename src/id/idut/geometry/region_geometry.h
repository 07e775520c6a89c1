// The geometric primitives of symbol regions shared by the constructors and the queries:
// midpoints, the centre point, the vanishing directions of the two side families and the
// centre segments. Internal to the library.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/geometry.h"

// A family of sides (X: Po-Px and Py-Popp) or the centre segment that runs along it.
enum class cid_regionAxis { x, y };

cmath_vect cid_region_midpoint(const cmath_vect& a, const cmath_vect& b);
// Where the diagonals Po-Popp and Px-Py cross; the midpoint of Po and Popp for an affine
// region or parallel diagonals.
cmath_vect cid_region_centerPoint(const cid_region& region);
// Direction from p towards the point where the sides of the family meet, computed without
// division so that it stays valid for parallel sides (then it is parallel to them). Not
// normalised; it may point away from that point and vanishes on it.
cmath_vect cid_region_vanishingDir(const cid_region& region, cid_regionAxis axis,
                                   const cmath_vect& p);
// X: mid(Po, Py) to mid(Px, Popp); Y: mid(Po, Px) to mid(Py, Popp).
cidut_lineSeg cid_region_midpointSegment(const cid_region& region, cid_regionAxis axis);
// The centre segment: the midpoint segment for an affine region; otherwise the part between
// the two sides of the other family of the line through center (the centre point when
// null) in the vanishing direction. A side parallel to that line gives way to its midpoint.
int32_t cid_region_centerSegment(const cid_region& region, cid_regionAxis axis,
                                 const cmath_vect* center, cidut_lineSeg* segment);
// unit = v / |v|; a zero v gives (0, 0), status 0 and *wasZero true.
int32_t cid_region_unitOrZero(const cmath_vect& v, cmath_vect* unit, bool* wasZero);
