// Typed vectors: cstd_vector_T, a kit generic vector (kit/vector.h) of elements of type T,
// with 39 operations cstd_vector_T_<op> that forward to the generic vector, adding T's
// size and T's element operations. Statuses and argument checks are the generic
// vector's, passed on unchanged.
//
// A subsystem declares the vectors of its element types in its public header, inside its
// extern "C" block, with CIDUT_DECLARE_TYPED_VECTOR(T), and defines them in one source
// file with CIDUT_DEFINE_TYPED_VECTOR (id/idut/frame/typed_vector.h). T names the element
// type; for a vector of vectors name the inner vector record first:
//   typedef cstd_vector_X vector_X;  CIDUT_DECLARE_TYPED_VECTOR(vector_X)
//
// The operations, for V = cstd_vector_T (counts of construct, resize and reserve are
// 64-bit, passed as a low and a high word; a 32-bit count n as (n, n >> 31)):
//   construct(V*, countLo, countHi)                 count elements made by T's init
//   constructWithMtable(V*, countLo, countHi, const csys_memoryTable*)
//   constructEmpty(V*), constructEmptyWithMtable(V*, const csys_memoryTable*)
//   constructUninit(V*, countLo, countHi)           elements left for the caller to fill
//   constructFill(V*, countLo, countHi, const T* fill)
//   constructFromBlock(V*, const T* block, int32_t count)
//   constructCopy(V* dst, const V* src), assign(V* dst, const V* src)
//   assignElements(V*, const T* block, int32_t count)
//   destruct(V*)
//   resize(V*, countLo, countHi), resizeUninit(...), resizeFill(..., const T* fill)
//   reserve(V*, countLo, countHi)
//   getSize(const V*, int32_t*), getSize32(...), getCapacity(...), getElementSize(...)
//   getBeginEnd(V*, T** begin, T** end or null), getBeginEndConst(const V*, const T**, ...)
//   getBegin(V*, T**), getBeginConst(const V*, const T**)
//   getBeginSize(V*, T**, int32_t*), getBeginSize32(...), and their Const forms
//   getElement(V*, int32_t index, T**), getElementConst(const V*, int32_t, const T**)
//   insert(V*, int32_t index, int32_t count, const T*)   count copies before index
//   insertElement(V*, int32_t index, const T*)
//   erase(V*, int32_t index, int32_t count), eraseElement(V*, int32_t index)
//   pushBack(V*, const T*), popBack(V*), clear(V*), clearAndFreeMemory(V*)
//   append(V* dst, const V* src), swap(V*, V*)
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "kit/vector.h"

// Declares the record and the operations with the given visibility (CIDUT_API for the
// exported vectors, nothing for the library's own).
#define CIDUT_DECLARE_TYPED_VECTOR_WITH(T, API)                                                    \
  typedef struct cstd_vector_##T {                                                                 \
    cstd_vector vector;                                                                            \
  } cstd_vector_##T;                                                                               \
  API int32_t cstd_vector_##T##_construct(cstd_vector_##T* v, uint32_t countLo, int32_t countHi);  \
  API int32_t cstd_vector_##T##_constructWithMtable(                                               \
      cstd_vector_##T* v, uint32_t countLo, int32_t countHi, const csys_memoryTable* memoryTable); \
  API int32_t cstd_vector_##T##_constructEmpty(cstd_vector_##T* v);                                \
  API int32_t cstd_vector_##T##_constructEmptyWithMtable(cstd_vector_##T* v,                       \
                                                         const csys_memoryTable* memoryTable);     \
  API int32_t cstd_vector_##T##_constructUninit(cstd_vector_##T* v, uint32_t countLo,              \
                                                int32_t countHi);                                  \
  API int32_t cstd_vector_##T##_constructFill(cstd_vector_##T* v, uint32_t countLo,                \
                                              int32_t countHi, const T* fill);                     \
  API int32_t cstd_vector_##T##_constructFromBlock(cstd_vector_##T* v, const T* block,             \
                                                   int32_t count);                                 \
  API int32_t cstd_vector_##T##_constructCopy(cstd_vector_##T* dst, const cstd_vector_##T* src);   \
  API int32_t cstd_vector_##T##_assign(cstd_vector_##T* dst, const cstd_vector_##T* src);          \
  API int32_t cstd_vector_##T##_assignElements(cstd_vector_##T* v, const T* block, int32_t count); \
  API int32_t cstd_vector_##T##_destruct(cstd_vector_##T* v);                                      \
  API int32_t cstd_vector_##T##_resize(cstd_vector_##T* v, uint32_t countLo, int32_t countHi);     \
  API int32_t cstd_vector_##T##_resizeUninit(cstd_vector_##T* v, uint32_t countLo,                 \
                                             int32_t countHi);                                     \
  API int32_t cstd_vector_##T##_resizeFill(cstd_vector_##T* v, uint32_t countLo, int32_t countHi,  \
                                           const T* fill);                                         \
  API int32_t cstd_vector_##T##_reserve(cstd_vector_##T* v, uint32_t countLo, int32_t countHi);    \
  API int32_t cstd_vector_##T##_getSize(const cstd_vector_##T* v, int32_t* size);                  \
  API int32_t cstd_vector_##T##_getSize32(const cstd_vector_##T* v, int32_t* size);                \
  API int32_t cstd_vector_##T##_getCapacity(const cstd_vector_##T* v, int32_t* capacity);          \
  API int32_t cstd_vector_##T##_getElementSize(const cstd_vector_##T* v, int32_t* elementSize);    \
  API int32_t cstd_vector_##T##_getBeginEnd(cstd_vector_##T* v, T** begin, T** end);               \
  API int32_t cstd_vector_##T##_getBeginEndConst(const cstd_vector_##T* v, const T** begin,        \
                                                 const T** end);                                   \
  API int32_t cstd_vector_##T##_getBegin(cstd_vector_##T* v, T** begin);                           \
  API int32_t cstd_vector_##T##_getBeginConst(const cstd_vector_##T* v, const T** begin);          \
  API int32_t cstd_vector_##T##_getBeginSize(cstd_vector_##T* v, T** begin, int32_t* size);        \
  API int32_t cstd_vector_##T##_getBeginSize32(cstd_vector_##T* v, T** begin, int32_t* size);      \
  API int32_t cstd_vector_##T##_getBeginSizeConst(const cstd_vector_##T* v, const T** begin,       \
                                                  int32_t* size);                                  \
  API int32_t cstd_vector_##T##_getBeginSize32Const(const cstd_vector_##T* v, const T** begin,     \
                                                    int32_t* size);                                \
  API int32_t cstd_vector_##T##_getElement(cstd_vector_##T* v, int32_t index, T** element);        \
  API int32_t cstd_vector_##T##_getElementConst(const cstd_vector_##T* v, int32_t index,           \
                                                const T** element);                                \
  API int32_t cstd_vector_##T##_insert(cstd_vector_##T* v, int32_t index, int32_t count,           \
                                       const T* element);                                          \
  API int32_t cstd_vector_##T##_insertElement(cstd_vector_##T* v, int32_t index,                   \
                                              const T* element);                                   \
  API int32_t cstd_vector_##T##_erase(cstd_vector_##T* v, int32_t index, int32_t count);           \
  API int32_t cstd_vector_##T##_eraseElement(cstd_vector_##T* v, int32_t index);                   \
  API int32_t cstd_vector_##T##_pushBack(cstd_vector_##T* v, const T* element);                    \
  API int32_t cstd_vector_##T##_popBack(cstd_vector_##T* v);                                       \
  API int32_t cstd_vector_##T##_clear(cstd_vector_##T* v);                                         \
  API int32_t cstd_vector_##T##_clearAndFreeMemory(cstd_vector_##T* v);                            \
  API int32_t cstd_vector_##T##_append(cstd_vector_##T* dst, const cstd_vector_##T* src);          \
  API int32_t cstd_vector_##T##_swap(cstd_vector_##T* a, cstd_vector_##T* b);

// An exported typed vector.
#define CIDUT_DECLARE_TYPED_VECTOR(T) CIDUT_DECLARE_TYPED_VECTOR_WITH(T, CIDUT_API)
// A typed vector for the library's own use, not exported.
#define CIDUT_DECLARE_INTERNAL_TYPED_VECTOR(T) CIDUT_DECLARE_TYPED_VECTOR_WITH(T, )
