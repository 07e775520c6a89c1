// The gradient pair of the ID edge detector at one pixel, as its table index, and the code
// shift of the 3x3 operator. Shared by the detector and the magnitude/angle images so that
// both read exactly the same pixels.
#pragma once

#include <stddef.h>
#include <stdint.h>

// k = (a & 0xFF) << 8 | (b & 0xFF) of a pair of signed-byte components.
inline uint32_t cidut_edgeIDPairIndex(int32_t a, int32_t b) {
  return uint32_t(a & 0xFF) << 8 | uint32_t(b & 0xFF);
}

// 2x2: the halved differences along the two diagonals of p and its right, lower and
// lower-right neighbours (rows s bytes apart).
inline uint32_t cidut_edgeIDIndex2x2(const uint8_t* p, ptrdiff_t s) {
  return cidut_edgeIDPairIndex((p[1] - p[s]) >> 1, (p[s + 1] - p[0]) >> 1);
}

// 3x3: the Sobel x and y responses around p, divided by 8.
inline uint32_t cidut_edgeIDIndex3x3(const uint8_t* p, ptrdiff_t s) {
  const uint8_t* up = p - s;
  const uint8_t* down = p + s;
  const int32_t a = ((up[1] - up[-1]) + 2 * (p[1] - p[-1]) + (down[1] - down[-1])) >> 3;
  const int32_t b = ((down[-1] - up[-1]) + 2 * (down[0] - up[0]) + (down[1] - up[1])) >> 3;
  return cidut_edgeIDPairIndex(a, b);
}

// The table's codes are offset by 45 degrees for the diagonal pair of the 2x2 operator; the
// 3x3 operator turns them back by 32 codes. 0xFF (no edge) stays 0xFF.
constexpr int32_t cidut_edgeIDShift3x3 = 32;
inline uint8_t cidut_edgeIDShiftCode(uint8_t code, int32_t shift) {
  return code == 0xFF ? uint8_t{0xFF} : uint8_t(code + shift);
}
