// Methods 2 and 3 of the binarization: a threshold per tile, written into the tile's
// window of the destination, which then serves as the threshold image.
//
// Tiles are window records over the source and destination pixels, taken row by row
// from the top-left corner; none of their pixels is copied.
#include <algorithm>

#include "id/idut/frame/cleanup_frame.h"
#include "id/idut/prep/binarize_methods.h"
#include "kit/pel.h"
#include "kit/system.h"

namespace {

// The tiling of a window into tiles of stepX x stepY pixels (the tile size plus one); the
// last tile of each row and of each column is cut at the window's edge.
struct tileGrid {
  int32_t width;
  int32_t height;
  int32_t stepX;
  int32_t stepY;

  int32_t columns() const { return (width - 1) / stepX + 1; }
  int32_t rows() const { return (height - 1) / stepY + 1; }
};

struct tile {
  cimg_windowConst in;
  cimg_window out;
};

tile tileAt(const tileGrid& grid, const cimg_windowConst& in, const cimg_window& out,
            int32_t column, int32_t row) {
  const int32_t x = column * grid.stepX, y = row * grid.stepY;
  const int32_t width = std::min(grid.stepX, grid.width - x);
  const int32_t height = std::min(grid.stepY, grid.height - y);
  tile t{in, out};
  t.in.x0 += x;
  t.in.y0 += y;
  t.in.width = t.out.width = width;
  t.in.height = t.out.height = height;
  t.in.pixels = static_cast<const uint8_t*>(in.pixels) + ptrdiff_t{y} * in.stride + x;
  t.out.x0 += x;
  t.out.y0 += y;
  t.out.pixels = static_cast<uint8_t*>(out.pixels) + ptrdiff_t{y} * out.stride + x;
  return t;
}

// visit(tile, index, min, max) for every tile, row by row; index counts the tiles.
template <class Visit>
void forEachTile(const tileGrid& grid, const cimg_windowConst& in, const cimg_window& out,
                 Visit visit) {
  int32_t index = 0;
  for (int32_t row = 0; row < grid.rows(); ++row) {
    for (int32_t column = 0; column < grid.columns(); ++column, ++index) {
      const tile t = tileAt(grid, in, out, column, row);
      uint8_t minimum = 0, maximum = 0;
      cip_pelUnaryMinMax8(&t.in, &minimum, &maximum);
      visit(t, index, minimum, maximum);
    }
  }
}

// Method 3 without a reference: the first pass keeps every tile's maximum and finds the
// least tile minimum g, the second sets each tile's threshold to (maximum + g) / 2.
int32_t tileMaxWithTilesMin(const tileGrid& grid, const cimg_windowConst& in,
                            const cimg_window& out) {
  uint8_t* maxima = nullptr;
  ccCleanupFrame<1> frame;
  if (frame.failed(csys_memory_alloc_internal(size_t(grid.columns()) * size_t(grid.rows()),
                                              (void**)&maxima)))
    return frame.exit();
  frame.holdBlock(&maxima);
  int32_t g = 255;
  forEachTile(grid, in, out, [&](const tile&, int32_t index, uint8_t minimum, uint8_t maximum) {
    maxima[index] = maximum;
    g = std::min<int32_t>(g, minimum);
  });
  int32_t index = 0;
  for (int32_t row = 0; row < grid.rows(); ++row) {
    for (int32_t column = 0; column < grid.columns(); ++column, ++index) {
      const tile t = tileAt(grid, in, out, column, row);
      cip_pelSet8(&t.out, uint8_t((maxima[index] + g) / 2));
    }
  }
  return frame.exit();
}

}  // namespace

int32_t cidut_binarizeTiles(const cimg_windowConst& in, const cimg_window& out,
                            const cimg_windowConst* reference, int32_t nX, int32_t nY,
                            const cidut_binarizeParams& params) {
  const tileGrid grid{in.width, in.height, in.width / nX + 1, in.height / nY + 1};
  uint8_t referenceMin = 255, referenceMax = 0;
  if (reference != nullptr) {
    if (const int32_t status = cip_pelUnaryMinMax8(reference, &referenceMin, &referenceMax);
        status < 0)
      return status;
  }

  if (params.method == CIDUT_BINARIZE_TILE_MIDRANGE) {
    // Tiles of no more range than the contrast get threshold 0: all but black is light.
    const int32_t contrast =
        reference != nullptr ? referenceMax - referenceMin : params.minTileContrast;
    forEachTile(grid, in, out, [&](const tile& t, int32_t, uint8_t minimum, uint8_t maximum) {
      const bool contrasted = maximum - minimum > contrast;
      cip_pelSet8(&t.out, contrasted ? uint8_t((minimum + maximum) / 2) : 0);
    });
  } else if (reference != nullptr) {
    forEachTile(grid, in, out, [&](const tile& t, int32_t, uint8_t, uint8_t maximum) {
      cip_pelSet8(&t.out, uint8_t((maximum + referenceMin) / 2));
    });
  } else if (const int32_t status = tileMaxWithTilesMin(grid, in, out); status < 0) {
    return status;
  }
  return cidut_binarizeAbove(in, cidut_binarizeReadOnly(out), out);
}
