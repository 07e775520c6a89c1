// Reed-Solomon codes over GF(2^m) and GF(929), checked with independent field arithmetic:
// exact within the capacity, beyond it left untouched or turned into another codeword.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "ci_id/priv/ci_idut/ecc.h"
#include "ecc/reference_fields.h"
#include "support/hooks.h"

namespace {

using word_t = std::vector<int32_t>;

// 0..n-1 in random order.
word_t shuffled(size_t n, std::mt19937& rng) {
  word_t positions(n);
  std::iota(positions.begin(), positions.end(), 0);
  std::shuffle(positions.begin(), positions.end(), rng);
  return positions;
}

struct rsCase {
  int32_t m, poly, nEcc, n;
};

struct codec {
  explicit codec(const rsCase& c) : n(c.n) {
    EXPECT_EQ(cid2d_ReedSolomonCode_construct(&code, c.m, c.nEcc, c.poly, 2), 0);
  }
  ~codec() { cid2d_ReedSolomonCode_destruct(&code); }

  word_t randomCodeword(std::mt19937& rng) const {
    word_t word(n);
    std::uniform_int_distribution<int32_t> symbol(0, code.N);
    for (int32_t i = code.nEcc; i < n; ++i) word[i] = symbol(rng);
    EXPECT_EQ(cid2d_ReedSolomonCode_GetECCWords(&code, word.data() + code.nEcc, n - code.nEcc,
                                                word.data(), code.nEcc),
              0);
    return word;
  }
  // e erasures (marked negative) and t errors at distinct random positions.
  word_t corrupt(word_t word, int32_t t, int32_t e, std::mt19937& rng) const {
    const word_t positions = shuffled(word.size(), rng);
    std::uniform_int_distribution<int32_t> flip(1, code.N);
    for (int32_t i = 0; i < e; ++i) word[positions[i]] = -1 - (i & 3);
    for (int32_t i = e; i < e + t; ++i) word[positions[i]] ^= flip(rng);
    return word;
  }
  int32_t correct(word_t& word) {
    int32_t count = 99;
    EXPECT_EQ(cid2d_ReedSolomonCode_CorrectErrs(&code, word.data(), int32_t(word.size()), &count),
              0);
    return count;
  }

  int32_t n;
  cid2d_ReedSolomonCode code;
};

TEST(ReedSolomon, DataMatrixVectorStatusesAndChecks) {
  codec c({8, 0x12D, 5, 8});
  // "123456" in a 10x10 symbol, lowest degree first.
  const int32_t data[] = {186, 164, 142};
  int32_t ecc[5];
  ASSERT_EQ(cid2d_ReedSolomonCode_GetECCWords(&c.code, data, 3, ecc, 5), 0);
  EXPECT_EQ(word_t(ecc, ecc + 5), (word_t{102, 88, 5, 25, 114}));
  const word_t generator(c.code.generatorPoly, c.code.generatorPoly + 6);
  EXPECT_TRUE(isGf2mCodeword(generator, 8, 0x12D, 2, 5));

  word_t word{102, 88, 5, 25, 114, 186, 164, 142};
  const word_t sent = word;
  word[0] ^= 7;  // the position whose root is 1 = alpha^N
  word[6] = 0;
  EXPECT_EQ(c.correct(word), 2);
  EXPECT_EQ(word, sent);
  for (int32_t p : {0, 1, 2, 3, 5, 7}) word[p] = -1;
  EXPECT_EQ(c.correct(word), -1);
  EXPECT_EQ(word[0], 0);  // erasures are zeroed even when the word is given up

  int32_t count = 5;
  word_t tooLong(256, 0);
  EXPECT_EQ(cid2d_ReedSolomonCode_CorrectErrs(&c.code, tooLong.data(), 256, &count),
            CIDUT_ERR_BAD_LENGTH);
  EXPECT_EQ(cid2d_ReedSolomonCode_GetECCWords(&c.code, data, 251, ecc, 5), CIDUT_ERR_BAD_LENGTH);
  EXPECT_EQ(cid2d_ReedSolomonCode_GetECCWords(&c.code, data, 3, ecc, 4), CIDUT_ERR_BAD_LENGTH);
  EXPECT_EQ(ecc[0], 102);  // untouched

  tooLong[7] = 256;
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_CorrectErrs(&c.code, tooLong.data(), 8, &count));
}

class ReedSolomonRoundTrip : public ::testing::TestWithParam<rsCase> {};

TEST_P(ReedSolomonRoundTrip, WithinCapacityExactBeyondDetectedOrValid) {
  leakGuard guard;
  const rsCase p = GetParam();
  codec c(p);
  std::mt19937 rng(p.m * 1000 + p.nEcc);
  for (int32_t t = 0; 2 * t <= p.nEcc; ++t) {
    for (int32_t e = 0; 2 * t + e <= p.nEcc; ++e) {
      for (int trial = 0; trial < 8; ++trial) {
        const word_t sent = c.randomCodeword(rng);
        ASSERT_TRUE(isGf2mCodeword(sent, p.m, p.poly, 2, p.nEcc));
        word_t word = c.corrupt(sent, t, e, rng);
        // The corrupted positions p, in the order of their locator roots alpha^(N - p).
        word_t changed;
        for (int32_t i = 0; i < p.n; ++i)
          if (word[size_t(i)] != sent[size_t(i)]) changed.push_back(i);
        std::sort(changed.begin(), changed.end(), [&](int32_t a, int32_t b) {
          return c.code.expTable[c.code.N - a] < c.code.expTable[c.code.N - b];
        });
        ASSERT_EQ(c.correct(word), t + e) << "t " << t << " e " << e;
        ASSERT_EQ(word, sent);
        if (e == 0) {
          EXPECT_EQ(word_t(c.code.work, c.code.work + t), changed);
        }
      }
    }
  }
  // Beyond the capacity the decoder gives up or lands on some codeword.
  for (int trial = 0; trial < 100; ++trial) {
    const int32_t e = trial % (p.nEcc / 2 + 1);
    const int32_t t = (p.nEcc - e) / 2 + 1 + trial % 3;
    word_t word = c.corrupt(c.randomCodeword(rng), t, e, rng);
    const int32_t count = c.correct(word);
    if (count != -1) {
      EXPECT_TRUE(isGf2mCodeword(word, p.m, p.poly, 2, p.nEcc));
      EXPECT_LE(count, p.nEcc);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fields, ReedSolomonRoundTrip,
                         ::testing::Values(rsCase{8, 0x12D, 16, 255}, rsCase{10, 0x409, 12, 400}));

int32_t power3(int32_t e) {
  int64_t v = 1;
  for (int32_t i = 0; i < e; ++i) v = v * 3 % gf929Prime;
  return int32_t(v);
}

// Coefficients highest order first, as the decoder's codewords.
word_t multiply(const word_t& a, const word_t& b) {
  word_t product(a.size() + b.size() - 1, 0);
  for (size_t i = 0; i < a.size(); ++i)
    for (size_t j = 0; j < b.size(); ++j)
      product[i + j] = int32_t((product[i + j] + int64_t(a[i]) * b[j]) % gf929Prime);
  return product;
}

word_t randomCodeword929(int32_t n, int32_t nEcc, std::mt19937& rng) {
  std::uniform_int_distribution<int32_t> symbol(0, gf929Prime - 1);
  word_t message(n - nEcc), g{1};
  for (int32_t& m : message) m = symbol(rng);
  for (int32_t i = 1; i <= nEcc; ++i) g = multiply(g, {1, gf929Prime - power3(i)});
  return multiply(message, g);
}

// t errors at random positions and e erasures (zeroed), given as positions k (c[n - k]).
word_t corrupt929(word_t c, int32_t t, int32_t e, word_t& erasures, std::mt19937& rng) {
  const word_t positions = shuffled(c.size(), rng);  // n - k
  erasures.clear();
  for (int32_t i = 0; i < e; ++i) erasures.push_back(int32_t(c.size()) - positions[i]);
  for (int32_t i = 0; i < e; ++i) c[positions[i]] = 0;
  std::uniform_int_distribution<int32_t> change(1, gf929Prime - 1);
  for (int32_t i = e; i < e + t; ++i)
    c[positions[i]] = (c[positions[i]] + change(rng)) % gf929Prime;
  return c;
}

int32_t correct929(word_t& c, int32_t nEcc, const word_t& erasures, int32_t* length) {
  int32_t corrected = 7;
  EXPECT_EQ(cid_RSSCCA_RSCorrectErrors_(c.data(), int32_t(c.size()), nEcc, int32_t(erasures.size()),
                                        erasures.data(), length, &corrected),
            0);
  return corrected;
}

TEST(ReedSolomon929, RandomErrorsAndErasures) {
  leakGuard guard;
  std::mt19937 rng(929);
  struct shape {
    int32_t n, nEcc;
  };
  for (const shape s : {shape{40, 8}, shape{928, 32}}) {
    const int32_t capacity = s.nEcc - 2, step = 1 + s.nEcc / 16;
    for (int32_t t = 0; 2 * t <= capacity; t += step) {
      for (int32_t e = 0; 2 * t + e <= capacity; e += step) {
        const word_t sent = randomCodeword929(s.n, s.nEcc, rng);
        word_t erasures;
        word_t c = corrupt929(sent, t, e, erasures, rng);
        int32_t length = -5;
        ASSERT_EQ(correct929(c, s.nEcc, erasures, &length), 1) << "t " << t << " e " << e;
        EXPECT_EQ(length, t + e);
        ASSERT_EQ(c, sent);
      }
    }
    int miscorrected = 0;
    for (int trial = 0; trial < 100; ++trial) {
      const int32_t e = trial % (capacity / 2);
      const int32_t t = (capacity - e) / 2 + 1 + trial % 3;
      word_t erasures;
      const word_t received = corrupt929(randomCodeword929(s.n, s.nEcc, rng), t, e, erasures, rng);
      word_t c = received;
      int32_t length;
      if (correct929(c, s.nEcc, erasures, &length) == 0) {
        EXPECT_EQ(c, received);
      } else {
        ++miscorrected;
        EXPECT_TRUE(isGf929Codeword(c, s.nEcc));
      }
    }
    EXPECT_LE(miscorrected, 10) << "n " << s.n << " nEcc " << s.nEcc;
  }
}

TEST(ReedSolomon929, LimitsAndChecks) {
  word_t c(929, 0);
  int32_t length = 77, corrected = 7;
  EXPECT_EQ(cid_RSSCCA_RSCorrectErrors_(c.data(), 928, 513, 0, nullptr, &length, &corrected),
            CIDUT_ERR_BAD_LENGTH);
  EXPECT_EQ(corrected, 0);
  EXPECT_EQ(length, 77);
  EXPECT_EQ(cid_RSSCCA_RSCorrectErrors_(c.data(), 929, 8, 0, nullptr, &length, &corrected),
            CIDUT_ERR_BAD_LENGTH);
  EXPECT_EQ(cid_RSSCCA_RSCorrectErrors_(c.data(), 928, 512, 0, nullptr, &length, &corrected), 0);
  EXPECT_EQ(corrected, 1);
  c[0] = 929;
  EXPECT_CHECK_FAILS(cid_RSSCCA_RSCorrectErrors_(c.data(), 10, 4, 0, nullptr, &length, &corrected));

  // Position 928, whose locator 3^928 = 1 wraps round the exponents, as error and erasure.
  std::mt19937 rng(3);
  const word_t full = randomCodeword929(928, 6, rng);
  c = full;
  c[0] = (c[0] + 1) % gf929Prime;
  c[927] = 0;
  EXPECT_EQ(correct929(c, 6, {1}, &length), 1);
  c[0] = 0;
  c[500] = (c[500] + 3) % gf929Prime;
  EXPECT_EQ(correct929(c, 6, {928}, &length), 1);
  EXPECT_EQ(c, full);

}
}  // namespace
