// The grey-level extremes of an 8-bit window.
#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"
#include "id/idut/prep/pixel_images.h"

extern "C" int32_t cidut_ip_pelMinMax8(const cimg_imageConst* source, uint8_t* minimum,
                                       uint8_t* maximum) {
  CIDUT_CHECK(source != nullptr && minimum != nullptr && maximum != nullptr);
  cimg_windowConst in;
  if (const int32_t status = cidut_pixelInputWindow(source, &in); status < 0) return status;
  CIDUT_CHECK(in.pixelType == CIMG_TYPE_8);
  uint8_t low = 255, high = 0;  // an empty window keeps these
  for (int32_t r = 0; r < in.height; ++r) {
    const uint8_t* p = cimg_windowConst_row<uint8_t>(&in, r);
    for (int32_t c = 0; c < in.width; ++c) {
      low = p[c] < low ? p[c] : low;
      high = p[c] > high ? p[c] : high;
    }
  }
  *minimum = low;
  *maximum = high;
  return 0;
}
