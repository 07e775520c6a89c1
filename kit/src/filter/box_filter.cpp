// The kit's box low-pass filter with sub-sampling: the mean of a box of pixels, one box of
// every step kept along each axis.
//
// Column sums over the box's rows are kept for every column the boxes read and moved down
// from one kept row to the next by the rows that leave and enter (or summed afresh when
// the boxes do not overlap); a prefix sum along the row then gives every box sum with one
// subtraction. The prefix runs modulo 2^32, where each box sum (below 255 * 4096^2) lies.
#include "internal.h"

extern "C" {
const csPlpfParams csPlpfParamsNull = {0, 0, 0, 0, 0, 1.0};
}

namespace {

// A size of 0 or 1 is a box of one pixel.
int32_t boxTaps(int32_t size) {
  return size < 1 ? 1 : size;
}

struct boxAxes {
  cip_filterAxis x;
  cip_filterAxis y;
};

boxAxes chooseAxes(const csPlpfParams& params, int32_t width, int32_t height) {
  const int32_t flags = params.flags;
  const bool useX = flags & CS_FILTER_X, useY = flags & CS_FILTER_Y;
  const int32_t xTaps = useX ? boxTaps(params.xSize) : 1, yTaps = useY ? boxTaps(params.ySize) : 1;
  const int32_t xStep = useX ? cip_filterStep(params.xSample, flags) : 1;
  const int32_t yStep = useY ? cip_filterStep(params.ySample, flags) : 1;
  auto count = [](int32_t length, int32_t taps, int32_t step) {
    return length < taps ? 0 : (length - taps) / step + 1;
  };
  return boxAxes{{xTaps, xStep, 0, count(width, xTaps, xStep)},
                 {yTaps, yStep, 0, count(height, yTaps, yStep)}};
}

void checkParams(const csPlpfParams& params) {
  cip_filterCheckFlags(params.flags);
  CIP_FILTER_CHECK(params.xSize >= 0 && params.xSize <= CS_PLPF_MAX_SIZE);
  CIP_FILTER_CHECK(params.ySize >= 0 && params.ySize <= CS_PLPF_MAX_SIZE);
  CIP_FILTER_CHECK(params.xSample >= 0 && params.ySample >= 0);
}

// columnSums[c] += sign x row[c] for the span's columns.
void addRow(const uint8_t* row, int32_t span, uint32_t sign, uint32_t* columnSums) {
  for (int32_t c = 0; c < span; ++c) columnSums[c] += sign * row[c];
}

}  // namespace

int32_t cip_boxFilter8(const cimg_windowConst& source, const cimg_window& destination,
                       const cip_filterAxis& x, const cip_filterAxis& y, uint64_t gain16,
                       bool round) {
  if (x.count <= 0 || y.count <= 0) return 0;
  const int32_t span = (x.count - 1) * x.step + x.taps;
  void* block = nullptr;
  if (const int32_t status =
          csys_memory_allocFastMem_internal(sizeof(uint32_t) * (2 * size_t(span) + 1), &block);
      status < 0)
    return status;
  uint32_t* columnSums = static_cast<uint32_t*>(block);
  uint32_t* prefix = columnSums + span;  // span + 1 entries

  const uint64_t divisor = (uint64_t(x.taps) * uint64_t(y.taps)) << 16;
  const uint64_t bias = round ? divisor / 2 : 0;
  auto row = [&](int32_t r) { return cimg_windowConst_row<uint8_t>(&source, r); };
  for (int32_t j = 0; j < y.count; ++j) {
    const int32_t top = j * y.step;
    if (j > 0 && y.step < y.taps) {
      for (int32_t r = top - y.step; r < top; ++r) {
        addRow(row(r), span, ~uint32_t(0), columnSums);  // times -1, modulo 2^32
        addRow(row(r + y.taps), span, 1, columnSums);
      }
    } else {
      for (int32_t c = 0; c < span; ++c) columnSums[c] = 0;
      for (int32_t r = top; r < top + y.taps; ++r) addRow(row(r), span, 1, columnSums);
    }
    prefix[0] = 0;
    for (int32_t c = 0; c < span; ++c) prefix[c + 1] = prefix[c] + columnSums[c];
    uint8_t* out = cimg_window_row<uint8_t>(&destination, j);
    for (int32_t i = 0; i < x.count; ++i) {
      const uint32_t sum = prefix[i * x.step + x.taps] - prefix[i * x.step];
      const uint64_t mean = (sum * gain16 + bias) / divisor;
      out[i] = uint8_t(mean > 255 ? 255 : mean);
    }
  }
  return csys_memory_free_internal(&block);
}

extern "C" int32_t cfPlpfComputeDstReg(const csIRegion* source, const csPlpfParams* params,
                                       csIRegion* destination) {
  CIP_FILTER_CHECK(source != nullptr && params != nullptr && destination != nullptr);
  checkParams(*params);
  const boxAxes axes = chooseAxes(*params, source->width, source->height);
  *destination = csIRegion{source->x, source->y, axes.x.count, axes.y.count};
  return 0;
}

extern "C" int32_t cip_plpf(const cimg_windowConst* source, const cimg_window* destination,
                            const csPlpfParams* params, csVImageClientCoords* placement) {
  CIP_FILTER_CHECK(source != nullptr && destination != nullptr && params != nullptr);
  checkParams(*params);
  CIP_FILTER_CHECK(source->pixelType == CIMG_TYPE_8);
  const int32_t flags = params->flags;
  const uint64_t gain16 = cip_filterGain16((flags & CS_FILTER_GAIN) ? params->gain : 1.0);
  const boxAxes axes = chooseAxes(*params, source->width, source->height);
  if (axes.x.count > 0 && axes.y.count > 0) {
    if (const int32_t status = cip_filterCheckDestination(*source, *destination, axes.x, axes.y);
        status < 0)
      return status;
    if (const int32_t status =
            cip_boxFilter8(*source, *destination, axes.x, axes.y, gain16, flags & CS_FILTER_ROUND);
        status < 0)
      return status;
  }
  if (placement != nullptr) {
    const csIRegion in{source->x0, source->y0, source->width, source->height};
    cip_filterPlacement(in, axes.x, axes.y, placement);
  }
  return 0;
}
