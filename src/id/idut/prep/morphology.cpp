// Rectangular grey-level morphology: the maximum and minimum filters over a box, and the
// minimum then maximum (opening) and maximum then minimum (closing), each separable into a
// pass along rows and a pass along columns.
//
// A box size k spans 2 max(1, (k - 1) / 2) + 1 pixels centred on the output pixel and cut
// at the window's border, as the row extremum filter (rowExtremaMax/Min) has it. Along a
// column two output rows at a time share the extremum of the input rows common to both;
// the two rows then go through the row pass. Along a row short windows read every window
// byte; longer ones come from doubling: after s steps each byte of a border-padded copy of
// the row holds the extremum of the 2^s bytes from it, and two overlapping such spans cover
// the window. Both passes take sixteen pixels a step with SSE2 and the same loops a pixel
// a step without it.
//
// The result goes into the destination's own pixels when its image holds the source
// window's rectangle apart from the source's pixels, else into a new image, handed to the
// destination at the end.
#include <string.h>

#include <algorithm>

#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"
#include "kit/pel.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

#ifdef __SSE2__
__m128i load16(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
void store16(uint8_t* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
#endif

struct maximumOf {
  static uint8_t of(uint8_t a, uint8_t b) { return a > b ? a : b; }
#ifdef __SSE2__
  static __m128i of(__m128i a, __m128i b) {
    return _mm_max_epu8(a, b);
  }
#endif
};

struct minimumOf {
  static uint8_t of(uint8_t a, uint8_t b) { return a < b ? a : b; }
#ifdef __SSE2__
  static __m128i of(__m128i a, __m128i b) {
    return _mm_min_epu8(a, b);
  }
#endif
};

// out[x] = the extremum of a[x] and b[x] for x < n. out may be a when b lies after a: the
// pass runs front to back and reads each byte before it writes it.
template <class Op>
void extremeOf(const uint8_t* a, const uint8_t* b, uint8_t* out, int32_t n) {
  int32_t x = 0;
#ifdef __SSE2__
  for (; x + 16 <= n; x += 16) store16(out + x, Op::of(load16(a + x), load16(b + x)));
#endif
  for (; x < n; ++x) out[x] = Op::of(a[x], b[x]);
}

// Window half-widths up to this take every window byte directly; wider ones double spans.
constexpr int32_t directHalfLimit = 4;

#ifdef __SSE2__
// The extremum of the Count vectors loaded from p + From on, as a balanced tree of
// comparisons (short dependency chains, every load known at compile time).
template <class Op, int From, int Count>
__m128i spanOf(const uint8_t* p) {
  if constexpr (Count == 1) {
    return load16(p + From);
  } else {
    return Op::of(spanOf<Op, From, Count / 2>(p),
                  spanOf<Op, From + Count / 2, Count - Count / 2>(p));
  }
}
#endif

// The row pass by direct reads: out[x] = the extremum of in[x - Half .. x + Half] cut at
// the row's ends; the pixels whose window reaches past an end are taken one at a time.
template <class Op, int Half>
void rowPassDirect(const uint8_t* in, uint8_t* out, int32_t n) {
  auto cut = [&](int32_t x) {
    uint8_t v = in[x];
    for (int32_t k = std::max(0, x - Half); k <= std::min(n - 1, x + Half); ++k)
      v = Op::of(v, in[k]);
    out[x] = v;
  };
  const int32_t inner = std::min(Half, n);
  for (int32_t x = 0; x < inner; ++x) cut(x);
  int32_t x = Half;
#ifdef __SSE2__
  for (; x + 16 + Half <= n; x += 16) store16(out + x, spanOf<Op, 0, 2 * Half + 1>(in + x - Half));
#endif
  for (; x < n - Half; ++x) {
    uint8_t v = in[x - Half];
    for (int32_t d = 1 - Half; d <= Half; ++d) v = Op::of(v, in[x + d]);
    out[x] = v;
  }
  for (x = std::max(inner, n - Half); x < n; ++x) cut(x);
}

// The row pass by doubling spans over a border-padded copy of the row (n + 2 half bytes).
template <class Op>
void rowPassDoubling(const uint8_t* in, uint8_t* out, int32_t n, int32_t half, uint8_t* padded) {
  memset(padded, in[0], size_t(half));
  memcpy(padded + half, in, size_t(n));
  memset(padded + half + n, in[n - 1], size_t(half));
  const int32_t window = 2 * half + 1, length = n + 2 * half;
  int32_t span = 1;
  for (; 2 * span <= window; span *= 2)
    extremeOf<Op>(padded, padded + span, padded, length - 2 * span + 1);
  extremeOf<Op>(padded, padded + window - span, out, n);
}

// The row pass: out[x] = the extremum of in[x - half .. x + half], cut at the row's ends.
template <class Op>
void rowPass(const uint8_t* in, uint8_t* out, int32_t n, int32_t half, uint8_t* padded) {
  switch (half) {
    case 1:
      rowPassDirect<Op, 1>(in, out, n);
      break;
    case 2:
      rowPassDirect<Op, 2>(in, out, n);
      break;
    case 3:
      rowPassDirect<Op, 3>(in, out, n);
      break;
    case directHalfLimit:
      rowPassDirect<Op, directHalfLimit>(in, out, n);
      break;
    default:
      rowPassDoubling<Op>(in, out, n, half, padded);
      break;
  }
}

// Two output rows of the column pass: out0 = the extremum of the shared rows and only0 (if
// any), out1 (if any) that of the shared rows and only1 (if any). Four vectors a step, so
// that each row pointer is fetched once per 64 pixels and four comparison chains overlap,
// then one vector a step, then one pixel.
template <class Op>
void columnPair(const uint8_t* const* shared, int32_t sharedCount, const uint8_t* only0,
                const uint8_t* only1, uint8_t* out0, uint8_t* out1, int32_t n) {
  int32_t x = 0;
#ifdef __SSE2__
  auto finish = [&](int32_t at, __m128i common) {
    store16(out0 + at, only0 ? Op::of(common, load16(only0 + at)) : common);
    if (out1) store16(out1 + at, only1 ? Op::of(common, load16(only1 + at)) : common);
  };
  for (; x + 64 <= n; x += 64) {
    const uint8_t* row = shared[0] + x;
    __m128i c0 = load16(row), c1 = load16(row + 16), c2 = load16(row + 32), c3 = load16(row + 48);
    for (int32_t k = 1; k < sharedCount; ++k) {
      row = shared[k] + x;
      c0 = Op::of(c0, load16(row));
      c1 = Op::of(c1, load16(row + 16));
      c2 = Op::of(c2, load16(row + 32));
      c3 = Op::of(c3, load16(row + 48));
    }
    finish(x, c0);
    finish(x + 16, c1);
    finish(x + 32, c2);
    finish(x + 48, c3);
  }
  for (; x + 16 <= n; x += 16) {
    __m128i common = load16(shared[0] + x);
    for (int32_t k = 1; k < sharedCount; ++k) common = Op::of(common, load16(shared[k] + x));
    finish(x, common);
  }
#endif
  for (; x < n; ++x) {
    uint8_t common = shared[0][x];
    for (int32_t k = 1; k < sharedCount; ++k) common = Op::of(common, shared[k][x]);
    out0[x] = only0 ? Op::of(common, only0[x]) : common;
    if (out1) out1[x] = only1 ? Op::of(common, only1[x]) : common;
  }
}

cimg_windowConst readOnly(const cimg_window& w) {
  return {w.width, w.height, w.x0, w.y0, w.stride, w.pixelType, w.pixels, w.storage};
}

// The half-width of a box size along one axis; 0: no pass along it.
int32_t halfOf(int32_t size) {
  return size > 1 ? std::max(1, (size - 1) / 2) : 0;
}

size_t rounded(size_t bytes) {
  return (bytes + 63) & ~size_t(63);
}

// Working memory of the passes over a window width pixels wide: the two rows the column
// pass leaves for the row pass, the padded row of the doubling row pass and the row
// pointers of one column-pass step.
class passScratch {
 public:
  passScratch(int32_t width, int32_t xHalf, int32_t yHalf)
      : xHalf_(xHalf),
        yHalf_(yHalf),
        rowBytes_(xHalf > 0 && yHalf > 0 ? rounded(size_t(width)) : 0),
        paddedBytes_(xHalf > directHalfLimit ? rounded(size_t(width) + 2 * size_t(xHalf)) : 0) {}

  size_t bytes() const {
    return 2 * rowBytes_ + paddedBytes_ +
           (yHalf_ > 0 ? sizeof(uint8_t*) * size_t(2 * yHalf_ + 1) : 0);
  }
  // The block the passes use, of bytes() bytes.
  void** block() { return &block_; }

  // The column pass, then the row pass; the extremum over a box is the same in either order.
  template <class Op>
  void run(const cimg_windowConst& in, const cimg_window& out) const {
    uint8_t* between0 = static_cast<uint8_t*>(block_);
    uint8_t* between1 = between0 + rowBytes_;
    uint8_t* padded = between1 + rowBytes_;
    const uint8_t** shared = reinterpret_cast<const uint8_t**>(padded + paddedBytes_);
    const int32_t width = in.width, last = in.height - 1;
    auto input = [&](int32_t r) { return cimg_windowConst_row<uint8_t>(&in, r); };
    auto output = [&](int32_t r) { return cimg_window_row<uint8_t>(&out, r); };
    if (yHalf_ == 0) {
      for (int32_t r = 0; r <= last; ++r) rowPass<Op>(input(r), output(r), width, xHalf_, padded);
      return;
    }
    for (int32_t y = 0; y <= last; y += 2) {
      // Rows [from0, to0] make output row y, [from1, to1] row y + 1; they share [from1, to0].
      const bool pair = y < last;
      const int32_t from0 = std::max(0, y - yHalf_), to0 = std::min(last, y + yHalf_);
      const int32_t from1 = pair ? std::max(0, y + 1 - yHalf_) : from0;
      const int32_t to1 = pair ? std::min(last, y + 1 + yHalf_) : to0;
      for (int32_t r = from1; r <= to0; ++r) shared[r - from1] = input(r);
      uint8_t* column0 = xHalf_ > 0 ? between0 : output(y);
      uint8_t* column1 = !pair ? nullptr : xHalf_ > 0 ? between1 : output(y + 1);
      columnPair<Op>(shared, to0 - from1 + 1, from0 < from1 ? input(from0) : nullptr,
                     to1 > to0 ? input(to1) : nullptr, column0, column1, width);
      if (xHalf_ == 0) continue;
      rowPass<Op>(between0, output(y), width, xHalf_, padded);
      if (pair) rowPass<Op>(between1, output(y + 1), width, xHalf_, padded);
    }
  }

 private:
  int32_t xHalf_;
  int32_t yHalf_;
  size_t rowBytes_;
  size_t paddedBytes_;
  void* block_ = nullptr;
};

// The target of the result: the destination's own pixels, windowed to the source window's
// rectangle, when its image holds that rectangle and the two windows share no pixel; else a
// new image over the rectangle.
template <int Capacity>
int32_t openTarget(ccCleanupFrame<Capacity>& frame, const cimg_image* destination,
                   const cstd_rect32& area, const cimg_windowConst& in, cimg_image* target,
                   cimg_window* out) {
  int32_t bound = 0, contains = 0;
  cimg_image_getIsBound(destination, &bound);
  if (bound) {
    cstd_rect32 entire;
    if (const int32_t status = cimg_image_getEntire(destination, &entire); status < 0)
      return status;
    cstd_rect32_containsRect(&entire, &area, &contains);
  }
  if (contains) {
    cimg_image_constructCopy(target, destination);
    frame.template holdObject<cimg_image_destruct>(target);
    if (const int32_t status = cimg_image_setWindowRect(target, &area, nullptr); status < 0)
      return status;
    if (const int32_t status = cimg_window_init(out, target); status < 0) return status;
    CIDUT_CHECK(out->pixelType == CIMG_TYPE_8);
    if (cip_pelfunc_checkMemoryOverlap(&in, out) != CIP_STATUS_MEMORY_OVERLAP) return 0;
    frame.releaseNewest();
  }
  if (const int32_t status = cimg_image_constructRect(target, CIMG_TYPE_8, &area); status < 0)
    return status;
  frame.template holdObject<cimg_image_destruct>(target);
  return cimg_window_init(out, target);
}

}  // namespace

extern "C" int32_t cidut_morph2d_run(const cimg_imageConst* source, cimg_image* destination,
                                     int32_t mode, int32_t xSize, int32_t ySize) {
  CIDUT_CHECK(source != nullptr && destination != nullptr);
  CIDUT_CHECK(mode >= CIDUT_MORPH_MAX && mode <= CIDUT_MORPH_MAX_MIN);
  cstd_rect32 area;
  if (const int32_t status = cimg_imageConst_getWindow(source, &area); status < 0) return status;
  cimg_windowConst in;
  if (const int32_t status = cimg_windowConst_init(&in, source); status < 0) return status;
  CIDUT_CHECK(in.pixelType == CIMG_TYPE_8);

  ccCleanupFrame<3> frame;
  cimg_image target, intermediate;
  cimg_window out, middle;
  passScratch scratch(area.width, halfOf(xSize), halfOf(ySize));
  if (frame.failed(openTarget(frame, destination, area, in, &target, &out))) return frame.exit();

  if (area.width < xSize || area.height < ySize || (xSize < 2 && ySize < 2)) {
    // The target never shares the source's pixels.
    if (frame.failed(cip_pelCopy8(&in, &out))) return frame.exit();
  } else {
    const bool twoPasses = mode == CIDUT_MORPH_MIN_MAX || mode == CIDUT_MORPH_MAX_MIN;
    if (twoPasses) {
      if (frame.failed(cimg_image_construct(&intermediate, CIMG_TYPE_8, area.width, area.height)))
        return frame.exit();
      frame.holdObject<cimg_image_destruct>(&intermediate);
      if (frame.failed(cimg_window_init(&middle, &intermediate))) return frame.exit();
    }
    if (frame.failed(csys_memory_allocFastMem_internal(scratch.bytes(), scratch.block())))
      return frame.exit();
    frame.holdBlock(scratch.block());
    switch (mode) {
      case CIDUT_MORPH_MAX:
        scratch.run<maximumOf>(in, out);
        break;
      case CIDUT_MORPH_MIN:
        scratch.run<minimumOf>(in, out);
        break;
      case CIDUT_MORPH_MIN_MAX:
        scratch.run<minimumOf>(in, middle);
        scratch.run<maximumOf>(readOnly(middle), out);
        break;
      default:
        scratch.run<maximumOf>(in, middle);
        scratch.run<minimumOf>(readOnly(middle), out);
        break;
    }
  }

  // The source's transforms go with the result; the destination takes the target, windowed
  // to the source window's rectangle, which its image holds whole.
  int32_t clipped = 0;
  if (frame.failed(cimg_image_copyXforms(&target, source)) ||
      frame.failed(cimg_image_assign(destination, &target)) ||
      frame.failed(cimg_image_setWindowRect(destination, &area, &clipped)))
    return frame.exit();
  CIDUT_CHECK(!clipped);
  return frame.exit();
}
