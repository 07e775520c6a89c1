// The kit's pixel operations, on window records (kit/image.h): every operation works on the
// window's width x height pixels, row by row along its stride, and leaves the pixels beside
// the window alone.
//
// A null record, or a record of the wrong pixel type, is an argument error reported to
// cstd_assert_.
#pragma once

#include <stdint.h>

#include "kit/export.h"
#include "kit/image.h"

#ifdef __cplusplus
extern "C" {
#endif

// Sets every pixel of an 8-bit window to value. An empty window is left alone. Returns 0.
CKIT_API int32_t cip_pelSet8(const cimg_window* window, uint8_t value);

#ifdef __cplusplus
}
#endif
