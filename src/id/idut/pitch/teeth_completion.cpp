// Completion of the placed teeth: neighbours that overlap (one's centre inside the other's
// edges, or a shared edge) keep the better one; too few teeth give none; missing slots
// are extrapolated; synthetic teeth get their position along the caller's scan back
// through the inverse perspective mapping; image points and the measured pitch.
#include "id/idut/pitch/teeth_steps.h"

namespace {

bool hasEdge(const cidut_toothCand& tooth) {
  return tooth.firstEdge >= 0 || tooth.secondEdge >= 0;
}

// Whether centre lies strictly between the mapped positions of tooth's two edges.
bool inside(const ccTeethScan& scan, const cidut_toothCand& tooth, int32_t centre) {
  if (tooth.firstEdge < 0 || tooth.secondEdge < 0) return false;
  const int32_t a = scan.mapped[tooth.firstEdge].position;
  const int32_t b = scan.mapped[tooth.secondEdge].position;
  return (a < b ? a : b) < centre && centre < (a < b ? b : a);
}

bool sharesEdge(const cidut_toothCand& a, const cidut_toothCand& b) {
  const int32_t edges[2] = {b.firstEdge, b.secondEdge};
  for (int32_t e : edges) {
    if (e >= 0 && (e == a.firstEdge || e == a.secondEdge)) return true;
  }
  return false;
}

void removeOverlaps(const ccTeethScan& scan, cidut_toothCand* teeth, int32_t count) {
  for (int32_t c = 1; c < count; ++c) {
    cidut_toothCand& tooth = teeth[c];
    cidut_toothCand& before = teeth[c - 1];
    if (!hasEdge(tooth) || !hasEdge(before)) continue;
    if (!inside(scan, tooth, before.centre) && !inside(scan, before, tooth.centre) &&
        !sharesEdge(tooth, before)) {
      continue;
    }
    cidut_toothCand_init(tooth.score < before.score ? &tooth : &before);
  }
}

// The point at distance (24.8) along the mapped scan axis.
int32_t pointAlong(const ccTeethFrame& frame, int32_t distance, cmath_vect* point) {
  return cmath_shapeLine_pointAlong(&frame.mappedAxis, distance / 256.0, point);
}

// Synthetic teeth's centres along the caller's scan: the mapped position taken back
// through the inverse transform, signed like the mapped one.
int32_t unmapSynthetic(const ccTeethFrame& frame, cidut_toothCand* teeth, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    cidut_toothCand& tooth = teeth[i];
    if (tooth.firstEdge >= 0 || tooth.secondEdge >= 0) continue;
    cmath_vect point;
    if (const int32_t status = pointAlong(frame, tooth.centre, &point); status < 0) return status;
    if (const int32_t status = cmath_xform_mapPoint(frame.inverse, &point, &point); status < 0) {
      return status;
    }
    double distance = 0.0;
    if (const int32_t status = cmath_vect_getDistance(&point, &frame.unmappedCentre, &distance);
        status < 0) {
      return status;
    }
    if (tooth.centre < 0) distance = -distance;
    tooth.centreUnmapped = cidut_teethFixed(distance);
  }
  return 0;
}

int32_t computePoints(const ccTeethFrame& frame, cidut_toothCand* teeth, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    cmath_vect point;
    if (const int32_t status = pointAlong(frame, teeth[i].centreUnmapped, &point); status < 0) {
      return status;
    }
    if (frame.pointXform != nullptr) {
      if (const int32_t status = cmath_xformLinear_mapPoint(frame.pointXform, &point, &point);
          status < 0) {
        return status;
      }
    }
    teeth[i].point = point;
  }
  return 0;
}

}  // namespace

int32_t cidut_teethComplete(const ccTeethScan& scan, const ccTeethFrame& frame,
                            cidut_teethResults* results) {
  cidut_toothCand* teeth = nullptr;
  int32_t count = 0;
  if (const int32_t status =
          cstd_vector_cidut_toothCand_getBeginSize(&results->teeth, &teeth, &count);
      status < 0) {
    return status;
  }
  if (count < scan.params.expectedCount || count == 0) return 0;

  removeOverlaps(scan, teeth, count);
  int32_t placed = 0;
  for (int32_t i = 0; i < count; ++i) placed += teeth[i].slot != -1 ? 1 : 0;
  if (placed < scan.params.minTeeth || placed == 0) {
    return cstd_vector_cidut_toothCand_clear(&results->teeth);
  }

  cidut_teethExtrapolate(scan, teeth, count);
  if (frame.inverse != nullptr) {
    if (const int32_t status = unmapSynthetic(frame, teeth, count); status < 0) return status;
  }
  if (scan.params.computePoints) {
    if (const int32_t status = computePoints(frame, teeth, count); status < 0) return status;
  }
  // A single slot has no pitch: the reset value stays.
  if (scan.params.expectedCount >= 2) {
    results->measuredPitch =
        (teeth[count - 1].centre - teeth[0].centre) / (scan.params.expectedCount - 1);
  }
  return 0;
}
