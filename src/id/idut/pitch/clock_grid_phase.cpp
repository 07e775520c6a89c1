// Grid assignment of clock-grid features for a known pitch: the largest group of features
// whose phases (position modulo the pitch) lie within a gap of each other, wrapping at the
// pitch, its common phase, and each member's grid index.
#include <limits.h>

#include <initializer_list>

#include "ci_id/priv/ci_idut/pitch.h"
#include "id/idut/frame/check.h"

namespace {

// Sorts the indices 0..n-1 by ascending key with a Shell sort (gaps 1, 4, 13, 40, ...).
void sortIndicesByKey(int32_t n, const int32_t* key, int32_t* indices) {
  for (int32_t i = 0; i < n; ++i) indices[i] = i;
  int32_t gap = 1;
  while (3 * gap + 1 < n) gap = 3 * gap + 1;
  for (; gap >= 1; gap = (gap - 1) / 3) {
    for (int32_t i = gap; i < n; ++i) {
      const int32_t moving = indices[i];
      int32_t j = i;
      for (; j >= gap && key[indices[j - gap]] > key[moving]; j -= gap) {
        indices[j] = indices[j - gap];
      }
      indices[j] = moving;
    }
  }
}

struct ccPhaseWindow {
  int32_t start = 0;  // sorted position of the first member
  int32_t count = 0;
  int32_t firstPhase = 0;
  int32_t lastPhase = 0;  // + pitch when the window wraps
};

// The window of sorted phases that holds the most features within minGap of its first,
// the narrowest among equals, the first found on a tie; windows that run past the end
// into the start (phases + pitch) are tried after those that do not. The phases ascend,
// so each window's end lies no earlier than the one before: one sweep per pass.
ccPhaseWindow largestWindow(int32_t n, const int32_t* phases, const int32_t* sorted, int32_t pitch,
                            int32_t minGap) {
  ccPhaseWindow best;
  int32_t bestSpread = INT32_MAX;
  // Sorted phase j of the sequence that runs on into the start, one pitch up.
  auto phaseAt = [&](int32_t j) { return j < n ? phases[sorted[j]] : phases[sorted[j - n]] + pitch; };
  for (bool wraps : {false, true}) {
    int32_t end = 0;  // one past the current window's last member
    for (int32_t i = 0; i < n; ++i) {
      const int32_t first = phaseAt(i);
      const int32_t limit = wraps ? i + n : n;
      if (end < i + 1) end = i + 1;
      while (end < limit && phaseAt(end) - first < minGap) ++end;
      const ccPhaseWindow window{i, end - i, first, phaseAt(end - 1)};
      const int32_t spread = window.lastPhase - window.firstPhase;
      if (window.count > best.count || (window.count == best.count && spread < bestSpread)) {
        best = window;
        bestSpread = spread;
      }
    }
  }
  return best;
}

}  // namespace

extern "C" int32_t cidut_cg1dOnGrid(int32_t n, const int32_t* positions, int32_t* gridIndices,
                                    int32_t pitch, int32_t minGap, int32_t* indexWork,
                                    int32_t* phase, int32_t* flag) {
  CIDUT_CHECK(positions && gridIndices && indexWork && phase && flag);
  CIDUT_CHECK(n >= 2);
  CIDUT_CHECK(pitch > 0);
  CIDUT_CHECK(minGap > 0);
  CIDUT_CHECK(minGap <= pitch);

  // The grid indices' array holds the phases until the group is chosen.
  int32_t* phases = gridIndices;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t remainder = positions[i] % pitch;  // the sign of the position
    phases[i] = remainder < 0 ? -remainder : remainder;
  }
  sortIndicesByKey(n, phases, indexWork);
  const ccPhaseWindow group = largestWindow(n, phases, indexWork, pitch, minGap);
  const int32_t gridPhase = (group.firstPhase + group.lastPhase - minGap) / 2;

  for (int32_t i = 0; i < n; ++i) gridIndices[i] = -1;
  int32_t lowest = INT32_MAX;
  for (int32_t k = 0; k < group.count; ++k) {
    const int32_t member = indexWork[(group.start + k) % n];
    int32_t offset = positions[member] - gridPhase;
    if (offset < 0) offset -= pitch;
    gridIndices[member] = offset / pitch;
    if (gridIndices[member] < lowest) lowest = gridIndices[member];
  }
  for (int32_t k = 0; k < group.count; ++k) gridIndices[indexWork[(group.start + k) % n]] -= lowest;
  for (int32_t i = 0; i < n; ++i) indexWork[i] = gridIndices[i];
  *phase = gridPhase;
  *flag = 0;
  return 0;
}
