// Composite-component Reed-Solomon over GF(929): codewords from an independent encoder
// (message times the generator with roots 3^1..3^nEcc, plain modular arithmetic),
// corrected within 2 errors + erasures <= nEcc - 2; beyond that the word is given back
// untouched or, rarely, as another valid codeword.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <random>
#include <vector>

#include "ci_id/priv/ci_idut/ecc.h"
#include "support/hooks.h"

namespace {

using word_t = std::vector<int32_t>;
constexpr int32_t p929 = 929;

int32_t power3(int32_t e) {
  int64_t v = 1;
  for (int32_t i = 0; i < e; ++i) v = v * 3 % p929;
  return int32_t(v);
}

// Coefficients highest order first, as the decoder's codewords.
word_t multiply(const word_t& a, const word_t& b) {
  word_t product(a.size() + b.size() - 1, 0);
  for (size_t i = 0; i < a.size(); ++i)
    for (size_t j = 0; j < b.size(); ++j)
      product[i + j] = int32_t((product[i + j] + int64_t(a[i]) * b[j]) % p929);
  return product;
}

word_t encode(const word_t& message, int32_t nEcc) {
  word_t g{1};
  for (int32_t i = 1; i <= nEcc; ++i) g = multiply(g, {1, p929 - power3(i)});
  return multiply(message, g);
}

bool isCodeword(const word_t& c, int32_t nEcc) {
  for (int32_t i = 1; i <= nEcc; ++i) {
    int64_t value = 0;
    for (int32_t w : c) value = (value * power3(i) + w) % p929;
    if (value != 0) return false;
  }
  return true;
}

word_t randomCodeword(int32_t n, int32_t nEcc, std::mt19937& rng) {
  std::uniform_int_distribution<int32_t> symbol(0, p929 - 1);
  word_t message(n - nEcc);
  for (int32_t& m : message) m = symbol(rng);
  return encode(message, nEcc);
}

// t errors at random positions and e erasures (zeroed), given as positions k (c[n - k]).
word_t corrupt(word_t c, int32_t t, int32_t e, word_t& erasures, std::mt19937& rng) {
  const int32_t n = int32_t(c.size());
  word_t positions(n);
  std::iota(positions.begin(), positions.end(), 1);
  std::shuffle(positions.begin(), positions.end(), rng);
  erasures.assign(positions.begin(), positions.begin() + e);
  for (int32_t k : erasures) c[n - k] = 0;
  std::uniform_int_distribution<int32_t> change(1, p929 - 1);
  for (int32_t i = e; i < e + t; ++i) c[n - positions[i]] = (c[n - positions[i]] + change(rng)) % p929;
  return c;
}

int32_t correct(word_t& c, int32_t nEcc, const word_t& erasures, int32_t* length) {
  int32_t corrected = 7;
  EXPECT_EQ(cid_RSSCCA_RSCorrectErrors_(c.data(), int32_t(c.size()), nEcc,
                                        int32_t(erasures.size()), erasures.data(), length,
                                        &corrected),
            0);
  return corrected;
}

TEST(Gf929ReedSolomon, SmallCases) {
  std::mt19937 rng(1);
  const word_t sent = randomCodeword(12, 4, rng);
  ASSERT_TRUE(isCodeword(sent, 4));
  word_t c = sent;
  int32_t length = 9;
  EXPECT_EQ(correct(c, 4, {}, &length), 1);
  EXPECT_EQ(length, 0);
  c[3] = (c[3] + 5) % p929;
  EXPECT_EQ(correct(c, 4, {}, &length), 1);
  EXPECT_EQ(length, 1);
  EXPECT_EQ(c, sent);
  c[0] = (c[0] + 1) % p929;
  c[11] = (c[11] + 2) % p929;
  const word_t twoErrors = c;
  EXPECT_EQ(correct(c, 4, {}, &length), 0);
  EXPECT_EQ(c, twoErrors);
  c = sent;
  c[0] = c[11] = 0;  // positions 12 and 1
  EXPECT_EQ(correct(c, 4, {12, 1}, &length), 1);
  EXPECT_EQ(length, 2);
  EXPECT_EQ(c, sent);

  // Position 928, whose locator 3^928 = 1 wraps round the exponents, as error and erasure.
  const word_t full = randomCodeword(928, 6, rng);
  c = full;
  c[0] = (c[0] + 1) % p929;
  c[927] = 0;
  EXPECT_EQ(correct(c, 6, {1}, &length), 1);
  EXPECT_EQ(length, 2);
  EXPECT_EQ(c, full);
  c[0] = 0;
  c[500] = (c[500] + 3) % p929;
  EXPECT_EQ(correct(c, 6, {928}, &length), 1);
  EXPECT_EQ(c, full);
}

TEST(Gf929ReedSolomon, RandomErrorsAndErasures) {
  leakGuard guard;
  std::mt19937 rng(929);
  struct shape {
    int32_t n, nEcc;
  };
  for (const shape s : {shape{40, 8}, shape{928, 32}, shape{300, 64}}) {
    const int32_t capacity = s.nEcc - 2;
    for (int32_t t = 0; 2 * t <= capacity; t += 1 + s.nEcc / 16) {
      for (int32_t e = 0; 2 * t + e <= capacity; e += 1 + s.nEcc / 16) {
        const word_t sent = randomCodeword(s.n, s.nEcc, rng);
        word_t erasures;
        word_t c = corrupt(sent, t, e, erasures, rng);
        int32_t length = -5;
        ASSERT_EQ(correct(c, s.nEcc, erasures, &length), 1) << "t " << t << " e " << e;
        EXPECT_EQ(length, t + e);
        ASSERT_EQ(c, sent);
      }
    }
    int miscorrected = 0;
    for (int trial = 0; trial < 100; ++trial) {
      const int32_t e = trial % (capacity / 2);
      const int32_t t = (capacity - e) / 2 + 1 + trial % 3;
      word_t erasures;
      const word_t received = corrupt(randomCodeword(s.n, s.nEcc, rng), t, e, erasures, rng);
      word_t c = received;
      int32_t length;
      if (correct(c, s.nEcc, erasures, &length) == 0) {
        EXPECT_EQ(c, received);
      } else {
        ++miscorrected;
        EXPECT_TRUE(isCodeword(c, s.nEcc));
      }
    }
    EXPECT_LE(miscorrected, 10) << "n " << s.n << " nEcc " << s.nEcc;
    std::printf("[ beyond capacity ] GF(929) n=%d nEcc=%d: %d of 100 words miscorrected\n", s.n,
                s.nEcc, miscorrected);
  }
}

TEST(Gf929ReedSolomon, LimitsChecksAndAllocationFailure) {
  word_t c(929, 0);
  const int32_t erasures[] = {1, 2, 3};
  int32_t length = 77, corrected = 7;
  EXPECT_EQ(cid_RSSCCA_RSCorrectErrors_(c.data(), 928, 513, 0, nullptr, &length, &corrected),
            CIDUT_ERR_BAD_LENGTH);
  EXPECT_EQ(corrected, 0);
  EXPECT_EQ(length, 77);
  EXPECT_EQ(cid_RSSCCA_RSCorrectErrors_(c.data(), 929, 8, 0, nullptr, &length, &corrected),
            CIDUT_ERR_BAD_LENGTH);
  EXPECT_EQ(cid_RSSCCA_RSCorrectErrors_(c.data(), 4, 5, 0, nullptr, &length, &corrected),
            CIDUT_ERR_BAD_LENGTH);
  EXPECT_EQ(cid_RSSCCA_RSCorrectErrors_(c.data(), 10, 2, 3, erasures, &length, &corrected),
            CIDUT_ERR_BAD_LENGTH);
  EXPECT_EQ(cid_RSSCCA_RSCorrectErrors_(c.data(), 928, 512, 0, nullptr, &length, &corrected), 0);
  EXPECT_EQ(corrected, 1);

  EXPECT_CHECK_FAILS(cid_RSSCCA_RSCorrectErrors_(nullptr, 10, 4, 0, nullptr, &length, &corrected));
  EXPECT_CHECK_FAILS(cid_RSSCCA_RSCorrectErrors_(c.data(), 10, 4, 0, nullptr, nullptr, &corrected));
  EXPECT_CHECK_FAILS(cid_RSSCCA_RSCorrectErrors_(c.data(), 10, 4, 0, nullptr, &length, nullptr));
  EXPECT_CHECK_FAILS(cid_RSSCCA_RSCorrectErrors_(c.data(), 10, -1, 0, nullptr, &length, &corrected));
  EXPECT_CHECK_FAILS(cid_RSSCCA_RSCorrectErrors_(c.data(), 10, 4, 1, nullptr, &length, &corrected));
  EXPECT_CHECK_FAILS(cid_RSSCCA_RSCorrectErrors_(c.data(), 2, 2, 1, erasures + 2, &length, &corrected));
  c[0] = 929;
  EXPECT_CHECK_FAILS(cid_RSSCCA_RSCorrectErrors_(c.data(), 10, 4, 0, nullptr, &length, &corrected));

  std::mt19937 rng(3);
  const word_t sent = randomCodeword(50, 10, rng);
  word_t erased;
  const word_t received = corrupt(sent, 2, 3, erased, rng);
  auto attempt = [&] {
    word_t w = received;
    int32_t ok = 7;
    const int32_t status = cid_RSSCCA_RSCorrectErrors_(w.data(), 50, 10, 3, erased.data(),
                                                       &length, &ok);
    EXPECT_EQ(ok, status < 0 ? 0 : 1);
    EXPECT_EQ(w, status < 0 ? received : sent);
    return status;
  };
  EXPECT_EQ(driveAllocationFailures(attempt), 1);
}

}  // namespace
