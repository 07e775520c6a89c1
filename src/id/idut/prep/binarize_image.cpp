// cidut_binarizeImage: what the six thresholding methods share - the argument checks, the
// output image, the tile counts and the reference image of the tile methods - and the
// dispatch to the methods.
#include "id/idut/frame/check.h"
#include "id/idut/prep/binarize_methods.h"
#include "kit/affine.h"

namespace {

bool isNullRect(const cmath_shapeAffineRect& rect) {
  int32_t isNull = 1;
  cmath_shapeAffineRect_getIsNull(&rect, &isNull);
  return isNull != 0;
}

// The reference choice of methods 0 to 3 must name a reference that exists.
void checkReferenceMode(const cidut_binarizeParams& p) {
  CIDUT_CHECK(p.regionMode == CIDUT_BINARIZE_REFERENCE_WINDOW ||
              p.regionMode == CIDUT_BINARIZE_REFERENCE_REGION ||
              p.regionMode == CIDUT_BINARIZE_REFERENCE_NONE);
  if (p.regionMode == CIDUT_BINARIZE_REFERENCE_REGION) CIDUT_CHECK(!isNullRect(p.region));
  if (p.regionMode == CIDUT_BINARIZE_REFERENCE_WINDOW)
    CIDUT_CHECK(p.windowWidth != 0 && p.windowHeight != 0);
}

// Tiles along one side of the window: with a symbol region, as many as tiles of
// 1/tilesPerRegionSide of the region's side (truncated to whole pixels) fit.
int32_t tilesAlong(int32_t windowSide, double regionSide, double tilesPerRegionSide) {
  const double tileSide = regionSide / tilesPerRegionSide;
  CIDUT_CHECK(tileSide >= 1.0 && tileSide <= double(INT32_MAX));
  return windowSide / int32_t(tileSide);
}

int32_t tileCounts(const cidut_binarizeParams& p, const cimg_windowConst& in, int32_t* nX,
                   int32_t* nY) {
  *nX = p.tilesX;
  *nY = p.tilesY;
  if (!isNullRect(p.region)) {
    cmath_vect corners[3];
    double lengthX = 0, lengthY = 0;
    if (const int32_t status = cmath_shapeAffineRect_getPoints(&p.region, corners); status < 0)
      return status;
    cmath_vect_getDistance(&corners[0], &corners[1], &lengthX);
    cmath_vect_getDistance(&corners[0], &corners[2], &lengthY);
    *nX = tilesAlong(in.width, lengthX, p.tilesPerRegionSide);
    *nY = tilesAlong(in.height, lengthY, p.tilesPerRegionSide);
  }
  CIDUT_CHECK(*nX >= 1 && *nY >= 1);
  return 0;
}

// The reference image of the tile methods: the symbol region sampled upright, or a window
// of the source relative to the source's own window; reference stays unbound without one.
int32_t referenceImage(const cidut_binarizeParams& p, const cimg_imageConst* source,
                       cimg_image* reference) {
  if (p.regionMode == CIDUT_BINARIZE_REFERENCE_REGION)
    return cip_affine8(&p.region, source, reference);
  if (p.regionMode != CIDUT_BINARIZE_REFERENCE_WINDOW) return 0;
  cimg_imageConst* window = cimg_image_asConst(reference);
  if (const int32_t status = cimg_imageConst_assign(window, source); status < 0) return status;
  return cimg_imageConst_window(window, p.windowX, p.windowY, p.windowWidth, p.windowHeight, 0);
}

// Methods 2 and 3 (and every method value without a method of its own).
int32_t binarizeByTiles(const cidut_binarizeParams& p, const cimg_imageConst* source,
                        const cimg_windowConst& in, const cimg_window& out, cimg_image* reference) {
  int32_t nX = 0, nY = 0;
  if (const int32_t status = tileCounts(p, in, &nX, &nY); status < 0) return status;
  if (const int32_t status = referenceImage(p, source, reference); status < 0) return status;
  if (p.regionMode == CIDUT_BINARIZE_REFERENCE_NONE)
    return cidut_binarizeTiles(in, out, nullptr, nX, nY, p);
  cimg_windowConst referenceWindow;
  if (const int32_t status = cimg_windowConst_init(&referenceWindow, cimg_image_asConst(reference));
      status < 0)
    return status;
  return cidut_binarizeTiles(in, out, &referenceWindow, nX, nY, p);
}

}  // namespace

extern "C" int32_t cidut_binarizeImage(cimg_image* destination, const void*, const void*,
                                       cimg_image* contrastMask, const cimg_imageConst* source,
                                       const cidut_binarizeParams* params) {
  CIDUT_CHECK(destination != nullptr && source != nullptr && params != nullptr);
  const cidut_binarizeParams& p = *params;
  const bool local =
      p.method == CIDUT_BINARIZE_LOCAL_MINMAX || p.method == CIDUT_BINARIZE_LOCAL_MEAN;
  if (!local) checkReferenceMode(p);

  int32_t bound = 0;
  cimg_imageConst_getIsBound(source, &bound);
  if (!bound) return CIDUT_ERR_IMAGE_UNBOUND;
  cimg_windowConst in;
  if (const int32_t status = cimg_windowConst_init(&in, source); status < 0) return status;
  CIDUT_CHECK(in.pixelType == CIMG_TYPE_8);
  if (in.width < 1 || in.height < 1) return CIDUT_ERR_IMAGE_SIZE;

  cidut_binarizeOutput output;
  cimg_image reference;
  cimg_image_constructUnbound(&reference);
  ccCleanupFrame<2> frame;
  frame.holdObject<cimg_image_destruct>(&reference);
  if (frame.failed(output.open(frame, destination, source, in))) return frame.exit();
  const cimg_window& out = output.window();

  int32_t status = 0;
  switch (p.method) {
    case CIDUT_BINARIZE_GLOBAL_MIDRANGE:
    case CIDUT_BINARIZE_GLOBAL_WGV:
      status = cidut_binarizeGlobal(source, in, out, p.method);
      break;
    case CIDUT_BINARIZE_LOCAL_MINMAX:
      status = cidut_binarizeLocalMinMax(source, in, out, contrastMask, p);
      break;
    case CIDUT_BINARIZE_LOCAL_MEAN:
      status = cidut_binarizeLocalMean(in, out, p);
      break;
    default:
      status = binarizeByTiles(p, source, in, out, &reference);
  }
  if (!frame.failed(status)) frame.failed(output.close(destination));
  return frame.exit();
}
