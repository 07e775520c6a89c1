// The ID edge detector: one threshold-table load per pixel gives its angle code, or 0xFF
// where the gradient is too weak, optionally with counts of those non-edge pixels per
// column block. Where SSE2 is there the 3x3 mode always runs over row pairs, sixteen columns
// at a time, and the 2x2 mode has such an accelerated path when asked for. Both give the
// per-pixel loop's bytes.
#include "ci_id/priv/ci_idut/edge.h"
#include "id/idut/edge/id_edge_gradient.h"
#include "id/idut/edge/id_edge_simd_rows.h"
#include "id/idut/frame/check.h"

namespace {

constexpr int32_t tableHeaderBytes = 16;

// One call's region, table and counting, with the row loops over it.
struct idDetection {
  const uint8_t* source;
  ptrdiff_t sourceStride;
  uint8_t* out;
  ptrdiff_t outStride;
  int32_t width;
  int32_t height;
  const uint8_t* codes;  // entry of pair index 0
  int32_t blockWidth;
  int32_t* counts;  // null: no counting

  const uint8_t* sourceRow(int32_t r) const { return source + r * sourceStride; }
  uint8_t* outRow(int32_t r) const { return out + r * outStride; }

  // counts[j] += the 0xFF pixels of block j of output row r.
  void countRow(int32_t r) const {
    if (!counts) return;
    const uint8_t* row = outRow(r);
    int32_t* count = counts;
    for (int32_t x0 = 0; x0 < width; x0 += blockWidth, ++count) {
      const int32_t end = width - x0 <= blockWidth ? width : x0 + blockWidth;
      int32_t nonEdges = 0;
      for (int32_t x = x0; x < end; ++x) nonEdges += row[x] == 0xFF;
      *count += nonEdges;
    }
  }

  // The per-pixel loop over rows [first, end).
  void portableRows(int32_t first, int32_t end, bool twoByTwo) const {
    for (int32_t r = first; r < end; ++r) {
      const uint8_t* p = sourceRow(r);
      uint8_t* o = outRow(r);
      if (twoByTwo) {
        for (int32_t x = 0; x < width; ++x) o[x] = codes[cidut_edgeIDIndex2x2(p + x, sourceStride)];
      } else {
        for (int32_t x = 0; x < width; ++x) {
          o[x] = cidut_edgeIDShiftCode(codes[cidut_edgeIDIndex3x3(p + x, sourceStride)],
                                       cidut_edgeIDShift3x3);
        }
      }
      countRow(r);
    }
  }

  // The 3x3 mode: row pairs by sixteen columns where SSE2 is available, an odd last row by
  // the per-pixel loop.
  void rows3x3() const {
    int32_t pairedRows = 0;
#ifdef __SSE2__
    pairedRows = height & ~1;
    for (int32_t r = 0; r < pairedRows; r += 2) {
      cidut_edgeIDRowPair3x3(sourceRow(r), sourceStride, outRow(r), outRow(r + 1), width, codes);
      countRow(r);
      countRow(r + 1);
    }
#endif
    portableRows(pairedRows, height, false);
  }

  // The 2x2 mode by row pairs, the rows left over by the per-pixel loop. guard set keeps
  // the pairs off the last row.
  int32_t acceleratedRows([[maybe_unused]] int32_t guard) const {
#ifdef __SSE2__
    if (width < 4 || height < 2) return CIDUT_ERR_NOT_AVAILABLE;
    const int32_t pairedRows = guard == 0 && height % 2 == 0 ? height : (height - 1) & ~1;
    for (int32_t r = 0; r < pairedRows; r += 2) {
      cidut_edgeIDRowPair2x2(sourceRow(r), sourceStride, outRow(r), outRow(r + 1), width, codes);
      countRow(r);
      countRow(r + 1);
    }
    portableRows(pairedRows, height, true);
    return 0;
#else
    return CIDUT_ERR_NOT_AVAILABLE;
#endif
  }
};

}  // namespace

extern "C" int32_t cf_EdgeDetectIDCount(const uint8_t* source, int32_t sourceStride, uint8_t* out,
                                        int32_t width, int32_t height, int32_t outStride,
                                        const uint8_t* table, int32_t tableSize, uint8_t,
                                        int32_t blockWidth, int32_t* counts, int32_t guard,
                                        int32_t accelerate, int32_t mode) {
  CIDUT_CHECK(tableSize == CF_EDGE_ID_THRESHOLD_TABLE_SIZE);
  CIDUT_CHECK(source && out && table);
  CIDUT_CHECK(width >= 0 && height >= 0);
  CIDUT_CHECK(!counts || blockWidth >= 1);
  const idDetection detection{.source = source,
                              .sourceStride = sourceStride,
                              .out = out,
                              .outStride = outStride,
                              .width = width,
                              .height = height,
                              .codes = table + tableHeaderBytes,
                              .blockWidth = blockWidth,
                              .counts = counts};
  if (mode != CF_EDGE_ID_MODE_2X2) {
    detection.rows3x3();
  } else if (!accelerate || detection.acceleratedRows(guard) < 0) {
    detection.portableRows(0, height, true);
  }
  return 0;
}

extern "C" int32_t cf_EdgeDetectID(const uint8_t* source, int32_t sourceStride, uint8_t* out,
                                   int32_t width, int32_t height, int32_t outStride,
                                   const uint8_t* table, int32_t tableSize, uint8_t unused,
                                   int32_t guard, int32_t accelerate, int32_t mode) {
  return cf_EdgeDetectIDCount(source, sourceStride, out, width, height, outStride, table, tableSize,
                              unused, 0, nullptr, guard, accelerate, mode);
}
