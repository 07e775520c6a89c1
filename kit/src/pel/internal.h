// Inside the pixel operations: the argument check and the checks shared by the operations
// that read one 8-bit window and write another.
#pragma once

#include "kit/pel.h"
#include "kit/system.h"

#define CIP_PEL_CHECK(condition) ((condition) ? (void)0 : cstd_assert_(__LINE__))

// Checks that both records are given and 8-bit; true when their windows are of one size.
inline bool cip_pel_sameSize8(const cimg_windowConst* source, const cimg_window* destination) {
  CIP_PEL_CHECK(source != nullptr && destination != nullptr);
  CIP_PEL_CHECK(source->pixelType == CIMG_TYPE_8 && destination->pixelType == CIMG_TYPE_8);
  return source->width == destination->width && source->height == destination->height;
}
