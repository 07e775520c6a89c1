// The generic vector. Operations that add elements go through insertElements,
// which builds the new elements in spare storage past the end before anything else moves:
// a source inside the vector stays readable, and a failure only has to undo the new
// elements. Elements are moved by their bytes; callbacks only make, copy and destroy.
#include "kit/vector.h"

#include <stddef.h>

#include <algorithm>
#include <cstring>
#include <type_traits>

// Argument check: reports the line; should the handler return, the call changes nothing.
#define VECTOR_CHECK(condition)               \
  do {                                        \
    if (!(condition)) {                       \
      cstd_assert_(__LINE__);                 \
      return CSTD_VECTOR_STATUS_BAD_ARGUMENT; \
    }                                         \
  } while (0)

static_assert(std::is_standard_layout_v<cstd_vector> && sizeof(cstd_vector) == 48);
static_assert(offsetof(cstd_vector, elementOps) == 32 && offsetof(cstd_vector, memoryTable) == 40);
static_assert(sizeof(cstd_vectorElementOps) == 40 &&
              offsetof(cstd_vectorElementOps, reserved) == 32);

namespace {

constexpr int64_t maxCount = CSTD_VECTOR_MAX_COUNT;

constexpr bool failed(int32_t status) {
  return status < 0;
}

int64_t countOf(uint32_t lo, int32_t hi) {
  return static_cast<int64_t>(static_cast<uint64_t>(static_cast<uint32_t>(hi)) << 32 | lo);
}

uint8_t* elementAt(const cstd_vector* v, int64_t index) {
  return static_cast<uint8_t*>(v->begin) + index * v->elementSize;
}

size_t bytesOf(const cstd_vector* v, int64_t count) {
  return static_cast<size_t>(count) * static_cast<size_t>(v->elementSize);
}

// memmove that accepts null pointers when there is nothing to move.
void moveBytes(void* destination, const void* source, size_t bytes) {
  if (bytes) std::memmove(destination, source, bytes);
}

// ---------------------------------------------------------------------------------------
// Storage.

int32_t allocateStorage(const cstd_vector* v, int64_t count, void** block) {
  const size_t bytes = bytesOf(v, count);
  return v->memoryTable ? v->memoryTable->alloc(bytes, block)
                        : csys_memory_alloc_internal(bytes, block);
}

void freeStorage(const cstd_vector* v, void** block) {
  if (!*block) return;
  if (v->memoryTable)
    v->memoryTable->free(block);
  else
    csys_memory_free_internal(block);
}

// ---------------------------------------------------------------------------------------
// Element callbacks, with plain bytes where a callback is null.

const cstd_vectorElementOps noOps{nullptr, nullptr, nullptr, nullptr, -1};

const cstd_vectorElementOps& opsOf(const cstd_vector* v) {
  return v->elementOps ? *v->elementOps : noOps;
}

// Destroys count elements from first on; returns the first failing status.
int32_t destroyElements(const cstd_vector* v, uint8_t* first, int64_t count) {
  const auto destroy = opsOf(v).destroy;
  int32_t status = 0;
  if (!destroy) return status;
  for (int64_t i = 0; i < count; ++i) {
    const int32_t destroyed = destroy(first + i * v->elementSize);
    if (failed(destroyed) && !failed(status)) status = destroyed;
  }
  return status;
}

// Where new elements get their value from.
struct elementSource {
  enum { uninit, init, fill, copy } kind;
  const uint8_t* from;  // the fill element, or the first of the elements copied
};

// Copies of one element's bytes, doubling the filled part with each copy.
void fillBytes(uint8_t* first, int64_t count, const uint8_t* element, int64_t elementSize) {
  std::memcpy(first, element, elementSize);
  for (int64_t done = 1; done < count;) {
    const int64_t n = std::min(done, count - done);
    std::memcpy(first + done * elementSize, first, n * elementSize);
    done += n;
  }
}

// Constructs count (> 0) elements from first on; on failure destroys those already made
// and returns the callback's status.
int32_t constructElements(const cstd_vector* v, uint8_t* first, int64_t count,
                          const elementSource& source) {
  const cstd_vectorElementOps& ops = opsOf(v);
  const int64_t elementSize = v->elementSize;
  const int64_t sourceStep = source.kind == elementSource::copy ? elementSize : 0;
  if (source.kind == elementSource::uninit) return 0;
  if (source.kind == elementSource::init && !ops.init) return 0;
  if (source.kind != elementSource::init && !ops.copy) {
    if (sourceStep)
      std::memcpy(first, source.from, bytesOf(v, count));
    else
      fillBytes(first, count, source.from, elementSize);
    return 0;
  }
  for (int64_t i = 0; i < count; ++i) {
    uint8_t* const element = first + i * elementSize;
    const int32_t status = source.kind == elementSource::init
                               ? ops.init(element)
                               : ops.copy(element, source.from + i * sourceStep);
    if (failed(status)) {
      destroyElements(v, first, i);
      return status;
    }
  }
  return 0;
}

// ---------------------------------------------------------------------------------------
// The three primitives every operation is made of.

// Inserts count new elements before index. They are built past the end (in new storage
// when the vector must grow) and rotated into place once all of them exist.
int32_t insertElements(cstd_vector* v, int64_t index, int64_t count, const elementSource& source) {
  if (count == 0) return 0;
  const int64_t newSize = v->size + count;
  if (newSize > maxCount) return CSYS_STATUS_NO_MEMORY;
  void* grown = nullptr;
  int64_t newCapacity = v->capacity;
  if (newSize > v->capacity) {
    newCapacity = std::max(newSize, std::min(maxCount, 2 * v->capacity));
    const int32_t status = allocateStorage(v, newCapacity, &grown);
    if (failed(status)) return status;
  }
  uint8_t* const storage = grown ? static_cast<uint8_t*>(grown) : elementAt(v, 0);
  const int32_t status = constructElements(v, storage + bytesOf(v, v->size), count, source);
  if (failed(status)) {
    freeStorage(v, &grown);
    return status;
  }
  if (grown) {
    moveBytes(grown, v->begin, bytesOf(v, v->size));
    freeStorage(v, &v->begin);
    v->begin = grown;
    v->capacity = newCapacity;
  }
  std::rotate(elementAt(v, index), elementAt(v, v->size), elementAt(v, newSize));
  v->size = newSize;
  return 0;
}

// Destroys count elements at index and closes the gap.
int32_t eraseElements(cstd_vector* v, int64_t index, int64_t count) {
  const int32_t status = destroyElements(v, elementAt(v, index), count);
  moveBytes(elementAt(v, index), elementAt(v, index + count), bytesOf(v, v->size - index - count));
  v->size -= count;
  return status;
}

// Destroys every element and frees the storage.
int32_t releaseStorage(cstd_vector* v) {
  const int32_t status = destroyElements(v, elementAt(v, 0), v->size);
  freeStorage(v, &v->begin);
  v->size = 0;
  v->capacity = 0;
  return status;
}

// ---------------------------------------------------------------------------------------
// Shared bodies of the public calls.

int32_t construct(cstd_vector* v, int64_t count, int32_t elementSize, int32_t flags,
                  const cstd_vectorElementOps* ops, const csys_memoryTable* memoryTable,
                  const elementSource& source) {
  VECTOR_CHECK(v && elementSize > 0 && flags == 0 && count >= 0);
  *v = cstd_vector{nullptr, 0, 0, elementSize, ops, memoryTable};
  return insertElements(v, 0, count, source);
}

int32_t resize(cstd_vector* v, int64_t count, const elementSource& source) {
  VECTOR_CHECK(v && count >= 0);
  if (count < v->size) return eraseElements(v, count, v->size - count);
  return insertElements(v, v->size, count - v->size, source);
}

// Replaces the contents by copies of count elements at block. Plain elements are copied
// over the old ones when they fit; others are built in fresh storage first, so that a
// failing copy leaves v as it was.
int32_t replaceElements(cstd_vector* v, const void* block, int64_t count) {
  const cstd_vectorElementOps& ops = opsOf(v);
  if (!ops.copy && !ops.destroy && count <= v->capacity) {
    moveBytes(v->begin, block, bytesOf(v, count));
    v->size = count;
    return 0;
  }
  cstd_vector fresh = *v;
  fresh.begin = nullptr;
  fresh.size = 0;
  fresh.capacity = 0;
  const int32_t status =
      insertElements(&fresh, 0, count, {elementSource::copy, static_cast<const uint8_t*>(block)});
  if (failed(status)) return status;
  const int32_t released = releaseStorage(v);
  *v = fresh;
  return released;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Construction.

extern "C" int32_t cstd_vector__constructWithVtable(cstd_vector* v, uint32_t countLo,
                                                    int32_t countHi, int32_t elementSize,
                                                    int32_t flags,
                                                    const cstd_vectorElementOps* ops) {
  return construct(v, countOf(countLo, countHi), elementSize, flags, ops, nullptr,
                   {elementSource::init, nullptr});
}

extern "C" int32_t cstd_vector__constructWithVtableWithMtable(cstd_vector* v, uint32_t countLo,
                                                              int32_t countHi, int32_t elementSize,
                                                              int32_t flags,
                                                              const cstd_vectorElementOps* ops,
                                                              const csys_memoryTable* memoryTable) {
  return construct(v, countOf(countLo, countHi), elementSize, flags, ops, memoryTable,
                   {elementSource::init, nullptr});
}

extern "C" int32_t cstd_vector__constructWithVtableUninit(cstd_vector* v, uint32_t countLo,
                                                          int32_t countHi, int32_t elementSize,
                                                          int32_t flags,
                                                          const cstd_vectorElementOps* ops) {
  return construct(v, countOf(countLo, countHi), elementSize, flags, ops, nullptr,
                   {elementSource::uninit, nullptr});
}

extern "C" int32_t cstd_vector__constructFillWithVtable(cstd_vector* v, uint32_t countLo,
                                                        int32_t countHi, int32_t elementSize,
                                                        int32_t flags, const void* fill,
                                                        const cstd_vectorElementOps* ops) {
  VECTOR_CHECK(fill);
  return construct(v, countOf(countLo, countHi), elementSize, flags, ops, nullptr,
                   {elementSource::fill, static_cast<const uint8_t*>(fill)});
}

extern "C" int32_t cstd_vector__constructFromBlockWithVtable(cstd_vector* v, int32_t elementSize,
                                                             int32_t flags, const void* block,
                                                             int32_t count,
                                                             const cstd_vectorElementOps* ops) {
  VECTOR_CHECK(block || count == 0);
  return construct(v, count, elementSize, flags, ops, nullptr,
                   {elementSource::copy, static_cast<const uint8_t*>(block)});
}

extern "C" int32_t cstd_vector__constructCopy(cstd_vector* dst, const cstd_vector* src) {
  VECTOR_CHECK(src && dst != src);
  return construct(dst, src->size, static_cast<int32_t>(src->elementSize), 0, src->elementOps,
                   src->memoryTable, {elementSource::copy, elementAt(src, 0)});
}

extern "C" int32_t cstd_vector__destruct(cstd_vector* v) {
  VECTOR_CHECK(v);
  return releaseStorage(v);
}

// ---------------------------------------------------------------------------------------
// Contents.

extern "C" int32_t cstd_vector__assign(cstd_vector* dst, const cstd_vector* src) {
  VECTOR_CHECK(dst && src && dst->elementSize == src->elementSize);
  if (dst == src) return 0;
  return replaceElements(dst, src->begin, src->size);
}

extern "C" int32_t cstd_vector__assignElements(cstd_vector* v, const void* block, int32_t count) {
  VECTOR_CHECK(v && count >= 0 && (block || count == 0));
  return replaceElements(v, block, count);
}

extern "C" int32_t cstd_vector__append(cstd_vector* dst, const cstd_vector* src) {
  VECTOR_CHECK(dst && src && dst->elementSize == src->elementSize);
  return insertElements(dst, dst->size, src->size, {elementSource::copy, elementAt(src, 0)});
}

extern "C" int32_t cstd_vector__swap(cstd_vector* a, cstd_vector* b) {
  VECTOR_CHECK(a && b);
  std::swap(*a, *b);
  return 0;
}

// ---------------------------------------------------------------------------------------
// Size and capacity.

extern "C" int32_t cstd_vector__resize(cstd_vector* v, uint32_t countLo, int32_t countHi) {
  return resize(v, countOf(countLo, countHi), {elementSource::init, nullptr});
}

extern "C" int32_t cstd_vector__resizeUninit(cstd_vector* v, uint32_t countLo, int32_t countHi) {
  return resize(v, countOf(countLo, countHi), {elementSource::uninit, nullptr});
}

extern "C" int32_t cstd_vector__resizeFill(cstd_vector* v, uint32_t countLo, int32_t countHi,
                                           const void* fill) {
  VECTOR_CHECK(fill);
  return resize(v, countOf(countLo, countHi),
                {elementSource::fill, static_cast<const uint8_t*>(fill)});
}

extern "C" int32_t cstd_vector__reserve(cstd_vector* v, uint32_t countLo, int32_t countHi) {
  const int64_t count = countOf(countLo, countHi);
  VECTOR_CHECK(v && count >= 0);
  if (count <= v->capacity) return 0;
  if (count > maxCount) return CSYS_STATUS_NO_MEMORY;
  void* block = nullptr;
  const int32_t status = allocateStorage(v, count, &block);
  if (failed(status)) return status;
  moveBytes(block, v->begin, bytesOf(v, v->size));
  freeStorage(v, &v->begin);
  v->begin = block;
  v->capacity = count;
  return 0;
}

extern "C" int32_t cstd_vector__clear(cstd_vector* v) {
  VECTOR_CHECK(v);
  return eraseElements(v, 0, v->size);
}

extern "C" int32_t cstd_vector__clearAndFreeMemory(cstd_vector* v) {
  VECTOR_CHECK(v);
  return releaseStorage(v);
}

extern "C" int32_t cstd_vector__getSize32(const cstd_vector* v, int32_t* size) {
  VECTOR_CHECK(v && size);
  *size = static_cast<int32_t>(v->size);
  return 0;
}

extern "C" int32_t cstd_vector__getCapacity(const cstd_vector* v, int32_t* capacity) {
  VECTOR_CHECK(v && capacity);
  *capacity = static_cast<int32_t>(v->capacity);
  return 0;
}

extern "C" int32_t cstd_vector__getElementSize(const cstd_vector* v, int32_t* elementSize) {
  VECTOR_CHECK(v && elementSize);
  *elementSize = static_cast<int32_t>(v->elementSize);
  return 0;
}

// ---------------------------------------------------------------------------------------
// Element access.

extern "C" int32_t cstd_vector__getBeginEnd(cstd_vector* v, void** begin, void** end) {
  VECTOR_CHECK(v && begin);
  *begin = v->begin;
  if (end) *end = elementAt(v, v->size);
  return 0;
}

extern "C" int32_t cstd_vector__getBeginEndConst(const cstd_vector* v, const void** begin,
                                                 const void** end) {
  VECTOR_CHECK(v && begin);
  *begin = v->begin;
  if (end) *end = elementAt(v, v->size);
  return 0;
}

extern "C" int32_t cstd_vector__getBeginSize32(cstd_vector* v, void** begin, int32_t* size) {
  VECTOR_CHECK(v && begin && size);
  *begin = v->begin;
  *size = static_cast<int32_t>(v->size);
  return 0;
}

extern "C" int32_t cstd_vector__getBeginSize32Const(const cstd_vector* v, const void** begin,
                                                    int32_t* size) {
  VECTOR_CHECK(v && begin && size);
  *begin = v->begin;
  *size = static_cast<int32_t>(v->size);
  return 0;
}

extern "C" int32_t cstd_vector__getElement(cstd_vector* v, int32_t index, void** element) {
  VECTOR_CHECK(v && element && index >= 0 && index < v->size);
  *element = elementAt(v, index);
  return 0;
}

extern "C" int32_t cstd_vector__getElementConst(const cstd_vector* v, int32_t index,
                                                const void** element) {
  VECTOR_CHECK(v && element && index >= 0 && index < v->size);
  *element = elementAt(v, index);
  return 0;
}

// ---------------------------------------------------------------------------------------
// Insertion and removal.

extern "C" int32_t cstd_vector__insert(cstd_vector* v, int32_t index, int32_t count,
                                       const void* element) {
  VECTOR_CHECK(v && element && count >= 0 && index >= 0 && index <= v->size);
  return insertElements(v, index, count,
                        {elementSource::fill, static_cast<const uint8_t*>(element)});
}

extern "C" int32_t cstd_vector__insertElement(cstd_vector* v, int32_t index, const void* element) {
  return cstd_vector__insert(v, index, 1, element);
}

extern "C" int32_t cstd_vector__erase(cstd_vector* v, int32_t index, int32_t count) {
  VECTOR_CHECK(v && index >= 0 && count >= 0 && int64_t{index} + count <= v->size);
  return eraseElements(v, index, count);
}

extern "C" int32_t cstd_vector__eraseElement(cstd_vector* v, int32_t index) {
  return cstd_vector__erase(v, index, 1);
}

extern "C" int32_t cstd_vector__pushBack(cstd_vector* v, const void* element) {
  VECTOR_CHECK(v && element);
  return insertElements(v, v->size, 1, {elementSource::fill, static_cast<const uint8_t*>(element)});
}

extern "C" int32_t cstd_vector__popBack(cstd_vector* v) {
  VECTOR_CHECK(v && v->size > 0);
  return eraseElements(v, v->size - 1, 1);
}
