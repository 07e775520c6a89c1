// Internals of the edge detector shared by its sources: the edgelet list record, the
// gradient kernels and the chain builder.
#pragma once

#include <stdint.h>

#include "kit/edge.h"
#include "kit/system.h"

#define CEDGE_CHECK(condition) ((condition) ? (void)0 : cstd_assert_(__LINE__))

struct csEdgeList {
  csEdge* edges;  // capacity entries; null while the capacity is 0
  int32_t length;
  int32_t capacity;
  int32_t frame;         // 0 or 1, see csEdgeListInit
  int32_t hasReference;  // frame 1: a window has been detected into the list
  int32_t referenceX;    // frame 1: image position of that window's top-left pixel
  int32_t referenceY;
};

namespace cedge {

// Magnitude at scale 1 and angle code of one Sobel gradient, |gx|, |gy| <= 1020.
uint8_t unitMagnitude(int32_t gx, int32_t gy);
uint8_t scaledMagnitude(int32_t gx, int32_t gy, double scale);
uint8_t angleCode(int32_t gx, int32_t gy);

// The Sobel gradient at column c of the centre row, 1 <= c <= width - 2.
struct gradient {
  int32_t gx;
  int32_t gy;
};
gradient sobelAt(const uint8_t* above, const uint8_t* centre, const uint8_t* below, int32_t c);

// The row kernels: portable code, SSE2, AVX with FMA. All give the same bytes.
enum class kernel { portable, sse2, avx };
kernel fastestKernel();
bool kernelAvailable(kernel k);

// Magnitude and angle code of every interior column of a source row of the given width
// (>= 3): column c goes to magnitude[c - 1] and angle[c - 1]. above and below are the
// neighbouring rows. Scale 1 runs the fastest kernel, other scales portable code.
void gradientRow(const uint8_t* above, const uint8_t* centre, const uint8_t* below, int32_t width,
                 double scale, uint8_t* magnitude, uint8_t* angle);
void gradientRowWith(kernel k, const uint8_t* above, const uint8_t* centre, const uint8_t* below,
                     int32_t width, double scale, uint8_t* magnitude, uint8_t* angle);
// Magnitude at scale 1 and angle code of n given gradients, with one kernel (for tests of
// every gradient value, including those no 3 x 3 neighbourhood produces).
void evaluateGradientsWith(kernel k, const int16_t* gx, const int16_t* gy, int32_t n,
                           uint8_t* magnitude, uint8_t* angle);

// Replaces chains by the chains of edges[first .. last - 1], which are in row order (pj,
// then pi ascending). Fails only for memory, leaving chains as they were.
int32_t buildChains(const csEdge* edges, int32_t first, int32_t last, csEdgeChains* chains);

}  // namespace cedge
