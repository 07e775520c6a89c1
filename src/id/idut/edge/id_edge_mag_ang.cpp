// Magnitude and angle images of the ID edge operator, read straight from a base table:
// every pixel's magnitude, and its angle code (variant 0) or its code where the magnitude
// reaches a threshold and 0xFF elsewhere (variant 1).
#include "ci_id/priv/ci_idut/edge.h"
#include "id/idut/edge/id_edge_gradient.h"
#include "id/idut/edge/id_edge_tables.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"

namespace {

bool isBound(const cimg_image* image) {
  int32_t bound = 0;
  cimg_image_getIsBound(image, &bound);
  return bound;
}

cimg_window outputWindow(const cimg_image* image, const cstd_rect32& rect) {
  cimg_window window;
  cimg_window_initWindow(&window, image, &rect, nullptr);
  return window;
}

// Rows of the two outputs from the source pixels at their top-left corners; the angle is
// 0xFF below minimum (0 passes everything) and otherwise the code turned by shift.
template <bool TwoByTwo>
int32_t writeOutputs(const cimg_windowConst& in, const cimg_window& magnitude,
                     const cimg_window& angle, const uint8_t* base, uint8_t minimum,
                     int32_t shift) {
  for (int32_t r = 0; r < magnitude.height; ++r) {
    if (const int32_t status = csys_attention_check(); status < 0) return status;
    const uint8_t* p = cimg_windowConst_row<uint8_t>(&in, r);
    uint8_t* m = cimg_window_row<uint8_t>(&magnitude, r);
    uint8_t* a = cimg_window_row<uint8_t>(&angle, r);
    for (int32_t x = 0; x < magnitude.width; ++x) {
      const uint32_t k = TwoByTwo ? cidut_edgeIDIndex2x2(p + x, in.stride)
                                  : cidut_edgeIDIndex3x3(p + x, in.stride);
      const uint8_t* entry = base + cidut_edgeIDMagnitudeByte(k);
      m[x] = cidut_edgeIDMagnitude(entry[0]);
      a[x] = m[x] < minimum ? uint8_t{0xFF} : cidut_edgeIDShiftCode(entry[8], shift);
    }
  }
  return 0;
}

}  // namespace

extern "C" int32_t cfEdgeDetectIDMagAng(const cimg_imageConst* source, cimg_image* magnitude,
                                        cimg_image* angle, int32_t variant, uint8_t threshold,
                                        int32_t mode) {
  CIDUT_CHECK(source && magnitude && angle && magnitude != angle);
  int32_t sourceBound = 0;
  cimg_imageConst_getIsBound(source, &sourceBound);
  if (!sourceBound) return CIDUT_ERR_IMAGE_UNBOUND;

  // The operator at a pixel reaches one column and one row further.
  cstd_rect32 area;
  cimg_imageConst_getWindow(source, &area);
  area.width -= 1;
  area.height -= 1;
  cimg_image* const outputs[] = {magnitude, angle};
  const bool bound[] = {isBound(magnitude), isBound(angle)};
  for (int32_t i = 0; i < 2; ++i) {
    if (!bound[i]) continue;
    cimg_window window;
    cimg_window_init(&window, outputs[i]);
    CIDUT_CHECK(window.pixelType == CIMG_TYPE_8);
    const cstd_rect32 rect{window.x0, window.y0, window.width, window.height};
    cstd_rect32_intersect(&area, &rect, &area);
  }
  int32_t isNull = 0;
  cstd_rect32_getIsNull(&area, &isNull);
  if (isNull) return 0;

  const bool twoByTwo = mode == CF_EDGE_ID_MODE_2X2;
  cimg_windowConst in;
  const cstd_rect32 reach{area.x, area.y, area.width + 1, area.height + 1};
  cimg_windowConst_initWindow(&in, source, &reach, nullptr);
  CIDUT_CHECK(in.pixelType == CIMG_TYPE_8);
  if (!twoByTwo) {  // the 3x3 operator also reads the column left and the row above
    cstd_rect32 entire;
    cimg_imageConst_getEntire(source, &entire);
    CIDUT_CHECK(area.x > entire.x && area.y > entire.y);
  }

  ccCleanupFrame<2> frame;
  for (int32_t i = 0; i < 2; ++i) {
    if (bound[i]) continue;
    if (frame.failed(cimg_image_constructRect(outputs[i], CIMG_TYPE_8, &area))) {
      return frame.exit();
    }
    frame.holdOutput<cimg_image_destruct>(outputs[i]);
  }

  // An output pixel of the 2x2 operator sits at the centre of its four source pixels.
  cmath_xformLinear sourceXform, shift, xform;
  cimg_imageConst_getLinearClientFromImageXform(source, &sourceXform);
  cmath_xformLinear_initIdentity(&shift);
  if (mode != 1) shift.translation = cmath_vect{0.5, 0.5};
  cmath_xformLinear_initCompose(&xform, &sourceXform, &shift);

  const uint8_t* base = nullptr;
  if (frame.failed(cidut_edgeIDBaseTable(variant == 0 ? 0 : 1, &base))) return frame.exit();
  const uint8_t minimum = variant == 0 ? 0 : threshold;
  const int32_t codeShift = twoByTwo ? 0 : cidut_edgeIDShift3x3;
  const cimg_window magnitudeWindow = outputWindow(magnitude, area);
  const cimg_window angleWindow = outputWindow(angle, area);
  if (frame.failed(
          twoByTwo
              ? writeOutputs<true>(in, magnitudeWindow, angleWindow, base, minimum, codeShift)
              : writeOutputs<false>(in, magnitudeWindow, angleWindow, base, minimum, codeShift))) {
    return frame.exit();
  }
  for (int32_t i = 0; i < 2; ++i) {
    if (bound[i] && frame.failed(cimg_image_setWindowRect(outputs[i], &area, nullptr))) {
      return frame.exit();
    }
    if (frame.failed(cimg_image_setClientFromImageXform(outputs[i], &xform))) {
      return frame.exit();
    }
  }
  return frame.exit();
}
