// Memory: heap blocks with a live-block counter and a test hook that fails the n-th
// allocation.
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "kit/system.h"

namespace {

std::atomic<int64_t> liveBlocks{0};
std::atomic<int64_t> allocationCount{0};
std::atomic<int64_t> failingAllocation{0};
std::atomic<size_t> allocationLimit{0};  // 0: no limit

constexpr size_t fastMemAlignment = 64;

// Counts the request and tells whether a test hook makes it fail.
bool injectFailure(size_t bytes) {
  const int64_t n = allocationCount.fetch_add(1) + 1;
  const size_t limit = allocationLimit.load();
  return n == failingAllocation.load() || (limit != 0 && bytes > limit);
}

int32_t allocate(size_t bytes, void** block, bool clear, bool fast) {
  *block = nullptr;
  if (injectFailure(bytes)) return CSYS_STATUS_NO_MEMORY;
  const size_t size = bytes ? bytes : 1;
  void* p = nullptr;
  if (fast) {
    if (posix_memalign(&p, fastMemAlignment, size) != 0) p = nullptr;
    if (p && clear) std::memset(p, 0, size);
  } else {
    p = clear ? std::calloc(1, size) : std::malloc(size);
  }
  if (!p) return CSYS_STATUS_NO_MEMORY;
  liveBlocks.fetch_add(1);
  *block = p;
  return 0;
}

}  // namespace

extern "C" int32_t csys_memory_alloc_internal(size_t bytes, void** block) {
  return allocate(bytes, block, false, false);
}

extern "C" int32_t csys_memory_allocClear_internal(size_t bytes, void** block) {
  return allocate(bytes, block, true, false);
}

extern "C" int32_t csys_memory_allocFastMem_internal(size_t bytes, void** block) {
  return allocate(bytes, block, false, true);
}

extern "C" int32_t csys_memory_free_internal(void** block) {
  if (*block) {
    std::free(*block);
    liveBlocks.fetch_sub(1);
    *block = nullptr;
  }
  return 0;
}

extern "C" int32_t csys_memory_fill(int32_t value, size_t bytes, void* destination) {
  std::memset(destination, value, bytes);
  return 0;
}

extern "C" int32_t csys_memory_copy(size_t bytes, const void* source, void* destination) {
  std::memmove(destination, source, bytes);
  return 0;
}

extern "C" void csys_memory_failAllocation(int64_t n) {
  failingAllocation.store(n);
  allocationCount.store(0);
}

extern "C" void csys_memory_setAllocationLimit(size_t bytes) { allocationLimit.store(bytes); }

extern "C" int64_t csys_memory_getAllocationCount(void) { return allocationCount.load(); }

extern "C" int64_t csys_memory_getLiveBlocks(void) { return liveBlocks.load(); }
