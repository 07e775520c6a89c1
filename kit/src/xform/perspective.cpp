// Perspective transforms: plane homographies from four point pairs, inverse and mapping.
#include <cmath>

#include "kit/xform.h"

namespace {

struct matrix3 {
  double m[3][3];
};

matrix3 product(const matrix3& a, const matrix3& b) {
  matrix3 p{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      p.m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c];
  return p;
}

// The adjugate: adj(a) a = det(a) I.
matrix3 adjugate(const matrix3& a) {
  matrix3 adj;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      // Cofactor of a[c][r], from the cyclic neighbours of row c and column r.
      const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
      adj.m[r][c] = a.m[r1][c1] * a.m[r2][c2] - a.m[r1][c2] * a.m[r2][c1];
    }
  }
  return adj;
}

double determinant(const matrix3& a) {
  return a.m[0][0] * (a.m[1][1] * a.m[2][2] - a.m[1][2] * a.m[2][1]) -
         a.m[0][1] * (a.m[1][0] * a.m[2][2] - a.m[1][2] * a.m[2][0]) +
         a.m[0][2] * (a.m[1][0] * a.m[2][1] - a.m[1][1] * a.m[2][0]);
}

// Stores scale * a; fails unless the result has a finite, non-zero norm.
bool storeNormalised(const matrix3& a, double sign, cmath_xformPerspective* xform) {
  double sum = 0.0;
  for (const auto& row : a.m)
    for (double v : row) sum += v * v;
  const double norm = std::sqrt(sum);
  if (!(norm > 0.0 && std::isfinite(norm))) return false;
  const double scale = sign / norm;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) xform->h[r][c] = a.m[r][c] * scale;
  return true;
}

// True when the triangle's doubled area is at most 1e-10 times its longest side squared
// (or not a number).
bool isFlat(const cmath_vect& a, const cmath_vect& b, const cmath_vect& c) {
  const double ux = b.x - a.x, uy = b.y - a.y, vx = c.x - a.x, vy = c.y - a.y;
  const double wx = c.x - b.x, wy = c.y - b.y;
  const double longest =
      std::fmax(std::fmax(ux * ux + uy * uy, vx * vx + vy * vy), wx * wx + wy * wy);
  return !(std::fabs(ux * vy - uy * vx) > 1e-10 * longest);
}

bool isGeneralPosition(const cmath_vect* p) {
  return !isFlat(p[0], p[1], p[2]) && !isFlat(p[0], p[1], p[3]) && !isFlat(p[0], p[2], p[3]) &&
         !isFlat(p[1], p[2], p[3]);
}

// A matrix that maps the basis vectors e1, e2, e3 to the points p0, p1, p2 and (1, 1, 1) to
// p3, in homogeneous coordinates, up to scale: the columns are the points weighted by the
// Cramer numerators of p0 l0 + p1 l1 + p2 l2 = p3.
matrix3 fromBasis(const cmath_vect* p) {
  const matrix3 points{{{p[0].x, p[1].x, p[2].x}, {p[0].y, p[1].y, p[2].y}, {1.0, 1.0, 1.0}}};
  double weight[3];
  for (int i = 0; i < 3; ++i) {
    matrix3 replaced = points;
    replaced.m[0][i] = p[3].x;
    replaced.m[1][i] = p[3].y;
    replaced.m[2][i] = 1.0;
    weight[i] = determinant(replaced);
  }
  matrix3 basis = points;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) basis.m[r][c] *= weight[c];
  return basis;
}

double rowLength(const double* row) {
  return std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
}

}  // namespace

extern "C" int32_t cmath_xformPerspective_construct(cmath_xformPerspective* xform) {
  const matrix3 identity{{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}}};
  storeNormalised(identity, 1.0, xform);
  return 0;
}

extern "C" int32_t cmath_xformPerspective_destruct(cmath_xformPerspective* xform) {
  *xform = cmath_xformPerspective{};
  return 0;
}

extern "C" int32_t cmath_xformPerspective_constructPointsAllowNonUnique(
    cmath_xformPerspective* xform, const cmath_vect* source, const cmath_vect* destination,
    int32_t count) {
  if (count != 4) return CMATH_STATUS_BAD_POINT_COUNT;
  if (!isGeneralPosition(source) || !isGeneralPosition(destination))
    return CMATH_STATUS_DEGENERATE_POINTS;
  // source = S(basis), destination = D(basis): the transform is D S^-1, and adj(S) serves
  // for S^-1 up to scale.
  const matrix3 h = product(fromBasis(destination), adjugate(fromBasis(source)));
  const double w0 = h.m[2][0] * source[0].x + h.m[2][1] * source[0].y + h.m[2][2];
  cmath_xformPerspective result;
  if (!storeNormalised(h, w0 < 0.0 ? -1.0 : 1.0, &result)) return CMATH_STATUS_DEGENERATE_POINTS;
  *xform = result;
  return 0;
}

extern "C" int32_t cmath_xformPerspective_getInverse(const cmath_xformPerspective* xform,
                                                     cmath_xformPerspective* inverse) {
  matrix3 h;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) h.m[r][c] = xform->h[r][c];
  const double det = determinant(h);
  const double limit = 1e-12 * rowLength(h.m[0]) * rowLength(h.m[1]) * rowLength(h.m[2]);
  if (!(std::fabs(det) > limit)) return CMATH_STATUS_SINGULAR;
  // adj(h) = det h^-1: keep the sign of the true inverse.
  cmath_xformPerspective result;
  if (!storeNormalised(adjugate(h), det > 0.0 ? 1.0 : -1.0, &result)) return CMATH_STATUS_SINGULAR;
  *inverse = result;
  return 0;
}

extern "C" int32_t cmath_xformPerspective_mapPoint(const cmath_xformPerspective* xform,
                                                   const cmath_vect* p, cmath_vect* out) {
  return cmath_xformPerspective_mapPointInline(xform, p, out);
}
