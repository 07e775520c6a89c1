// Method 4 of the binarization: thresholds from the local grey range, worked out on an
// image smoothed and reduced by the reduction factor and expanded back for the
// comparison.
//
// On the reduced image A, D and E are its 3 x 3 dilation and erosion. A pixel whose 9 x 9
// neighbourhood spans a range r9 = max D - min E of at least the minimum contrast takes the
// threshold min E + r / 2, where r is the range of the three pixels below it when that
// range reaches the minimum contrast too, else r9; flatter pixels take the Otsu threshold G
// of all of A. The 9 x 9 extremes are separable: row extremes of 9 first, then column
// extremes of 9 over those, neighbourhoods cut at the image's edges, sixteen pixels at a
// time with SSE2. The thresholds (and the ranges of the contrast mask) are expanded back to
// full size a band of rows at a time and compared while the band is in the cache.
#include <stdint.h>

#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "id/idut/frame/cleanup_frame.h"
#include "id/idut/prep/binarize_methods.h"
#include "kit/filter.h"
#include "kit/morph.h"
#include "kit/pel.h"
#include "kit/system.h"
#include "kit/thresh.h"

namespace {

// Half the side of the neighbourhood of the local range.
constexpr int32_t reach = 4;

struct takeMin {
  uint8_t operator()(uint8_t a, uint8_t b) const { return std::min(a, b); }
#ifdef __SSE2__
  __m128i operator()(__m128i a, __m128i b) const {
    return _mm_min_epu8(a, b);
  }
#endif
};
struct takeMax {
  uint8_t operator()(uint8_t a, uint8_t b) const { return std::max(a, b); }
#ifdef __SSE2__
  __m128i operator()(__m128i a, __m128i b) const {
    return _mm_max_epu8(a, b);
  }
#endif
};

// result[x] = the extreme of from[k][x] over k < Count, for x < n. The row pointers are
// copied to locals, which the byte stores cannot alias.
template <int Count, class Pick>
void extremeAcross(const uint8_t* const* from, int32_t n, uint8_t* result, Pick pick) {
  const uint8_t* row[Count];
#pragma GCC unroll 16
  for (int k = 0; k < Count; ++k) row[k] = from[k];
  int32_t x = 0;
#ifdef __SSE2__
  for (; x + 16 <= n; x += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row[0] + x));
#pragma GCC unroll 16
    for (int k = 1; k < Count; ++k)
      v = pick(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(row[k] + x)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(result + x), v);
  }
#endif
  for (; x < n; ++x) {
    uint8_t v = row[0][x];
    for (int k = 1; k < Count; ++k) v = pick(v, row[k][x]);
    result[x] = v;
  }
}

// result[x] = the extreme of row[x - Radius .. x + Radius] cut at the row's ends, which for
// extremes is the same as the row extended by its end pixels; padded holds that extension
// (width + 2 Radius bytes).
template <int Radius, class Pick>
void rowExtremes(const uint8_t* row, int32_t width, uint8_t* padded, uint8_t* result, Pick pick) {
  std::fill(padded, padded + Radius, row[0]);
  std::copy(row, row + width, padded + Radius);
  std::fill(padded + Radius + width, padded + 2 * Radius + width, row[width - 1]);
  const uint8_t* shifted[2 * Radius + 1];
  for (int32_t k = 0; k <= 2 * Radius; ++k) shifted[k] = padded + k;
  extremeAcross<2 * Radius + 1>(shifted, width, result, pick);
}

// result[x] = the extreme of column x over rows y - reach .. y + reach of a plane of
// width-pixel rows, cut at its first and last row.
template <class Pick>
void columnExtremes(const uint8_t* plane, int32_t width, int32_t height, int32_t y, uint8_t* result,
                    Pick pick) {
  const uint8_t* rows[2 * reach + 1];
  for (int32_t k = 0; k <= 2 * reach; ++k)
    rows[k] = plane + ptrdiff_t{std::clamp(y - reach + k, 0, height - 1)} * width;
  extremeAcross<2 * reach + 1>(rows, width, result, pick);
}

// The reduced images of the local thresholds, all of one size.
struct reducedImages {
  cimg_window a;       // A: in, the reduced image; out, its local range
  cimg_windowConst d;  // 3 x 3 dilation of A
  cimg_windowConst e;  // 3 x 3 erosion of A
  cimg_window t;       // out: the thresholds
};

// Bytes of work memory for localThresholds: two planes and five rows.
size_t localWorkBytes(int32_t width, int32_t height) {
  return size_t(width) * (2 * size_t(height) + 5) + 2 * reach;
}

// The smallest range that reaches the minimum contrast, 256 when none does.
int32_t contrastLevel(double minContrast) {
  int32_t level = 0;
  while (level < 256 && !(level >= minContrast)) ++level;
  return level;
}

// One row of the local thresholds: the 9 x 9 extremes, the extremes of the three pixels
// below, D and E at the pixel; out, T and A.
struct localRow {
  const uint8_t* maxD;
  const uint8_t* minE;
  const uint8_t* maxD3;
  const uint8_t* minE3;
  const uint8_t* d;
  const uint8_t* e;
  uint8_t* t;
  uint8_t* a;
};

// The decision of one pixel (ranges of at least level reach the minimum contrast).
void decide(const localRow& row, int32_t x, int32_t level, uint8_t fallback) {
  const int32_t r9 = row.maxD[x] - row.minE[x];
  if (r9 < level) {
    row.t[x] = fallback;
    row.a[x] = uint8_t(row.d[x] - row.e[x]);
    return;
  }
  const int32_t r3 = row.maxD3[x] - row.minE3[x];
  const int32_t r = r3 >= level ? r3 : r9;
  row.t[x] = uint8_t(row.minE[x] + r / 2);
  row.a[x] = uint8_t(r9);
}

// The decisions of a row, sixteen pixels at a time through masks where SSE2 is there. The
// ranges cannot wrap: the 9 x 9 window holds the three pixels below, and D >= E.
void decideRow(const localRow& row, int32_t width, int32_t level, uint8_t fallback) {
  int32_t x = 0;
#ifdef __SSE2__
  auto load = [](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  auto store = [](uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); };
  auto select = [](__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
  };
  // r >= level as r = max(r, level), never true for a level of 256.
  const __m128i levelLanes = _mm_set1_epi8(char(std::min(level, 255)));
  const __m128i reachable = level < 256 ? _mm_set1_epi8(-1) : _mm_setzero_si128();
  auto reaches = [&](__m128i r) {
    return _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(r, levelLanes), r), reachable);
  };
  const __m128i fallbackLanes = _mm_set1_epi8(char(fallback)), low7 = _mm_set1_epi8(0x7f);
  for (; x + 16 <= width; x += 16) {
    const __m128i minE = load(row.minE + x);
    const __m128i r9 = _mm_subs_epu8(load(row.maxD + x), minE);
    const __m128i r3 = _mm_subs_epu8(load(row.maxD3 + x), load(row.minE3 + x));
    const __m128i r = select(reaches(r3), r3, r9);
    const __m128i local = _mm_add_epi8(minE, _mm_and_si128(_mm_srli_epi16(r, 1), low7));
    const __m128i contrasted = reaches(r9);
    store(row.t + x, select(contrasted, local, fallbackLanes));
    store(row.a + x, select(contrasted, r9, _mm_sub_epi8(load(row.d + x), load(row.e + x))));
  }
#endif
  for (; x < width; ++x) decide(row, x, level, fallback);
}

// The local thresholds T and ranges A.
void localThresholds(const reducedImages& im, uint8_t fallback, double minContrast, uint8_t* work) {
  const int32_t level = contrastLevel(minContrast);
  const int32_t width = im.a.width, height = im.a.height;
  const ptrdiff_t planeBytes = ptrdiff_t{width} * height;
  uint8_t* rowMaxD = work;
  uint8_t* rowMinE = rowMaxD + planeBytes;
  uint8_t* maxD = rowMinE + planeBytes;
  uint8_t* minE = maxD + width;
  uint8_t* maxD3 = minE + width;
  uint8_t* minE3 = maxD3 + width;
  uint8_t* padded = minE3 + width;
  for (int32_t y = 0; y < height; ++y) {
    rowExtremes<reach>(cimg_windowConst_row<uint8_t>(&im.d, y), width, padded,
                       rowMaxD + ptrdiff_t{y} * width, takeMax{});
    rowExtremes<reach>(cimg_windowConst_row<uint8_t>(&im.e, y), width, padded,
                       rowMinE + ptrdiff_t{y} * width, takeMin{});
  }
  for (int32_t y = 0; y < height; ++y) {
    columnExtremes(rowMaxD, width, height, y, maxD, takeMax{});
    columnExtremes(rowMinE, width, height, y, minE, takeMin{});
    const int32_t next = std::min(height - 1, y + 1);
    rowExtremes<1>(cimg_windowConst_row<uint8_t>(&im.d, next), width, padded, maxD3, takeMax{});
    rowExtremes<1>(cimg_windowConst_row<uint8_t>(&im.e, next), width, padded, minE3, takeMin{});
    const localRow row{maxD,
                       minE,
                       maxD3,
                       minE3,
                       cimg_windowConst_row<uint8_t>(&im.d, y),
                       cimg_windowConst_row<uint8_t>(&im.e, y),
                       cimg_window_row<uint8_t>(&im.t, y),
                       cimg_window_row<uint8_t>(&im.a, y)};
    decideRow(row, width, level, fallback);
  }
}

// image = a new image of the window's size, in its place.
int32_t imageAt(const cimg_windowConst& window, cimg_image* image) {
  const cstd_rect32 place{window.x0, window.y0, window.width, window.height};
  return cimg_image_constructRect(image, CIMG_TYPE_8, &place);
}

// copy = a new image of the window's pixels, in its place.
int32_t copyOf(const cimg_windowConst& window, cimg_image* copy) {
  if (const int32_t status = imageAt(window, copy); status < 0) return status;
  cimg_window to;
  if (const int32_t status = cimg_window_init(&to, copy); status < 0) return status;
  return cip_pelCopy8(&window, &to);
}

int32_t windowOf(const cimg_image* image, cimg_window* window) {
  return cimg_window_init(window, image);
}
int32_t windowOf(const cimg_image* image, cimg_windowConst* window) {
  return cimg_windowConst_init(window, cimg_image_asConst(image));
}

// The Otsu threshold of A, levels 1 .. 255.
int32_t fallbackThreshold(const cimg_windowConst& a, uint8_t* threshold) {
  uint32_t histogram[256] = {};
  cip_threshParams params;
  cip_threshResult result;
  if (const int32_t status = cip_pelHistogram8(&a, histogram); status < 0) return status;
  if (const int32_t status = cip_threshParams_init(&params); status < 0) return status;
  if (const int32_t status =
          cip_threshComputeWGVThresholdFromHistogram(histogram, 255, 1, 255, &params, &result);
      status < 0)
    return status;
  *threshold = uint8_t(result.threshold);
  return 0;
}

// Rows y .. y + rows of a window.
cimg_windowConst rowsOf(cimg_windowConst window, int32_t y, int32_t rows) {
  window.pixels = cimg_windowConst_row<uint8_t>(&window, y);
  window.y0 += y;
  window.height = rows;
  return window;
}
cimg_window rowsOf(cimg_window window, int32_t y, int32_t rows) {
  window.pixels = cimg_window_row<uint8_t>(&window, y);
  window.y0 += y;
  window.height = rows;
  return window;
}

// The full-size images of the reduced ones are made and used a band of rows at a time,
// the band small enough to stay in the cache between the calls that write and read it:
// about this many bytes of expanded rows.
constexpr int32_t bandBytes = 16384;

// Full-size rows per band: whole reduced rows blown up by the factor; without reduction
// the whole image, whose reduced images are of its size already.
int32_t rowsPerBand(int32_t reducedWidth, int32_t factor, int32_t height) {
  if (factor < 2) return height;
  const int64_t reducedRowBytes = int64_t{reducedWidth} * factor * factor;
  return factor * int32_t(std::max<int64_t>(1, bandBytes / reducedRowBytes));
}

// Rows y .. y + rows (y a multiple of the factor) of the reduced image blown up by the
// factor and cut to width: the reduced rows expanded into buffer (rows rounded up to the
// factor, of reduced width x factor bytes); without reduction the reduced image's own rows.
int32_t fullSizeRows(const cimg_windowConst& reduced, int32_t factor, int32_t y, int32_t rows,
                     int32_t width, uint8_t* buffer, cimg_windowConst* result) {
  if (factor < 2) {
    *result = rowsOf(reduced, y, rows);
    return 0;
  }
  const int32_t reducedRows = (rows + factor - 1) / factor, bufferWidth = reduced.width * factor;
  const cimg_windowConst from = rowsOf(reduced, y / factor, reducedRows);
  const cimg_window to{bufferWidth, reducedRows * factor, 0,      0,
                       bufferWidth, CIMG_TYPE_8,          buffer, buffer};
  if (const int32_t status = cip_pelExpand8(&from, &to, factor, factor); status < 0) return status;
  *result = cidut_binarizeReadOnly(to);
  result->width = width;
  result->height = rows;
  return 0;
}

}  // namespace

int32_t cidut_binarizeLocalMinMax(const cimg_imageConst* source, const cimg_windowConst& in,
                                  const cimg_window& out, cimg_image* contrastMask,
                                  const cidut_binarizeParams& params) {
  const int32_t factor = params.reduction;
  const bool reduce = factor >= 2;
  cidut_binarizeOutput mask;
  cimg_image a, dilated, eroded, thresholds;
  for (cimg_image* image : {&a, &dilated, &eroded, &thresholds}) cimg_image_constructUnbound(image);
  cip_gmorphElementArray element{};
  uint8_t* work = nullptr;
  ccCleanupFrame<8> frame;
  for (cimg_image* image : {&a, &dilated, &eroded, &thresholds})
    frame.holdObject<cimg_image_destruct>(image);

  // A, and its dilation and erosion by a 3 x 3 square.
  if (reduce) {
    csGaussParams gauss = csGaussParamsDefault;
    gauss.xSize = gauss.xSample = gauss.ySize = gauss.ySample = factor;
    if (frame.failed(cip_gauss_smooth8_8(source, &a, &gauss))) return frame.exit();
  } else if (frame.failed(copyOf(in, &a))) {
    return frame.exit();
  }
  if (frame.failed(cip_gmorphElementArray_constructType(&element, CIP_GMORPH_SQUARE, 1)))
    return frame.exit();
  frame.holdObject<cip_gmorphElementArray_destruct>(&element);
  const cimg_imageConst* aImage = cimg_image_asConst(&a);
  if (frame.failed(cip_gmorphDilate8(aImage, &dilated, &element)) ||
      frame.failed(cip_gmorphErode8(aImage, &eroded, &element)))
    return frame.exit();

  reducedImages im;
  cimg_windowConst aWindow;
  uint8_t fallback = 0;
  if (frame.failed(windowOf(&a, &aWindow)) || frame.failed(fallbackThreshold(aWindow, &fallback)) ||
      frame.failed(imageAt(aWindow, &thresholds)) || frame.failed(windowOf(&a, &im.a)) ||
      frame.failed(windowOf(&dilated, &im.d)) || frame.failed(windowOf(&eroded, &im.e)) ||
      frame.failed(windowOf(&thresholds, &im.t)))
    return frame.exit();
  const int32_t bandRows = rowsPerBand(im.a.width, factor, in.height);
  size_t bufferBytes = 0;
  if (reduce) {
    const int64_t width = int64_t{im.a.width} * factor;
    if (width > INT32_MAX) return frame.fail(CIDUT_ERR_IMAGE_SIZE);
    bufferBytes = size_t(width) * size_t(bandRows);
  }
  const size_t workBytes = localWorkBytes(im.a.width, im.a.height);
  if (frame.failed(csys_memory_alloc_internal(workBytes + bufferBytes, (void**)&work)))
    return frame.exit();
  frame.holdBlock(&work);
  localThresholds(im, fallback, params.minLocalContrast, work);

  // Every allocation comes before the first write to the caller's pixels.
  if (contrastMask != nullptr && frame.failed(mask.open(frame, contrastMask, source, in)))
    return frame.exit();
  // The mask: 255 where the 9 x 9 range reaches the minimum contrast.
  uint8_t maskTable[256];
  cidut_binarizeStepTable(params.minLocalContrast, maskTable);
  uint8_t* const buffer = work + workBytes;
  for (int32_t y = 0; y < in.height; y += bandRows) {
    const int32_t rows = std::min(bandRows, in.height - y);
    cimg_windowConst thresholdRows, rangeRows;
    if (frame.failed(fullSizeRows(cidut_binarizeReadOnly(im.t), factor, y, rows, in.width, buffer,
                                  &thresholdRows)) ||
        frame.failed(cidut_binarizeAbove(rowsOf(in, y, rows), thresholdRows, rowsOf(out, y, rows))))
      return frame.exit();
    if (contrastMask == nullptr) continue;
    const cimg_window maskRows = rowsOf(mask.window(), y, rows);
    if (frame.failed(fullSizeRows(cidut_binarizeReadOnly(im.a), factor, y, rows, in.width, buffer,
                                  &rangeRows)) ||
        frame.failed(cip_pelMap8(&rangeRows, &maskRows, maskTable)))
      return frame.exit();
  }
  if (contrastMask != nullptr) frame.failed(mask.close(contrastMask));
  return frame.exit();
}
