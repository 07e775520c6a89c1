// Display helpers: the quadrant swap, the half-row shift and the 8-bit rescaling.
#include <gtest/gtest.h>

#include "spectra.h"
#include "support/hooks.h"

namespace {

// A double image whose pixel (x, y) is 100 y + x.
void fillIndexed(heldImage& image, int32_t width, int32_t height) {
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) image.at<double>(x, y) = 100.0 * y + x;
}

TEST(SpectrumShift, QuadrantSwapAndHalfRowShift) {
  heldImage in(CIMG_TYPE_DOUBLE, 6, 4, 0), once;
  fillIndexed(in, 6, 4);
  ASSERT_EQ(cfPowerSpectrumShift(in.constImage(), &once.image), 0);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 6; ++x)
      EXPECT_EQ(once.at<double>((x + 3) % 6, (y + 2) % 4), in.at<double>(x, y));
  EXPECT_CHECK_FAILS(cfPowerSpectrumShift(in.constImage(), &in.image));  // in place

  // cfFFTShift: the left half of each row, rows rotated by H/2; odd H leaves the last row.
  heldImage rows(CIMG_TYPE_DOUBLE, 8, 5, 0), out;
  fillIndexed(rows, 8, 5);
  ASSERT_EQ(cfFFTShift(rows.constImage(), &out.image), 0);
  ASSERT_EQ(out.window().width, 4);
  ASSERT_EQ(out.window().height, 5);
  for (int32_t x = 0; x < 4; ++x) {
    for (int32_t y = 0; y < 2; ++y) {
      EXPECT_EQ(out.at<double>(x, 2 + y), rows.at<double>(x, y));
      EXPECT_EQ(out.at<double>(x, y), rows.at<double>(x, 2 + y));
    }
    EXPECT_EQ(out.at<double>(x, 4), 0.0);
  }
}

TEST(ViewableFFT, RescalesOntoTheByteRange) {
  heldImage in(CIMG_TYPE_DOUBLE, 3, 2, 0), out, unbound;
  const double values[6] = {-2.0, 3.0, 0.5, 1.0, -1.0, 2.99};
  for (int32_t i = 0; i < 6; ++i) in.at<double>(i % 3, i / 3) = values[i];
  ASSERT_EQ(cfViewableFFT(in.constImage(), &out.image), 0);
  const uint8_t expected[6] = {0, 255, 127, 153, 51, 254};  // 51 per unit, truncated
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(out.at<uint8_t>(i % 3, i / 3), expected[i]);
  heldImage flat(CIMG_TYPE_DOUBLE, 2, 2, 42), flatOut;
  ASSERT_EQ(cfViewableFFT(flat.constImage(), &flatOut.image), 0);
  EXPECT_EQ(flatOut.at<uint8_t>(1, 1), 0);  // a flat input maps to 0
  EXPECT_EQ(cfViewableFFT(unbound.constImage(), &flatOut.image), CIDUT_ERR_IMAGE_UNBOUND);
}
}  // namespace
