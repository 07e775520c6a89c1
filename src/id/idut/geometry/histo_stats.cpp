// cxHistoStats: moments, mode and percentiles of an integer histogram, each computed on
// first use.
#include <algorithm>
#include <cmath>

#include "ci_id/priv/ci_idut/geometry/range.h"

cxHistoStats::cxHistoStats()
    : momentsValid_(false),
      inverseCumValid_(false),
      modeValid_(false),
      nSamp_(0),
      mode_(0),
      mean_(0.0),
      sDev_(0.0),
      var_(0.0),
      inverseCum_{} {}

cxHistoStats::~cxHistoStats() = default;

int32_t cxHistoStats::init(cxVector<uint32_t>& histogram, bool take) {
  momentsValid_ = inverseCumValid_ = modeValid_ = false;
  nSamp_ = 0;
  mode_ = 0;
  mean_ = sDev_ = var_ = 0.0;
  const int32_t status = take ? histogram_.swap(histogram) : histogram_.assign(histogram);
  for (const uint32_t count : histogram_) nSamp_ += count;
  std::fill(std::begin(inverseCum_), std::end(inverseCum_), 0);
  return status;
}

void cxHistoStats::computeMoments() const {
  momentsValid_ = true;
  mean_ = sDev_ = var_ = 0.0;
  if (nSamp_ == 0) return;
  uint32_t sum = 0;  // wraps like the 32-bit accumulator it is
  for (uint32_t i = 0; i < histogram_.size(); ++i) sum += i * histogram_[i];
  mean_ = static_cast<double>(sum) / nSamp_;
  if (nSamp_ < 2) return;
  double squares = 0.0;
  for (uint32_t i = 0; i < histogram_.size(); ++i) {
    if (histogram_[i] == 0) continue;
    const double deviation = i - mean_;
    squares += histogram_[i] * deviation * deviation;
  }
  var_ = squares / (nSamp_ - 1);
  sDev_ = std::sqrt(var_);
}

double cxHistoStats::mean() const {
  if (!momentsValid_) computeMoments();
  return mean_;
}

double cxHistoStats::sDev() const {
  if (!momentsValid_) computeMoments();
  return sDev_;
}

double cxHistoStats::var() const {
  if (!momentsValid_) computeMoments();
  return var_;
}

void cxHistoStats::computeInverseCum() const {
  inverseCumValid_ = true;
  const double step = nSamp_ / 100.0;
  int32_t k = 0;
  uint32_t cum = 0;
  for (uint32_t i = 0; i < histogram_.size(); ++i) {
    if (histogram_[i] == 0) continue;
    inverseCum_[100] = static_cast<int32_t>(i);
    cum += histogram_[i];
    for (; k <= 100 && k < cum / step; ++k) inverseCum_[k] = static_cast<int32_t>(i);
  }
}

int32_t cxHistoStats::inverseCum(int32_t percent) const {
  if (!inverseCumValid_) computeInverseCum();
  return inverseCum_[std::clamp(percent, 0, 100)];
}

int32_t cxHistoStats::mode() const {
  if (modeValid_) return mode_;
  modeValid_ = true;
  mode_ = 0;
  if (histogram_.size() == 0) return mode_;
  const size_t last =
      inverseCumValid_ ? static_cast<size_t>(inverseCum_[100]) : histogram_.size() - 1;
  uint32_t best = histogram_[0];
  for (size_t i = 1; i <= last; ++i) {
    if (histogram_[i] > best) {
      best = histogram_[i];
      mode_ = static_cast<int32_t>(i);
    }
  }
  return mode_;
}
