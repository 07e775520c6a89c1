// Method 5 of the binarization: a pixel turns dark when it lies more than meanOffset below
// the mean of the box around it.
//
// A running-sum box filter: 16-bit column sums over the box's rows move down one row per
// output row, and the box sum slides along the row one column in, one column out, so a
// pixel costs the same whatever the box size. Comparisons stay in integers: the pixel is
// dark when pixel * area < box sum - meanOffset * area. Pixels nearer the border than
// half a box take the threshold of the nearest box that fits.
//
// A box longer than the image on a side is cut to that side, so an image smaller than the
// box is thresholded against its overall mean.
#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"
#include "id/idut/prep/binarize_methods.h"
#include "kit/system.h"

namespace {

// The box: boxWidth x boxHeight pixels, its centre pixel centreX, centreY from its corner.
struct meanBox {
  int32_t boxWidth;
  int32_t boxHeight;
  int32_t centreX;
  int32_t centreY;
  int32_t area;
  int32_t offsetTerm;  // meanOffset * area
};

uint8_t level(uint8_t pixel, int32_t area, int32_t threshold) {
  return pixel * area < threshold ? 0 : 255;
}

// destination[i] = level(source[i], area, thresholds[i]) for n pixels.
void thresholdPixels(const uint8_t* source, const int32_t* thresholds, int32_t area, int32_t n,
                     uint8_t* destination) {
  int32_t i = 0;
#ifdef __SSE2__
  // pixel * area as 32-bit lanes: each lane's pair of 16-bit halves is (pixel, 0) times
  // (area, 0); the compare masks pack down to bytes 0xFF where the pixel turns dark.
  const __m128i zero = _mm_setzero_si128();
  const __m128i areas = _mm_set1_epi32(area);
  auto darkMask = [&](__m128i pixels8, int32_t at) {
    const __m128i p = _mm_unpacklo_epi16(pixels8, zero);
    const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(thresholds + at));
    return _mm_cmplt_epi32(_mm_madd_epi16(p, areas), t);
  };
  for (; i + 16 <= n; i += 16) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
    const __m128i low = _mm_unpacklo_epi8(p, zero), high = _mm_unpackhi_epi8(p, zero);
    const __m128i darkLow =
        _mm_packs_epi32(darkMask(low, i), darkMask(_mm_srli_si128(low, 8), i + 4));
    const __m128i darkHigh =
        _mm_packs_epi32(darkMask(high, i + 8), darkMask(_mm_srli_si128(high, 8), i + 12));
    const __m128i dark = _mm_packs_epi16(darkLow, darkHigh);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i),
                     _mm_andnot_si128(dark, _mm_set1_epi8(-1)));
  }
#endif
  for (; i < n; ++i) destination[i] = level(source[i], area, thresholds[i]);
}

// Row y of the output against the thresholds of one row of boxes: box c serves column
// c + centreX, the first and last boxes serve the columns beyond them.
void thresholdRow(const meanBox& box, const int32_t* thresholds, int32_t boxes,
                  const uint8_t* source, uint8_t* destination, int32_t width) {
  const int32_t firstCentre = box.centreX, lastCentre = box.centreX + boxes - 1;
  for (int32_t x = 0; x < firstCentre; ++x)
    destination[x] = level(source[x], box.area, thresholds[0]);
  thresholdPixels(source + firstCentre, thresholds, box.area, boxes, destination + firstCentre);
  for (int32_t x = lastCentre + 1; x < width; ++x)
    destination[x] = level(source[x], box.area, thresholds[boxes - 1]);
}

#ifdef __SSE2__
// Four running thresholds: the previous one (in every lane of carry) plus the inclusive
// prefix sums of the four changes; carry becomes the last of them.
__m128i runOn(__m128i changes, __m128i* carry) {
  changes = _mm_add_epi32(changes, _mm_slli_si128(changes, 4));
  changes = _mm_add_epi32(changes, _mm_slli_si128(changes, 8));
  const __m128i thresholds = _mm_add_epi32(changes, *carry);
  *carry = _mm_shuffle_epi32(thresholds, _MM_SHUFFLE(3, 3, 3, 3));
  return thresholds;
}
#endif

// thresholds[c] = sum of the box whose left column is c - offset term. From one box to the
// next the sum changes by the entering minus the leaving column sum, a prefix sum that
// runs eight columns at a time.
void boxThresholds(const meanBox& box, const uint16_t* columnSums, int32_t boxes,
                   int32_t* thresholds) {
  int32_t sum = 0;
  for (int32_t c = 0; c < box.boxWidth; ++c) sum += columnSums[c];
  thresholds[0] = sum - box.offsetTerm;
  const uint16_t* leaving = columnSums - 1;  // leaving[c], entering[c]: the change to box c
  const uint16_t* entering = columnSums + box.boxWidth - 1;
  int32_t c = 1;
#ifdef __SSE2__
  __m128i carry = _mm_set1_epi32(thresholds[0]);
  for (; c + 8 <= boxes; c += 8) {
    // Column sums fit 15 bits, so their differences fit 16-bit lanes.
    const __m128i change =
        _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(entering + c)),
                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(leaving + c)));
    const __m128i low = _mm_srai_epi32(_mm_unpacklo_epi16(change, change), 16);
    const __m128i high = _mm_srai_epi32(_mm_unpackhi_epi16(change, change), 16);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(thresholds + c), runOn(low, &carry));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(thresholds + c + 4), runOn(high, &carry));
  }
#endif
  for (; c < boxes; ++c)
    thresholds[c] = thresholds[c - 1] + int32_t{entering[c]} - int32_t{leaving[c]};
}

// Moves the column sums down one row: the leaving row out (none for the first rows), the
// entering row in. Sums stay within 16 bits, so wrapping lanes are exact.
void moveDown(const uint8_t* leaving, const uint8_t* entering, int32_t width,
              uint16_t* columnSums) {
  int32_t x = 0;
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128();
  for (; x + 16 <= width; x += 16) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(entering + x));
    const __m128i out =
        leaving ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(leaving + x)) : zero;
    __m128i* sums = reinterpret_cast<__m128i*>(columnSums + x);
    const __m128i low =
        _mm_sub_epi16(_mm_add_epi16(_mm_loadu_si128(sums), _mm_unpacklo_epi8(in, zero)),
                      _mm_unpacklo_epi8(out, zero));
    const __m128i high =
        _mm_sub_epi16(_mm_add_epi16(_mm_loadu_si128(sums + 1), _mm_unpackhi_epi8(in, zero)),
                      _mm_unpackhi_epi8(out, zero));
    _mm_storeu_si128(sums, low);
    _mm_storeu_si128(sums + 1, high);
  }
#endif
  for (; x < width; ++x)
    columnSums[x] = uint16_t(columnSums[x] + entering[x] - (leaving ? leaving[x] : 0));
}

}  // namespace

int32_t cidut_binarizeLocalMean(const cimg_windowConst& in, const cimg_window& out,
                                const cidut_binarizeParams& params) {
  // 128 rows of 255 still fit the 16-bit column sums.
  CIDUT_CHECK(params.boxSize >= 1 && params.boxSize <= 128);
  const int32_t width = in.width, height = in.height;
  meanBox box;
  box.boxWidth = std::min(params.boxSize, width);
  box.boxHeight = std::min(params.boxSize, height);
  box.centreX = box.boxWidth / 2;
  box.centreY = box.boxHeight / 2;
  box.area = box.boxWidth * box.boxHeight;
  box.offsetTerm = params.meanOffset * box.area;
  const int32_t boxes = width - box.boxWidth + 1;
  const int32_t boxRows = height - box.boxHeight + 1;

  uint16_t* columnSums = nullptr;
  int32_t* thresholds = nullptr;
  ccCleanupFrame<2> frame;
  if (frame.failed(
          csys_memory_allocClear_internal(size_t(width) * sizeof(uint16_t), (void**)&columnSums)))
    return frame.exit();
  frame.holdBlock(&columnSums);
  if (frame.failed(
          csys_memory_alloc_internal(size_t(boxes) * sizeof(int32_t), (void**)&thresholds)))
    return frame.exit();
  frame.holdBlock(&thresholds);

  auto sourceRow = [&](int32_t y) { return cimg_windowConst_row<uint8_t>(&in, y); };
  auto outputRow = [&](int32_t y) {
    thresholdRow(box, thresholds, boxes, sourceRow(y), cimg_window_row<uint8_t>(&out, y), width);
  };
  for (int32_t y = 0; y < box.boxHeight; ++y) moveDown(nullptr, sourceRow(y), width, columnSums);
  for (int32_t r = 0; r < boxRows; ++r) {
    if (r > 0) moveDown(sourceRow(r - 1), sourceRow(r + box.boxHeight - 1), width, columnSums);
    boxThresholds(box, columnSums, boxes, thresholds);
    // The rows above the first box row's centre and below the last one's take its
    // thresholds.
    const int32_t first = r == 0 ? 0 : r + box.centreY;
    const int32_t last = r == boxRows - 1 ? height - 1 : r + box.centreY;
    for (int32_t y = first; y <= last; ++y) outputRow(y);
  }
  return frame.exit();
}
