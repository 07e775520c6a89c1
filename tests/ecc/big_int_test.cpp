// 160-bit integers against unsigned __int128, known decimal expansions, division identities.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "ci_id/priv/ci_idut/ecc.h"
#include "id/idut/ecc/big_int_words.h"
#include "support/hooks.h"

namespace {

using u128 = unsigned __int128;

cmath_bigInt big(u128 v, uint32_t top = 0) {
  return cmath_bigInt{{uint32_t(v), uint32_t(v >> 32), uint32_t(v >> 64), uint32_t(v >> 96), top}};
}
u128 low128(const cmath_bigInt& a) {
  return u128(a.word[0]) | u128(a.word[1]) << 32 | u128(a.word[2]) << 64 | u128(a.word[3]) << 96;
}
bool same(const cmath_bigInt& a, const cmath_bigInt& b) {
  int32_t equal = -1;
  cmath_bigInt_isEqual(&a, &b, &equal);
  return equal == 1;
}
bool isZero(const cmath_bigInt& a) {
  int32_t zero = -1;
  cmath_bigInt_isZero(&a, &zero);
  return zero == 1;
}
std::string text(const cmath_bigInt& a) {
  char buffer[55];
  EXPECT_EQ(cmath_bigInt_bigInt2Buf(&a, sizeof buffer, buffer), 0);
  return buffer;
}

TEST(BigInt, AgreesWithInt128) {
  std::mt19937_64 rng(160);
  for (int i = 0; i < 200; ++i) {
    const uint64_t x = rng() >> (i % 64), y = rng() >> (i % 61);
    const u128 a = u128(x) << 64 | rng(), b = y;
    cmath_bigInt r = big(a), s = big(b), out;
    int32_t flag;
    cmath_bigInt_add(&r, &s);
    EXPECT_TRUE(low128(r) == a + b && r.word[4] == (a + b < a));
    r = big(a);
    cmath_bigInt_sub(&r, &s);
    EXPECT_TRUE(low128(r) == a - b);
    cmath_bigInt_mul(&s, &s, &out);
    EXPECT_TRUE(low128(out) == u128(y) * y && out.word[4] == 0);
    r = big(a);
    cmath_bigInt_multBase(&r, uint32_t(x));
    EXPECT_TRUE(low128(r) == a * uint32_t(x));
    const uint32_t d = uint32_t(y % 0x80000000u) + 1;
    uint32_t remainder;
    r = big(a);
    ASSERT_EQ(cmath_bigInt_divideBase(&r, &out, &remainder, d), 0);
    EXPECT_TRUE(low128(out) == a / d && remainder == a % d);
    r = big(a);
    cmath_bigInt_shiftRight(&r, i % 130);
    EXPECT_TRUE(low128(r) == (i % 130 < 128 ? a >> (i % 130) : 0));
    r = big(b);
    cmath_bigInt_shiftLeft(&r, i % 64);
    EXPECT_TRUE(low128(r) == b << (i % 64));
    cmath_bigInt_lessThan(&s, &r, &flag);
    EXPECT_EQ(flag, b < (b << (i % 64)));
    cmath_bigInt_greaterThan(&r, &s, &flag);
    EXPECT_EQ(flag, (b << (i % 64)) > b);
  }
}

TEST(BigInt, WrapsAtFullWidth) {
  cmath_bigInt a, b, c;
  cmath_bigInt_init(&a, 1);
  cmath_bigInt_neg(&a);  // 2^160 - 1
  for (uint32_t w : a.word) EXPECT_EQ(w, 0xFFFFFFFFu);
  EXPECT_EQ(text(a), "1461501637330902918203684832716283019655932542975");
  cmath_bigInt_assign(&b, &a);
  cmath_bigInt_inc(&b);
  EXPECT_TRUE(isZero(b));
  cmath_bigInt_init(&c, 1);
  cmath_bigInt_sub(&b, &c);
  EXPECT_TRUE(same(a, b));
  cmath_bigInt_addBase(&b, 1);
  EXPECT_TRUE(isZero(b));

  a = big(u128(1) << 100);
  cmath_bigInt_mul(&a, &a, &c);
  EXPECT_TRUE(isZero(c));
  a = big(u128(1) << 80);
  b = big(u128(1) << 79);
  cmath_bigInt_mul(&a, &b, &a);  // the product may alias a factor
  EXPECT_TRUE(same(a, big(0, 0x80000000u)));
  EXPECT_EQ(text(a), "730750818665451459101842416358141509827966271488");

  uint8_t bytes[20];
  a = big(u128(0x0F0E0D0C0B0A0908) << 64 | 0x0706050403020100, 0x13121110);
  cmath_bigInt_bigInt2Base256(&a, 20, bytes);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(bytes[i], 19 - i);
}

TEST(BigInt, DivisionIdentitiesTextLimitsAndChecks) {
  std::mt19937 rng(929);
  for (int i = 0; i < 50; ++i) {
    cmath_bigInt a, b, q, r, check;
    for (uint32_t& w : a.word) w = rng();
    for (uint32_t& w : b.word) w = i % 5 < 2 ? 0 : rng() >> (i % 32);
    b.word[0] |= 1;
    cmath_bigInt dividend = a;
    ASSERT_EQ(cmath_bigInt_divide(&dividend, &b, &q, &r), 0);
    int32_t below;
    cmath_bigInt_lessThan(&r, &b, &below);
    EXPECT_EQ(below, 1);
    cmath_bigInt_mul(&q, &b, &check);
    cmath_bigInt_add(&check, &r);
    EXPECT_TRUE(same(check, a));
    // (a b) / b = a when the product does not wrap.
    cmath_bigInt_shiftRight(&a, 80);
    cmath_bigInt_shiftRight(&b, 81);
    b.word[0] |= 1;
    cmath_bigInt_mul(&a, &b, &check);
    ASSERT_EQ(cmath_bigInt_divide(&check, &b, &q, &r), 0);
    EXPECT_TRUE(same(q, a));
  }
  cmath_bigInt a = big((u128(1) << 64) + 7), zero = big(0), q;
  uint32_t rest;
  EXPECT_EQ(cmath_bigInt_divideBase(&a, &q, &rest, 0x80000000u), 0);
  EXPECT_TRUE(low128(q) == ((u128(1) << 64) + 7) >> 31 && rest == 7);
  EXPECT_EQ(cmath_bigInt_divideBase(&a, &q, &rest, 0), CIDUT_ERR_DIVIDE_BY_ZERO);
  EXPECT_TRUE(low128(q) == ((u128(1) << 64) + 7) >> 31 && rest == 7);  // untouched
  EXPECT_EQ(cmath_bigInt_divide(&a, &zero, &q, &q), CIDUT_ERR_DIVIDE_BY_ZERO);

  // Text needs 9 characters per started chunk of nine digits plus the terminator.
  char buffer[55];
  EXPECT_EQ(text(zero), "0");
  cmath_bigInt_init(&a, 1000000000);
  EXPECT_EQ(cmath_bigInt_bigInt2Buf(&a, 19, buffer), 0);
  EXPECT_STREQ(buffer, "1000000000");
  EXPECT_EQ(cmath_bigInt_bigInt2Buf(&a, 18, buffer), CIDUT_ERR_NO_MEMORY);
  EXPECT_STREQ(buffer, "");

  EXPECT_CHECK_FAILS(cmath_bigInt_divideBase(&a, &q, &rest, 0x80000001u));
}
}  // namespace
