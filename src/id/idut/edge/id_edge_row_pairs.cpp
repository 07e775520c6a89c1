// The accelerated row-pair loop of the ID edge detector's 2x2 mode. The two output rows of
// a pair share the middle source row, so each column is loaded once for both rows.
#include "id/idut/edge/id_edge_row_pairs.h"

#include "id/idut/edge/id_edge_gradient.h"

void cidut_edgeIDRowPair2x2(const uint8_t* top, ptrdiff_t sourceStride, uint8_t* out0,
                            uint8_t* out1, int32_t width, const uint8_t* codes) {
  const uint8_t* middle = top + sourceStride;
  const uint8_t* bottom = middle + sourceStride;
  // Column x of the three rows, carried over from the previous step.
  int32_t t0 = top[0], m0 = middle[0], b0 = bottom[0];
  for (int32_t x = 0; x < width; ++x) {
    const int32_t t1 = top[x + 1], m1 = middle[x + 1], b1 = bottom[x + 1];
    out0[x] = codes[cidut_edgeIDPairIndex((t1 - m0) >> 1, (m1 - t0) >> 1)];
    out1[x] = codes[cidut_edgeIDPairIndex((m1 - b0) >> 1, (b1 - m0) >> 1)];
    t0 = t1;
    m0 = m1;
    b0 = b1;
  }
}
