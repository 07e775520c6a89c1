// Decimal text of a 160-bit integer: chunks of nine digits, split off by dividing by 10^9
// and written backwards from the end of the caller's buffer, then moved to its start.
#include <stdlib.h>

#include "id/idut/ecc/big_int_words.h"
#include "id/idut/frame/check.h"

namespace {

constexpr int32_t chunkDigits = 9;
constexpr uint32_t chunkBase = 1000000000;

}  // namespace

extern "C" int32_t cmath_bigInt_bigInt2Buf(const cmath_bigInt* a, int32_t length, char* buffer) {
  CIDUT_CHECK(a);
  CIDUT_CHECK(buffer);
  CIDUT_CHECK(length >= 1);
  const cmath_bigInt base{{chunkBase, 0, 0, 0, 0}};
  cmath_bigInt value = *a;
  buffer[length - 1] = 0;
  int32_t next = length - 2;  // where the next digit goes, filling backwards
  if (cmath_bigInt_getIsZero(value)) {
    if (next < 0) return CIDUT_ERR_NO_MEMORY;
    buffer[next--] = '0';
  }
  while (!cmath_bigInt_getIsZero(value)) {
    if (next + 1 < chunkDigits) {
      buffer[0] = 0;
      return CIDUT_ERR_NO_MEMORY;
    }
    cmath_bigInt quotient;
    cmath_bigInt remainder;
    cmath_bigInt_divide(&value, &base, &quotient, &remainder);  // base is never zero
    value = quotient;
    long chunk = remainder.word[0];
    for (int32_t i = 0; i < chunkDigits; ++i) {
      const ldiv_t digit = ldiv(chunk, 10);
      buffer[next--] = static_cast<char>('0' + digit.rem);
      chunk = digit.quot;
    }
  }
  int32_t start = next + 1;
  while (buffer[start] == '0' && buffer[start + 1] != 0) ++start;
  csys_memory_copy(length - start, buffer + start, buffer);
  return 0;
}
