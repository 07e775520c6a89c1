// Field arithmetic written apart from the library's, to check its Reed-Solomon codecs
// against: GF(2^m) by shifts and XOR, GF(929) by remainders. Shared by the tests and the
// fuzz targets.
#pragma once

#include <stdint.h>

#include <vector>

// a * b in GF(2^m) with the field polynomial poly (bit m set), bit by bit.
inline int32_t gf2mMultiply(int32_t a, int32_t b, int32_t m, int32_t poly) {
  int32_t product = 0;
  for (; b != 0; b >>= 1) {
    if (b & 1) product ^= a;
    a <<= 1;
    if (a >> m) a ^= poly;
  }
  return product;
}

// Whether word(g^k) = 0 for k = 1..nEcc in GF(2^m), word[j] the coefficient of x^j.
inline bool isGf2mCodeword(const std::vector<int32_t>& word, int32_t m, int32_t poly, int32_t g,
                           int32_t nEcc) {
  int32_t root = 1;
  for (int32_t k = 1; k <= nEcc; ++k) {
    root = gf2mMultiply(root, g, m, poly);
    int32_t value = 0;
    for (size_t j = word.size(); j-- > 0;) value = gf2mMultiply(value, root, m, poly) ^ word[j];
    if (value != 0) return false;
  }
  return true;
}

constexpr int32_t gf929Prime = 929;

inline int32_t gf929Multiply(int32_t a, int32_t b) {
  return int32_t(int64_t(a) * b % gf929Prime);
}

// Whether c(3^k) = 0 for k = 1..nEcc in GF(929), c[0] the highest-order coefficient.
inline bool isGf929Codeword(const std::vector<int32_t>& c, int32_t nEcc) {
  int32_t root = 1;
  for (int32_t k = 1; k <= nEcc; ++k) {
    root = gf929Multiply(root, 3);
    int32_t value = 0;
    for (const int32_t symbol : c) value = (gf929Multiply(value, root) + symbol) % gf929Prime;
    if (value != 0) return false;
  }
  return true;
}
