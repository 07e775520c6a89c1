// The portable true-peak operator. Every pixel costs integer adds, shifts and one multiply:
// the direction comes from four shift-and-add rotation steps and a 128-byte table, the
// magnitude from the rotated length. Three rows of magnitudes, directions and output
// stream through one block, so a row is suppressed as soon as the row below it is known.
#include "id/idut/edge/true_peak_portable.h"

#include <cmath>
#include <cstdlib>

#include "id/idut/frame/cleanup_frame.h"

namespace {

// Direction codes by the 7-bit index of directionIndex: three bits place the gradient in
// an octant pair, four record on which side of each rotation step it came out.
constexpr uint8_t directionTable[128] = {
    32,  32,  34,  32,  44,  41,  36,  39,  63,  61,  56,  59,  46,  49,  54,  51,  32,  32,  30,
    32,  20,  23,  28,  25,  1,   3,   8,   5,   18,  15,  10,  13,  96,  96,  94,  96,  84,  87,
    92,  89,  65,  67,  72,  69,  82,  79,  74,  77,  96,  96,  98,  96,  108, 105, 100, 103, 127,
    125, 120, 123, 110, 113, 118, 115, 224, 224, 222, 224, 212, 215, 220, 217, 193, 195, 200, 197,
    210, 207, 202, 205, 224, 224, 226, 224, 236, 233, 228, 231, 255, 253, 248, 251, 238, 241, 246,
    243, 160, 160, 162, 160, 172, 169, 164, 167, 191, 189, 184, 187, 174, 177, 182, 179, 160, 160,
    158, 160, 148, 151, 156, 153, 129, 131, 136, 133, 146, 143, 138, 141};

// The lengthening of the three rotation steps that move x: sqrt(1.25 * 1.0625 * 1.015625).
constexpr double rotationGain = 1.1614;

// The table index of gradient (gx, gy); *length = the gradient length times rotationGain.
inline int32_t directionIndex(int32_t gx, int32_t gy, int32_t* length) {
  int32_t c = gy < 0 ? 5 : 1;
  if (gx < 0) c |= 2;
  const int32_t ax = std::abs(gx);
  const int32_t ay = std::abs(gy);
  // The larger component becomes x; bit 0 says whether it was gx.
  const bool steep = ax < ay;
  int32_t x = steep ? ay : ax;
  int32_t y = steep ? ax : ay;
  if (steep) c &= ~1;
  // Rotation by atan(2^-n) toward the x axis; c records whether y overshot, and y is
  // folded back. The last step only decides the final bit, so it leaves x alone.
  auto rotate = [&](int32_t n, bool lengthens) {
    const int32_t t = x >> n;
    if (lengthens) x += y >> n;
    y -= t;
    c = 2 * c + (y < 0 ? 1 : 0);
    y = std::abs(y);
  };
  rotate(1, true);
  rotate(2, true);
  rotate(3, true);
  rotate(4, false);
  *length = x;
  return c;
}

// Octant of a direction code: 0 right, 1 down-right, 2 down, ... 7 up-right.
inline int32_t octantOf(uint8_t code) {
  return ((code + 16) >> 5) & 7;
}

// Neighbours pointing more than 90 degrees away from the centre's direction belong to
// another edge and do not suppress it.
inline bool opposed(int32_t octant, int32_t other) {
  const int32_t d = std::abs(octant - other);
  return d > 2 && d < 6;
}

// The rows around the one being suppressed, as offsets from its pixel to each octant's
// neighbour. Directions sit directionOffset bytes after their magnitudes.
struct suppressionRows {
  const uint8_t* magnitude;  // the centre row
  ptrdiff_t neighbour[8];
  ptrdiff_t directionOffset;
};

suppressionRows rowsAround(const uint8_t* above, const uint8_t* centre, const uint8_t* below,
                           ptrdiff_t directionOffset) {
  const ptrdiff_t up = above - centre;
  const ptrdiff_t down = below - centre;
  return {centre, {1, down + 1, down, down - 1, -1, up - 1, up, up + 1}, directionOffset};
}

// Marks the true peaks of columns 2 .. width - 3 in output; returns their number. Of two
// equal maxima across the edge the one toward the gradient's octant is not a peak.
int32_t suppressRow(const suppressionRows& rows, int32_t width, int32_t threshold,
                    uint8_t* output) {
  int32_t peaks = 0;
  const uint8_t* magnitude = rows.magnitude;
  const uint8_t* direction = magnitude + rows.directionOffset;
  for (int32_t q = 2; q <= width - 3; ++q) {
    const int32_t m = magnitude[q];
    if (m < threshold) continue;
    const int32_t o = octantOf(direction[q]);
    const ptrdiff_t front = q + rows.neighbour[o];
    const ptrdiff_t back = q + rows.neighbour[o ^ 4];
    int32_t nb1 = magnitude[front];
    int32_t nb2 = magnitude[back];
    if (m <= nb1 && m < nb2) continue;
    if (opposed(o, octantOf(direction[front]))) nb1 = 0;
    if (opposed(o, octantOf(direction[back]))) nb2 = 0;
    if (m > nb1 && m >= nb2) {
      output[q] = static_cast<uint8_t>(m);
      ++peaks;
    }
  }
  return peaks;
}

}  // namespace

int32_t cidut_truePeakMagnitudeScale(double scale) {
  return static_cast<int32_t>(std::ldexp(scale / rotationGain, 9));
}

void cidut_truePeakGradientRow(const uint8_t* above, const uint8_t* centre, const uint8_t* below,
                               int32_t width, int32_t scale, int32_t secondThreshold, uint16_t* z,
                               uint8_t* magnitude, uint8_t* direction, uint8_t* output) {
  // Column sums across the three rows: s smooths (1 2 1), d differentiates (-1 0 1).
  int32_t sBefore = above[0] + 2 * centre[0] + below[0];
  int32_t dBefore = below[0] - above[0];
  int32_t s = above[1] + 2 * centre[1] + below[1];
  int32_t d = below[1] - above[1];
  uint16_t random = *z;
  for (int32_t q = 1; q <= width - 2; ++q) {
    const int32_t sAfter = above[q + 1] + 2 * centre[q + 1] + below[q + 1];
    const int32_t dAfter = below[q + 1] - above[q + 1];
    // Sobel responses times 32, so that the shifts of the rotation keep their precision.
    const int32_t gx = 32 * (sAfter - sBefore);
    const int32_t gy = 32 * (dBefore + 2 * d + dAfter);
    int32_t length;
    const int32_t index = directionIndex(gx, gy, &length);
    const int64_t p = int64_t{length} * scale;
    const int32_t m = 64 * p > 0x3FFFFFFF ? 255 : static_cast<int32_t>((128 * p) >> 23);
    magnitude[q] = static_cast<uint8_t>(m);
    // No direction to speak of below secondThreshold: the next pseudo-random code, so
    // that flat areas favour no octant. Both are formed and one chosen, without a branch.
    const bool flat = m < secondThreshold;
    const uint16_t next = static_cast<uint16_t>((random * 0x35FD) & 0x7FFF);
    random = flat ? next : random;
    direction[q] = flat ? static_cast<uint8_t>(next >> 7) : directionTable[index];
    output[q] = 0;
    sBefore = s;
    dBefore = d;
    s = sAfter;
    d = dAfter;
  }
  *z = random;
}

int32_t cidut_truePeakPortable(const cimg_imageConst* source, cimg_image* output, double scale,
                               uint8_t threshold, uint8_t secondThreshold, int32_t* count) {
  cimg_windowConst in;
  if (const int32_t status = cimg_windowConst_init(&in, source); status < 0) return status;
  cimg_window out;
  if (const int32_t status = cimg_window_init(&out, output); status < 0) return status;
  const int32_t width = in.width;
  const int32_t height = in.height;
  CIDUT_CHECK(in.pixelType == CIMG_TYPE_8 && out.pixelType == CIMG_TYPE_8);
  CIDUT_CHECK(out.width == width - 2 && out.height == height);
  const int32_t k = cidut_truePeakMagnitudeScale(scale);

  // Nine rows: magnitudes, directions and output, three of each, addressed by the image
  // row modulo 3. Cleared, so that the output row copied out before the first
  // suppression is zero.
  const ptrdiff_t rowBytes = ((width >> 5) + 1) * 32;
  const ptrdiff_t directionOffset = 3 * rowBytes;
  const ptrdiff_t outputOffset = 6 * rowBytes;
  ccCleanupFrame<1> frame;
  uint8_t* rows = nullptr;
  if (frame.failed(csys_memory_allocClear_internal(size_t(9 * rowBytes), (void**)&rows))) {
    return frame.exit();
  }
  frame.holdBlock(&rows);
  auto slot = [&](int32_t r) { return rows + (r % 3) * rowBytes; };

  uint16_t z = 1;
  int32_t peaks = 0;
  for (int32_t r = 1; r <= height - 2; ++r) {
    uint8_t* current = slot(r);
    cidut_truePeakGradientRow(cimg_windowConst_row<uint8_t>(&in, r - 1),
                              cimg_windowConst_row<uint8_t>(&in, r),
                              cimg_windowConst_row<uint8_t>(&in, r + 1), width, k, secondThreshold,
                              &z, current, current + directionOffset, current + outputOffset);
    uint8_t* finished = slot(r - 1);
    if (r >= 3) {
      peaks += suppressRow(rowsAround(slot(r - 2), finished, current, directionOffset), width,
                           threshold, finished + outputOffset);
    }
    csys_memory_copy(size_t(width - 2), finished + outputOffset + 1,
                     cimg_window_row<uint8_t>(&out, r - 1));
  }
  *count += peaks;
  return frame.exit();
}
