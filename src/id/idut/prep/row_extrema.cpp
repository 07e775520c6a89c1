// Sliding-window maximum and minimum of one row of bytes, by a monotone wedge of sample
// indices: amortised constant work per sample whatever the window's length.
//
// From head to tail the wedge's indices increase and their values strictly fall (maximum)
// or rise (minimum), so the head holds the extremum of the window. The wedge lives in a
// ring of 2 half + 1 indices, the most a window holds.
#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"
#include "id/idut/frame/dispatch.h"

namespace {

struct greater {
  bool operator()(uint8_t a, uint8_t b) const { return a > b; }
};
struct less {
  bool operator()(uint8_t a, uint8_t b) const { return a < b; }
};

// Outranks(a, b): a strictly beats b.
template <class Outranks>
int32_t rowExtrema(int32_t k, const uint8_t* source, uint8_t* destination, int32_t n,
                   int32_t* comparisons, Outranks outranks) {
  const int32_t half = (k - 1) / 2 > 0 ? (k - 1) / 2 : 1;
  const int32_t capacity = 2 * half + 1;
  ccCleanupFrame<1> frame;
  int32_t* ring = nullptr;
  if (frame.failed(csys_memory_alloc_internal(sizeof(int32_t) * size_t(capacity), (void**)&ring)))
    return frame.exit();
  frame.holdBlock(&ring);
  auto at = [&](int32_t position) { return ring[position % capacity]; };

  // The window of output 0 is [0, half]: index half, then, entering at the head, every
  // index before it that beats the head. Ring positions count modulo capacity; head starts
  // at capacity so that it stays positive while indices enter before it.
  int32_t head = capacity, size = 1;
  ring[head % capacity] = half;
  for (int32_t j = half - 1; j >= 0; --j) {
    if (!outranks(source[j], source[at(head)])) continue;
    --head;
    ring[head % capacity] = j;
    ++size;
  }
  int32_t drops = 0;
  for (int32_t i = 0; i < n; ++i) {
    destination[i] = source[at(head)];
    if (at(head) == i - half) {
      ++head;
      --size;
    }
    const int32_t entering = i + half + 1;
    if (entering >= n) continue;
    // Indices the newcomer ties or beats can never be the extremum again.
    while (size > 0 && !outranks(source[at(head + size - 1)], source[entering])) {
      --size;
      ++drops;
    }
    ring[(head + size) % capacity] = entering;
    ++size;
  }
  if (comparisons != nullptr) *comparisons = drops;
  return frame.exit();
}

// The processor-tuned variant: none in this library.
int32_t rowExtremaOptimized() {
  return CIDUT_ERR_NOT_AVAILABLE;
}

}  // namespace

extern "C" int32_t rowExtremaMax(int32_t k, const uint8_t* source, uint8_t* destination, int32_t n,
                                 int32_t* comparisons) {
  CIDUT_CHECK(source != nullptr && destination != nullptr);
  CIDUT_CHECK(n > k && k >= 2);
  return cidut_dispatchOptimized("rowExtremaMax", rowExtremaOptimized, [&] {
    return rowExtrema(k, source, destination, n, comparisons, greater{});
  });
}

extern "C" int32_t rowExtremaMin(int32_t k, const uint8_t* source, uint8_t* destination, int32_t n,
                                 int32_t* comparisons) {
  CIDUT_CHECK(source != nullptr && destination != nullptr);
  CIDUT_CHECK(n > k && k >= 2);
  return cidut_dispatchOptimized("rowExtremaMin", rowExtremaOptimized, [&] {
    return rowExtrema(k, source, destination, n, comparisons, less{});
  });
}
