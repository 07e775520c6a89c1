// The ring-finder search on small images drawn in cells: finite corners near the image,
// no module grid, a completion flag of 0 or 1.
#include <vector>

#include "fuzz_support.h"
#include "idread/locate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_input in(data, size);
  const int32_t width = int32_t(in.range(1, 96));
  const int32_t height = int32_t(in.range(1, 96));
  const int32_t cell = int32_t(in.range(1, 8));
  idread_ringOptions options;
  options.rowSpacing = int32_t(in.range(1, 16));
  options.neighbourOffset = int32_t(in.range(1, 8));
  options.minContrast = int32_t(in.range(1, 128));
  options.minSize = double(in.range(0, 40));
  options.maxSize = options.minSize + double(in.range(0, 255));
  options.tryThreeSides = in.flag();
  fuzz_greyImage image(width, height);
  fuzz_drawCells(in, cell, &image);

  std::vector<idread_symbol> rings;
  if (idread_locateRings(image.image(), options, &rings) < 0) return 0;
  for (const idread_symbol& ring : rings) {
    for (const cmath_vect& corner : ring.corners)
      FUZZ_REQUIRE(fuzz_isNear(corner, width, height, width + height));
    FUZZ_REQUIRE(ring.rows == 0 && ring.cols == 0);
    FUZZ_REQUIRE(ring.fourthCornerInferred == 0 || ring.fourthCornerInferred == 1);
    FUZZ_REQUIRE(options.tryThreeSides || ring.fourthCornerInferred == 0);
  }
  return 0;
}
