// The closed-form orthogonal line fit from point sums: the accumulator ccCidLSLineFitter
// and the array fit cidut_lineFitting.
#include <cmath>

#include "ci_id/priv/ci_idut/linefit.h"
#include "id/idut/frame/check.h"
#include "kit/object.h"

namespace {

constexpr double isotropyLimit = 1e-12;

// Centroid and second moments about it: a = Sxx, b = 2 Sxy, c = Syy.
struct scatter {
  double mx, my;
  double a, b, c;
};

scatter getScatter(int32_t n, double sx, double sy, double sxx, double syy, double sxy) {
  const double mx = sx / n;
  const double my = sy / n;
  return scatter{mx, my, sxx - sx * mx, 2.0 * (sxy - sx * my), syy - sy * my};
}

// Spread alike in every direction: no line is preferred.
bool isIsotropic(const scatter& m) {
  return std::fabs(m.b) < isotropyLimit && std::fabs(m.a - m.c) < isotropyLimit;
}

// The principal axis (k, s), s >= 0, and the signed distance d of the origin from the
// line along it through the centroid.
struct axis {
  double k, s, d;
};

axis getAxis(const scatter& m) {
  const double r = std::sqrt((m.a - m.c) * (m.a - m.c) + m.b * m.b);
  const double q = (m.a - m.c) / r;
  const double s = std::sqrt((1.0 - q) / 2.0);
  double k = std::sqrt((1.0 + q) / 2.0);
  if (m.b < 0.0) k = -k;
  return axis{k, s, m.my * k - m.mx * s};
}

// The same axis turned so that the origin's distance is not negative.
axis withOriginOnNormalSide(axis l) {
  if (l.d < 0.0) return axis{-l.k, -l.s, -l.d};
  return l;
}

void buildLine(cidut_line* line, cxRadian angle, double distance) {
  if (cidut_line_initAngDis(line, angle.toDouble(), distance) < 0)
    throw cxException(CIDUT_ERR_BAD_DIRECTION, "");
}

}  // namespace

ccCidLSLineFitter::ccCidLSLineFitter(const cxVector<cx2Vect>& points) {
  reset();
  for (const cx2Vect& p : points) update(p);
}

void ccCidLSLineFitter::reset() {
  n_ = 0;
  sx_ = sy_ = sxx_ = syy_ = sxy_ = 0.0;
}

void ccCidLSLineFitter::update(const cx2Vect& point) {
  const double x = point.x();
  const double y = point.y();
  n_ += 1;
  sx_ += x;
  sy_ += y;
  sxx_ += x * x;
  syy_ += y * y;
  sxy_ += x * y;
}

ccCidLSLineFitter& ccCidLSLineFitter::operator+=(const ccCidLSLineFitter& other) {
  n_ += other.n_;
  sx_ += other.sx_;
  sy_ += other.sy_;
  sxx_ += other.sxx_;
  syy_ += other.syy_;
  sxy_ += other.sxy_;
  return *this;
}

ccCidLSLineFitter ccCidLSLineFitter::operator+(const ccCidLSLineFitter& other) const {
  ccCidLSLineFitter sum = *this;
  sum += other;
  return sum;
}

bool ccCidLSLineFitter::fit(cidut_line& line) const {
  if (n_ < 2) return false;
  const scatter m = getScatter(n_, sx_, sy_, sxx_, syy_, sxy_);
  if (isIsotropic(m)) return false;
  const axis l = getAxis(m);
  cxRadian angle(std::atan2(l.s, l.k));
  double distance = l.d;
  if (distance < 0.0) {
    angle += cxDegree(180.0);
    distance = -distance;
  }
  buildLine(&line, angle, distance);
  return true;
}

cidut_line ccCidLSLineFitter::fit() const {
  cidut_line line;
  if (!fit(line)) throw cxException(CIDUT_ERR_NO_LINE_FIT, "");
  return line;
}

bool ccCidLSLineFitter::fitAndError(cidut_line* line, double* error) const {
  if (n_ < 2) return false;
  const scatter m = getScatter(n_, sx_, sy_, sxx_, syy_, sxy_);
  if (isIsotropic(m)) return false;
  const axis l = withOriginOnNormalSide(getAxis(m));
  if (line) buildLine(line, cxRadian(std::atan2(l.s, l.k)), l.d);
  if (error) {
    *error = l.k * l.k * syy_ + l.s * l.s * sxx_ + 2.0 * l.d * (l.s * sx_ - l.k * sy_) +
             n_ * l.d * l.d - 2.0 * l.s * l.k * sxy_;
  }
  return true;
}

double ccCidLSLineFitter::error(const cidut_line& line) const {
  double phi;
  if (const int32_t status = cmath_vect_getDirection(&line.dir, &phi); status < 0)
    throw cxException(status, "src/id/idut/linefit", 110);
  const double sn = std::sin(phi);
  const double cs = std::cos(phi);
  CIDUT_CHECK(cmath_double_epsilonEqual(sn * sn + cs * cs, 1.0, 1e-15));
  const double d = cs * line.pos.y - sn * line.pos.x;  // signed distance of the origin
  return cs * cs * syy_ + sn * sn * sxx_ + 2.0 * d * (sn * sx_ - cs * sy_) + n_ * d * d -
         2.0 * sn * cs * sxy_;
}

ccCidLSLineFitter operator*(const cx2Xform& xform, const ccCidLSLineFitter& f) {
  const cx2Matrix m = xform.matrix();
  const double m00 = m.element(0, 0), m01 = m.element(0, 1);
  const double m10 = m.element(1, 0), m11 = m.element(1, 1);
  const double tx = xform.trans().x(), ty = xform.trans().y();
  const double n = f.n_;
  ccCidLSLineFitter g;
  g.n_ = f.n_;
  g.sx_ = m00 * f.sx_ + m01 * f.sy_ + tx * n;
  g.sy_ = m10 * f.sx_ + m11 * f.sy_ + ty * n;
  g.sxx_ = m00 * m00 * f.sxx_ + m01 * m01 * f.syy_ + tx * tx * n +
           2.0 * (m00 * m01 * f.sxy_ + m00 * tx * f.sx_ + m01 * tx * f.sy_);
  g.syy_ = m10 * m10 * f.sxx_ + m11 * m11 * f.syy_ + ty * ty * n +
           2.0 * (m10 * m11 * f.sxy_ + m10 * ty * f.sx_ + m11 * ty * f.sy_);
  g.sxy_ = m00 * m10 * f.sxx_ + m01 * m11 * f.syy_ + tx * ty * n +
           (m00 * m11 + m01 * m10) * f.sxy_ + (m00 * ty + m10 * tx) * f.sx_ +
           (m01 * ty + m11 * tx) * f.sy_;
  return g;
}

extern "C" int32_t cidut_lineFitting(cidut_line* line, const cmath_vect* points, int32_t count) {
  CIDUT_CHECK(line != nullptr);
  CIDUT_CHECK(points != nullptr);
  CIDUT_CHECK(count >= 1);
  double sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0;
  for (const cmath_vect* p = points; p != points + count; ++p) {
    sx += p->x;
    sy += p->y;
    sxx += p->x * p->x;
    syy += p->y * p->y;
    sxy += p->x * p->y;
  }
  const scatter m = getScatter(count, sx, sy, sxx, syy, sxy);
  if (m.b == 0.0 && m.a - m.c == 0.0) return 0;
  const axis l = withOriginOnNormalSide(getAxis(m));
  line->dir = cmath_vect{l.k, l.s};
  line->pos = cmath_vect{-l.d * l.s, l.d * l.k};  // foot of the perpendicular from the origin
  return 0;
}
