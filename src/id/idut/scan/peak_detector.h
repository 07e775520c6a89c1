// The detector step shared by the exported detector and the scan loops, inline so that
// the scans run it without a call per sample. Samples are int32 here; the exported
// detector narrows its own to int16.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/check.h"

// How a pass scales and places its peaks.
struct cidc_peakScale {
  int32_t alongOffset;  // added to every pos, 1/16
  int32_t shiftLeft;    // magnitude = (cur << shiftLeft) >> shiftRight
  int32_t shiftRight;
};

// Longest plateau of equal samples that can still be a peak.
constexpr int32_t cidc_maxPeakPlateau = 6;

// Feeds sample v. When it ends an extremum plateau beyond the threshold, writes the peak
// with midLevel the mean of the low bytes of levelA and levelB.
inline void cidc_peakDetectState_step(cidc_peakDetectState* s, int32_t v, int32_t threshold,
                                      int32_t levelA, int32_t levelB, const cidc_peakScale& scale) {
  const int32_t d = v - s->cur;
  if (d == 0) {
    ++s->index;
    return;
  }
  const bool turns = s->prevDiff != 0 && (d > 0) != (s->prevDiff > 0);
  if (turns && (d > 0 ? s->cur < -threshold : s->cur > threshold) &&
      s->index - s->prevIndex - 1 < cidc_maxPeakPlateau) {
    // Vertex of the parabola through the plateau and its neighbours, in 1/16 sample.
    const int32_t denom = 2 * (s->prevVal - 2 * s->cur + v);
    const int32_t offset = denom == 0 ? 0 : (16 * (s->prevVal - v)) / denom;
    const int64_t centre = (int64_t{s->index + s->prevIndex + 1} * 16) >> 1;
    CIDUT_CHECK(s->count < s->capacity);
    cidc_peakIDFixedX_4* peak = s->next;
    peak->pos = centre + offset + scale.alongOffset;
    peak->magnitude = (s->cur << scale.shiftLeft) >> scale.shiftRight;
    peak->tagA = 0;
    peak->tagB = 0;
    peak->midLevel = static_cast<uint8_t>(((levelA & 0xFF) + (levelB & 0xFF)) / 2);
    ++s->next;
    ++s->count;
  }
  s->prevIndex = s->index;
  s->prevDiff = d;
  s->prevVal = s->cur;
  s->cur = v;
  ++s->index;
}
