// Reed-Solomon over GF(2^m): a published DataMatrix vector, round trips with every mix of
// errors and erasures within the capacity, behaviour beyond it, statuses, checks and
// allocation failures. Codewords are verified with bit-serial field arithmetic that does
// not use the codec's tables.
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

int32_t slowMul(int32_t a, int32_t b, int32_t m, int32_t poly) {
  int32_t product = 0;
  for (; b != 0; b >>= 1) {
    if (b & 1) product ^= a;
    a <<= 1;
    if (a >> m) a ^= poly;
  }
  return product;
}

// True when word(alpha^k) = 0 for k = 1..nEcc, alpha = x.
bool isCodeword(const word_t& word, int32_t m, int32_t poly, int32_t nEcc) {
  int32_t root = 1;
  for (int32_t k = 1; k <= nEcc; ++k) {
    root = slowMul(root, 2, m, poly);
    int32_t value = 0;
    for (auto w = word.rbegin(); w != word.rend(); ++w) value = slowMul(value, root, m, poly) ^ *w;
    if (value != 0) return false;
  }
  return true;
}

struct rsCase {
  int32_t m, poly, nEcc, n;
};

class codec {
 public:
  explicit codec(const rsCase& c) : case_(c) {
    EXPECT_EQ(cid2d_ReedSolomonCode_construct(&code, c.m, c.nEcc, c.poly, 2), 0);
  }
  ~codec() { cid2d_ReedSolomonCode_destruct(&code); }

  word_t randomCodeword(std::mt19937& rng) const {
    word_t word(case_.n);
    std::uniform_int_distribution<int32_t> symbol(0, code.N);
    for (int32_t i = code.nEcc; i < case_.n; ++i) word[i] = symbol(rng);
    EXPECT_EQ(cid2d_ReedSolomonCode_GetECCWords(&code, word.data() + code.nEcc,
                                                 case_.n - code.nEcc, word.data(), code.nEcc),
              0);
    return word;
  }
  // e erasures (marked negative) and t errors at distinct random positions.
  word_t corrupt(word_t word, int32_t t, int32_t e, std::mt19937& rng) const {
    std::vector<int32_t> positions(word.size());
    std::iota(positions.begin(), positions.end(), 0);
    std::shuffle(positions.begin(), positions.end(), rng);
    std::uniform_int_distribution<int32_t> flip(1, code.N);
    for (int32_t i = 0; i < e; ++i) word[positions[i]] = -1 - (i & 3);
    for (int32_t i = e; i < e + t; ++i) word[positions[i]] ^= flip(rng);
    return word;
  }
  int32_t correct(word_t& word) {
    int32_t count = 99;
    EXPECT_EQ(cid2d_ReedSolomonCode_CorrectErrs(&code, word.data(), int32_t(word.size()), &count), 0);
    return count;
  }

  rsCase case_;
  cid2d_ReedSolomonCode code;
};

TEST(ReedSolomon, DataMatrixVectorAndGenerator) {
  codec c({8, 0x12D, 5, 8});
  // "123456" in a 10x10 symbol: data 142 164 186, check 114 25 5 88 102, highest degree
  // first; here lowest degree first.
  const int32_t data[] = {186, 164, 142};
  int32_t ecc[5];
  ASSERT_EQ(cid2d_ReedSolomonCode_GetECCWords(&c.code, data, 3, ecc, 5), 0);
  EXPECT_EQ(word_t(ecc, ecc + 5), (word_t{102, 88, 5, 25, 114}));
  EXPECT_EQ(c.code.generatorPoly[5], 1);
  word_t g(c.code.generatorPoly, c.code.generatorPoly + 6);
  EXPECT_TRUE(isCodeword(g, 8, 0x12D, 5));  // g vanishes at alpha^1..alpha^5

  word_t word{102, 88, 5, 25, 114, 186, 164, 142};
  const word_t sent = word;
  EXPECT_EQ(c.correct(word), 0);
  word[0] ^= 7;  // the position whose root is 1 = alpha^N
  word[6] = 0;
  EXPECT_EQ(c.correct(word), 2);
  EXPECT_EQ(word, sent);
  for (int32_t p : {0, 2, 3, 5, 7}) word[p] = -1;
  EXPECT_EQ(c.correct(word), 5);
  EXPECT_EQ(word, sent);
  word_t corrected(c.code.work, c.code.work + 5);
  std::sort(corrected.begin(), corrected.end());
  EXPECT_EQ(corrected, (word_t{0, 2, 3, 5, 7}));
  for (int32_t p : {0, 1, 2, 3, 5, 7}) word[p] = -1;
  EXPECT_EQ(c.correct(word), -1);
  EXPECT_EQ(word[0], 0);  // erasures are zeroed even when the word is given up

  int32_t count = 5;
  word_t tooLong(256, 0);
  EXPECT_EQ(cid2d_ReedSolomonCode_CorrectErrs(&c.code, tooLong.data(), 256, &count),
            CIDUT_ERR_BAD_LENGTH);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(cid2d_ReedSolomonCode_GetECCWords(&c.code, data, 251, ecc, 5), CIDUT_ERR_BAD_LENGTH);
  EXPECT_EQ(cid2d_ReedSolomonCode_GetECCWords(&c.code, data, 3, ecc, 4), CIDUT_ERR_BAD_LENGTH);
  EXPECT_EQ(ecc[0], 102);  // untouched
  csys_typeCheck_cid2d_ReedSolomonCode();
  csys_typeCheckPtr_cid2d_ReedSolomonCode();
  csys_typeCheckFunc_cid2d_ReedSolomonCode();
  csys_typeCheckFuncPtr_cid2d_ReedSolomonCode();
}

class ReedSolomonRoundTrip : public ::testing::TestWithParam<rsCase> {};

TEST_P(ReedSolomonRoundTrip, WithinCapacityExactBeyondDetectedOrValid) {
  leakGuard guard;
  codec c(GetParam());
  const int32_t nEcc = GetParam().nEcc;
  std::mt19937 rng(GetParam().m * 1000 + nEcc);
  for (int32_t t = 0; 2 * t <= nEcc; ++t) {
    for (int32_t e = 0; 2 * t + e <= nEcc; ++e) {
      for (int trial = 0; trial < 8; ++trial) {
        const word_t sent = c.randomCodeword(rng);
        ASSERT_TRUE(isCodeword(sent, GetParam().m, GetParam().poly, nEcc));
        word_t word = c.corrupt(sent, t, e, rng);
        ASSERT_EQ(c.correct(word), t + e) << "t " << t << " e " << e;
        ASSERT_EQ(word, sent);
      }
    }
  }
  // Beyond the capacity the decoder gives up, or lands on a codeword: most often another
  // one, sometimes (when the shortest locator happens to be the true one) the sent one.
  int detected = 0, restored = 0, miscorrected = 0;
  const int trials = 400;
  for (int trial = 0; trial < trials; ++trial) {
    const int32_t e = trial % (nEcc / 2 + 1);
    const int32_t t = (nEcc - e) / 2 + 1 + trial % 3;
    const word_t sent = c.randomCodeword(rng);
    word_t word = c.corrupt(sent, t, e, rng);
    const int32_t count = c.correct(word);
    if (count == -1) {
      ++detected;
      continue;
    }
    EXPECT_TRUE(isCodeword(word, GetParam().m, GetParam().poly, nEcc));
    EXPECT_LE(count, nEcc);
    ++(word == sent ? restored : miscorrected);
  }
  std::printf("[ beyond capacity ] m=%d nEcc=%d n=%d: of %d words %d detected, %d restored, "
              "%d miscorrected\n",
              GetParam().m, nEcc, GetParam().n, trials, detected, restored, miscorrected);
}

INSTANTIATE_TEST_SUITE_P(Fields, ReedSolomonRoundTrip,
                         ::testing::Values(rsCase{8, 0x12D, 5, 30}, rsCase{8, 0x12D, 16, 255},
                                           rsCase{6, 0x43, 8, 63}, rsCase{10, 0x409, 12, 400},
                                           rsCase{12, 0x1069, 10, 300}));

TEST(ReedSolomon, ArgumentChecks) {
  cid2d_ReedSolomonCode code;
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_construct(nullptr, 8, 5, 0x12D, 2));
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_construct(&code, 1, 1, 0x3, 2));
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_construct(&code, 17, 5, 0x1002D, 2));
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_construct(&code, 8, 0, 0x12D, 2));
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_construct(&code, 8, 255, 0x12D, 2));
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_construct(&code, 8, 5, 0x12D, 256));
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_construct(&code, 8, 5, 0x11B, 2));  // x has order 51
  EXPECT_EQ(cid2d_ReedSolomonCode_construct(&code, 8, 5, 0x12D, 2), 0);
  EXPECT_EQ(cid2d_ReedSolomonCode_destruct(nullptr), 0);

  int32_t word[8] = {};
  int32_t count;
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_GetECCWords(nullptr, word, 3, word, 5));
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_GetECCWords(&code, nullptr, 3, word, 5));
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_GetECCWords(&code, word, 3, nullptr, 5));
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_GetECCWords(&code, word, -1, word, 5));
  word[7] = 256;
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_GetECCWords(&code, word + 5, 3, word, 5));
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_CorrectErrs(nullptr, word, 8, &count));
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_CorrectErrs(&code, nullptr, 8, &count));
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_CorrectErrs(&code, word, 8, nullptr));
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_CorrectErrs(&code, word, -1, &count));
  EXPECT_CHECK_FAILS(cid2d_ReedSolomonCode_CorrectErrs(&code, word, 8, &count));  // 256
  cid2d_ReedSolomonCode_destruct(&code);
  EXPECT_EQ(code.expTable, nullptr);
}

TEST(ReedSolomon, AllocationFailures) {
  cid2d_ReedSolomonCode code;
  auto construct = [&] {
    const int32_t status = cid2d_ReedSolomonCode_construct(&code, 8, 16, 0x12D, 2);
    if (status < 0) {
      EXPECT_EQ(code.expTable, nullptr);
      EXPECT_EQ(code.work, nullptr);
      EXPECT_EQ(code.N, 0);
    }
    cid2d_ReedSolomonCode_destruct(&code);
    return status;
  };
  EXPECT_EQ(driveAllocationFailures(construct), 5);

  codec c({8, 0x12D, 16, 255});
  std::mt19937 rng(7);
  const word_t sent = c.randomCodeword(rng);
  const word_t received = c.corrupt(sent, 5, 4, rng);
  auto decode = [&] {
    word_t word = received;
    int32_t count = 99;
    const int32_t status =
        cid2d_ReedSolomonCode_CorrectErrs(&c.code, word.data(), int32_t(word.size()), &count);
    EXPECT_EQ(count, status < 0 ? 0 : 9);
    EXPECT_EQ(word, status < 0 ? received : sent);
    return status;
  };
  EXPECT_EQ(driveAllocationFailures(decode), 1);
}

}  // namespace
