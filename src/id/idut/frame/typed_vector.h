// Definition of typed vectors (declared with CIDUT_DECLARE_TYPED_VECTOR, see
// ci_id/priv/ci_idut/vector.h) and of the element-operations records they pass.
//
// In one source file per element type:
//   constexpr cstd_vectorElementOps regionOps = cidut_elementOps<cid_region, cid_region_init>();
//   CIDUT_DEFINE_TYPED_VECTOR(cid_region, &regionOps)
//   CIDUT_DEFINE_TYPED_VECTOR(cidc_scanLine, nullptr)  // plain bytes
// A vector of vectors makes, copies, assigns and destroys its elements with the inner
// vector's own operations:
//   constexpr cstd_vectorElementOps scansOps = cidut_elementOps<vector_X,
//       cstd_vector_X_constructEmpty, cstd_vector_X_constructCopy, cstd_vector_X_assign,
//       cstd_vector_X_destruct>();
#pragma once

#include <stdint.h>

#include <type_traits>

#include "ci_id/priv/ci_idut/vector.h"
#include "kit/vector.h"

// ---------------------------------------------------------------------------------------
// Element-operations records from typed functions: int32_t init(T*), copy(T*, const T*),
// assign(T*, const T*), destroy(T*); nullptr where a step is plain bytes. The record holds
// thunks that convert the element addresses back to T, so every callback is called
// through its own type.

template <class T, auto F>
int32_t cidut_callOnElement(void* element) {
  return F(static_cast<T*>(element));
}

template <class T, auto F>
int32_t cidut_callOnElementPair(void* destination, const void* source) {
  return F(static_cast<T*>(destination), static_cast<const T*>(source));
}

template <class T, auto Init = nullptr, auto Copy = nullptr, auto Assign = nullptr,
          auto Destroy = nullptr>
constexpr cstd_vectorElementOps cidut_elementOps() {
  cstd_vectorElementOps ops{nullptr, nullptr, nullptr, nullptr, -1};
  if constexpr (!std::is_null_pointer_v<decltype(Init)>) ops.init = &cidut_callOnElement<T, Init>;
  if constexpr (!std::is_null_pointer_v<decltype(Copy)>)
    ops.copy = &cidut_callOnElementPair<T, Copy>;
  if constexpr (!std::is_null_pointer_v<decltype(Assign)>)
    ops.assign = &cidut_callOnElementPair<T, Assign>;
  if constexpr (!std::is_null_pointer_v<decltype(Destroy)>)
    ops.destroy = &cidut_callOnElement<T, Destroy>;
  return ops;
}

// ---------------------------------------------------------------------------------------
// Forwarding helpers. A typed vector record starts with its cstd_vector, so the addresses
// are interchangeable; null passes through to the generic vector's checks.

template <class V>
cstd_vector* cidut_genericVector(V* v) {
  static_assert(std::is_standard_layout_v<V> && sizeof(V) == sizeof(cstd_vector));
  return reinterpret_cast<cstd_vector*>(v);
}

template <class V>
const cstd_vector* cidut_genericVector(const V* v) {
  static_assert(std::is_standard_layout_v<V> && sizeof(V) == sizeof(cstd_vector));
  return reinterpret_cast<const cstd_vector*>(v);
}

template <class T>
void** cidut_untypedOut(T** out) {
  return reinterpret_cast<void**>(out);
}

template <class T>
const void** cidut_untypedOut(const T** out) {
  return reinterpret_cast<const void**>(out);
}

template <class T>
constexpr int32_t cidut_elementSize = static_cast<int32_t>(sizeof(T));

// ---------------------------------------------------------------------------------------
// The 39 operations of cstd_vector_T: T's size and the element-operations record ops (a
// pointer to a constant, or nullptr for plain bytes) are added, everything else is passed
// on, and the generic status is returned unchanged.

#define CIDUT_DEFINE_TYPED_VECTOR(T, ops)                                                          \
  extern "C" int32_t cstd_vector_##T##_construct(cstd_vector_##T* v, uint32_t countLo,             \
                                                 int32_t countHi) {                                \
    return cstd_vector__constructWithVtable(cidut_genericVector(v), countLo, countHi,              \
                                            cidut_elementSize<T>, 0, ops);                         \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_constructWithMtable(cstd_vector_##T* v, uint32_t countLo,   \
                                                           int32_t countHi,                        \
                                                           const csys_memoryTable* memoryTable) {  \
    return cstd_vector__constructWithVtableWithMtable(cidut_genericVector(v), countLo, countHi,    \
                                                      cidut_elementSize<T>, 0, ops, memoryTable);  \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_constructEmpty(cstd_vector_##T* v) {                        \
    return cstd_vector__constructWithVtable(cidut_genericVector(v), 0, 0, cidut_elementSize<T>, 0, \
                                            ops);                                                  \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_constructEmptyWithMtable(                                   \
      cstd_vector_##T* v, const csys_memoryTable* memoryTable) {                                   \
    return cstd_vector__constructWithVtableWithMtable(cidut_genericVector(v), 0, 0,                \
                                                      cidut_elementSize<T>, 0, ops, memoryTable);  \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_constructUninit(cstd_vector_##T* v, uint32_t countLo,       \
                                                       int32_t countHi) {                          \
    return cstd_vector__constructWithVtableUninit(cidut_genericVector(v), countLo, countHi,        \
                                                  cidut_elementSize<T>, 0, ops);                   \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_constructFill(cstd_vector_##T* v, uint32_t countLo,         \
                                                     int32_t countHi, const T* fill) {             \
    return cstd_vector__constructFillWithVtable(cidut_genericVector(v), countLo, countHi,          \
                                                cidut_elementSize<T>, 0, fill, ops);               \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_constructFromBlock(cstd_vector_##T* v, const T* block,      \
                                                          int32_t count) {                         \
    return cstd_vector__constructFromBlockWithVtable(cidut_genericVector(v), cidut_elementSize<T>, \
                                                     0, block, count, ops);                        \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_constructCopy(cstd_vector_##T* dst,                         \
                                                     const cstd_vector_##T* src) {                 \
    return cstd_vector__constructCopy(cidut_genericVector(dst), cidut_genericVector(src));         \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_assign(cstd_vector_##T* dst, const cstd_vector_##T* src) {  \
    return cstd_vector__assign(cidut_genericVector(dst), cidut_genericVector(src));                \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_assignElements(cstd_vector_##T* v, const T* block,          \
                                                      int32_t count) {                             \
    return cstd_vector__assignElements(cidut_genericVector(v), block, count);                      \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_destruct(cstd_vector_##T* v) {                              \
    return cstd_vector__destruct(cidut_genericVector(v));                                          \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_resize(cstd_vector_##T* v, uint32_t countLo,                \
                                              int32_t countHi) {                                   \
    return cstd_vector__resize(cidut_genericVector(v), countLo, countHi);                          \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_resizeUninit(cstd_vector_##T* v, uint32_t countLo,          \
                                                    int32_t countHi) {                             \
    return cstd_vector__resizeUninit(cidut_genericVector(v), countLo, countHi);                    \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_resizeFill(cstd_vector_##T* v, uint32_t countLo,            \
                                                  int32_t countHi, const T* fill) {                \
    return cstd_vector__resizeFill(cidut_genericVector(v), countLo, countHi, fill);                \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_reserve(cstd_vector_##T* v, uint32_t countLo,               \
                                               int32_t countHi) {                                  \
    return cstd_vector__reserve(cidut_genericVector(v), countLo, countHi);                         \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_getSize(const cstd_vector_##T* v, int32_t* size) {          \
    return cstd_vector__getSize32(cidut_genericVector(v), size);                                   \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_getSize32(const cstd_vector_##T* v, int32_t* size) {        \
    return cstd_vector__getSize32(cidut_genericVector(v), size);                                   \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_getCapacity(const cstd_vector_##T* v, int32_t* capacity) {  \
    return cstd_vector__getCapacity(cidut_genericVector(v), capacity);                             \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_getElementSize(const cstd_vector_##T* v,                    \
                                                      int32_t* elementSize) {                      \
    return cstd_vector__getElementSize(cidut_genericVector(v), elementSize);                       \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_getBeginEnd(cstd_vector_##T* v, T** begin, T** end) {       \
    return cstd_vector__getBeginEnd(cidut_genericVector(v), cidut_untypedOut(begin),               \
                                    cidut_untypedOut(end));                                        \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_getBeginEndConst(const cstd_vector_##T* v, const T** begin, \
                                                        const T** end) {                           \
    return cstd_vector__getBeginEndConst(cidut_genericVector(v), cidut_untypedOut(begin),          \
                                         cidut_untypedOut(end));                                   \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_getBegin(cstd_vector_##T* v, T** begin) {                   \
    return cstd_vector__getBeginEnd(cidut_genericVector(v), cidut_untypedOut(begin), nullptr);     \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_getBeginConst(const cstd_vector_##T* v, const T** begin) {  \
    return cstd_vector__getBeginEndConst(cidut_genericVector(v), cidut_untypedOut(begin),          \
                                         nullptr);                                                 \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_getBeginSize(cstd_vector_##T* v, T** begin,                 \
                                                    int32_t* size) {                               \
    return cstd_vector__getBeginSize32(cidut_genericVector(v), cidut_untypedOut(begin), size);     \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_getBeginSize32(cstd_vector_##T* v, T** begin,               \
                                                      int32_t* size) {                             \
    return cstd_vector__getBeginSize32(cidut_genericVector(v), cidut_untypedOut(begin), size);     \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_getBeginSizeConst(const cstd_vector_##T* v,                 \
                                                         const T** begin, int32_t* size) {         \
    return cstd_vector__getBeginSize32Const(cidut_genericVector(v), cidut_untypedOut(begin),       \
                                            size);                                                 \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_getBeginSize32Const(const cstd_vector_##T* v,               \
                                                           const T** begin, int32_t* size) {       \
    return cstd_vector__getBeginSize32Const(cidut_genericVector(v), cidut_untypedOut(begin),       \
                                            size);                                                 \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_getElement(cstd_vector_##T* v, int32_t index,               \
                                                  T** element) {                                   \
    return cstd_vector__getElement(cidut_genericVector(v), index, cidut_untypedOut(element));      \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_getElementConst(const cstd_vector_##T* v, int32_t index,    \
                                                       const T** element) {                        \
    return cstd_vector__getElementConst(cidut_genericVector(v), index, cidut_untypedOut(element)); \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_insert(cstd_vector_##T* v, int32_t index, int32_t count,    \
                                              const T* element) {                                  \
    return cstd_vector__insert(cidut_genericVector(v), index, count, element);                     \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_insertElement(cstd_vector_##T* v, int32_t index,            \
                                                     const T* element) {                           \
    return cstd_vector__insertElement(cidut_genericVector(v), index, element);                     \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_erase(cstd_vector_##T* v, int32_t index, int32_t count) {   \
    return cstd_vector__erase(cidut_genericVector(v), index, count);                               \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_eraseElement(cstd_vector_##T* v, int32_t index) {           \
    return cstd_vector__eraseElement(cidut_genericVector(v), index);                               \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_pushBack(cstd_vector_##T* v, const T* element) {            \
    return cstd_vector__pushBack(cidut_genericVector(v), element);                                 \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_popBack(cstd_vector_##T* v) {                               \
    return cstd_vector__popBack(cidut_genericVector(v));                                           \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_clear(cstd_vector_##T* v) {                                 \
    return cstd_vector__clear(cidut_genericVector(v));                                             \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_clearAndFreeMemory(cstd_vector_##T* v) {                    \
    return cstd_vector__clearAndFreeMemory(cidut_genericVector(v));                                \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_append(cstd_vector_##T* dst, const cstd_vector_##T* src) {  \
    return cstd_vector__append(cidut_genericVector(dst), cidut_genericVector(src));                \
  }                                                                                                \
  extern "C" int32_t cstd_vector_##T##_swap(cstd_vector_##T* a, cstd_vector_##T* b) {              \
    return cstd_vector__swap(cidut_genericVector(a), cidut_genericVector(b));                      \
  }
