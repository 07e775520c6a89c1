// The one-barcode finder on images drawn in cells: a find has a finite rectangle near the
// image and a bar angle in [0, 180]. The finder scans a 100 x 50 box whose bottom edge runs
// through the middle, so smaller images are refused with a size status, and only they.
#include "ci_id/priv/ci_idut/frame.h"
#include "fuzz_support.h"
#include "idread/locate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_input in(data, size);
  const int32_t width = int32_t(in.range(1, 160));
  const int32_t height = int32_t(in.range(1, 120));
  const int32_t cell = int32_t(in.range(1, 8));
  fuzz_greyImage image(width, height);
  fuzz_drawCells(in, cell, &image);

  idread_barcode barcode;
  const int32_t status = idread_findBarcode(image.image(), &barcode);
  FUZZ_REQUIRE(status == 0 || status == CIDUT_ERR_IMAGE_SIZE);
  FUZZ_REQUIRE((status == CIDUT_ERR_IMAGE_SIZE) == (width < 100 || height < 100));
  if (status != 0) return 0;
  FUZZ_REQUIRE(barcode.found == 0 || barcode.found == 1);
  if (barcode.found == 0) return 0;
  FUZZ_REQUIRE(std::isfinite(barcode.barAngle));
  FUZZ_REQUIRE(barcode.barAngle >= 0.0 && barcode.barAngle <= 180.0);
  for (const cmath_vect& corner : {barcode.rect.po, barcode.rect.px, barcode.rect.py})
    FUZZ_REQUIRE(fuzz_isNear(corner, width, height, width + height));
  return 0;
}
