// Division of two 160-bit integers by shifting and subtracting.
#include "id/idut/ecc/big_int_words.h"
#include "id/idut/frame/check.h"

int32_t cmath_bigInt_divide(cmath_bigInt* dividend, const cmath_bigInt* divisor,
                            cmath_bigInt* quotient, cmath_bigInt* remainder) {
  CIDUT_CHECK(dividend);
  CIDUT_CHECK(divisor);
  CIDUT_CHECK(quotient);
  CIDUT_CHECK(remainder);
  if (cmath_bigInt_getIsZero(*divisor)) return CIDUT_ERR_DIVIDE_BY_ZERO;

  // Align the divisor with the dividend's top bit (without losing its own top bit).
  cmath_bigInt q{};
  cmath_bigInt d = *divisor;
  int32_t shift = 0;
  while (cmath_bigInt_compare(d, *dividend) < 0 && (d.word[cmath_bigIntWords - 1] >> 31) == 0) {
    cmath_bigInt_shiftWordsLeft(d, 1);
    ++shift;
  }
  if (cmath_bigInt_compare(d, *dividend) > 0) {
    cmath_bigInt_shiftWordsRight(d, 1);
    --shift;
  }
  for (int32_t i = 0; i <= shift; ++i) {
    cmath_bigInt_shiftWordsLeft(q, 1);
    if (cmath_bigInt_compare(d, *dividend) <= 0) {
      cmath_bigInt_subWords(*dividend, d);
      q.word[0] |= 1;
    }
    cmath_bigInt_shiftWordsRight(d, 1);
  }
  *quotient = q;
  *remainder = *dividend;
  return 0;
}
