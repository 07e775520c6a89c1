// Unsigned 160-bit integers: assignment, comparison, shifts, addition, subtraction,
// multiplication, division by a 32-bit value, negation and the big-endian byte image.
#include "id/idut/ecc/big_int_words.h"
#include "id/idut/frame/check.h"

namespace {

void shiftLeftOne(cmath_bigInt& a) { cmath_bigInt_shiftWordsLeft(a, 1); }

}  // namespace

extern "C" int32_t cmath_bigInt_init(cmath_bigInt* a, uint32_t v) {
  CIDUT_CHECK(a);
  *a = cmath_bigInt{{v, 0, 0, 0, 0}};
  return 0;
}

extern "C" int32_t cmath_bigInt_bigIntBase(const cmath_bigInt* a, uint32_t* out) {
  CIDUT_CHECK(a);
  CIDUT_CHECK(out);
  *out = a->word[0];
  return 0;
}

extern "C" int32_t cmath_bigInt_assign(cmath_bigInt* a, const cmath_bigInt* b) {
  CIDUT_CHECK(a);
  CIDUT_CHECK(b);
  *a = *b;
  return 0;
}

extern "C" int32_t cmath_bigInt_isEqual(const cmath_bigInt* a, const cmath_bigInt* b,
                                        int32_t* out) {
  CIDUT_CHECK(a);
  CIDUT_CHECK(b);
  CIDUT_CHECK(out);
  *out = cmath_bigInt_compare(*a, *b) == 0;
  return 0;
}

extern "C" int32_t cmath_bigInt_isZero(const cmath_bigInt* a, int32_t* out) {
  CIDUT_CHECK(a);
  CIDUT_CHECK(out);
  *out = cmath_bigInt_getIsZero(*a);
  return 0;
}

extern "C" int32_t cmath_bigInt_lessThan(const cmath_bigInt* a, const cmath_bigInt* b,
                                         int32_t* out) {
  CIDUT_CHECK(a);
  CIDUT_CHECK(b);
  CIDUT_CHECK(out);
  *out = cmath_bigInt_compare(*a, *b) < 0;
  return 0;
}

extern "C" int32_t cmath_bigInt_greaterThan(const cmath_bigInt* a, const cmath_bigInt* b,
                                            int32_t* out) {
  CIDUT_CHECK(a);
  CIDUT_CHECK(b);
  CIDUT_CHECK(out);
  *out = cmath_bigInt_compare(*a, *b) > 0;
  return 0;
}

extern "C" int32_t cmath_bigInt_shiftRight(cmath_bigInt* a, int32_t n) {
  CIDUT_CHECK(a);
  CIDUT_CHECK(n >= 0);
  if (n >= cmath_bigIntBits) return cmath_bigInt_init(a, 0);
  cmath_bigInt_shiftWordsRight(*a, n);
  return 0;
}

extern "C" int32_t cmath_bigInt_shiftLeft(cmath_bigInt* a, int32_t n) {
  CIDUT_CHECK(a);
  CIDUT_CHECK(n >= 0);
  if (n >= cmath_bigIntBits) return cmath_bigInt_init(a, 0);
  cmath_bigInt_shiftWordsLeft(*a, n);
  return 0;
}

extern "C" int32_t cmath_bigInt_addBase(cmath_bigInt* a, uint32_t v) {
  CIDUT_CHECK(a);
  cmath_bigInt_addWords(*a, cmath_bigInt{{v, 0, 0, 0, 0}});
  return 0;
}

extern "C" int32_t cmath_bigInt_add(cmath_bigInt* a, const cmath_bigInt* b) {
  CIDUT_CHECK(a);
  CIDUT_CHECK(b);
  cmath_bigInt_addWords(*a, *b);
  return 0;
}

extern "C" int32_t cmath_bigInt_sub(cmath_bigInt* a, const cmath_bigInt* b) {
  CIDUT_CHECK(a);
  CIDUT_CHECK(b);
  cmath_bigInt_subWords(*a, *b);
  return 0;
}

// Shift and add over the bits of m.
extern "C" int32_t cmath_bigInt_multBase(cmath_bigInt* a, uint32_t m) {
  CIDUT_CHECK(a);
  cmath_bigInt sum{};
  cmath_bigInt x = *a;
  do {
    if (m & 1) cmath_bigInt_addWords(sum, x);
    m >>= 1;
    shiftLeftOne(x);
  } while (m != 0);
  *a = sum;
  return 0;
}

// Shift and add over the bits of b.
extern "C" int32_t cmath_bigInt_mul(const cmath_bigInt* a, const cmath_bigInt* b,
                                    cmath_bigInt* product) {
  CIDUT_CHECK(a);
  CIDUT_CHECK(b);
  CIDUT_CHECK(product);
  cmath_bigInt sum{};
  cmath_bigInt x = *a;
  cmath_bigInt y = *b;
  do {
    if (y.word[0] & 1) cmath_bigInt_addWords(sum, x);
    cmath_bigInt_shiftWordsRight(y, 1);
    shiftLeftOne(x);
  } while (!cmath_bigInt_getIsZero(y));
  *product = sum;
  return 0;
}

// Bit-serial long division whose running remainder lives in the top used word, which is
// why d may not exceed 2^31: a remainder below d then never overflows when doubled.
extern "C" int32_t cmath_bigInt_divideBase(const cmath_bigInt* a, cmath_bigInt* quotient,
                                           uint32_t* remainder, uint32_t d) {
  CIDUT_CHECK(a);
  CIDUT_CHECK(quotient);
  CIDUT_CHECK(remainder);
  CIDUT_CHECK(d <= 0x80000000u);
  if (d == 0) return CIDUT_ERR_DIVIDE_BY_ZERO;
  cmath_bigInt q{};
  cmath_bigInt t = *a;
  int32_t top = cmath_bigIntWords - 1;
  while (top > 0 && t.word[top] == 0) --top;
  if (top == 0) {
    q.word[0] = t.word[0] / d;
    t.word[0] %= d;
  } else {
    if (t.word[top] >= d) {
      q.word[0] = t.word[top] / d;
      t.word[top] %= d;
    }
    for (int32_t i = 0; i < 32 * top; ++i) {
      shiftLeftOne(t);
      shiftLeftOne(q);
      if (t.word[top] >= d) {
        q.word[0] += 1;
        t.word[top] -= d;
      }
    }
  }
  *quotient = q;
  *remainder = t.word[top];
  return 0;
}

extern "C" int32_t cmath_bigInt_inc(cmath_bigInt* a) {
  CIDUT_CHECK(a);
  for (int32_t i = 0; i < cmath_bigIntWords && ++a->word[i] == 0; ++i) {
  }
  return 0;
}

extern "C" int32_t cmath_bigInt_neg(cmath_bigInt* a) {
  CIDUT_CHECK(a);
  for (uint32_t& w : a->word) w = ~w;
  return cmath_bigInt_inc(a);
}

extern "C" int32_t cmath_bigInt_bigInt2Base256(const cmath_bigInt* a, int32_t n, uint8_t* bytes) {
  CIDUT_CHECK(a);
  CIDUT_CHECK(bytes);
  CIDUT_CHECK(n >= 0 && n <= 4 * cmath_bigIntWords);
  for (int32_t i = 0; i < n; ++i) {
    const int32_t byte = n - 1 - i;  // index in the little-endian image
    bytes[i] = static_cast<uint8_t>(a->word[byte / 4] >> (8 * (byte % 4)));
  }
  return 0;
}
