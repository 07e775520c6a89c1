// Pitch refinement of a clock grid from feature positions along one axis.
//
// Each feature gets a period index x = |p - origin| / P and a phase y in 1/256 period
// under the current estimate P. With the right pitch the phase stays constant; with a
// pitch off by e it drifts by 256 e / P per period, so the slope of the line fitted to
// (x, y) corrects the estimate. Runs of at most K periods are fitted separately (the drift
// stays below half a period within one, so the phase does not wrap), each under two
// origins half a period apart, the better of which is kept; the kept runs are shifted onto
// a common centroid and fitted together, outliers removed once, and the pass repeated
// while the estimate improves and its accuracy allows longer runs. All 32-bit integer
// sums, with the products of the fits taken in 64 bits.
#include <stdlib.h>

#include <algorithm>

#include "ci_id/priv/ci_idut/pitch.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"

namespace {

// A fit's slope and residual when its x values do not vary.
constexpr int32_t noFit = 0x7FFFFFFF;

struct ccPhasePair {
  int32_t x;  // period index
  int32_t y;  // phase within the period, 1/256 period
};

// Period index and phase of distance D from the origin under pitch P.
ccPhasePair phasePair(int32_t distance, int32_t pitch) {
  const int32_t x = distance / pitch;
  return {x, (distance << 8) / pitch - 256 * x};
}

// Running sums of a least-squares line fit y = b x + a.
struct ccFitSums {
  int32_t count = 0;
  int32_t sumX = 0, sumY = 0, sumXX = 0, sumYY = 0, sumXY = 0;

  void add(ccPhasePair p) {
    ++count;
    sumX += p.x;
    sumY += p.y;
    sumXX += p.x * p.x;
    sumYY += p.y * p.y;
    sumXY += p.x * p.y;
  }
  void remove(ccPhasePair p) {
    --count;
    sumX -= p.x;
    sumY -= p.y;
    sumXX -= p.x * p.x;
    sumYY -= p.y * p.y;
    sumXY -= p.x * p.y;
  }
  void add(const ccFitSums& other) {
    count += other.count;
    sumX += other.sumX;
    sumY += other.sumY;
    sumXX += other.sumXX;
    sumYY += other.sumYY;
    sumXY += other.sumXY;
  }
  // The sums of the pairs moved by (-dx, -dy).
  void translate(int32_t dx, int32_t dy) {
    const int32_t m = count;
    sumXX = sumXX - 2 * dx * sumX + m * dx * dx;
    sumYY = sumYY - 2 * dy * sumY + m * dy * dy;
    sumXY = sumXY - dx * sumY - dy * sumX + m * dx * dy;
    sumX -= m * dx;
    sumY -= m * dy;
  }
  // Integer means.
  int32_t meanX() const { return sumX / count; }
  int32_t meanY() const { return sumY / count; }
};

struct ccLineFit {
  bool valid;  // false when the x values do not vary
  int32_t a;   // intercept, 1/256 period
  int32_t b;   // slope, 1/256 period per period
};

ccLineFit fitLine(const ccFitSums& s) {
  const int64_t m = s.count, det = m * s.sumXX - int64_t{s.sumX} * s.sumX;
  if (det == 0) return {false, 0, 0};
  const int64_t a = (int64_t{s.sumXX} * s.sumY - int64_t{s.sumX} * s.sumXY) / det;
  const int64_t b = (m * s.sumXY - int64_t{s.sumX} * s.sumY) / det;
  return {true, int32_t(a), int32_t(b)};
}

// Slope and residual sum of squares of a run's fit (noFit for both without a fit).
struct ccRunFit {
  int64_t residual;
  int32_t slope;
};

ccRunFit fitRun(const ccFitSums& s) {
  const ccLineFit fit = fitLine(s);
  if (!fit.valid) return {noFit, noFit};
  const int64_t a = fit.a, b = fit.b;
  const int64_t residual = s.sumYY - 2 * a * s.sumY - 2 * b * s.sumXY + s.count * a * a +
                           2 * a * b * s.sumX + b * b * s.sumXX;
  return {residual, fit.b};
}

int32_t residualOf(ccPhasePair p, const ccLineFit& fit) {
  return abs(p.y - (fit.b * p.x + fit.a));
}

// One refinement pass over the positions with estimate P, runs of at most K periods and
// search width W. The kept pairs collect at the front of work (2n pairs); the current
// run's pairs under the first origin follow them, under the second origin they use the
// second half.
class ccRefinementPass {
 public:
  ccRefinementPass(int32_t n, const int32_t* positions, int32_t inlierWindow, ccPhasePair* work)
      : n_(n), positions_(positions), inlierWindow_(inlierWindow), work_(work) {}

  // Returns the new estimate; sets periodSum and inliers unless P is below W.
  int32_t run(int32_t K, int32_t P, int32_t W, int32_t& periodSum, int32_t& inliers) {
    if (P < W) return P;
    inliers = 0;
    main_ = {};
    kept_ = 0;
    const int32_t originA = positions_[0];
    const int32_t direction = positions_[n_ - 1] < positions_[0] ? -1 : 1;
    const int32_t originB = positions_[0] - (direction * P) / 2;
    int32_t runStart = 0;
    for (int32_t i = 0; i < n_; ++i) {
      const int32_t distance = abs(positions_[i] - originA);
      const int32_t x = distance / P;
      // More than K periods after the run's start (with half a period to spare): the
      // feature starts the next run.
      if ((runStart + K) * 256 < (distance << 8) / P - 128) {
        closeRun();
        runStart = x;
      }
      runLength_ = x - runStart;
      const ccPhasePair a = phasePair(distance, P);
      const ccPhasePair b = phasePair(abs(positions_[i] - originB), P);
      work_[kept_ + runPairs_] = a;
      work_[n_ + runPairs_] = b;
      ++runPairs_;
      runA_.add(a);
      runB_.add(b);
    }
    closeRun();
    periodSum = main_.sumX;
    if (main_.count < 2) return P;

    // Robust refit: drop the pairs off the first fit by more than half the search width.
    const ccLineFit first = fitLine(main_);
    if (!first.valid) return P;
    const int32_t outlier = ((W / 2) << 8) / P;
    for (int32_t k = 0; k < kept_; ++k) {
      if (residualOf(work_[k], first) > outlier) main_.remove(work_[k]);
    }
    const ccLineFit refit = fitLine(main_);
    if (!refit.valid) return P;
    for (int32_t k = 0; k < kept_; ++k) {
      if (residualOf(work_[k], refit) < inlierWindow_ / 2) ++inliers;
    }
    return P + ((refit.b * P) >> 8);
  }

 private:
  // Keeps the current run if it spans at least one period, under the origin that fits it
  // better (equal residuals: the flatter), shifted onto the centroid of the runs kept.
  void closeRun() {
    if (runLength_ > 0) {
      const ccRunFit fitA = fitRun(runA_), fitB = fitRun(runB_);
      const bool useA = fitA.residual == fitB.residual ? abs(fitA.slope) <= abs(fitB.slope)
                                                       : fitA.residual < fitB.residual;
      ccFitSums run = useA ? runA_ : runB_;
      const ccPhasePair* pairs = useA ? work_ + kept_ : work_ + n_;
      int32_t dx = 0, dy = 0;
      if (kept_ > 0) {
        dx = run.meanX() - main_.meanX();
        dy = run.meanY() - main_.meanY();
        run.translate(dx, dy);
      }
      for (int32_t k = 0; k < runPairs_; ++k) {
        work_[kept_ + k] = {pairs[k].x - dx, pairs[k].y - dy};
      }
      kept_ += runPairs_;
      main_.add(run);
    }
    runA_ = {};
    runB_ = {};
    runPairs_ = 0;
    runLength_ = 0;
  }

  const int32_t n_;
  const int32_t* const positions_;
  const int32_t inlierWindow_;
  ccPhasePair* const work_;
  ccFitSums main_, runA_, runB_;
  int32_t kept_ = 0;       // pairs of the kept runs, at the front of work
  int32_t runPairs_ = 0;   // pairs of the current run
  int32_t runLength_ = 0;  // periods from the current run's start to its last feature
};

}  // namespace

extern "C" int32_t cidut_cg1dComputeScaledPitch(int32_t n, const int32_t* positions, int32_t pitch,
                                                int32_t minPermille, int32_t maxPermille,
                                                int32_t tolerance, int32_t /*reserved*/,
                                                int32_t* periodSum, int32_t inlierWindow,
                                                int32_t* inliers, int32_t* refinedPitch) {
  CIDUT_CHECK(positions && periodSum && inliers && refinedPitch);
  CIDUT_CHECK(n >= 2);
  CIDUT_CHECK(pitch >= 1);
  CIDUT_CHECK(minPermille >= 501);
  CIDUT_CHECK(maxPermille >= 1001);
  CIDUT_CHECK(maxPermille >= minPermille);
  CIDUT_CHECK(maxPermille <= 1999);
  CIDUT_CHECK(tolerance >= 1);
  CIDUT_CHECK(tolerance < pitch / 2);
  CIDUT_CHECK(minPermille < 1000);
  // Periods over which a pitch error within the allowed range stays below half a period.
  const int32_t K0 = std::min(499 / (1000 - minPermille), 499 / (maxPermille - 1000));
  CIDUT_CHECK(K0 >= 2);

  ccCleanupFrame<1> frame;
  ccPhasePair* work = nullptr;
  if (frame.failed(
          csys_memory_allocFastMem_internal(2 * sizeof(ccPhasePair) * size_t(n), (void**)&work))) {
    return frame.exit();
  }
  frame.holdBlock(&work);

  int32_t K = K0;
  int32_t W = ((maxPermille - minPermille) * pitch) / 1000 + 2 * tolerance;  // search width
  const int32_t span = abs(positions[n - 1] - positions[0]) / pitch;
  int32_t result = pitch, S = 0, inlierCount = 0;
  ccRefinementPass pass(n, positions, inlierWindow, work);
  for (;;) {
    const int32_t previousS = S, estimate = result;
    const int32_t refined = pass.run(K, estimate, W, S, inlierCount);
    if (S > int64_t{n} * n) break;
    result = refined;
    if (abs(refined - estimate) < 2 || span < K) break;
    if (S != 0) {
      // A better estimate narrows the search and lets runs grow.
      W = std::min(W, (2 * tolerance) / S + 2 * tolerance);
      const int64_t periods = 499 * int64_t{S} * result / tolerance;
      if (periods > K) K = periods > INT32_MAX ? INT32_MAX : int32_t(periods);
      if (span < K) break;
    }
    if (S <= previousS) break;
  }
  *refinedPitch = result;
  *periodSum = S;
  *inliers = inlierCount;
  return frame.exit();
}
