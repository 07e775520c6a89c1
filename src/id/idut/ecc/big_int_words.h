// Word-level helpers of the 160-bit integers, shared by the arithmetic, the big division
// and the decimal conversion. Everything wraps modulo 2^160.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/ecc.h"

constexpr int32_t cmath_bigIntWords = 5;
constexpr int32_t cmath_bigIntBits = 32 * cmath_bigIntWords;

// -1, 0 or 1 as a is below, equal to or above b; the most significant differing word
// decides.
inline int32_t cmath_bigInt_compare(const cmath_bigInt& a, const cmath_bigInt& b) {
  for (int32_t i = cmath_bigIntWords - 1; i >= 0; --i) {
    if (a.word[i] != b.word[i]) return a.word[i] < b.word[i] ? -1 : 1;
  }
  return 0;
}

inline bool cmath_bigInt_getIsZero(const cmath_bigInt& a) {
  uint32_t any = 0;
  for (uint32_t w : a.word) any |= w;
  return any == 0;
}

inline void cmath_bigInt_addWords(cmath_bigInt& a, const cmath_bigInt& b) {
  uint64_t carry = 0;
  for (int32_t i = 0; i < cmath_bigIntWords; ++i) {
    const uint64_t sum = uint64_t{a.word[i]} + b.word[i] + carry;
    a.word[i] = static_cast<uint32_t>(sum);
    carry = sum >> 32;
  }
}

inline void cmath_bigInt_subWords(cmath_bigInt& a, const cmath_bigInt& b) {
  uint32_t borrow = 0;
  for (int32_t i = 0; i < cmath_bigIntWords; ++i) {
    const uint32_t x = a.word[i];
    const uint32_t y = b.word[i];
    a.word[i] = x - y - borrow;
    borrow = borrow ? x <= y : x < y;
  }
}

// Logical shifts by n >= 0 bits.
inline void cmath_bigInt_shiftWordsLeft(cmath_bigInt& a, int32_t n) {
  const int32_t words = n / 32;
  const int32_t bits = n % 32;
  for (int32_t i = cmath_bigIntWords - 1; i >= 0; --i) {
    const int32_t from = i - words;
    uint32_t w = from >= 0 ? a.word[from] << bits : 0;
    if (bits != 0 && from >= 1) w |= a.word[from - 1] >> (32 - bits);
    a.word[i] = w;
  }
}

inline void cmath_bigInt_shiftWordsRight(cmath_bigInt& a, int32_t n) {
  const int32_t words = n / 32;
  const int32_t bits = n % 32;
  for (int32_t i = 0; i < cmath_bigIntWords; ++i) {
    const int32_t from = i + words;
    uint32_t w = from < cmath_bigIntWords ? a.word[from] >> bits : 0;
    if (bits != 0 && from + 1 < cmath_bigIntWords) w |= a.word[from + 1] << (32 - bits);
    a.word[i] = w;
  }
}

// Long division of two big integers, one quotient bit per step. The dividend is turned
// into the remainder in place, which is also copied to *remainder. A zero divisor gives
// CIDUT_ERR_DIVIDE_BY_ZERO with nothing changed.
int32_t cmath_bigInt_divide(cmath_bigInt* dividend, const cmath_bigInt* divisor,
                            cmath_bigInt* quotient, cmath_bigInt* remainder);
