// Sub-pixel edges on a grey profile: extrema of a difference of samples beyond a fixed or
// adaptive threshold, refined by the vertex of the parabola through the extremum and its
// neighbours (1/256 sample), scaled to the caller's unit with 8 fractional bits.
#include "ci_id/priv/ci_idut/pitch.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"

namespace {

// Adaptive mode merges successive edges closer than 2.0 scaled units.
constexpr int32_t mergeDistance = 512;

// The caller's edge arrays, filled up to their maximum.
class ccEdgeList {
 public:
  ccEdgeList(int32_t* magnitudes, int32_t* positions, int32_t maximum, bool adaptive)
      : magnitudes_(magnitudes), positions_(positions), maximum_(maximum), adaptive_(adaptive) {}

  bool full() const { return count_ >= maximum_; }
  int32_t count() const { return count_; }

  // Appends an edge. In adaptive mode it then merges with the previous edge when the
  // distance travelled from that one (positions grow for a forward scan, shrink for a
  // backward one) is below mergeDistance: the stronger stays, the earlier on a tie.
  void add(int32_t magnitude, int32_t position, bool backward) {
    magnitudes_[count_] = magnitude;
    positions_[count_] = position;
    ++count_;
    if (!adaptive_ || count_ <= 1) return;
    const int32_t gap = positions_[count_ - 1] - positions_[count_ - 2];
    if ((backward ? -gap : gap) >= mergeDistance) return;
    if (abs(magnitude) > abs(magnitudes_[count_ - 2])) {
      magnitudes_[count_ - 2] = magnitude;
      positions_[count_ - 2] = position;
    }
    --count_;
  }

 private:
  static int32_t abs(int32_t value) { return value < 0 ? -value : value; }

  int32_t* magnitudes_;
  int32_t* positions_;
  int32_t maximum_;
  bool adaptive_;
  int32_t count_ = 0;
};

// scale x 256 rounded half away from zero.
int32_t scaleIn256ths(double scale) {
  const double scaled = scale * 256.0;
  return int32_t(scale >= 0.0 ? scaled + 0.5 : scaled - 0.4999999999);
}

// Whether the difference centre, between left and right, is an edge: a maximum above hi
// (the left neighbour may equal it, so a plateau's last sample wins) or a minimum below lo.
bool isEdge(int32_t left, int32_t centre, int32_t right, int32_t hi, int32_t lo) {
  if (centre > hi) return left <= centre && right < centre;
  return centre < lo && centre <= left && centre < right;
}

// The parabola's vertex relative to the centre, in 1/256 sample. An edge's neighbours are
// never both equal to it, so the denominator is not 0.
int32_t vertexOffset(int32_t left, int32_t centre, int32_t right) {
  return ((left - right) * 256) / (2 * (left + right) - 4 * centre);
}

// (index x 256) x S / 256, rounded: the position in 1/256 of the scaled unit.
int32_t scaledPosition(int32_t index256, int32_t scale256) {
  return int32_t((int64_t{index256} * scale256 + 128) >> 8);
}

// A work block of n differences, held by frame, with diff[i] = at(i) for first <= i <= last
// and *min, *max their extremes (0 when none lies beyond). False when the block could not be
// had (the frame holds the status).
template <class At>
bool differences(ccCleanupFrame<1>& frame, int32_t n, int32_t first, int32_t last, At at,
                 int32_t** diff, int32_t* min, int32_t* max) {
  if (frame.failed(csys_memory_alloc_internal(sizeof(int32_t) * size_t(n),
                                              reinterpret_cast<void**>(diff))))
    return false;
  frame.holdBlock(diff);
  *min = *max = 0;
  for (int32_t i = first; i <= last; ++i) {
    const int32_t d = (*diff)[i] = at(i);
    if (d < *min)
      *min = d;
    else if (d > *max)
      *max = d;
  }
  return true;
}

}  // namespace

extern "C" int32_t cidut_lineEdgeLoc(const uint8_t* profile, int32_t n, int32_t maxEdges,
                                     int32_t threshold, int32_t adaptive, double scale,
                                     int32_t* magnitudes, int32_t* positions, int32_t* count) {
  CIDUT_CHECK(profile && magnitudes && positions && count);
  *count = 0;
  magnitudes[0] = 0;
  if (n < 5) return 0;
  ccCleanupFrame<1> frame;
  int32_t* diff = nullptr;
  int32_t min, max;
  // Two-sample-wide difference: diff[i] spans samples i..i+2.
  if (!differences(frame, n, 0, n - 3, [&](int32_t i) { return profile[i + 2] - profile[i]; },
                   &diff, &min, &max))
    return frame.exit();
  if (min > -threshold && max < threshold) return frame.exit();
  const int32_t hi = adaptive ? max / 3 : threshold;
  const int32_t lo = adaptive ? min / 3 : -threshold;
  const int32_t scale256 = scaleIn256ths(scale);

  ccEdgeList edges(magnitudes, positions, maxEdges, adaptive != 0);
  for (int32_t i = 0; i < n - 4 && !edges.full(); ++i) {
    const int32_t left = diff[i], centre = diff[i + 1], right = diff[i + 2];
    if (!isEdge(left, centre, right, hi, lo)) continue;
    // diff[i + 1] is centred on sample i + 2; + 640 (2.5 samples) reports the boundary
    // between samples i + 1 and i + 2 as i + 2.
    const int32_t sub = vertexOffset(left, centre, right);
    edges.add(centre, scaledPosition(256 * i + 640 + sub, scale256), false);
  }
  *count = edges.count();
  return frame.exit();
}

extern "C" int32_t cidut_lineEdgeLoc2D(const uint8_t* profile, int32_t n, int32_t maxEdges,
                                       int32_t threshold, int32_t adaptive, double scale,
                                       int32_t* magnitudes, int32_t* positions, int32_t* count) {
  CIDUT_CHECK(profile && magnitudes && positions && count);
  *count = 0;
  magnitudes[0] = 0;
  if (n < 5) return 0;
  ccCleanupFrame<1> frame;
  int32_t* diff = nullptr;
  int32_t min, max;
  // Central difference, one-sided at the ends; the ends take no part in the thresholds.
  if (!differences(frame, n, 1, n - 2,
                   [&](int32_t i) { return profile[i + 1] - profile[i - 1]; }, &diff, &min, &max))
    return frame.exit();
  diff[0] = profile[1] - profile[0];
  diff[n - 1] = profile[n - 1] - profile[n - 2];
  if (min > -threshold && max < threshold) return frame.exit();
  const int32_t hi = adaptive ? (max < 3 ? 1 : max / 3) : threshold;
  const int32_t lo = adaptive ? (min < -2 ? min / 3 : -1) : -threshold;
  const int32_t scale256 = scaleIn256ths(scale);

  ccEdgeList edges(magnitudes, positions, maxEdges, adaptive != 0);
  for (int32_t i = n - 2; i > 0 && !edges.full(); --i) {
    const int32_t left = diff[i - 1], centre = diff[i], right = diff[i + 1];
    if (!isEdge(left, centre, right, hi, lo)) continue;
    const int32_t sub = vertexOffset(left, centre, right);
    edges.add(centre, scaledPosition(256 * i + sub, scale256), true);
  }
  *count = edges.count();
  return frame.exit();
}
