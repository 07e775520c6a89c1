// The find-all loop over the library's ring-finder search, and signed edges for it.
#include "idread/locate.h"

#include <stdlib.h>

#include <algorithm>
#include <cmath>

#include "grey_sampler.h"
#include "ring_edges.h"
#include "search_state.h"

namespace {

// Edge positions must fit the 16-bit entries of the edge lists.
constexpr int32_t maxEdgePosition = 32767;

// Whether a find's seed lies beyond the previous one on the same row: a ring found again
// (its seed neither claimed nor marked) would otherwise be found forever.
bool isBeyond(const cid2d_trackingSeed& seed, const cid2d_trackingSeed* previous) {
  return previous == nullptr || seed.x > previous->x;
}

// The ring a search result describes, in perimeter order.
idread_symbol ringOf(const cid2d_trackingResult& result) {
  const cmath_shapeAffineRect& rect = result.rect;
  return idread_symbol{{rect.po, rect.px, result.fourthCorner, rect.py},
                     result.score,
                     result.threshold,
                     result.fourthCornerInferred};
}

cmath_vect centreOf(const idread_symbol& ring) {
  const cmath_vect* c = ring.corners;
  return {(c[0].x + c[1].x + c[2].x + c[3].x) / 4, (c[0].y + c[1].y + c[2].y + c[3].y) / 4};
}

double sideOf(const idread_symbol& ring) {
  const cmath_vect* c = ring.corners;
  return std::max(std::hypot(c[1].x - c[0].x, c[1].y - c[0].y),
                  std::hypot(c[3].x - c[0].x, c[3].y - c[0].y));
}

// The ring the line search finds around `centre` (window pixels) on a line along the unit
// vector `along`, from `half` pixels before the centre to as many after it: the first
// match from the line's start, or, when that ring lies elsewhere (the line began in other
// ink), the first from its end. *found is false when neither is centred within
// `tolerance` pixels.
int32_t ringAcross(const cimg_image* image, const cid2d_trackingParams& params,
                   const idread_ringOptions& options, const cmath_xformLinear& identity,
                   cmath_vect centre, cmath_vect along, int32_t half, double tolerance,
                   ccSearchState* state, idread_symbol* ring, bool* found) {
  *found = false;
  const ccGreySampler sampler(image);
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, cimg_image_asConst(image)); status < 0)
    return status;
  const cmath_vect clientCentre = sampler.toClient(centre.x, centre.y);
  for (const int32_t direction : {1, -1}) {
    // Samples one pixel apart, where the image has them: the line runs in image pixels
    // with pixel centres on whole numbers, as the search takes it.
    std::vector<double> line;
    std::vector<uint8_t> profile;
    for (int32_t t = -half; t <= half; ++t) {
      const double x = centre.x + direction * t * along.x, y = centre.y + direction * t * along.y;
      const double grey = sampler.bilinear(x, y);
      if (grey < 0) {
        if (profile.empty()) continue;
        break;
      }
      line.push_back(x - 0.5 + window.x0);
      line.push_back(y - 0.5 + window.y0);
      profile.push_back(uint8_t(std::lround(grey)));
    }
    std::vector<int16_t> edges;
    idread_signedEdges(profile.data(), int32_t(profile.size()), 0, options.minContrast, &edges);
    if (edges.size() < 6) return 0;
    const int32_t status = cf_BndFindMatchingPDP(
        cimg_image_asConst(image), &params, state->mask(), 0, &identity, state->visits(),
        options.tryThreeSides, edges.data(), int32_t(edges.size()), int32_t(profile.size()), 0,
        line.data(), profile.data(), &state->found);
    if (status < 0 && status != CBT_STATUS_NO_BOUNDARY) return status;
    if (status < 0 || !state->result().found) continue;
    *ring = ringOf(state->result());
    const cmath_vect c = centreOf(*ring);
    if (std::hypot(c.x - clientCentre.x, c.y - clientCentre.y) <= tolerance) {
      *found = true;
      return 0;
    }
  }
  return 0;
}

// A row crossing a turned finder off its centre can match the band pattern on an inner
// ring first, and clutter can match it by chance. Lines through the found ring's centre,
// one along each side and three times as long, cross every ring of a finder
// symmetrically: the line search's first match from a line's start lies on the outermost
// ring. *ring becomes that ring when both lines find it; *confirmed is false when they do
// not agree.
int32_t confirmOutermostRing(const cimg_image* image, const cid2d_trackingParams& params,
                             const idread_ringOptions& options, const cmath_xformLinear& identity,
                             ccSearchState* state, idread_symbol* ring, bool* confirmed) {
  *confirmed = false;
  const ccGreySampler sampler(image);
  const cmath_vect centre = sampler.toWindow(centreOf(*ring));
  const double side = sideOf(*ring);
  const int32_t half = std::min(int32_t(1.5 * side) + 8, maxEdgePosition / 2);
  idread_symbol across[2];
  for (const int32_t k : {1, 3}) {
    const cmath_vect& c = ring->corners[k];
    const double length = std::hypot(c.x - ring->corners[0].x, c.y - ring->corners[0].y);
    if (length <= 0) return 0;
    const cmath_vect along{(c.x - ring->corners[0].x) / length, (c.y - ring->corners[0].y) / length};
    bool found;
    if (const int32_t status = ringAcross(image, params, options, identity, centre, along, half,
                                          side / 4, state, &across[k / 2], &found);
        status < 0 || !found)
      return status;
  }
  // The two finds are one ring, around the first one's centre.
  const cmath_vect a = centreOf(across[0]), b = centreOf(across[1]), c = centreOf(*ring);
  const double outer = sideOf(across[0]);
  const double tolerance = std::max(2.0, outer / 10);
  if (std::hypot(a.x - b.x, a.y - b.y) > tolerance || std::fabs(outer - sideOf(across[1])) > tolerance ||
      std::hypot(a.x - c.x, a.y - c.y) > side / 4 || outer < side - tolerance)
    return 0;
  *ring = across[0];
  *confirmed = true;
  return 0;
}

}  // namespace

void idread_signedEdges(const uint8_t* values, int32_t count, int32_t firstPosition,
                      int32_t minContrast, std::vector<int16_t>* edges) {
  edges->clear();
  if (count < 8) return;
  const uint8_t* p = values;
  // Step at x: the three values after x + 1 less the three up to it; an edge peaks where
  // |step| is a maximum, strict on the left, and lies between values x + 1 and x + 2.
  auto step = [&](int32_t x) {
    return p[x + 2] + p[x + 3] + p[x + 4] - p[x - 1] - p[x] - p[x + 1];
  };
  const int32_t threshold = 3 * minContrast;
  int32_t before = 0, current = step(1);
  for (int32_t x = 2; x < count - 4; ++x) {
    const int32_t next = step(x);
    if (abs(current) > abs(before) && abs(current) >= abs(next) && abs(current) >= threshold) {
      const int32_t position = firstPosition + x;  // the peak is at x - 1: its edge follows x
      if (position > maxEdgePosition) break;
      edges->push_back(int16_t(current > 0 ? position : -position));
    }
    before = current;
    current = next;
  }
}

void idread_rowSignedEdges(const cimg_windowConst& window, int32_t y, int32_t minContrast,
                         std::vector<int16_t>* edges) {
  edges->clear();
  const int32_t r = y - window.y0;
  if (r < 0 || r >= window.height) return;
  const uint8_t* row = static_cast<const uint8_t*>(window.pixels) + ptrdiff_t(r) * window.stride;
  idread_signedEdges(row, window.width, window.x0, minContrast, edges);
}

int32_t idread_locateRings(const cimg_image* image, const idread_ringOptions& options,
                         std::vector<idread_symbol>* rings) {
  const cimg_imageConst* source = cimg_image_asConst(image);
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, source); status < 0) return status;
  // The band search needs 3 rows above a scan row; the rows below confirm it.
  ccScanRows scan(window, options.rowSpacing, 3, options.minSize, options.maxSize,
                  options.rowSpacing / 2);
  cid2d_trackingParams& params = scan.params;

  ccSearchState state;
  if (const int32_t status = state.buildMask(image); status < 0) return status;
  if (const int32_t status = state.clearVisits(window.width, window.height); status < 0)
    return status;
  cmath_xformLinear identity;
  cmath_xformLinear_initIdentity(&identity);
  std::vector<int16_t> edges, above, below;
  const int32_t d = options.neighbourOffset;
  for (int32_t s = 0; s < params.numScanPositions; ++s) {
    const int32_t y = params.scanPositions[s];
    idread_rowSignedEdges(window, y, options.minContrast, &edges);
    if (edges.size() < 6) continue;
    idread_rowSignedEdges(window, std::max(window.y0, y - d), options.minContrast, &above);
    idread_rowSignedEdges(window, std::min(window.y0 + window.height - 1, y + d),
                        options.minContrast, &below);
    params.startScanIndex = s;
    cid2d_trackingSeed previous;
    const cid2d_trackingSeed* last = nullptr;
    // Each call ends a seed (found, or marked as untrackable), so the row's edges bound
    // the calls even if a seed were offered again.
    for (size_t call = 0; call < edges.size(); ++call) {
      state.found.trackCount = 0;
      const int32_t status = cf_BndFindNextPDP(
          source, &params, state.mask(), 0, &identity, state.visits(), options.tryThreeSides,
          edges.data(), above.data(), below.data(), int32_t(edges.size()),
          int32_t(above.size()), int32_t(below.size()), &state.found);
      const cid2d_trackingResult& result = state.result();
      // A seed whose start segment the tracker cannot cross ends the row's search; its
      // block is marked so that the search goes on past it.
      if (status == CBT_STATUS_NO_BOUNDARY) {
        state.markVisited(result.seed.x, result.seed.y);
        continue;
      }
      if (status < 0) return status;
      if (!result.found || !isBeyond(result.seed, last)) break;
      previous = result.seed;
      last = &previous;
      idread_symbol ring = ringOf(result);
      bool confirmed;
      if (const int32_t status =
              confirmOutermostRing(image, params, options, identity, &state, &ring, &confirmed);
          status < 0)
        return status;
      if (!confirmed) continue;
      rings->push_back(ring);
      if (const int32_t claimed = state.claim(ring.corners); claimed < 0) return claimed;
    }
  }
  return 0;
}
