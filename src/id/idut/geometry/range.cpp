// cxRange: intervals of the real line, with the empty and the full range as values.
#include "ci_id/priv/ci_idut/geometry/range.h"

#include <cfloat>

#include "id/idut/frame/check.h"
#include "kit/object.h"

cxRange::cxRange() : kind_(cxRangeDefs::empty), start_(0.0), end_(0.0) {}

cxRange::cxRange(double start, double end) : kind_(cxRangeDefs::partial), start_(start), end_(end) {
  if (end < start) throw cxException(CIDUT_ERR_BAD_PARAMETER, "start > end");
}

cxRange::cxRange(cxRangeDefs::Range kind) : kind_(kind), start_(0.0), end_(0.0) {}

cxRange cxRange::FullRange() {
  static const cxRange full(cxRangeDefs::full);
  return full;
}

cxRange cxRange::EmptyRange() {
  static const cxRange empty(cxRangeDefs::empty);
  return empty;
}

cxRangeDefs::Range cxRange::getKind() const {
  CIDUT_CHECK(kind_ == cxRangeDefs::partial || kind_ == cxRangeDefs::empty ||
              kind_ == cxRangeDefs::full);
  return kind_;
}

void cxRange::checkPartialRange() const {
  if (getKind() != cxRangeDefs::partial) throw cxException(CIDUT_ERR_RANGE_NOT_FINITE, "");
}

double cxRange::start() const {
  checkPartialRange();
  return start_;
}

double cxRange::end() const {
  checkPartialRange();
  return end_;
}

double cxRange::middle() const {
  checkPartialRange();
  return (start_ + end_) * 0.5;
}

double cxRange::length() const {
  switch (getKind()) {
    case cxRangeDefs::partial:
      return end_ - start_;
    case cxRangeDefs::empty:
      return 0.0;
    case cxRangeDefs::full:
      break;
  }
  return DBL_MAX;
}

bool cxRange::isWithin(double x) const {
  switch (getKind()) {
    case cxRangeDefs::partial:
      return start_ <= x && x <= end_;
    case cxRangeDefs::empty:
      return false;
    case cxRangeDefs::full:
      break;
  }
  return true;
}

cxRange cxRange::intersect(const cxRange& other) const {
  const cxRangeDefs::Range kind = getKind();
  const cxRangeDefs::Range otherKind = other.getKind();
  if (kind == cxRangeDefs::empty) return *this;
  if (kind == cxRangeDefs::full) return other;
  if (otherKind == cxRangeDefs::empty) return other;
  if (otherKind == cxRangeDefs::full) return *this;
  const double lo = other.start_ > start_ ? other.start_ : start_;
  const double hi = other.end_ < end_ ? other.end_ : end_;
  if (hi < lo) return EmptyRange();
  return cxRange(lo, hi);
}

cxRange cxRange::translate(double distance) const {
  if (getKind() != cxRangeDefs::partial) return *this;
  return cxRange(start_ + distance, end_ + distance);
}

cxRange cxRange::scale(double factor) const {
  if (factor <= 0.0) throw cxException(CIDUT_ERR_BAD_PARAMETER, "scale <= 0");
  if (getKind() != cxRangeDefs::partial) return *this;
  return cxRange(start_ * factor, end_ * factor);
}

cxRange cxRange::dilate(const cxRange& other) const {
  const cxRangeDefs::Range kind = getKind();
  const cxRangeDefs::Range otherKind = other.getKind();
  if (kind == cxRangeDefs::empty) return other;
  if (kind == cxRangeDefs::full) return *this;
  if (otherKind == cxRangeDefs::empty) return *this;
  if (otherKind == cxRangeDefs::full) return other;
  return cxRange(start_ + other.start_, end_ + other.end_);
}

cxRange cxRange::erode(const cxRange& other) const {
  const cxRangeDefs::Range kind = getKind();
  const cxRangeDefs::Range otherKind = other.getKind();
  if (kind != cxRangeDefs::partial) return *this;
  if (otherKind == cxRangeDefs::empty) return *this;
  if (otherKind == cxRangeDefs::full) return EmptyRange();
  const double lo = start_ - other.start_;
  const double hi = end_ - other.end_;
  if (!(hi >= lo)) return EmptyRange();
  return cxRange(lo, hi);
}

bool cxRange::someOverlap(const cxRange& other, double minLength) const {
  return intersect(other).length() > minLength;
}

bool cxRange::operator==(const cxRange& other) const {
  const cxRangeDefs::Range kind = getKind();
  if (kind != other.getKind()) return false;
  return kind != cxRangeDefs::partial || (start_ == other.start_ && end_ == other.end_);
}
