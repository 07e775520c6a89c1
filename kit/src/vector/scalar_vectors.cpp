// Byte and 32-bit vectors: generic vectors of plain elements (no element operations),
// with new elements cleared to 0 and an in-place sort.
#include <algorithm>
#include <functional>
#include <type_traits>

#include "kit/vector.h"

namespace {

// The operations of a vector record V of elements E, in terms of the generic vector.
template <class V, class E>
struct scalarVector {
  static_assert(std::is_standard_layout_v<V> && sizeof(V) == sizeof(cstd_vector));

  // V starts with its cstd_vector, so the two addresses are interchangeable (null stays
  // null and is reported by the generic vector's checks).
  static cstd_vector* generic(V* v) { return reinterpret_cast<cstd_vector*>(v); }
  static const cstd_vector* generic(const V* v) { return reinterpret_cast<const cstd_vector*>(v); }

  static constexpr E zero = 0;

  static int32_t construct(V* v, int32_t count) {
    return cstd_vector__constructFillWithVtable(generic(v), static_cast<uint32_t>(count),
                                                count >> 31, sizeof(E), 0, &zero, nullptr);
  }
  static int32_t resize(V* v, int32_t count) {
    return cstd_vector__resizeFill(generic(v), static_cast<uint32_t>(count), count >> 31, &zero);
  }
  static int32_t getBegin(V* v, E** begin) {
    return cstd_vector__getBeginEnd(generic(v), reinterpret_cast<void**>(begin), nullptr);
  }
  static int32_t getBeginConst(const V* v, const E** begin) {
    return cstd_vector__getBeginEndConst(generic(v), reinterpret_cast<const void**>(begin),
                                         nullptr);
  }
  static int32_t getBeginSize(V* v, E** begin, int32_t* size) {
    return cstd_vector__getBeginSize32(generic(v), reinterpret_cast<void**>(begin), size);
  }
  static int32_t getBeginSizeConst(const V* v, const E** begin, int32_t* size) {
    return cstd_vector__getBeginSize32Const(generic(v), reinterpret_cast<const void**>(begin),
                                            size);
  }
  static int32_t sort(V* v, int32_t ascending) {
    E* begin = nullptr;
    int32_t size = 0;
    const int32_t status = getBeginSize(v, &begin, &size);
    if (status < 0) return status;
    if (ascending)
      std::sort(begin, begin + size);
    else
      std::sort(begin, begin + size, std::greater<E>());
    return 0;
  }
};

}  // namespace

#define CSTD_DEFINE_SCALAR_VECTOR(V, E)                                                  \
  extern "C" int32_t V##_construct(V* v, int32_t count) {                                \
    return scalarVector<V, E>::construct(v, count);                                      \
  }                                                                                      \
  extern "C" int32_t V##_destruct(V* v) {                                                \
    return cstd_vector__destruct(scalarVector<V, E>::generic(v));                        \
  }                                                                                      \
  extern "C" int32_t V##_resize(V* v, int32_t count) {                                   \
    return scalarVector<V, E>::resize(v, count);                                         \
  }                                                                                      \
  extern "C" int32_t V##_getSize(const V* v, int32_t* size) {                            \
    return cstd_vector__getSize32(scalarVector<V, E>::generic(v), size);                 \
  }                                                                                      \
  extern "C" int32_t V##_getBegin(V* v, E** begin) {                                     \
    return scalarVector<V, E>::getBegin(v, begin);                                       \
  }                                                                                      \
  extern "C" int32_t V##_getBeginConst(const V* v, const E** begin) {                    \
    return scalarVector<V, E>::getBeginConst(v, begin);                                  \
  }                                                                                      \
  extern "C" int32_t V##_getBeginSize(V* v, E** begin, int32_t* size) {                  \
    return scalarVector<V, E>::getBeginSize(v, begin, size);                             \
  }                                                                                      \
  extern "C" int32_t V##_getBeginSizeConst(const V* v, const E** begin, int32_t* size) { \
    return scalarVector<V, E>::getBeginSizeConst(v, begin, size);                        \
  }                                                                                      \
  extern "C" int32_t V##_pushBack(V* v, E value) {                                       \
    return cstd_vector__pushBack(scalarVector<V, E>::generic(v), &value);                \
  }                                                                                      \
  extern "C" int32_t V##_assign(V* dst, const V* src) {                                  \
    return cstd_vector__assign(scalarVector<V, E>::generic(dst),                         \
                               scalarVector<V, E>::generic(src));                        \
  }                                                                                      \
  extern "C" int32_t V##_clear(V* v) {                                                   \
    return cstd_vector__clear(scalarVector<V, E>::generic(v));                           \
  }                                                                                      \
  extern "C" int32_t V##_sort(V* v, int32_t ascending) {                                 \
    return scalarVector<V, E>::sort(v, ascending);                                       \
  }

CSTD_DEFINE_SCALAR_VECTOR(cstd_vector8, uint8_t)
CSTD_DEFINE_SCALAR_VECTOR(cstd_vector32, uint32_t)
CSTD_DEFINE_SCALAR_VECTOR(cstd_vector32s, int32_t)
