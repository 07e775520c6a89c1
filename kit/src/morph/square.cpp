// Grey dilation and erosion by a square, separably: the extremum over 2r + 1 rows of each
// column, then over 2r + 1 columns of each row.
//
// Small radii read every tap, both passes fused row by row. Larger radii use van Herk /
// Gil-Werman: lines in blocks of 2r + 1, each window the union of a suffix of one block and
// a prefix of the next, three extremum steps a pixel whatever the radius. Its row pass runs
// on strips of 16 rows turned into columns (16-byte lines), so that it too keeps 16 lanes
// busy.
#include <algorithm>
#include <cstring>

#include "internal.h"

namespace {

// Up to this radius every tap is read (the cases of cip_gmorph_square's switch): below it
// that costs less than van Herk's three steps and two transpositions.
constexpr int32_t directRadius = 5;
constexpr int32_t lanes = cip_lanes::count;

// Dilation or erosion at radius r, reading every tap. Each output row is the extremum of the
// 2r + 1 source rows around it (rows past the ends repeat the end rows), written into padded
// with r copies of its end pixels on either side, and then of the 2r + 1 pixels around each
// pixel of that.
template <class Extremum, int32_t r>
void squareDirect(const cimg_windowConst& source, const cimg_window& destination, uint8_t* padded) {
  constexpr int32_t taps = 2 * r + 1;
  const int32_t width = source.width, height = source.height;
  uint8_t* middle = padded + r;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* rows[taps];
    for (int32_t d = 0; d < taps; ++d) {
      rows[d] = cimg_windowConst_row<uint8_t>(&source, std::clamp(y + d - r, 0, height - 1));
    }
    int32_t x = 0;
    for (; x + lanes <= width; x += lanes) {
      cip_lanes::bytes e = cip_lanes::load(rows[0] + x);
#pragma GCC unroll 10
      for (int32_t d = 1; d < taps; ++d) e = Extremum::many(e, cip_lanes::load(rows[d] + x));
      cip_lanes::store(middle + x, e);
    }
    for (; x < width; ++x) {
      uint8_t e = rows[0][x];
      for (int32_t d = 1; d < taps; ++d) e = Extremum::one(e, rows[d][x]);
      middle[x] = e;
    }
    for (int32_t d = 0; d < r; ++d) {
      padded[d] = middle[0];
      middle[width + d] = middle[width - 1];
    }

    uint8_t* out = cimg_window_row<uint8_t>(&destination, y);
    x = 0;
    for (; x + lanes <= width; x += lanes) {
      cip_lanes::bytes e = cip_lanes::load(padded + x);
#pragma GCC unroll 10
      for (int32_t d = 1; d < taps; ++d) e = Extremum::many(e, cip_lanes::load(padded + x + d));
      cip_lanes::store(out + x, e);
    }
    for (; x < width; ++x) {
      uint8_t e = padded[x];
      for (int32_t d = 1; d < taps; ++d) e = Extremum::one(e, padded[x + d]);
      out[x] = e;
    }
  }
}

// Line i of the output = the extremum of the input lines i - r .. i + r that exist, by van
// Herk / Gil-Werman. Blocks of k = 2r + 1 lines start at line 0. The window lo .. hi lies in
// one block or two: the suffix of lo's block from lo, combined with the prefix of hi's block
// up to hi. The prefix is one running line; the suffixes of lo's block are a table filled
// when lo enters the block. Lines holds the lines and does the extremum steps.
template <class Lines>
void vanHerk(Lines& lines, int32_t count, int32_t r) {
  const int64_t k = 2 * int64_t{r} + 1;
  // hi starts at min(count - 1, r), inside the first block.
  int32_t hi = std::min(count - 1, r), hiBlock = 0, loBlock = 0, suffixBlock = -1;
  lines.startPrefix(hi);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t lo = std::max(0, i - r);
    if (i > 0 && int64_t{i} + r < count) {  // hi moves on by one line
      if (++hi == hiBlock + k) {
        hiBlock = hi;
        lines.restartPrefix(hi);
      } else {
        lines.extendPrefix(hi);
      }
    }
    if (lo == loBlock + k) loBlock = lo;
    if (hiBlock == loBlock && lo == loBlock) {
      lines.putPrefix(i);
      continue;
    }
    if (loBlock != suffixBlock) {
      lines.fillSuffixes(loBlock, int32_t(std::min<int64_t>(loBlock + k, count) - 1));
      suffixBlock = loBlock;
    }
    if (hiBlock == loBlock) {  // hi is the last line of the block
      lines.putSuffix(i, lo - loBlock);
    } else {
      lines.putSuffixAndPrefix(i, lo - loBlock);
    }
  }
}

size_t vanHerkScratchBytes(int32_t count, int32_t width, int32_t r) {
  return (size_t(std::min<int64_t>(2 * int64_t{r} + 1, count)) + 1) * size_t(width);
}

// Image rows as the lines of van Herk: the column pass.
template <class Extremum>
struct imageRows {
  const cimg_windowConst& in;
  const cimg_window& out;
  uint8_t* prefix;    // a row
  uint8_t* suffixes;  // rows of the block, from its first

  const uint8_t* inRow(int32_t i) const { return cimg_windowConst_row<uint8_t>(&in, i); }
  uint8_t* suffix(int32_t j) const { return suffixes + ptrdiff_t{j} * in.width; }
  // out = the extremum of a and b; out may be a or b.
  void combine(const uint8_t* a, const uint8_t* b, uint8_t* to) const {
    int32_t x = 0;
    for (; x + lanes <= in.width; x += lanes) {
      cip_lanes::store(to + x, Extremum::many(cip_lanes::load(a + x), cip_lanes::load(b + x)));
    }
    for (; x < in.width; ++x) to[x] = Extremum::one(a[x], b[x]);
  }
  void copy(const uint8_t* from, uint8_t* to) const { std::memcpy(to, from, size_t(in.width)); }

  void startPrefix(int32_t hi) {
    copy(inRow(0), prefix);
    for (int32_t q = 1; q <= hi; ++q) combine(prefix, inRow(q), prefix);
  }
  void restartPrefix(int32_t hi) { copy(inRow(hi), prefix); }
  void extendPrefix(int32_t hi) { combine(prefix, inRow(hi), prefix); }
  void fillSuffixes(int32_t first, int32_t last) {
    copy(inRow(last), suffix(last - first));
    for (int32_t q = last - 1; q >= first; --q)
      combine(inRow(q), suffix(q - first + 1), suffix(q - first));
  }
  void putPrefix(int32_t i) { copy(prefix, cimg_window_row<uint8_t>(&out, i)); }
  void putSuffix(int32_t i, int32_t j) { copy(suffix(j), cimg_window_row<uint8_t>(&out, i)); }
  void putSuffixAndPrefix(int32_t i, int32_t j) {
    combine(suffix(j), prefix, cimg_window_row<uint8_t>(&out, i));
  }
};

// The columns of a strip of 16 rows, one 16-byte line each, as the lines of van Herk: the
// row pass. The prefix stays in a register.
template <class Extremum>
struct stripColumns {
  const uint8_t* in;
  uint8_t* out;
  uint8_t* suffixes;
  cip_lanes::bytes prefix;

  cip_lanes::bytes inLine(int32_t i) const { return cip_lanes::load(in + i * lanes); }
  uint8_t* suffix(int32_t j) const { return suffixes + j * lanes; }

  void startPrefix(int32_t hi) {
    prefix = inLine(0);
    for (int32_t q = 1; q <= hi; ++q) prefix = Extremum::many(prefix, inLine(q));
  }
  void restartPrefix(int32_t hi) { prefix = inLine(hi); }
  void extendPrefix(int32_t hi) { prefix = Extremum::many(prefix, inLine(hi)); }
  void fillSuffixes(int32_t first, int32_t last) {
    cip_lanes::bytes e = inLine(last);
    cip_lanes::store(suffix(last - first), e);
    for (int32_t q = last - 1; q >= first; --q) {
      e = Extremum::many(e, inLine(q));
      cip_lanes::store(suffix(q - first), e);
    }
  }
  void putPrefix(int32_t i) { cip_lanes::store(out + i * lanes, prefix); }
  void putSuffix(int32_t i, int32_t j) {
    cip_lanes::store(out + i * lanes, cip_lanes::load(suffix(j)));
  }
  void putSuffixAndPrefix(int32_t i, int32_t j) {
    cip_lanes::store(out + i * lanes, Extremum::many(cip_lanes::load(suffix(j)), prefix));
  }
};

// Column x of 16 rows becomes line x of columns (16 bytes a line), and back.
void rowsToColumns(const uint8_t* const rows[lanes], int32_t width, uint8_t* columns) {
  int32_t x = 0;
  for (; x + lanes <= width; x += lanes) {
    cip_lanes::bytes block[lanes];
#pragma GCC unroll 16
    for (int32_t j = 0; j < lanes; ++j) block[j] = cip_lanes::load(rows[j] + x);
    cip_lanes::transpose(block);
#pragma GCC unroll 16
    for (int32_t i = 0; i < lanes; ++i) cip_lanes::store(columns + (x + i) * lanes, block[i]);
  }
  for (; x < width; ++x) {
    for (int32_t j = 0; j < lanes; ++j) columns[x * lanes + j] = rows[j][x];
  }
}
void columnsToRows(const uint8_t* columns, int32_t width, uint8_t* const rows[lanes]) {
  int32_t x = 0;
  for (; x + lanes <= width; x += lanes) {
    cip_lanes::bytes block[lanes];
#pragma GCC unroll 16
    for (int32_t i = 0; i < lanes; ++i) block[i] = cip_lanes::load(columns + (x + i) * lanes);
    cip_lanes::transpose(block);
#pragma GCC unroll 16
    for (int32_t j = 0; j < lanes; ++j) cip_lanes::store(rows[j] + x, block[j]);
  }
  for (; x < width; ++x) {
    for (int32_t j = 0; j < lanes; ++j) rows[j][x] = columns[x * lanes + j];
  }
}

size_t alongRowsVanHerkScratchBytes(int32_t width, int32_t r) {
  return 2 * size_t(width) * lanes + vanHerkScratchBytes(width, lanes, r) + size_t(width);
}

// The row pass by van Herk, in place, 16 rows at a time through their columns. A last strip
// of fewer rows reads its first row again and writes the missing ones to a spare row.
template <class Extremum>
void alongRowsVanHerk(const cimg_window& image, int32_t r, uint8_t* scratch) {
  const int32_t width = image.width;
  uint8_t* columns = scratch;
  uint8_t* extremes = columns + size_t(width) * lanes;
  uint8_t* suffixes = extremes + size_t(width) * lanes;
  uint8_t* spare = suffixes + vanHerkScratchBytes(width, lanes, r);
  for (int32_t y = 0; y < image.height; y += lanes) {
    const uint8_t* from[lanes];
    uint8_t* to[lanes];
    for (int32_t j = 0; j < lanes; ++j) {
      const bool inside = y + j < image.height;
      to[j] = inside ? cimg_window_row<uint8_t>(&image, y + j) : spare;
      from[j] = inside ? to[j] : cimg_window_row<uint8_t>(&image, y);
    }
    rowsToColumns(from, width, columns);
    stripColumns<Extremum> lines{columns, extremes, suffixes, {}};
    vanHerk(lines, width, r);
    columnsToRows(extremes, width, to);
  }
}

}  // namespace

size_t cip_gmorph_squareScratchBytes(int32_t width, int32_t height, int32_t radius) {
  if (width <= 0 || height <= 0) return 0;
  if (radius <= directRadius) return size_t(width) + 2 * size_t(radius);
  const int32_t ry = std::min(radius, height - 1), rx = std::min(radius, width - 1);
  return std::max(vanHerkScratchBytes(height, width, ry), alongRowsVanHerkScratchBytes(width, rx));
}

template <class Extremum>
void cip_gmorph_square(const cimg_windowConst& source, const cimg_window& destination,
                       int32_t radius, void* scratch) {
  const int32_t width = source.width, height = source.height;
  if (width <= 0 || height <= 0) return;
  uint8_t* bytes = static_cast<uint8_t*>(scratch);
  switch (radius) {
    case 0:
      return squareDirect<Extremum, 0>(source, destination, bytes);
    case 1:
      return squareDirect<Extremum, 1>(source, destination, bytes);
    case 2:
      return squareDirect<Extremum, 2>(source, destination, bytes);
    case 3:
      return squareDirect<Extremum, 3>(source, destination, bytes);
    case 4:
      return squareDirect<Extremum, 4>(source, destination, bytes);
    case 5:
      return squareDirect<Extremum, 5>(source, destination, bytes);
  }
  // A window reaching past every line sees them all, as one reaching just to the far end.
  const int32_t ry = std::min(radius, height - 1), rx = std::min(radius, width - 1);
  imageRows<Extremum> rows{source, destination, bytes, bytes + width};
  vanHerk(rows, height, ry);
  alongRowsVanHerk<Extremum>(destination, rx, bytes);
}

template void cip_gmorph_square<cip_gmorph_greatest>(const cimg_windowConst&, const cimg_window&,
                                                     int32_t, void*);
template void cip_gmorph_square<cip_gmorph_least>(const cimg_windowConst&, const cimg_window&,
                                                  int32_t, void*);
