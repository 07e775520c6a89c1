// The library frame: export macro, the status codes every function returns, the typed
// quicksorts and the type-check quartets.
//
// A status is a signed 32-bit value: 0 success, negative (bit 31 set) failure. Every
// failure the library produces itself is one of the constants below; any other failure
// was received from the kit and is passed on unchanged.
#pragma once

#include <stdint.h>

#define CIDUT_API __attribute__((visibility("default")))

// ---------------------------------------------------------------------------------------
// Status codes.

#define CIDUT_STATUS(code) ((int32_t)(code))

// Fixed-point segment distance: the segment's end points coincide.
#define CIDUT_ERR_SEGMENT_POINTS_COINCIDE CIDUT_STATUS(0x80000000u)
// 1-D correlation: a data pointer or the result pointer is null.
#define CIDUT_ERR_NULL_DATA CIDUT_STATUS(0x80000001u)
// Lengths, lags or counts that do not fit together (correlation, Reed-Solomon).
#define CIDUT_ERR_BAD_LENGTH CIDUT_STATUS(0x80000002u)
// Not enough memory, or a caller-supplied buffer too small.
#define CIDUT_ERR_NO_MEMORY CIDUT_STATUS(0x80000023u)
// Image width or height below 1, or two images or windows of different size.
#define CIDUT_ERR_IMAGE_SIZE CIDUT_STATUS(0x800003c2u)
// An input image is not bound to pixel memory.
#define CIDUT_ERR_IMAGE_UNBOUND CIDUT_STATUS(0x800003c3u)
// Fixed-point statistics: an initialisation argument below 3, or an accumulator overflow.
#define CIDUT_ERR_STATS_RANGE CIDUT_STATUS(0x80000541u)
// Fixed-point statistics: no samples.
#define CIDUT_ERR_STATS_EMPTY CIDUT_STATUS(0x80000542u)
// The optimised variant of a routine is not available (status class 0x30).
#define CIDUT_ERR_NOT_AVAILABLE CIDUT_STATUS(0x80000601u)
// Two lines or segments are parallel.
#define CIDUT_ERR_PARALLEL CIDUT_STATUS(0x80000841u)
// A direction shorter than 1e-5, or a negative distance for a line.
#define CIDUT_ERR_BAD_DIRECTION CIDUT_STATUS(0x80000842u)
// A segment whose end points coincide has no direction.
#define CIDUT_ERR_DEGENERATE_SEGMENT CIDUT_STATUS(0x80000843u)
// Big integers: division by zero.
#define CIDUT_ERR_DIVIDE_BY_ZERO CIDUT_STATUS(0x80000845u)
// An invalid parameter value.
#define CIDUT_ERR_BAD_PARAMETER CIDUT_STATUS(0x80000846u)
// Least-squares fitter: no line can be fitted.
#define CIDUT_ERR_NO_LINE_FIT CIDUT_STATUS(0x80000847u)
// Least-squares line fit: too few points, or the fitter failed.
#define CIDUT_ERR_LINE_FIT_FAILED CIDUT_STATUS(0x80000848u)
// Range: the operation needs a finite interval.
#define CIDUT_ERR_RANGE_NOT_FINITE CIDUT_STATUS(0x80000849u)
// Filters: source and destination pixel memory overlap.
#define CIDUT_ERR_MEMORY_OVERLAP CIDUT_STATUS(0x8000084au)
// Line sampling: the segment does not reach into the sampling window.
#define CIDUT_ERR_OUTSIDE_WINDOW CIDUT_STATUS(0x8000084bu)
// FFT: a dimension that must be a power of two is not one.
#define CIDUT_ERR_NOT_POWER_OF_TWO CIDUT_STATUS(0x80000861u)
// Boundary-tracking search: a boundary with no points, or no candidate left.
#define CIDUT_ERR_NO_BOUNDARY CIDUT_STATUS(0x80000867u)

// The class of a status; class 0x30 means "implementation not available".
#define CIDUT_STATUS_CLASS(status) ((int32_t)(((uint32_t)(status) & 0xFFFFu) >> 5))
#define CIDUT_CLASS_NOT_AVAILABLE 0x30

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------------------------------
// Typed quicksorts: ascending, in place, over [begin, end); a null or short range is left
// alone. All return 0.

CIDUT_API int32_t csys_double_qsort(double* begin, double* end);
CIDUT_API int32_t csys_float_qsort(float* begin, float* end);
CIDUT_API int32_t csys_int8_qsort(int8_t* begin, int8_t* end);
CIDUT_API int32_t csys_uint8_qsort(uint8_t* begin, uint8_t* end);
CIDUT_API int32_t csys_int32_qsort(int32_t* begin, int32_t* end);
CIDUT_API int32_t csys_uint32_qsort(uint32_t* begin, uint32_t* end);

#ifdef __cplusplus
}

// The same sort as a template, exported for signed 32-bit and double elements.
template <class T>
CIDUT_API void csys_vector_qsort(T* begin, T* end);
extern template CIDUT_API void csys_vector_qsort<int32_t>(int32_t*, int32_t*);
extern template CIDUT_API void csys_vector_qsort<double>(double*, double*);
#endif

// ---------------------------------------------------------------------------------------
// Type-check quartets: four empty exported functions per type, so that type-checking
// macros can name a type through an exported symbol. Each type's quartet is defined
// beside the type with CIDUT_DEFINE_TYPE_CHECKS.

#define CIDUT_DECLARE_TYPE_CHECKS(T)          \
  CIDUT_API void csys_typeCheck_##T(void);    \
  CIDUT_API void csys_typeCheckPtr_##T(void); \
  CIDUT_API void csys_typeCheckFunc_##T(void); \
  CIDUT_API void csys_typeCheckFuncPtr_##T(void);

#define CIDUT_DEFINE_TYPE_CHECKS(T)                   \
  extern "C" void csys_typeCheck_##T(void) {}        \
  extern "C" void csys_typeCheckPtr_##T(void) {}     \
  extern "C" void csys_typeCheckFunc_##T(void) {}    \
  extern "C" void csys_typeCheckFuncPtr_##T(void) {}
