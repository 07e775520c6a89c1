// 1-D correlation: scores against a direct r^2, the best shift and its refinement, failures.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "ci_id/priv/ci_idut/pitch.h"
#include "support/hooks.h"

namespace {

constexpr int32_t badLength = static_cast<int32_t>(0x80000002u);
using bytes = std::vector<uint8_t>;

// r^2 of the overlap at one shift, 0 unless r > 0.
template <class Sample>
double directScore(const std::vector<Sample>& m, const std::vector<Sample>& s, int32_t shift) {
  long double n = 0, sm = 0, ss = 0, smm = 0, sss = 0, sms = 0;
  for (int32_t j = 0; j < int32_t(m.size()); ++j) {
    if (j + shift < 0 || j + shift >= int32_t(s.size())) continue;
    const long double a = m[j], b = s[j + shift];
    n += 1;
    sm += a;
    ss += b;
    smm += a * a;
    sss += b * b;
    sms += a * b;
  }
  const long double cov = n * sms - sm * ss, vm = n * smm - sm * sm, vs = n * sss - ss * ss;
  if (cov <= 0 || vm <= 0 || vs <= 0) return 0.0;
  return double(std::min<long double>(1.0L, cov * cov / (vm * vs)));
}

template <class Sample>
std::vector<Sample> randomSignal(int32_t length, uint32_t maximum, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<Sample> signal(length);
  for (auto& v : signal) v = Sample(random() % (maximum + 1));
  return signal;
}

TEST(Correlation, EveryShiftAgainstADirectComputation) {
  const int32_t M = 12, L = 52, margin = 7, shifts = L - M + 2 * margin + 1;
  const auto m8 = randomSignal<uint8_t>(M, 255, 1), s8 = randomSignal<uint8_t>(L, 255, 2);
  // The 32-bit model is cut from the signal: one shift correlates exactly.
  auto m32 = randomSignal<uint32_t>(M, 100000, 3);
  const auto s32 = randomSignal<uint32_t>(L, 100000, 4);
  for (int32_t j = 0; j < M; ++j) m32[j] = s32[j + 20];
  std::vector<double> scores8(shifts, -1.0), scores32(shifts, -1.0);
  ASSERT_EQ(cf_correlate1D_U8(m8.data(), M, s8.data(), L, margin, scores8.data()), 0);
  ASSERT_EQ(cf_correlate1D_U32(m32.data(), M, s32.data(), L, margin, scores32.data()), 0);
  for (int32_t k = 0; k < shifts; ++k) {
    EXPECT_NEAR(scores8[k], directScore(m8, s8, k - margin), 1e-12) << k;
    EXPECT_NEAR(scores32[k], directScore(m32, s32, k - margin), 1e-9) << k;
  }
  EXPECT_DOUBLE_EQ(scores32[20 + margin], 1.0);
  const bytes ramp{1, 5, 9, 30, 31, 80}, flat(6, 77);
  double score[3];
  ASSERT_EQ(cf_correlate1D_U8(flat.data(), 6, ramp.data(), 6, 1, score), 0);
  EXPECT_EQ(std::vector<double>(score, score + 3), std::vector<double>(3, 0.0));
}

TEST(Correlation, BestShiftAndRefinement) {
  auto wave = [](double x) { return 120.0 + 60.0 * std::sin(x * 0.37) + 40.0 * std::cos(x * 0.11); };
  bytes s8(80), m8(30);
  std::vector<uint32_t> s32(80), m32(30);
  for (int32_t i = 0; i < 80; ++i) s32[i] = s8[i] = uint8_t(std::lround(wave(i)));
  for (double truth : {17.0, 16.8}) {
    for (int32_t j = 0; j < 30; ++j) m32[j] = m8[j] = uint8_t(std::lround(wave(j + truth)));
    double offset8 = -1, score8 = -1, offset32 = -1, score32 = -1;
    ASSERT_EQ(cf_RunCorrelate_U8(m8.data(), 30, s8.data(), 80, 3, &offset8, &score8), 0);
    ASSERT_EQ(cidut_RunCorrelate_UInt32(m32.data(), 30, s32.data(), 80, 3, &offset32, &score32), 0);
    EXPECT_DOUBLE_EQ(offset8, offset32);
    EXPECT_DOUBLE_EQ(score8, score32);
    // Refined by (r - l) / (2c - l - r) around the best shift.
    std::vector<double> scores(80 - 30 + 7);
    ASSERT_EQ(cf_correlate1D_U8(m8.data(), 30, s8.data(), 80, 3, scores.data()), 0);
    const int32_t best = int32_t(std::lround(truth)) + 3;
    const double l = scores[best - 1], c = scores[best], r = scores[best + 1];
    EXPECT_EQ(score8, c);
    EXPECT_DOUBLE_EQ(offset8, best - 3 + (r - l) / (2 * c - l - r)) << truth;
    EXPECT_NEAR(offset8, truth, 0.5);
  }
  // At an end: not refined; nothing correlating: 0.0 and 0.0.
  const bytes model{10, 50, 20, 90};
  const bytes atEnd{7, 7, 90, 10, 50, 20, 90}, flat(7, 9);
  double offset = 0, score = 0;
  ASSERT_EQ(cf_RunCorrelate_U8(model.data(), 4, atEnd.data(), 7, 0, &offset, &score), 0);
  EXPECT_EQ(offset, 3.0);
  EXPECT_EQ(score, 1.0);
  ASSERT_EQ(cf_RunCorrelate_U8(model.data(), 4, flat.data(), 7, 1, &offset, &score), 0);
  EXPECT_EQ(offset + score, 0.0);
}

TEST(Correlation, LengthErrorsAndNullData) {
  const bytes m8{1, 2, 3, 4}, s8{4, 3, 2, 1, 0, 1};
  const std::vector<uint32_t> m32{1, 2, 3, 4}, s32{4, 3, 2, 1, 0, 1};
  double scores[32];
  EXPECT_EQ(cf_correlate1D_U8(m8.data(), 5, s8.data(), 4, 0, scores), badLength);
  EXPECT_EQ(cf_correlate1D_U32(m32.data(), 4, s32.data(), 6, -1, scores), badLength);
  EXPECT_EQ(cf_correlate1D_U8(nullptr, 4, s8.data(), 6, 0, scores), CIDUT_ERR_NULL_DATA);
  double offset = 0, score = 0;
  EXPECT_CHECK_FAILS(cf_RunCorrelate_U8(m8.data(), 4, s8.data(), 6, 0, nullptr, &score));

  // 0.0 and 0.0 for a short signal.
  offset = score = 5.0;
  EXPECT_EQ(cf_RunCorrelate_U8(m8.data(), 4, s8.data(), 3, 0, &offset, &score), 0);
  EXPECT_EQ(offset + score, 0.0);
  EXPECT_EQ(cf_RunCorrelate_U8(m8.data(), 4, s8.data(), 6, 4, &offset, &score), badLength);

}

}  // namespace
