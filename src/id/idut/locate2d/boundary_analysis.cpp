// Boundary analysis shared by the symbol finders.
#include "id/idut/locate2d/boundary_analysis.h"

#include <stdlib.h>

#include <limits>

#include "ci_id/priv/ci_idut/locate2d.h"

namespace {

int64_t squared(int64_t v) { return v * v; }

// A point in quarter pixels.
struct quarterPoint {
  int64_t x, y;
};
quarterPoint quarter(const cid2d_point& p) { return {p.x >> 2, p.y >> 2}; }
int64_t distanceSq(const quarterPoint& a, const quarterPoint& b) {
  return squared(a.x - b.x) + squared(a.y - b.y);
}

// Tests the run from point `first` to point `last` (unwrapped indices) for straightness
// at its middle point; on success writes its squared chord length.
bool isStraight(const cid2d_point* smoothed, int32_t n, int32_t first, int32_t last,
                int32_t middle, int32_t maxDeviationSq, int32_t* lengthSq) {
  const quarterPoint a = quarter(cid2d_pointAt(smoothed, n, first));
  const quarterPoint b = quarter(cid2d_pointAt(smoothed, n, last));
  const quarterPoint m = quarter(cid2d_pointAt(smoothed, n, middle));
  const int64_t dx = b.x - a.x, dy = b.y - a.y;
  // Offsets from the chord's midpoint, doubled to stay integral.
  const int64_t ox = 2 * m.x - a.x - b.x, oy = 2 * m.y - a.y - b.y;
  const int64_t chordSq = dx * dx + dy * dy;
  bool straight;
  if (llabs(dx) == llabs(dy)) {
    straight = ox * ox + oy * oy < 4 * int64_t{maxDeviationSq};
  } else {
    const int64_t cross = ox * dy - oy * dx;
    straight = cross * cross < 4 * int64_t{maxDeviationSq} * chordSq;
  }
  *lengthSq = int32_t(chordSq);
  return straight;
}

}  // namespace

cid2d_contourBuffers cid2d_carveBuffers(void* scratch) {
  cid2d_contourBuffers b;
  b.contour = static_cast<cid2d_point*>(scratch);
  b.smoothed = b.contour + cid2d_contourBuffers::contourEntries;
  b.curvature = reinterpret_cast<int32_t*>(b.smoothed + cid2d_contourBuffers::contourEntries);
  b.segments = reinterpret_cast<cid2d_segment*>(b.curvature + cid2d_contourBuffers::contourEntries);
  static_assert(sizeof(cid2d_point) * 2 * 8190 + sizeof(int32_t) * 8190 +
                    sizeof(cid2d_segment) * 5460 ==
                CID2D_SCRATCH_BYTES);
  return b;
}

int32_t cid2d_halveContour(cid2d_point* contour, int32_t n) {
  const int32_t half = n / 2;
  for (int32_t i = 0; i < half; ++i) {
    contour[i] = cid2d_point{(contour[2 * i].x + contour[2 * i + 1].x) >> 1,
                             (contour[2 * i].y + contour[2 * i + 1].y) >> 1};
  }
  return half;
}

cid2d_box cid2d_boundingBox(const cid2d_point* contour, int32_t n) {
  cid2d_box box{std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(),
                std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min()};
  for (int32_t i = 0; i < n; ++i) {
    box.minX = std::min(box.minX, contour[i].x);
    box.maxX = std::max(box.maxX, contour[i].x);
    box.minY = std::min(box.minY, contour[i].y);
    box.maxY = std::max(box.maxY, contour[i].y);
  }
  return box;
}

void cid2d_smoothContour(const cid2d_point* contour, int32_t n, int32_t k, cid2d_point* smoothed) {
  if (k < 2 || n < k) {
    for (int32_t i = 0; i < n; ++i) smoothed[i] = contour[i];
    return;
  }
  const int64_t reciprocal = 4096 / k;  // 1/k in 1/4096
  int64_t sumX = 0, sumY = 0;
  for (int32_t i = 0; i < k; ++i) {
    sumX += contour[i].x;
    sumY += contour[i].y;
  }
  int32_t at = k / 2;
  smoothed[at] = cid2d_point{int32_t((sumX * reciprocal) >> 12), int32_t((sumY * reciprocal) >> 12)};
  const int64_t round = k / 2;
  for (int32_t first = 1; first < n; ++first) {
    const cid2d_point& leaving = contour[first - 1];
    const cid2d_point& entering = contour[(first + k - 1) % n];
    sumX += entering.x - leaving.x;
    sumY += entering.y - leaving.y;
    if (++at == n) at = 0;
    smoothed[at] = cid2d_point{int32_t(((sumX + round) * reciprocal) >> 12),
                               int32_t(((sumY + round) * reciprocal) >> 12)};
  }
}

int32_t cid2d_contourCurvature(const cid2d_point* smoothed, int32_t n, int32_t k,
                               int32_t* curvature) {
  int32_t largest = 0;
  for (int32_t c = 0; c < n; ++c) {
    const cid2d_point& before = cid2d_pointAt(smoothed, n, c - k);
    const cid2d_point& after = cid2d_pointAt(smoothed, n, c + k);
    const int32_t value = abs(before.x + after.x - 2 * smoothed[c].x) +
                          abs(before.y + after.y - 2 * smoothed[c].y);
    curvature[c] = value;
    largest = std::max(largest, value);
  }
  return largest;
}

int32_t cid2d_findStraightRuns(const cid2d_point* smoothed, const int32_t* curvature, int32_t n,
                               const cid2d_runRules& rules, cid2d_segment* segments) {
  constexpr int32_t maxSegments = cid2d_contourBuffers::segmentEntries - 1;
  int32_t count = 0;
  auto accept = [&](int32_t first, int32_t last, int32_t middle) {
    int32_t lengthSq;
    if (count >= maxSegments ||
        !isStraight(smoothed, n, first, last, middle, rules.maxDeviationSq, &lengthSq))
      return false;
    segments[count++] = cid2d_segment{first, lengthSq, last + 1};
    return true;
  };
  // The first and the last run opened, and whether each became a segment.
  int32_t firstStart = -1, firstLast = 0, lastStart = -1, lastLast = 0;
  bool firstTaken = false, lastTaken = false;
  for (int32_t i = 0; i < n && count < maxSegments;) {
    if (curvature[i] > rules.maxCurvature) {
      ++i;
      continue;
    }
    int32_t next = i + 1;
    while (next < 2 * n && curvature[next % n] < rules.maxCurvature) ++next;
    const int32_t r = next - i - 1;  // points following the run's first
    const int32_t before = count;
    if (r > rules.minRun && r < n && !accept(i, i + r, i + r / 2) && rules.splitFailures &&
        r > 2 * rules.minRun + 1) {
      accept(i, i + r / 2, i + r / 4);
      accept(i + r / 2, i + r, i + r / 2 + r / 4);
    }
    if (rules.tally) {
      rules.tally->seen += r >= 2;
      rules.tally->droppedShort += r >= 3 && r <= rules.minRun;
    }
    lastTaken = count > before;
    lastStart = i;
    lastLast = i + r;
    if (firstStart < 0) {
      firstStart = i;
      firstLast = i + r;
      firstTaken = lastTaken;
    }
    i = next;
  }
  const bool wrapsIntoFirst = lastStart > firstStart && lastLast >= n &&
                              lastLast - n >= firstStart && lastLast - n <= firstLast;
  if (rules.joinAcrossStart && firstTaken && lastTaken && count >= 2 && wrapsIntoFirst) {
    int32_t lengthSq;
    const int32_t last = firstLast + n;
    if (isStraight(smoothed, n, lastStart, last, (lastStart + last) / 2, rules.maxDeviationSq,
                   &lengthSq)) {
      segments[0] = cid2d_segment{lastStart, lengthSq, segments[0].end + n};
      --count;
    }
  }
  segments[count] = cid2d_segment{0, 0, 0};
  return count;
}

void cid2d_sortSegments(cid2d_segment* segments, int32_t count) {
  for (int32_t i = 0; i + 1 < count; ++i) {
    int32_t best = i;
    for (int32_t j = i + 1; j < count; ++j)
      if (segments[j].lengthSq > segments[best].lengthSq) best = j;
    if (best != i) std::swap(segments[i], segments[best]);
  }
}

cid2d_chord cid2d_segmentChord(const cid2d_point* smoothed, int32_t n, const cid2d_segment& s) {
  return cid2d_chord{cid2d_pointAt(smoothed, n, s.start), cid2d_pointAt(smoothed, n, s.end - 1)};
}

int64_t cid2d_tangent1000(int64_t ax, int64_t ay, int64_t bx, int64_t by) {
  const int64_t dot = ax * bx + ay * by;
  if (dot == 0) return std::numeric_limits<int32_t>::max();
  return 1000 * (ax * by - ay * bx) / dot;
}

void cid2d_mergeCollinearSegments(const cid2d_point* smoothed, int32_t n, cid2d_segment* segments,
                                  int32_t count, int32_t span, int32_t tolerance,
                                  int32_t* mergedFlags) {
  for (int32_t i = 0; i < count; ++i) mergedFlags[i] = 0;
  const int64_t gapLimit = squared(span + 6);
  auto startOf = [&](const cid2d_segment& s) { return quarter(cid2d_pointAt(smoothed, n, s.start)); };
  auto endOf = [&](const cid2d_segment& s) { return quarter(cid2d_pointAt(smoothed, n, s.end - 1)); };
  for (int32_t i = 0; i < count; ++i) {
    for (int32_t j = i + 1; j < count && !mergedFlags[i]; ++j) {
      cid2d_segment& a = segments[i];
      cid2d_segment& b = segments[j];
      if (mergedFlags[j] || a.lengthSq <= 1 || b.lengthSq <= 1) continue;
      const cid2d_chord ca = cid2d_segmentChord(smoothed, n, a);
      const cid2d_chord cb = cid2d_segmentChord(smoothed, n, b);
      const int64_t cross = ca.dx() * cb.dy() - ca.dy() * cb.dx();
      const int64_t dot = ca.dx() * cb.dx() + ca.dy() * cb.dy();
      if (cross == 0 && dot == 0) return;
      const int64_t t = cid2d_tangent1000(ca.dx(), ca.dy(), cb.dx(), cb.dy());
      if (!(t > -35 && t < 0)) continue;
      const quarterPoint aStart = startOf(a), aEnd = endOf(a), bStart = startOf(b), bEnd = endOf(b);
      const int64_t cx = bEnd.x - aStart.x, cy = bEnd.y - aStart.y;
      const int64_t joinSq = cx * cx + cy * cy;
      if (joinSq == 0) {
        b.lengthSq = 0;
        mergedFlags[j] = 1;
        continue;
      }
      // Each chord's far end must lie near the joining line.
      const int64_t limit = (squared(tolerance) * joinSq) >> 4;
      const int64_t crossA = cx * (aEnd.y - aStart.y) - cy * (aEnd.x - aStart.x);
      const int64_t crossB = cx * (bEnd.y - bStart.y) - cy * (bEnd.x - bStart.x);
      if (crossA * crossA >= limit || crossB * crossB >= limit) continue;
      if (distanceSq(aStart, bStart) < joinSq) {  // b follows a
        if (distanceSq(aEnd, bStart) >= gapLimit) continue;
        a.end = b.end;
        a.lengthSq = int32_t(joinSq);
        b.end = b.start;
      } else {  // b precedes a
        if (joinSq >= gapLimit) continue;
        a.start = b.start;
        a.lengthSq = int32_t(distanceSq(bStart, aEnd));
      }
      b.lengthSq = 0;
      mergedFlags[i] = mergedFlags[j] = 1;
    }
  }
}
