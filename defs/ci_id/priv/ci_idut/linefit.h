// Least-squares line fitting: the line that minimises the sum of squared perpendicular
// distances of a point set (orthogonal regression).
//
// ccCidLSLineFitter keeps only the running sums of a point set, so sets can be fitted,
// merged and transformed in constant time. cidut_lineFitting fits an array of points;
// cidut_line_fit fits a vector of points, optionally leaving out the given number of
// outliers chosen by exhaustive search, and reports error, verdict and elapsed time.
//
// Fitted lines follow the convention of geometry/line.h; their direction is the principal
// axis of the points, turned so that the origin lies at a non-negative signed distance.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "ci_id/priv/ci_idut/geometry/line.h"
#include "kit/cxvector.h"
#include "kit/linalg.h"
#include "kit/math.h"

class ccCidLSLineFitter;

// The fitter of the points mapped by xform.
CIDUT_API ccCidLSLineFitter operator*(const cx2Xform& xform, const ccCidLSLineFitter& fitter);

class CIDUT_API ccCidLSLineFitter {
 public:
  ccCidLSLineFitter() { reset(); }
  explicit ccCidLSLineFitter(const cxVector<cx2Vect>& points);

  void reset();
  void update(const cx2Vect& point);
  int32_t numPoints() const { return n_; }

  ccCidLSLineFitter& operator+=(const ccCidLSLineFitter& other);
  ccCidLSLineFitter operator+(const ccCidLSLineFitter& other) const;
  ccCidLSLineFitter(const ccCidLSLineFitter& other) = default;
  ccCidLSLineFitter& operator=(const ccCidLSLineFitter& other) = default;

  // Writes the fitted line; false (line untouched) for fewer than two points or an
  // isotropic scatter, where no direction is preferred. Throws cxException
  // CIDUT_ERR_BAD_DIRECTION when the line cannot be built.
  bool fit(cidut_line& line) const;
  // The fitted line; throws cxException CIDUT_ERR_NO_LINE_FIT where fit(line) is false.
  cidut_line fit() const;
  // As fit(line), also giving the sum of squared distances from the fitted line. Either
  // pointer may be null.
  bool fitAndError(cidut_line* line, double* error) const;
  // Sum of squared perpendicular distances of the points from line.
  double error(const cidut_line& line) const;

  friend ccCidLSLineFitter operator*(const cx2Xform& xform, const ccCidLSLineFitter& fitter);

 private:
  int32_t n_;
  double sx_;
  double sy_;
  double sxx_;
  double syy_;
  double sxy_;
};

static_assert(sizeof(ccCidLSLineFitter) == 48, "n and five sums");

// Parameters of cidut_line_fit.
typedef struct cidut_linefit_params {
  int32_t numIgnore;  // points left out as outliers; 0 uses all points
  double maxError;    // the fit is accepted when its rms error is below this
} cidut_linefit_params;

static_assert(sizeof(cidut_linefit_params) == 16, "numIgnore, maxError");

// Result of cidut_line_fit. Owns its ignored vector: construct and destroy it as a C++
// object, and set it up with cidut_linefit_result_init.
struct cidut_linefit_result {
  int32_t accepted;             // 1 when params.maxError > rms
  cidut_line line;              // the fitted line
  double rms;                   // rms perpendicular distance of the points used
  cidut_linefit_params params;  // the parameters used
  cxVector<uint32_t> ignored;   // input indices of the points left out
  double msec;                  // elapsed time, milliseconds
};

extern "C" {

// Fits count points. A scatter with no preferred direction (all points equal, or spread
// alike in every direction) leaves line untouched and returns 0. count >= 1.
CIDUT_API int32_t cidut_lineFitting(cidut_line* line, const cmath_vect* points, int32_t count);

CIDUT_API int32_t cidut_linefit_params_set(cidut_linefit_params* params, int32_t numIgnore,
                                           double maxError);

}  // extern "C"

// Clears the result (accepted 0, rms 0, no ignored points, zero line and parameters).
CIDUT_API int32_t cidut_linefit_result_init(cidut_linefit_result* result);

// Fits points, leaving out params->numIgnore of them: every choice of that many points is
// tried and the one whose remaining points fit with the least rms error wins (the search
// costs C(N, numIgnore) fits, so keep numIgnore small). CIDUT_ERR_LINE_FIT_FAILED, result
// untouched, when fewer than numIgnore + 2 points are given; CIDUT_ERR_LINE_FIT_FAILED
// when no line can be fitted; CIDUT_ERR_NO_MEMORY.
CIDUT_API int32_t cidut_line_fit(const cidut_linefit_params* params,
                                 const cxVector<cx2Vect>* points, cidut_linefit_result* result);
