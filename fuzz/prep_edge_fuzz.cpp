// Binarization (every method and reference) and the edge operators on small images drawn
// in cells, each seen through a window one pixel inside its image: outputs of the promised
// size and position, binary images of 0 and 255 only, true peaks and ID codes consistent
// with their magnitudes, and only the promised statuses (with the output left alone when
// a call fails).
#include "ci_id/priv/ci_idut/edge.h"
#include "ci_id/priv/ci_idut/prep.h"
#include "fuzz_support.h"

namespace {

class imageHandle {
 public:
  imageHandle() { cimg_image_constructUnbound(&image_); }
  ~imageHandle() { cimg_image_destruct(&image_); }
  imageHandle(const imageHandle&) = delete;
  imageHandle& operator=(const imageHandle&) = delete;
  cimg_image* get() { return &image_; }
  bool bound() const {
    int32_t isBound = 0;
    cimg_image_getIsBound(&image_, &isBound);
    return isBound != 0;
  }
  // The bound image's window, which must be 8-bit, of the given size at (x, y).
  cimg_window window(int32_t x, int32_t y, int32_t width, int32_t height) const {
    FUZZ_REQUIRE(bound());
    cimg_window window;
    FUZZ_REQUIRE(cimg_window_init(&window, &image_) == 0);
    FUZZ_REQUIRE(window.pixelType == CIMG_TYPE_8);
    FUZZ_REQUIRE(window.x0 == x && window.y0 == y);
    FUZZ_REQUIRE(window.width == width && window.height == height);
    return window;
  }

 private:
  cimg_image image_;
};

template <class Property>
void requireEveryPixel(const cimg_window& window, Property property) {
  for (int32_t y = 0; y < window.height; ++y) {
    const uint8_t* row = cimg_window_row<uint8_t>(&window, y);
    for (int32_t x = 0; x < window.width; ++x) FUZZ_REQUIRE(property(row[x]));
  }
}

bool isBinary(uint8_t v) { return v == 0 || v == 255; }

cidut_binarizeParams binarizeParams(fuzz_input& in, int32_t width, int32_t height) {
  cidut_binarizeParams p;
  cidut_binarizeParams_construct(&p);
  p.method = int32_t(in.range(0, 5));
  p.regionMode = int32_t(in.range(0, 2));
  p.windowX = int32_t(in.range(-2, width));
  p.windowY = int32_t(in.range(-2, height));
  p.windowWidth = int32_t(in.range(1, width + 2));
  p.windowHeight = int32_t(in.range(1, height + 2));
  p.minTileContrast = in.byte();
  p.tilesX = int32_t(in.range(1, 40));
  p.tilesY = int32_t(in.range(1, 40));
  if (p.regionMode == CIDUT_BINARIZE_REFERENCE_REGION || in.flag()) {
    // A region inside the image whose tiles fit the window.
    const int32_t shorter = std::min(width, height);
    const double x = double(in.range(0, width - 1)), y = double(in.range(0, height - 1));
    const int32_t side = int32_t(in.range(2, shorter + 1));
    p.region = {{x, y}, {x + side, y}, {x, y + side}};
    p.tilesPerRegionSide = double(in.range((side + shorter - 1) / shorter, side));
  }
  p.minLocalContrast = double(in.byte());
  p.reduction = int32_t(in.range(1, 4));
  p.meanOffset = in.byte();
  p.boxSize = int32_t(in.range(1, 128));
  return p;
}

// The destination is unbound or bound to an image of a random size; the call either
// fills it with 0 and 255 (placed over the source window) or fails with a size status and
// leaves it as it was.
void binarize(fuzz_input& in, const cimg_imageConst* source, int32_t width, int32_t height) {
  const cidut_binarizeParams p = binarizeParams(in, width, height);
  imageHandle destination, mask;
  const bool preBound = in.flag();
  int32_t boundWidth = width, boundHeight = height;
  if (preBound) {
    boundWidth = in.flag() ? width : int32_t(in.range(1, 70));
    boundHeight = in.flag() ? height : int32_t(in.range(1, 70));
    FUZZ_REQUIRE(cimg_image_construct(destination.get(), CIMG_TYPE_8, boundWidth, boundHeight) ==
                 0);
  }
  const int32_t status = cidut_binarizeImage(destination.get(), nullptr, nullptr,
                                             in.flag() ? mask.get() : nullptr, source, &p);
  const bool windowMissesImage =
      p.regionMode == CIDUT_BINARIZE_REFERENCE_WINDOW &&
      (p.windowX < -1 || p.windowY < -1 || p.windowX + p.windowWidth > width + 1 ||
       p.windowY + p.windowHeight > height + 1);
  const bool local = p.method == CIDUT_BINARIZE_LOCAL_MINMAX || p.method == CIDUT_BINARIZE_LOCAL_MEAN;
  if (status != 0) {
    FUZZ_REQUIRE(status == CIDUT_ERR_IMAGE_SIZE);
    FUZZ_REQUIRE(boundWidth != width || boundHeight != height ||
                 (windowMissesImage && !local && p.method >= 2));
    FUZZ_REQUIRE(destination.bound() == preBound);
    return;
  }
  FUZZ_REQUIRE(boundWidth == width && boundHeight == height);
  requireEveryPixel(destination.window(1, 1, width, height), isBinary);
  if (mask.bound()) requireEveryPixel(mask.window(1, 1, width, height), isBinary);
}

void edges(fuzz_input& in, const cimg_imageConst* source, int32_t width, int32_t height) {
  cip_edgeParams params;
  cip_edgeParams_init(&params);
  imageHandle magnitude, angle;
  FUZZ_REQUIRE(cip_edge_detectMagAng(source, &params, magnitude.get(), angle.get()) == 0);
  if (width >= 3 && height >= 3) {
    magnitude.window(2, 2, width - 2, height - 2);
    angle.window(2, 2, width - 2, height - 2);
  } else {
    FUZZ_REQUIRE(!magnitude.bound() && !angle.bound());
  }

  // True peaks over the window less a column on either side: every non-zero pixel a peak
  // at or above the threshold. Narrower windows give nothing (count is then not written).
  const uint8_t threshold = uint8_t(in.range(1, 255));
  imageHandle peaks;
  int32_t count = -1;
  FUZZ_REQUIRE(cip_truepeak8(source, peaks.get(), threshold, &count) == 0);
  if (width < 3) {
    FUZZ_REQUIRE(!peaks.bound());
  } else {
    int32_t nonZero = 0;
    requireEveryPixel(peaks.window(2, 1, width - 2, height), [&](uint8_t v) {
      nonZero += v != 0;
      return v == 0 || v >= threshold;
    });
    FUZZ_REQUIRE(count == nonZero);
  }

  // ID operator: outputs over the window less its last column and row; with a threshold,
  // weak pixels have no angle.
  const int32_t variant = in.flag();
  const uint8_t idThreshold = in.byte();
  const int32_t mode = in.flag() ? CF_EDGE_ID_MODE_2X2 : CF_EDGE_ID_MODE_3X3;
  imageHandle idMagnitude, idAngle;
  FUZZ_REQUIRE(cfEdgeDetectIDMagAng(source, idMagnitude.get(), idAngle.get(), variant, idThreshold,
                                    mode) == 0);
  if (width < 2 || height < 2) {
    FUZZ_REQUIRE(!idMagnitude.bound() && !idAngle.bound());
    return;
  }
  const cimg_window m = idMagnitude.window(1, 1, width - 1, height - 1);
  const cimg_window a = idAngle.window(1, 1, width - 1, height - 1);
  if (variant == 0) return;
  for (int32_t y = 0; y < m.height; ++y)
    for (int32_t x = 0; x < m.width; ++x)
      FUZZ_REQUIRE(cimg_window_row<uint8_t>(&m, y)[x] >= idThreshold ||
                   cimg_window_row<uint8_t>(&a, y)[x] == 0xFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_input in(data, size);
  const int32_t width = int32_t(in.range(1, 64));
  const int32_t height = int32_t(in.range(1, 64));
  const int32_t cell = int32_t(in.range(1, 8));
  const bool binarizing = in.flag();
  fuzz_greyImage picture(width + 2, height + 2);
  fuzz_drawCells(in, cell, &picture);
  imageHandle source;
  cimg_image_assign(source.get(), picture.image());
  FUZZ_REQUIRE(cimg_image_window(source.get(), 1, 1, width, height, 0) == 0);
  const cimg_imageConst* view = cimg_image_asConst(source.get());
  if (binarizing)
    binarize(in, view, width, height);
  else
    edges(in, view, width, height);
  return 0;
}
