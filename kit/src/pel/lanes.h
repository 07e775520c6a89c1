// Sixteen 8-bit pixels at a time, for the pixel loops of the kit: SSE2 registers where the
// compiler targets SSE2, else a plain array with per-byte loops that give the same bytes.
// Loads and stores need no alignment.
#pragma once

#include <stdint.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace cip_lanes {

constexpr int32_t count = 16;

#ifdef __SSE2__

struct bytes {
  __m128i v;
};

inline bytes load(const uint8_t* p) {
  return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))};
}
inline void store(uint8_t* p, bytes a) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a.v);
}
inline bytes splat(uint8_t value) {
  return {_mm_set1_epi8(static_cast<char>(value))};
}
inline bytes max(bytes a, bytes b) {
  return {_mm_max_epu8(a.v, b.v)};
}
inline bytes min(bytes a, bytes b) {
  return {_mm_min_epu8(a.v, b.v)};
}
inline bytes subWrap(bytes a, bytes b) {
  return {_mm_sub_epi8(a.v, b.v)};
}
inline bytes subClamp(bytes a, bytes b) {
  return {_mm_subs_epu8(a.v, b.v)};
}
// (a + b + 1) / 2
inline bytes averageUp(bytes a, bytes b) {
  return {_mm_avg_epu8(a.v, b.v)};
}
inline bytes bitOr(bytes a, bytes b) {
  return {_mm_or_si128(a.v, b.v)};
}
inline bytes bitAnd(bytes a, bytes b) {
  return {_mm_and_si128(a.v, b.v)};
}
inline bytes bitXor(bytes a, bytes b) {
  return {_mm_xor_si128(a.v, b.v)};
}
// a0 a0 a1 a1 ... a7 a7 and a8 a8 ... a15 a15.
inline bytes doubleLow(bytes a) {
  return {_mm_unpacklo_epi8(a.v, a.v)};
}
inline bytes doubleHigh(bytes a) {
  return {_mm_unpackhi_epi8(a.v, a.v)};
}

// Transposes 16 x 16 bytes in place: row[i] byte j <-> row[j] byte i. Each round interleaves
// rows i and i + 8 into rows 2i and 2i + 1, which rotates the 8 bits (row, column) of an
// element's position left by one; four rounds swap row and column.
inline void transpose(bytes rows[16]) {
#pragma GCC unroll 4
  for (int round = 0; round < 4; ++round) {
    __m128i next[16];
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) {
      next[2 * i] = _mm_unpacklo_epi8(rows[i].v, rows[i + 8].v);
      next[2 * i + 1] = _mm_unpackhi_epi8(rows[i].v, rows[i + 8].v);
    }
#pragma GCC unroll 16
    for (int i = 0; i < 16; ++i) rows[i].v = next[i];
  }
}

#else

struct bytes {
  uint8_t v[16];
};

template <class Op>
inline bytes each(bytes a, bytes b, Op op) {
  bytes r;
  for (int i = 0; i < 16; ++i) r.v[i] = static_cast<uint8_t>(op(a.v[i], b.v[i]));
  return r;
}

inline bytes load(const uint8_t* p) {
  bytes r;
  for (int i = 0; i < 16; ++i) r.v[i] = p[i];
  return r;
}
inline void store(uint8_t* p, bytes a) {
  for (int i = 0; i < 16; ++i) p[i] = a.v[i];
}
inline bytes splat(uint8_t value) {
  bytes r;
  for (uint8_t& b : r.v) b = value;
  return r;
}
inline bytes max(bytes a, bytes b) {
  return each(a, b, [](int x, int y) { return x > y ? x : y; });
}
inline bytes min(bytes a, bytes b) {
  return each(a, b, [](int x, int y) { return x < y ? x : y; });
}
inline bytes subWrap(bytes a, bytes b) {
  return each(a, b, [](int x, int y) { return x - y; });
}
inline bytes subClamp(bytes a, bytes b) {
  return each(a, b, [](int x, int y) { return x > y ? x - y : 0; });
}
inline bytes averageUp(bytes a, bytes b) {
  return each(a, b, [](int x, int y) { return (x + y + 1) >> 1; });
}
inline bytes bitOr(bytes a, bytes b) {
  return each(a, b, [](int x, int y) { return x | y; });
}
inline bytes bitAnd(bytes a, bytes b) {
  return each(a, b, [](int x, int y) { return x & y; });
}
inline bytes bitXor(bytes a, bytes b) {
  return each(a, b, [](int x, int y) { return x ^ y; });
}
inline bytes doubleLow(bytes a) {
  bytes r;
  for (int i = 0; i < 16; ++i) r.v[i] = a.v[i / 2];
  return r;
}
inline bytes doubleHigh(bytes a) {
  bytes r;
  for (int i = 0; i < 16; ++i) r.v[i] = a.v[8 + i / 2];
  return r;
}
inline void transpose(bytes rows[16]) {
  for (int i = 0; i < 16; ++i) {
    for (int j = i + 1; j < 16; ++j) {
      const uint8_t t = rows[i].v[j];
      rows[i].v[j] = rows[j].v[i];
      rows[j].v[i] = t;
    }
  }
}

#endif

}  // namespace cip_lanes
