// Typed quicksorts. One partition scheme for every element type: the last element is the
// pivot; i scans up past smaller elements, j scans down past larger ones, out-of-place
// pairs are swapped, and the pivot is swapped into its final place at i.
#include <stddef.h>

#include <utility>

#include "ci_id/priv/ci_idut/frame.h"

namespace {

template <class T>
ptrdiff_t partition(T* a, ptrdiff_t count) {
  const ptrdiff_t last = count - 1;
  const T pivot = a[last];
  ptrdiff_t i = -1;
  ptrdiff_t j = last;
  for (;;) {
    do ++i;
    while (a[i] < pivot && i != last);
    do --j;
    while (pivot < a[j] && j != 0);
    if (j <= i) break;
    std::swap(a[i], a[j]);
  }
  std::swap(a[i], a[last]);
  return i;
}

// Recurses into the smaller part and loops over the larger one, so already sorted input
// costs O(log n) stack, not O(n); the partitions made are the same either way.
template <class T>
void quicksort(T* begin, T* end) {
  if (!begin || !end) return;
  while (end - begin >= 2) {
    T* const split = begin + partition(begin, end - begin);
    if (split - begin < end - (split + 1)) {
      quicksort(begin, split);
      begin = split + 1;
    } else {
      quicksort(split + 1, end);
      end = split;
    }
  }
}

}  // namespace

extern "C" int32_t csys_double_qsort(double* begin, double* end) {
  quicksort(begin, end);
  return 0;
}

extern "C" int32_t csys_float_qsort(float* begin, float* end) {
  quicksort(begin, end);
  return 0;
}

extern "C" int32_t csys_int8_qsort(int8_t* begin, int8_t* end) {
  quicksort(begin, end);
  return 0;
}

extern "C" int32_t csys_uint8_qsort(uint8_t* begin, uint8_t* end) {
  quicksort(begin, end);
  return 0;
}

extern "C" int32_t csys_int32_qsort(int32_t* begin, int32_t* end) {
  quicksort(begin, end);
  return 0;
}

extern "C" int32_t csys_uint32_qsort(uint32_t* begin, uint32_t* end) {
  quicksort(begin, end);
  return 0;
}

template <class T>
void csys_vector_qsort(T* begin, T* end) {
  quicksort(begin, end);
}

template CIDUT_API void csys_vector_qsort<int32_t>(int32_t*, int32_t*);
template CIDUT_API void csys_vector_qsort<double>(double*, double*);
