// cidut_edgesToTeeth: the teeth of a clock track from the edges along a scan rectangle.
// With a perspective mapping the edges are first carried into the mapped frame, where the
// track is evenly spaced, and the expected lengths scaled with the rectangle; pairing,
// selection and completion then work on 24.8 integers alone.
#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"
#include "id/idut/pitch/teeth_steps.h"

namespace {

// Fewer edges than this hold no clock track.
constexpr int32_t minimumEdges = 5;

void resetResults(cidut_teethResults* results) {
  results->dominantWidth = -256;
  results->dominantShift = -256;
  results->measuredPitch = -256;
  results->avgCellSizeDeviation = -256;
  results->avgCellSize = -256;
  results->expectedWidth = -256;
  results->bestIndex = -1;
}

// The mapped rectangle's centre form and the edges at their distances from the mapped
// centre; the expected lengths of scan.params scaled by the ratio of the x lengths.
int32_t mapEdges(const cmath_shapeAffineRectCenter& centre, const cmath_xform* forward,
                 const cidut_edge1D* edges, int32_t count, cidut_edge1D* mapped,
                 cmath_shapeAffineRectCenter* mappedCentre, ccTeethScan* scan) {
  cmath_shapeAffineRect rect;
  if (const int32_t status = cmath_shapeAffineRect_initCenter(&rect, &centre); status < 0) {
    return status;
  }
  cmath_vect unit;
  if (const int32_t status = cmath_shapeAffineRect_getUnitPoPx(&rect, &unit); status < 0) {
    return status;
  }
  cmath_shapeAffineRect mappedRect;
  if (const int32_t status = cidut_affine_mapPerspective(&rect, forward, &mappedRect); status < 0) {
    return status;
  }
  if (const int32_t status = cmath_shapeAffineRect_getCenter(&mappedRect, mappedCentre);
      status < 0) {
    return status;
  }
  const double s = mappedCentre->xLength / centre.xLength;
  cidut_edgePairingParams& p = scan->params;
  p.expectedWidth *= s;
  p.widthRange.lower *= s;
  p.widthRange.upper *= s;
  p.expectedPitch *= s;
  p.originOffset *= s;

  for (int32_t i = 0; i < count; ++i) {
    const double along = edges[i].position / 256.0;
    cmath_vect point{centre.center.x + along * unit.x, centre.center.y + along * unit.y};
    if (const int32_t status = cmath_xform_mapPoint(forward, &point, &point); status < 0) {
      return status;
    }
    double distance = 0.0;
    if (const int32_t status = cmath_vect_getDistance(&point, &mappedCentre->center, &distance);
        status < 0) {
      return status;
    }
    if (edges[i].position < 0) distance = -distance;
    mapped[i].position = cidut_teethFixed(distance);
    mapped[i].magnitude = edges[i].magnitude;
  }
  return 0;
}

// The line through the mapped centre along the mapped x direction.
int32_t mappedAxis(const cmath_shapeAffineRectCenter& mappedCentre, cmath_shapeLine* axis) {
  cmath_shapeAffineRect rect;
  if (const int32_t status = cmath_shapeAffineRect_initCenter(&rect, &mappedCentre); status < 0) {
    return status;
  }
  axis->point = mappedCentre.center;
  return cmath_shapeAffineRect_getUnitPoPx(&rect, &axis->direction);
}

}  // namespace

extern "C" int32_t cidut_edgesToTeeth(const cidut_edgePairingParams* params,
                                      const cidut_edgeList1D* edges, const cmath_xform* forward,
                                      const cmath_xform* inverse, const cmath_shapeAffineRect* rect,
                                      const cmath_xformLinear* pointXform,
                                      cidut_teethResults* results) {
  CIDUT_CHECK(params != nullptr && edges != nullptr && rect != nullptr && results != nullptr);
  CIDUT_CHECK(edges->count >= 0 && (edges->count == 0 || edges->edges != nullptr));
  ccTeethScan scan;
  scan.params = *params;
  resetResults(results);
  ccCleanupFrame<2> frame;
  if (frame.failed(cstd_vector_cidut_toothCand_clear(&results->teeth))) return frame.exit();
  if (edges->count < minimumEdges) return frame.exit();

  cstd_vector_cidut_teethResults bins;
  if (frame.failed(cstd_vector_cidut_teethResults_constructEmpty(&bins))) return frame.exit();
  frame.holdObject<cstd_vector_cidut_teethResults_destruct>(&bins);
  cmath_shapeAffineRectCenter centre;
  if (frame.failed(cmath_shapeAffineRect_getCenter(rect, &centre))) return frame.exit();
  if ((edges->flags & CIDUT_EDGES_ALONG_X) == 0) return frame.fail(CIDUT_ERR_BAD_PARAMETER);

  scan.edges = edges->edges;
  scan.mapped = edges->edges;
  scan.count = edges->count;
  cmath_shapeAffineRectCenter mappedCentre = centre;
  const bool mapping = forward != nullptr && inverse != nullptr;
  cidut_edge1D* mapped = nullptr;  // held by the frame until the call ends
  if (mapping) {
    if (frame.failed(csys_memory_alloc_internal(sizeof(cidut_edge1D) * size_t(scan.count),
                                                (void**)&mapped))) {
      return frame.exit();
    }
    frame.holdBlock(&mapped);
    if (frame.failed(
            mapEdges(centre, forward, scan.edges, scan.count, mapped, &mappedCentre, &scan))) {
      return frame.exit();
    }
    scan.mapped = mapped;
  }
  const cidut_edgePairingParams& p = scan.params;
  scan.mappedXLength = mappedCentre.xLength;
  scan.expectedWidth = cidut_teethFixed(p.expectedWidth);
  scan.pitch = cidut_teethFixed(p.expectedPitch);
  scan.half = cidut_teethFixed(mappedCentre.xLength / 2.0);
  scan.origin = p.originOffset < 0.0 ? scan.half : cidut_teethFixed(p.originOffset);

  ccTeethFrame geometry;
  geometry.inverse = mapping ? inverse : nullptr;
  geometry.pointXform = pointXform;
  geometry.unmappedCentre = centre.center;
  geometry.mappedAxis = cmath_shapeLine{};
  if ((mapping || p.computePoints) &&
      frame.failed(mappedAxis(mappedCentre, &geometry.mappedAxis))) {
    return frame.exit();
  }

  if (frame.failed(csys_attention_check()) || frame.failed(cidut_teethPairIntoBins(scan, &bins)) ||
      frame.failed(csys_attention_check()) ||
      frame.failed(cidut_teethSelect(scan, &bins, results)) ||
      frame.failed(csys_attention_check()) ||
      frame.failed(cidut_teethComplete(scan, geometry, results)) ||
      frame.failed(csys_attention_check())) {
    return frame.exit();
  }
  results->expectedWidth = scan.expectedWidth;
  return frame.exit();
}
