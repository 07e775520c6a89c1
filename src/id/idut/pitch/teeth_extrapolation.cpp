// Extrapolation of missing teeth. Inside the placed run the widest spacing between
// neighbours is split first, one synthetic tooth per pass; where the widest spacing falls
// between adjacent entries (a tooth in the wrong slot), the entries up to the nearest free
// slot move over to make room. Beyond the run, teeth continue one step apart.
#include "id/idut/pitch/teeth_steps.h"

namespace {

bool placed(const cidut_toothCand& tooth) {
  return tooth.slot != -1;
}

cidut_toothCand synthetic(const ccTeethScan& scan, int32_t centre, int32_t slot) {
  cidut_toothCand tooth;
  tooth.point = cmath_vect{0.0, 0.0};
  cidut_toothCand_init(&tooth);
  tooth.score = 256;
  tooth.gridFit = 256;
  tooth.width = scan.expectedWidth;
  tooth.centre = centre;
  tooth.centreUnmapped = centre;
  tooth.slot = slot;
  return tooth;
}

// The placed entry after a, or -1.
int32_t nextPlaced(const cidut_toothCand* teeth, int32_t a, int32_t last) {
  for (int32_t b = a + 1; b <= last; ++b) {
    if (placed(teeth[b])) return b;
  }
  return -1;
}

// One synthetic tooth into the widest spacing between placed neighbours of first..last.
void fillWidestGap(const ccTeethScan& scan, cidut_toothCand* teeth, int32_t first, int32_t last,
                   int32_t step) {
  int32_t left = -1, right = -1;
  for (int32_t a = first, b = nextPlaced(teeth, a, last); b >= 0;
       a = b, b = nextPlaced(teeth, a, last)) {
    if (left < 0 || teeth[b].centre - teeth[a].centre > teeth[right].centre - teeth[left].centre) {
      left = a;
      right = b;
    }
  }
  if (right > left + 1) {
    teeth[left + 1] = synthetic(scan, teeth[left].centre + step, teeth[left].slot + 1);
    return;
  }
  int32_t empty = first;
  while (placed(teeth[empty])) ++empty;
  const int32_t rightCentre = teeth[right].centre;
  if (empty > right) {
    // Entries left + 1 .. empty - 1 move one slot right and are renumbered.
    for (int32_t i = empty; i > left + 1; --i) {
      teeth[i] = teeth[i - 1];
      if (placed(teeth[i])) ++teeth[i].slot;
    }
  } else {
    // Entries empty + 1 .. left move one place left keeping their slot numbers.
    for (int32_t i = empty; i < left; ++i) teeth[i] = teeth[i + 1];
    --left;
  }
  teeth[left + 1] = synthetic(scan, (teeth[left].centre + rightCentre) / 2, teeth[left].slot + 1);
}

}  // namespace

void cidut_teethExtrapolate(const ccTeethScan& scan, cidut_toothCand* teeth, int32_t count) {
  int32_t first = 0;
  while (first < count && !placed(teeth[first])) ++first;
  if (first == count) return;
  int32_t last = count - 1;
  while (!placed(teeth[last])) --last;
  const int32_t step = scan.pitch / (scan.params.twoSlotsPerPitch ? 2 : 1);

  int32_t passes = 0;
  for (int32_t i = first; i <= last; ++i) passes += placed(teeth[i]) ? 0 : 1;
  for (; passes > 0; --passes) fillWidestGap(scan, teeth, first, last, step);

  for (int32_t i = first - 1; i >= 0; --i) {
    teeth[i] = synthetic(scan, teeth[i + 1].centre - step, teeth[i + 1].slot - 1);
  }
  for (int32_t i = last + 1; i < count; ++i) {
    teeth[i] = synthetic(scan, teeth[i - 1].centre + step, teeth[i - 1].slot + 1);
  }
}
