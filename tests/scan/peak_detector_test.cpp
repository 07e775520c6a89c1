// The streaming peak detector: exact cases, and agreement with a plateau-list reference
// over random derivative sequences with plateaus, thresholds and restarts.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ci_id/priv/ci_idut/scan.h"
#include "support/hooks.h"

namespace {

struct peakVector {
  cstd_vector_cidc_peakIDFixedX_4 v;
  peakVector() { EXPECT_EQ(cstd_vector_cidc_peakIDFixedX_4_constructEmpty(&v), 0); }
  ~peakVector() { cstd_vector_cidc_peakIDFixedX_4_destruct(&v); }
  std::vector<cidc_peakIDFixedX_4> all() {
    cidc_peakIDFixedX_4* begin = nullptr;
    int32_t n = 0;
    cstd_vector_cidc_peakIDFixedX_4_getBeginSize(&v, &begin, &n);
    std::vector<cidc_peakIDFixedX_4> peaks(size_t(n > 0 ? n : 0));
    for (int32_t i = 0; i < n; ++i) peaks[size_t(i)] = begin[i];
    return peaks;
  }
};

// Runs the detector over samples with levels a = 2k, b = 2k + 1 at sample k.
std::vector<cidc_peakIDFixedX_4> detect(const std::vector<int16_t>& samples, int32_t threshold,
                                        int32_t alongOffset = 0, int32_t shiftLeft = 0,
                                        int32_t shiftRight = 0) {
  peakVector peaks;
  cidc_peakDetectState state;
  EXPECT_EQ(cidc_peakDetectState_init(&state, &peaks.v, samples[0], int32_t(samples.size())), 0);
  for (size_t k = 1; k < samples.size(); ++k)
    cidc_peakDetectState_detect(&state, int32_t(2 * k), int32_t(2 * k + 1), samples[k], threshold,
                                alongOffset, shiftLeft, shiftRight);
  EXPECT_EQ(cidc_peakDetectState_finish(&state, &peaks.v), 0);
  return peaks.all();
}

TEST(PeakDetector, ExactPositionsMagnitudesAndLimits) {
  auto one = [](const std::vector<int16_t>& s, int32_t t) {
    const auto peaks = detect(s, t);
    EXPECT_EQ(peaks.size(), 1u);
    return peaks.empty() ? cidc_peakIDFixedX_4{} : peaks[0];
  };
  EXPECT_EQ(one({0, 0, 10, 0, 0}, 5).pos, 32);
  EXPECT_EQ(one({0, 0, 10, 0, 0}, 5).magnitude, 10);
  EXPECT_EQ(one({0, 4, 10, 8, 0}, 5).pos, 36);      // offset 16 * -4 / -16
  EXPECT_EQ(one({0, 8, 10, 4, 0}, 5).pos, 28);      // and its mirror
  EXPECT_EQ(one({0, 9, 10, 0, 0}, 5).pos, 32 - 6);  // 144 / -22 truncates toward zero
  EXPECT_EQ(one({0, 10, 10, 0}, 5).pos, 24);        // plateau centre 1.5
  EXPECT_EQ(one({0, -10, -10, -10, -3}, 5).pos, 32 + (16 * 3) / (2 * (0 + 20 - 3)));
  EXPECT_EQ(one({0, 1, 7, 7, 7, 7, 7, 7, 1}, 5).pos, 16 * 9 / 2);  // six samples: the longest
  EXPECT_TRUE(detect({0, 1, 7, 7, 7, 7, 7, 7, 7, 1}, 5).empty());  // seven
  EXPECT_TRUE(detect({0, 5, 0}, 5).empty());  // a maximum must exceed the threshold
  EXPECT_EQ(detect({0, 6, 0}, 5).size(), 1u);
  EXPECT_TRUE(detect({0, -5, 0}, 5).empty());  // a minimum must lie below -threshold
  EXPECT_EQ(detect({0, -6, 0}, 5)[0].magnitude, -6);
  EXPECT_TRUE(detect({1, 2, 3, 4, 5, 6, 7}, 0).empty());  // ramp
  EXPECT_TRUE(detect({50, 0, 0, 50}, 5).empty());         // first and last plateau are never peaks
  EXPECT_TRUE(detect({50, 60, 60}, 5).empty());

  const cidc_peakIDFixedX_4 p = detect({0, 0, -100, 0}, 5, 1000, 2, 3)[0];
  EXPECT_EQ(p.pos, 1000 + 32);
  EXPECT_EQ(p.magnitude, (-100 * 4) >> 3);  // arithmetic shift: -50
  EXPECT_EQ(p.midLevel, (6 + 7) / 2);       // levels of sample 3
  EXPECT_EQ(p.tagA | p.tagB, 0);
}

TEST(PeakDetector, MidLevelUsesLowBytesAndPeaksAppend) {
  peakVector peaks;
  cidc_peakIDFixedX_4 held{};
  held.pos = -1;
  cstd_vector_cidc_peakIDFixedX_4_pushBack(&peaks.v, &held);
  cidc_peakDetectState state;
  ASSERT_EQ(cidc_peakDetectState_init(&state, &peaks.v, 0, 2), 0);
  cidc_peakDetectState_detect(&state, 0, 0, 20, 5, 0, 0, 0);
  cidc_peakDetectState_detect(&state, 0x3FF, 0x101, 0, 5, 0, 0, 0);
  ASSERT_EQ(cidc_peakDetectState_finish(&state, &peaks.v), 0);
  const auto all = peaks.all();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].pos, -1);
  EXPECT_EQ(all[1].midLevel, (0xFF + 0x01) / 2);
}

TEST(PeakDetector, CapacityAndAllocationFailures) {
  peakVector peaks;
  cidc_peakDetectState state;
  ASSERT_EQ(cidc_peakDetectState_init(&state, &peaks.v, 0, 0), 0);
  cidc_peakDetectState_detect(&state, 0, 0, 20, 5, 0, 0, 0);
  EXPECT_CHECK_FAILS(cidc_peakDetectState_detect(&state, 0, 0, 0, 5, 0, 0, 0));
  EXPECT_EQ(cidc_peakDetectState_finish(&state, &peaks.v), 0);
  EXPECT_TRUE(peaks.all().empty());

  driveAllocationFailures([] {
    peakVector local;
    cidc_peakDetectState s;
    return cidc_peakDetectState_init(&s, &local.v, 0, 100);
  });
}

// The reference: split each run of samples into plateaus; a plateau with neighbours on
// both sides that is a strict extremum beyond the threshold and at most 6 long is a peak,
// reported with the levels of the sample that ends it.
struct referencePeak {
  int64_t pos;
  int32_t magnitude;
  int32_t levelSample;
  bool operator==(const referencePeak&) const = default;
};

struct plateau {
  int32_t value;
  int64_t first;  // sample numbers
  int64_t last;
  size_t end;  // index into the run of the sample after it
};

std::vector<referencePeak> referencePeaks(const std::vector<int16_t>& run, int64_t firstIndex,
                                          size_t runStart, int32_t t) {
  std::vector<plateau> plateaus;
  for (size_t i = 0; i < run.size(); ++i) {
    const int64_t index = firstIndex + int64_t(i);
    if (plateaus.empty() || plateaus.back().value != run[i])
      plateaus.push_back({run[i], index, index, i + 1});
    else
      plateaus.back() = {run[i], plateaus.back().first, index, i + 1};
  }
  std::vector<referencePeak> peaks;
  for (size_t p = 1; p + 1 < plateaus.size(); ++p) {
    const int32_t before = plateaus[p - 1].value, v = plateaus[p].value,
                  after = plateaus[p + 1].value;
    const bool maximum = v > before && v > after && v > t;
    const bool minimum = v < before && v < after && v < -t;
    if (!(maximum || minimum) || plateaus[p].last - plateaus[p].first >= 6) continue;
    const int32_t offset = 16 * (before - after) / (2 * (before - 2 * v + after));
    peaks.push_back({(plateaus[p].first + plateaus[p].last) * 8 + offset, v,
                     int32_t(runStart + plateaus[p].end)});
  }
  return peaks;
}

TEST(PeakDetector, AgreesWithAPlateauReferenceOnRandomSequences) {
  std::mt19937 random(17);
  size_t total = 0;
  for (int trial = 0; trial < 2000; ++trial) {
    // Runs of equal values, 1 to 9 long, so that some plateaus are too long; now and then
    // a restart that skips samples.
    std::vector<int16_t> samples;
    std::vector<size_t> restarts;  // sample positions fed by advance
    std::vector<int32_t> skips;
    const int32_t spread = 1 + int32_t(random() % 40);
    while (samples.size() < 60) {
      const int16_t value = int16_t(int32_t(random() % (2 * spread + 1)) - spread);
      const size_t length = 1 + random() % 9;
      if (!samples.empty() && random() % 12 == 0) {
        restarts.push_back(samples.size());
        skips.push_back(1 + int32_t(random() % 5));
      }
      samples.insert(samples.end(), length, value);
    }
    const int32_t threshold = int32_t(random() % (spread + 1));
    const int32_t alongOffset = int32_t(random() % 200) - 100;

    std::vector<referencePeak> expected;
    size_t runStart = 0;
    int64_t firstIndex = 0;
    for (size_t r = 0; r <= restarts.size(); ++r) {
      const size_t runEnd = r < restarts.size() ? restarts[r] : samples.size();
      const std::vector<int16_t> run(samples.begin() + runStart, samples.begin() + runEnd);
      for (referencePeak p : referencePeaks(run, firstIndex, runStart, threshold)) {
        p.pos += alongOffset;
        expected.push_back(p);
      }
      if (r < restarts.size()) firstIndex += int64_t(runEnd - runStart) - 1 + skips[r];
      runStart = runEnd;
    }

    peakVector peaks;
    cidc_peakDetectState state;
    ASSERT_EQ(cidc_peakDetectState_init(&state, &peaks.v, samples[0], int32_t(samples.size())), 0);
    size_t nextRestart = 0;
    for (size_t k = 1; k < samples.size(); ++k) {
      if (nextRestart < restarts.size() && restarts[nextRestart] == k) {
        cidc_peakDetectState_advance(&state, samples[k], skips[nextRestart++]);
        continue;
      }
      cidc_peakDetectState_detect(&state, int32_t(k), int32_t(k), samples[k], threshold,
                                  alongOffset, 0, 0);
    }
    ASSERT_EQ(cidc_peakDetectState_finish(&state, &peaks.v), 0);
    std::vector<referencePeak> found;
    for (const auto& p : peaks.all()) found.push_back({p.pos, p.magnitude, p.midLevel});
    ASSERT_EQ(found, expected) << "trial " << trial;
    total += found.size();
  }
  EXPECT_GT(total, 2000u);  // the sequences do hold peaks
}

}  // namespace
