// The binarization parameters and their defaults: method 3 (tile maximum with global
// minimum) over 20 x 10 tiles, no reference, no symbol region.
#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"

extern "C" int32_t cidut_binarizeParams_construct(cidut_binarizeParams* params) {
  CIDUT_CHECK(params != nullptr);
  params->windowX = 0;
  params->windowY = 0;
  params->windowWidth = 0;
  params->windowHeight = 0;
  params->unused1 = 0.0;
  params->unused2 = 0.0;
  params->method = CIDUT_BINARIZE_TILE_MAX;
  params->regionMode = CIDUT_BINARIZE_REFERENCE_NONE;
  params->minTileContrast = 65;
  params->tilesX = 20;
  params->tilesY = 10;
  params->tilesPerRegionSide = 10.0;
  params->minLocalContrast = 20.0;
  params->reduction = 2;
  params->meanOffset = 10;
  params->boxSize = 15;
  return cmath_shapeAffineRect_initNull(&params->region);
}

extern "C" int32_t cidut_binarizeParams_destruct(cidut_binarizeParams* params) {
  CIDUT_CHECK(params != nullptr);
  return 0;
}
