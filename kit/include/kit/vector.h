// The kit's vectors: the generic vector of fixed-size elements (cstd_vector__*), whose
// element construction, copy and destruction can be delegated to per-type callbacks, and
// the byte and 32-bit vectors built on it (cstd_vector8_*, cstd_vector32_*,
// cstd_vector32s_*).
//
// Conventions of every call below:
// - Status: 0 success, negative failure. CSYS_STATUS_NO_MEMORY when an allocation fails
//   or a vector would exceed CSTD_VECTOR_MAX_COUNT elements; a failing element callback's
//   own status is passed on unchanged.
// - Argument errors (null vector or out pointer, negative count, index out of range,
//   element sizes that differ, a non-zero flags word) call cstd_assert_ with the source
//   line. Should the assertion handler return, the call returns
//   CSTD_VECTOR_STATUS_BAD_ARGUMENT and has changed nothing.
// - A failure leaves no block behind and the vector valid and unchanged (a failing
//   construct leaves a valid empty vector; destruct is then allowed but not needed).
// - Elements are moved in storage by copying their bytes (on growth, insert and erase), so
//   an element must not point into itself. The callbacks run only to make, copy and
//   destroy elements.
// - Element counts of construct, resize and reserve are 64-bit signed values passed as a
//   low and a high 32-bit word: count = (int64)hi << 32 | lo. A 32-bit count n is passed
//   as (n, n >> 31). Other counts and indices are signed 32-bit.
#pragma once

#include <stdint.h>

#include "kit/export.h"
#include "kit/system.h"

#ifdef __cplusplus
extern "C" {
#endif

// An argument check failed and the assertion handler returned.
#define CSTD_VECTOR_STATUS_BAD_ARGUMENT ((int32_t)0x80000021)

// Most elements a vector holds, so that every size fits a signed 32-bit value.
#define CSTD_VECTOR_MAX_COUNT INT32_MAX

// ---------------------------------------------------------------------------------------
// Element operations, called with element addresses. A failing init or copy (negative
// status) aborts the vector operation, which undoes what it did and returns that status;
// a failing destroy is reported, but the element is gone regardless. A null record or a
// null callback means plain bytes for that step:
//   init null     new elements are left as they are (not cleared);
//   copy null     copies are made by copying bytes;
//   destroy null  nothing is done when an element goes away.
// assign is kept for the element type's own use (a record holding vectors assigns its
// members with it). The vector never calls it: it replaces contents by copying into fresh
// storage, so that a failing copy leaves the target unchanged.

typedef struct cstd_vectorElementOps {
  int32_t (*init)(void* element);
  int32_t (*copy)(void* destination, const void* source);
  int32_t (*assign)(void* destination, const void* source);
  int32_t (*destroy)(void* element);
  int32_t reserved;  // -1; not read
} cstd_vectorElementOps;

// The generic vector. The caller owns the record; a construct call sets every field.
typedef struct cstd_vector {
  void* begin;                              // first element; null while there is no storage
  int64_t size;                             // elements in use
  int64_t capacity;                         // elements the storage holds
  int64_t elementSize;                      // bytes per element
  const cstd_vectorElementOps* elementOps;  // null: plain bytes
  const csys_memoryTable* memoryTable;      // null: csys_memory_alloc/free_internal
} cstd_vector;

// ---------------------------------------------------------------------------------------
// Construction. flags is reserved and must be 0. Storage is sized exactly to the count.
// The constructed vector keeps elementSize, ops and memoryTable for its lifetime (ops and
// the table must outlive it).

// count elements, each made by ops->init (left as they are when init is null).
CKIT_API int32_t cstd_vector__constructWithVtable(cstd_vector* v, uint32_t countLo, int32_t countHi,
                                                  int32_t elementSize, int32_t flags,
                                                  const cstd_vectorElementOps* ops);
// As above, taking storage from memoryTable (both of its calls set; null: the kit's).
CKIT_API int32_t cstd_vector__constructWithVtableWithMtable(cstd_vector* v, uint32_t countLo,
                                                            int32_t countHi, int32_t elementSize,
                                                            int32_t flags,
                                                            const cstd_vectorElementOps* ops,
                                                            const csys_memoryTable* memoryTable);
// count elements whose bytes are left as they are; init is not called. The caller fills
// them before anything destroys or copies them.
CKIT_API int32_t cstd_vector__constructWithVtableUninit(cstd_vector* v, uint32_t countLo,
                                                        int32_t countHi, int32_t elementSize,
                                                        int32_t flags,
                                                        const cstd_vectorElementOps* ops);
// count copies of *fill.
CKIT_API int32_t cstd_vector__constructFillWithVtable(cstd_vector* v, uint32_t countLo,
                                                      int32_t countHi, int32_t elementSize,
                                                      int32_t flags, const void* fill,
                                                      const cstd_vectorElementOps* ops);
// Copies of the count elements at block (block may be null when count is 0).
CKIT_API int32_t cstd_vector__constructFromBlockWithVtable(cstd_vector* v, int32_t elementSize,
                                                           int32_t flags, const void* block,
                                                           int32_t count,
                                                           const cstd_vectorElementOps* ops);
// A deep copy of src, with src's element size, ops and memory table.
CKIT_API int32_t cstd_vector__constructCopy(cstd_vector* dst, const cstd_vector* src);
// Destroys the elements and frees the storage; the vector is then empty. The status is
// the first failing destroy callback's (every element is destroyed regardless).
CKIT_API int32_t cstd_vector__destruct(cstd_vector* v);

// ---------------------------------------------------------------------------------------
// Contents. dst keeps its own ops and memory table; element sizes must agree.

// dst becomes a copy of src (self-assignment does nothing).
CKIT_API int32_t cstd_vector__assign(cstd_vector* dst, const cstd_vector* src);
// v becomes copies of the count elements at block; block may point into v.
CKIT_API int32_t cstd_vector__assignElements(cstd_vector* v, const void* block, int32_t count);
// Appends copies of src's elements to dst; src may be dst.
CKIT_API int32_t cstd_vector__append(cstd_vector* dst, const cstd_vector* src);
// Exchanges the two records (storage, sizes, ops and memory tables).
CKIT_API int32_t cstd_vector__swap(cstd_vector* a, cstd_vector* b);

// ---------------------------------------------------------------------------------------
// Size and capacity. Growth is geometric (at least double the capacity); reserve sizes the
// storage exactly. Shrinking destroys the trailing elements and keeps the storage; the
// status is then the first failing destroy callback's.

// New elements made by ops->init (left as they are when init is null).
CKIT_API int32_t cstd_vector__resize(cstd_vector* v, uint32_t countLo, int32_t countHi);
// New elements left as they are; init is not called.
CKIT_API int32_t cstd_vector__resizeUninit(cstd_vector* v, uint32_t countLo, int32_t countHi);
// New elements are copies of *fill, which may be an element of v.
CKIT_API int32_t cstd_vector__resizeFill(cstd_vector* v, uint32_t countLo, int32_t countHi,
                                         const void* fill);
// Makes the capacity at least count; never shrinks.
CKIT_API int32_t cstd_vector__reserve(cstd_vector* v, uint32_t countLo, int32_t countHi);
CKIT_API int32_t cstd_vector__clear(cstd_vector* v);
// Clears and frees the storage (capacity 0).
CKIT_API int32_t cstd_vector__clearAndFreeMemory(cstd_vector* v);

CKIT_API int32_t cstd_vector__getSize32(const cstd_vector* v, int32_t* size);
CKIT_API int32_t cstd_vector__getCapacity(const cstd_vector* v, int32_t* capacity);
CKIT_API int32_t cstd_vector__getElementSize(const cstd_vector* v, int32_t* elementSize);

// ---------------------------------------------------------------------------------------
// Element access. begin is null while the vector has no storage; end = begin + size
// elements. The end pointer argument may be null.

CKIT_API int32_t cstd_vector__getBeginEnd(cstd_vector* v, void** begin, void** end);
CKIT_API int32_t cstd_vector__getBeginEndConst(const cstd_vector* v, const void** begin,
                                               const void** end);
CKIT_API int32_t cstd_vector__getBeginSize32(cstd_vector* v, void** begin, int32_t* size);
CKIT_API int32_t cstd_vector__getBeginSize32Const(const cstd_vector* v, const void** begin,
                                                  int32_t* size);
// The address of element index (0 <= index < size).
CKIT_API int32_t cstd_vector__getElement(cstd_vector* v, int32_t index, void** element);
CKIT_API int32_t cstd_vector__getElementConst(const cstd_vector* v, int32_t index,
                                              const void** element);

// ---------------------------------------------------------------------------------------
// Insertion and removal. Inserted elements are copies of *element, which may be an
// element of v. Indices: 0 <= index <= size for insertion, index + count <= size for
// erasure. Erasure reports the first failing destroy callback's status.

// count copies of *element before position index.
CKIT_API int32_t cstd_vector__insert(cstd_vector* v, int32_t index, int32_t count,
                                     const void* element);
CKIT_API int32_t cstd_vector__insertElement(cstd_vector* v, int32_t index, const void* element);
CKIT_API int32_t cstd_vector__erase(cstd_vector* v, int32_t index, int32_t count);
CKIT_API int32_t cstd_vector__eraseElement(cstd_vector* v, int32_t index);
CKIT_API int32_t cstd_vector__pushBack(cstd_vector* v, const void* element);
// Removes the last element; the vector must not be empty.
CKIT_API int32_t cstd_vector__popBack(cstd_vector* v);

// ---------------------------------------------------------------------------------------
// Byte and 32-bit vectors: cstd_vector8 (uint8_t), cstd_vector32 (uint32_t) and
// cstd_vector32s (int32_t), each a generic vector of plain elements. For V and its element
// type E:
//   V_construct(v, count)            count elements, all 0
//   V_destruct(v)
//   V_resize(v, count)               new elements 0
//   V_getSize(v, &size)
//   V_getBegin(v, &begin), V_getBeginConst, V_getBeginSize(v, &begin, &size),
//   V_getBeginSizeConst              begin is null while there is no storage
//   V_pushBack(v, value)
//   V_assign(dst, src)               dst becomes a copy of src
//   V_clear(v)                       size 0, storage kept
//   V_sort(v, ascending)             in place: ascending when the flag is non-zero,
//                                    descending when it is 0
// Statuses and argument checks as for the generic vector.

#define CSTD_DECLARE_SCALAR_VECTOR(V, E)                                              \
  typedef struct V {                                                                  \
    cstd_vector vector;                                                               \
  } V;                                                                                \
  CKIT_API int32_t V##_construct(V* v, int32_t count);                                \
  CKIT_API int32_t V##_destruct(V* v);                                                \
  CKIT_API int32_t V##_resize(V* v, int32_t count);                                   \
  CKIT_API int32_t V##_getSize(const V* v, int32_t* size);                            \
  CKIT_API int32_t V##_getBegin(V* v, E** begin);                                     \
  CKIT_API int32_t V##_getBeginConst(const V* v, const E** begin);                    \
  CKIT_API int32_t V##_getBeginSize(V* v, E** begin, int32_t* size);                  \
  CKIT_API int32_t V##_getBeginSizeConst(const V* v, const E** begin, int32_t* size); \
  CKIT_API int32_t V##_pushBack(V* v, E value);                                       \
  CKIT_API int32_t V##_assign(V* dst, const V* src);                                  \
  CKIT_API int32_t V##_clear(V* v);                                                   \
  CKIT_API int32_t V##_sort(V* v, int32_t ascending);

CSTD_DECLARE_SCALAR_VECTOR(cstd_vector8, uint8_t)
CSTD_DECLARE_SCALAR_VECTOR(cstd_vector32, uint32_t)
CSTD_DECLARE_SCALAR_VECTOR(cstd_vector32s, int32_t)

#ifdef __cplusplus
}
#endif
