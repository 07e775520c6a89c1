// Sampling set-up of a segment: conversion of its ends to 16.16 positions relative to the
// window, outcode clipping to the part of the window where a sample has all four bilinear
// neighbours, and the range of sample indices that stays inside it.
#include "id/idut/pitch/segment_clip.h"

#include "ci_id/priv/ci_idut/frame.h"
#include "id/idut/frame/check.h"

namespace {

// Sides of the usable window 0 <= u < uEnd, 0 <= v < vEnd that an end lies beyond.
enum : int32_t { beyondLeft = 1, beyondRight = 2, beyondBottom = 4, beyondTop = 8 };
constexpr int32_t beyondU = beyondLeft | beyondRight;
constexpr int32_t beyondV = beyondBottom | beyondTop;

// Keeps a clipped end strictly inside the upper bounds.
constexpr double insideUpperBound = 1e-11;

struct ccClipWindow {
  double uEnd;  // width - 1: a sample at u < uEnd still has column u + 1
  double vEnd;  // height - 1
};

int32_t outcode(double u, double v, const ccClipWindow& window) {
  int32_t code = 0;
  if (v < 0.0) {
    code = beyondTop;
  } else if (v >= window.vEnd) {
    code = beyondBottom;
  }
  if (u < 0.0) {
    code |= beyondLeft;
  } else if (u >= window.uEnd) {
    code |= beyondRight;
  }
  return code;
}

// Moves the end (u, v) with the given outcode along the line through (otherU, otherV)
// onto the window's border: first onto the row bound it lies beyond, then, if u is still
// (or was only) outside, onto the column bound.
void clipEnd(double& u, double& v, int32_t code, double otherU, double otherV,
             const ccClipWindow& window) {
  if (code & beyondV) {
    const double target = (code & beyondTop) ? 0.0 : window.vEnd - insideUpperBound;
    CIDUT_CHECK(otherV - v != 0.0);
    u += (otherU - u) * (target - v) / (otherV - v);
    v = target;
    if (u >= 0.0 && u < window.uEnd) return;
  }
  const double target = u < 0.0 ? 0.0 : window.uEnd - insideUpperBound;
  CIDUT_CHECK(otherU - u != 0.0);
  v += (otherV - v) * (target - u) / (otherU - u);
  u = target;
}

// A window-relative coordinate in 16.16, truncated toward zero.
int64_t toFixed(double coordinate) {
  CIDUT_CHECK(coordinate > -65536.0 && coordinate < 65536.0);
  return int64_t(coordinate * 65536.0);
}

// Narrows [first, end) to the indices i whose position start + i step (one axis) lies
// between the clipped ends, rounding inwards by one step less one unit.
void narrowToClip(int64_t start, int64_t step, int64_t clippedFirst, int64_t clippedSecond,
                  int64_t& first, int64_t& end) {
  const int64_t inward = step - (step >= 1 ? 1 : -1);
  first = (clippedFirst - start + inward) / step;
  end = (clippedSecond - start - inward) / step;
}

}  // namespace

int32_t cidut_lineSampling_init(const cimg_windowConst* window, const cmath_vect* first,
                                const cmath_vect* second, int32_t n, bool centred,
                                ccLineSampling* sampling) {
  const double u1 = first->x - window->x0 - 0.5, v1 = first->y - window->y0 - 0.5;
  const double u2 = second->x - window->x0 - 0.5, v2 = second->y - window->y0 - 0.5;
  const int64_t U1 = toFixed(u1), V1 = toFixed(v1), U2 = toFixed(u2), V2 = toFixed(v2);
  const int64_t dU = (U2 - U1) / n, dV = (V2 - V1) / n;

  int64_t start = 0, end = n;
  const ccClipWindow clip{double(window->width - 1), double(window->height - 1)};
  const int32_t code1 = outcode(u1, v1, clip), code2 = outcode(u2, v2, clip);
  if (code1 != 0 || code2 != 0) {
    if (((code1 & beyondU) != 0 && (code1 & beyondU) == (code2 & beyondU)) ||
        ((code1 & beyondV) != 0 && (code1 & beyondV) == (code2 & beyondV))) {
      return CIDUT_ERR_OUTSIDE_WINDOW;
    }
    double cu1 = u1, cv1 = v1, cu2 = u2, cv2 = v2;
    if (code1 != 0) {
      clipEnd(cu1, cv1, code1, u2, v2, clip);
      if (outcode(cu1, cv1, clip) != 0) return CIDUT_ERR_OUTSIDE_WINDOW;
    }
    if (code2 != 0) clipEnd(cu2, cv2, code2, cu1, cv1, clip);
    const int64_t U1c = toFixed(cu1), V1c = toFixed(cv1), U2c = toFixed(cu2), V2c = toFixed(cv2);
    if (dV != 0) narrowToClip(V1, dV, V1c, V2c, start, end);
    if (dU != 0) {
      int64_t startU = 0, endU = n;
      narrowToClip(U1, dU, U1c, U2c, startU, endU);
      if (startU > start) start = startU;
      if (endU < end) end = endU;
    }
    // Heavy oversampling of a short segment can push the rounded range past the profile.
    if (start < 0) start = 0;
    if (end > n) end = n;
    if (start >= end) return CIDUT_ERR_OUTSIDE_WINDOW;
  }

  sampling->u = centred ? U1 + (dU >> 1) : U1;
  sampling->v = centred ? V1 + (dV >> 1) : V1;
  sampling->du = dU;
  sampling->dv = dV;
  sampling->first = int32_t(start);
  sampling->end = int32_t(end);
  return 0;
}
