// Arithmetic in GF(2^m) through the log and power tables of a Reed-Solomon code.
// Exponents live in 0..N; expTable[N] = expTable[0] = 1, so a sum of two exponents needs
// at most one subtraction of N. Addition in the field is XOR.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/ecc.h"

class ccGf2mField {
 public:
  explicit ccGf2mField(const cid2d_ReedSolomonCode& code)
      : exp_(code.expTable), log_(code.logTable), inv_(code.invTable), n_(code.N) {}

  int32_t log(int32_t a) const { return log_[a]; }
  int32_t pow(int32_t e) const { return exp_[e]; }
  int32_t inv(int32_t a) const { return inv_[a]; }

  // a * alpha^e for a symbol a and an exponent e in 0..N.
  int32_t mulByPow(int32_t a, int32_t e) const {
    if (a == 0) return 0;
    int32_t sum = log_[a] + e;
    if (sum >= n_) sum -= n_;
    return exp_[sum];
  }
  int32_t mul(int32_t a, int32_t b) const { return b == 0 ? 0 : mulByPow(a, log_[b]); }
  int32_t div(int32_t a, int32_t b) const {
    if (a == 0 || b == 0) return 0;
    int32_t difference = log_[a] - log_[b];
    if (difference < 0) difference += n_;
    return exp_[difference];
  }

 private:
  const int32_t* exp_;
  const int32_t* log_;
  const int32_t* inv_;
  int32_t n_;
};
