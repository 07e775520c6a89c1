// cidut_line_fit: a line fitted to a point vector, optionally without a fixed number of
// outliers found by trying every choice of them. The fitter's exceptions end here and
// become statuses.
#include <cmath>

#include "ci_id/priv/ci_idut/linefit.h"
#include "id/idut/frame/check.h"
#include "kit/object.h"

namespace {

// Root-mean-square signed distance of the points from line.
double getRmsError(const cidut_line& line, const cxVector<cx2Vect>& points) {
  CIDUT_CHECK(points.size() != 0);
  double sum = 0.0;
  for (const cx2Vect& p : points) {
    double distance;
    if (const int32_t status = cidut_line_getDistToPoint(&line, &p.vect(), &distance); status < 0)
      throw cxException(status, "src/id/idut/linefit", 260);
    sum += distance * distance;
  }
  return std::sqrt(sum / static_cast<double>(points.size()));
}

// working = the points whose indices are not in ignored (strictly descending).
void collectWorkingSet(const cxVector<cx2Vect>& points, const cxVector<uint32_t>& ignored,
                       cxVector<cx2Vect>& working) {
  const uint32_t* nextIgnored = ignored.end();  // the smallest index not yet passed
  cx2Vect* out = working.begin();
  for (uint32_t i = 0; i < points.size(); ++i) {
    if (nextIgnored != ignored.begin() && nextIgnored[-1] == i) {
      --nextIgnored;
      continue;
    }
    *out++ = points[i];
  }
}

// Steps idx (k strictly descending indices below count) to the next choice; false after
// the last.
bool nextCombination(cxVector<uint32_t>& idx, size_t count) {
  for (size_t i = 0; i < idx.size(); ++i) {
    idx[i] += 1;
    if (idx[i] < count - i) {
      for (size_t j = i; j >= 1; --j) idx[j - 1] = idx[j] + 1;
      return true;
    }
  }
  return false;
}

// Tries every choice of numIgnore points to leave out and keeps the best fit of the rest.
int32_t fitWithoutOutliers(const cxVector<cx2Vect>& points, int32_t numIgnore, cidut_line* line,
                           double* rms, cxVector<uint32_t>& ignored) {
  const size_t count = points.size();
  const size_t k = static_cast<size_t>(numIgnore);
  cxVector<uint32_t> idx;
  if (const int32_t status = idx.resize(k); status < 0) return status;
  for (size_t i = 0; i < k; ++i) idx[i] = static_cast<uint32_t>(k - 1 - i);
  cxVector<cx2Vect> working;
  if (const int32_t status = working.resize(count - k); status < 0) return status;

  double best = HUGE_VAL;
  do {
    collectWorkingSet(points, idx, working);
    try {
      const cidut_line candidate = ccCidLSLineFitter(working).fit();
      const double error = getRmsError(candidate, working);
      if (error < best) {
        best = error;
        *line = candidate;
        if (const int32_t status = ignored.assign(idx); status < 0) return status;
      }
    } catch (const cxException&) {
      // no line through this choice: try the next
    }
  } while (nextCombination(idx, count));

  if (best == HUGE_VAL) return CIDUT_ERR_LINE_FIT_FAILED;
  *rms = best;
  return 0;
}

}  // namespace

extern "C" int32_t cidut_linefit_params_set(cidut_linefit_params* params, int32_t numIgnore,
                                            double maxError) {
  CIDUT_CHECK(params != nullptr);
  params->numIgnore = numIgnore;
  params->maxError = maxError;
  return 0;
}

int32_t cidut_linefit_result_init(cidut_linefit_result* result) {
  CIDUT_CHECK(result != nullptr);
  result->accepted = 0;
  result->rms = 0.0;
  if (const int32_t status = result->ignored.clear(); status < 0) return status;
  result->msec = 0.0;
  result->line = cidut_line{};
  result->params = cidut_linefit_params{};
  return 0;
}

int32_t cidut_line_fit(const cidut_linefit_params* params, const cxVector<cx2Vect>* points,
                       cidut_linefit_result* result) {
  CIDUT_CHECK(params != nullptr);
  CIDUT_CHECK(result != nullptr);
  CIDUT_CHECK(params->numIgnore >= 0);
  if (static_cast<size_t>(params->numIgnore) + 2 > points->size()) return CIDUT_ERR_LINE_FIT_FAILED;

  const cxTimer timer;
  if (const int32_t status = cidut_linefit_result_init(result); status < 0) return status;
  cidut_line line{};
  double rms = 0.0;
  if (params->numIgnore == 0) {
    try {
      line = ccCidLSLineFitter(*points).fit();
      rms = getRmsError(line, *points);
    } catch (const cxException&) {
      return CIDUT_ERR_LINE_FIT_FAILED;
    }
  } else if (const int32_t status =
                 fitWithoutOutliers(*points, params->numIgnore, &line, &rms, result->ignored);
             status < 0) {
    return status;
  }

  result->msec = timer.msec();
  result->params = *params;
  result->rms = rms;
  result->accepted = params->maxError > rms ? 1 : 0;
  result->line = line;
  return 0;
}
