// cxRange, a one-dimensional interval that may also be empty or unbounded, and
// cxHistoStats, statistics of an integer histogram computed on first use.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "kit/cxvector.h"

struct cxRangeDefs {
  enum Range : int32_t {
    partial = 0,  // the finite interval [start, end]
    empty = 1,
    full = 2,  // the whole real line
  };
};

// Operations return new ranges; only assignment changes a range. Operations that need a
// finite interval throw cxException CIDUT_ERR_RANGE_NOT_FINITE for the empty and the full
// range; invalid arguments throw CIDUT_ERR_BAD_PARAMETER.
class CIDUT_API cxRange {
 public:
  // The empty range.
  cxRange();
  // [start, end]; end < start throws ("start > end"). start = end is a single point.
  cxRange(double start, double end);

  static cxRange FullRange();
  static cxRange EmptyRange();

  double start() const;
  double end() const;
  double middle() const;
  // 0 for the empty range, the largest double for the full range.
  double length() const;
  // Both ends included.
  bool isWithin(double x) const;

  cxRange intersect(const cxRange& other) const;
  cxRange translate(double distance) const;
  // Multiplies both ends by factor > 0 (else throws "scale <= 0").
  cxRange scale(double factor) const;
  // Minkowski sum: every x + y with x in this range and y in other.
  cxRange dilate(const cxRange& other) const;
  // [start - other.start, end - other.end], empty when that is reversed.
  cxRange erode(const cxRange& other) const;
  // The intersection is longer than minLength.
  bool someOverlap(const cxRange& other, double minLength) const;

  bool operator==(const cxRange& other) const;
  bool operator!=(const cxRange& other) const { return !(*this == other); }
  cxRange(const cxRange& other) = default;
  cxRange& operator=(const cxRange& other) = default;

  // Throws unless the range is a finite interval.
  void checkPartialRange() const;

 private:
  explicit cxRange(cxRangeDefs::Range kind);
  // The kind, checked to be one of the three.
  cxRangeDefs::Range getKind() const;

  cxRangeDefs::Range kind_;
  double start_;
  double end_;
};

static_assert(sizeof(cxRange) == 24, "kind, start, end");

// Statistics of a histogram whose bin index is the sample value. Moments, mode and the
// percentile table are computed on first use and kept until the next init.
class CIDUT_API cxHistoStats {
 public:
  cxHistoStats();
  ~cxHistoStats();

  // Takes a new histogram: with take, swaps contents with histogram (which receives the
  // old bins); otherwise copies it (CIDUT_ERR_NO_MEMORY keeps the old bins).
  int32_t init(cxVector<uint32_t>& histogram, bool take);

  double mean() const;
  // Sample standard deviation and variance (divisor nSamp - 1; 0 for fewer than two).
  double sDev() const;
  double var() const;
  // The most frequent value; the lowest one on ties.
  int32_t mode() const;
  int32_t median() const { return inverseCum(50); }
  int32_t histMin() const { return inverseCum(0); }
  int32_t histMax() const { return inverseCum(100); }
  int32_t min() const { return inverseCum(0); }
  int32_t max() const { return inverseCum(100); }
  // The value at the given percentile (clamped to 0..100); 100 gives the largest value.
  int32_t inverseCum(int32_t percent) const;

  uint32_t nSamp() const { return nSamp_; }
  const cxVector<uint32_t>& histogram() const { return histogram_; }
  // The histogram has at least one bin.
  bool isValid() const { return histogram_.size() >= 1; }
  void repInvariant() const {}

 private:
  void computeMoments() const;
  void computeInverseCum() const;

  cxVector<uint32_t> histogram_;
  mutable bool momentsValid_;
  mutable bool inverseCumValid_;
  mutable bool modeValid_;
  uint32_t nSamp_;
  mutable int32_t mode_;
  mutable double mean_;
  mutable double sDev_;
  mutable double var_;
  mutable int32_t inverseCum_[101];  // entry p: the value at percentile p
};
