// cxRange algebra over finite, empty and full ranges with its exceptions, and
// cxHistoStats moments, modes and percentile tables against direct computations.
#include "ci_id/priv/ci_idut/geometry/range.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>

#include "support/hooks.h"

namespace {

template <class Statement>
void expectThrows(Statement statement, int32_t status, const char* message) {
  try {
    statement();
    ADD_FAILURE() << "no exception";
  } catch (const cxException& e) {
    EXPECT_EQ(e.status(), status);
    EXPECT_STREQ(e.message(), message);
  }
}

const cxRange E = cxRange::EmptyRange();
const cxRange U = cxRange::FullRange();

TEST(CxRange, FiniteEmptyAndFullQueries) {
  expectThrows([] { cxRange(2, 1); }, CIDUT_ERR_BAD_PARAMETER, "start > end");
  const cxRange point(1, 1);
  EXPECT_EQ(point.length(), 0);
  EXPECT_TRUE(point.isWithin(1));
  const cxRange r(-1, 3);
  EXPECT_EQ(r.start() + r.end(), 2);
  EXPECT_EQ(r.middle(), 1);
  EXPECT_EQ(r.length(), 4);
  EXPECT_TRUE(r.isWithin(-1) && r.isWithin(3));
  EXPECT_FALSE(r.isWithin(3.0000001));

  EXPECT_TRUE(cxRange() == E);
  EXPECT_EQ(E.length(), 0);
  EXPECT_FALSE(E.isWithin(0));
  EXPECT_EQ(U.length(), DBL_MAX);
  EXPECT_TRUE(U.isWithin(-1e300));
  for (const cxRange& notFinite : {E, U}) {
    expectThrows([&] { notFinite.middle(); }, CIDUT_ERR_RANGE_NOT_FINITE, "");
    expectThrows([&] { notFinite.start(); }, CIDUT_ERR_RANGE_NOT_FINITE, "");
    expectThrows([&] { notFinite.end(); }, CIDUT_ERR_RANGE_NOT_FINITE, "");
    expectThrows([&] { notFinite.checkPartialRange(); }, CIDUT_ERR_RANGE_NOT_FINITE, "");
  }
  EXPECT_TRUE(E != U && cxRange(0, 1) != cxRange(0, 2));
}

TEST(CxRange, Algebra) {
  const cxRange a(0, 2), b(1, 3);
  EXPECT_EQ(a.intersect(b), cxRange(1, 2));
  EXPECT_EQ(cxRange(0, 1).intersect(cxRange(2, 3)), E);
  EXPECT_EQ(cxRange(0, 1).intersect(cxRange(1, 3)), cxRange(1, 1));
  EXPECT_EQ(a.intersect(E), E);
  EXPECT_EQ(a.intersect(U), a);
  EXPECT_EQ(U.intersect(b), b);
  EXPECT_EQ(E.intersect(U), E);
  EXPECT_FALSE(a.someOverlap(b, 1.0));
  EXPECT_TRUE(a.someOverlap(b, 0.5));
  EXPECT_FALSE(a.someOverlap(E, -1.0) && E.someOverlap(a, 0.0));

  EXPECT_EQ(a.dilate(b), cxRange(1, 5));
  EXPECT_EQ(E.dilate(b), b);
  EXPECT_EQ(a.dilate(E), a);
  EXPECT_EQ(a.dilate(U), U);
  EXPECT_EQ(U.dilate(E), U);

  EXPECT_EQ(cxRange(0, 1).erode(cxRange(0, 2)), E);
  EXPECT_EQ(cxRange(0, 4).erode(cxRange(1, 1)), cxRange(-1, 3));
  EXPECT_EQ(a.erode(E), a);
  EXPECT_EQ(a.erode(U), E);
  EXPECT_EQ(E.erode(a), E);
  EXPECT_EQ(U.erode(a), U);

  EXPECT_EQ(a.translate(-0.5), cxRange(-0.5, 1.5));
  EXPECT_EQ(U.translate(3), U);
  EXPECT_EQ(b.scale(2), cxRange(2, 6));
  EXPECT_EQ(E.scale(2), E);
  for (const cxRange& any : {a, E, U}) {
    expectThrows([&] { any.scale(0); }, CIDUT_ERR_BAD_PARAMETER, "scale <= 0");
  }
  cxRange assigned;
  assigned = b;
  EXPECT_EQ(assigned, b);
}

TEST(CxRange, UnknownKindFailsTheCheck) {
  cxRange bad(0, 1);
  const int32_t unknown = 7;
  std::memcpy(static_cast<void*>(&bad), &unknown, sizeof unknown);
  const cxRange good(0, 1);
  EXPECT_CHECK_FAILS(bad.length());
  EXPECT_CHECK_FAILS(bad.isWithin(0.5));
  EXPECT_CHECK_FAILS(bad.start());
  EXPECT_CHECK_FAILS(good.intersect(bad));
  EXPECT_CHECK_FAILS(good.dilate(bad));
  EXPECT_CHECK_FAILS(good.erode(bad));
  EXPECT_CHECK_FAILS(bad.translate(1));
  EXPECT_CHECK_FAILS((void)(bad == good));
}

cxVector<uint32_t> makeHistogram(std::initializer_list<uint32_t> bins) {
  cxVector<uint32_t> h;
  for (uint32_t count : bins) h.pushBack(count);
  return h;
}

TEST(HistoStats, TwoPeaks) {
  cxVector<uint32_t> h = makeHistogram({0, 10, 0, 10});
  cxHistoStats stats;
  ASSERT_EQ(stats.init(h, false), 0);
  EXPECT_EQ(h.size(), 4u);  // copied, not taken
  EXPECT_EQ(stats.nSamp(), 20u);
  EXPECT_DOUBLE_EQ(stats.mean(), 2.0);
  EXPECT_DOUBLE_EQ(stats.var(), 20.0 / 19.0);
  EXPECT_DOUBLE_EQ(stats.sDev(), std::sqrt(20.0 / 19.0));
  EXPECT_EQ(stats.mode(), 1);
  for (int p = 0; p <= 100; ++p) EXPECT_EQ(stats.inverseCum(p), p < 50 ? 1 : 3) << p;
  EXPECT_EQ(stats.median(), 3);
  EXPECT_EQ(stats.histMin() + stats.min(), 2);
  EXPECT_EQ(stats.histMax() + stats.max(), 6);
  EXPECT_EQ(stats.inverseCum(-5), 1);
  EXPECT_EQ(stats.inverseCum(500), 3);
  EXPECT_TRUE(stats.isValid());

  // Taking swaps contents and recomputes everything.
  cxVector<uint32_t> single = makeHistogram({0, 0, 1});
  ASSERT_EQ(stats.init(single, true), 0);
  EXPECT_EQ(single.size(), 4u);
  EXPECT_EQ(stats.histogram().size(), 3u);
  EXPECT_EQ(stats.mean(), 2.0);
  EXPECT_EQ(stats.var(), 0.0);
  EXPECT_EQ(stats.min(), 2);
  EXPECT_EQ(stats.mode(), 2);

  const cxHistoStats empty;
  EXPECT_FALSE(empty.isValid());
  EXPECT_EQ(empty.mean(), 0.0);
  EXPECT_EQ(empty.mode(), 0);
  EXPECT_EQ(empty.median(), 0);
}

TEST(HistoStats, RandomHistogramsMatchDirectComputation) {
  std::mt19937 random(9);
  for (int trial = 0; trial < 30; ++trial) {
    cxVector<uint32_t> h(1 + random() % 40, 0);
    for (uint32_t& bin : h) bin = random() % 4 == 0 ? random() % 50 : 0;
    uint32_t total = 0;
    for (uint32_t bin : h) total += bin;
    h[h.size() - 1] += 100 - total % 100;  // a multiple of 100: percentiles fall on samples
    total += 100 - total % 100;
    cxHistoStats stats;
    ASSERT_EQ(stats.init(h, false), 0);
    if (trial % 2) stats.median();  // mode with and without the percentile table

    double sum = 0, squares = 0;
    size_t mode = 0;
    for (size_t i = 0; i < h.size(); ++i) {
      sum += double(i) * h[i];
      if (h[i] > h[mode]) mode = i;
    }
    const double mean = sum / total;
    for (size_t i = 0; i < h.size(); ++i) squares += h[i] * (i - mean) * (i - mean);
    EXPECT_NEAR(stats.mean(), mean, 1e-12);
    EXPECT_NEAR(stats.var(), squares / (total - 1), 1e-9);
    EXPECT_EQ(stats.mode(), static_cast<int32_t>(mode));
    // Percentile p: the first value whose cumulative count exceeds p% of the samples.
    for (uint32_t p = 0; p < 100; ++p) {
      uint32_t cum = 0;
      size_t i = 0;
      while ((cum += h[i]) * 100 <= p * total) ++i;
      EXPECT_EQ(stats.inverseCum(p), static_cast<int32_t>(i)) << trial << " " << p;
    }
    EXPECT_EQ(stats.max(), static_cast<int32_t>(h.size() - 1));
  }
}

TEST(HistoStats, FailedCopyKeepsTheOldBinsAndLeaksNothing) {
  cxVector<uint32_t> h = makeHistogram({1, 2, 3});
  driveAllocationFailures([&] {
    cxHistoStats stats;
    const int32_t status = stats.init(h, false);
    EXPECT_EQ(stats.nSamp(), status < 0 ? 0u : 6u);
    return status;
  });
}

}  // namespace
