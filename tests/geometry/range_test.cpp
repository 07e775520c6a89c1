// cxRange algebra over finite, empty and full ranges; cxHistoStats on small histograms.
#include "ci_id/priv/ci_idut/geometry/range.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>

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
  const cxRange r(-1, 3);
  EXPECT_TRUE(r.isWithin(-1) && r.isWithin(3) && !r.isWithin(3.0000001));
  EXPECT_TRUE(E.length() == 0 && !E.isWithin(0) && U.length() == DBL_MAX);
  for (const cxRange& notFinite : {E, U})
    expectThrows([&] { notFinite.middle(); }, CIDUT_ERR_RANGE_NOT_FINITE, "");
  cxRange bad(0, 1);
  const int32_t unknown = 7;
  std::memcpy(static_cast<void*>(&bad), &unknown, sizeof unknown);
  EXPECT_CHECK_FAILS(r.intersect(bad));
}

TEST(CxRange, Algebra) {
  const cxRange a(0, 2), b(1, 3);
  // range, other, intersect, dilate, erode
  const cxRange cases[][5] = {
      {a, b, {1, 2}, {1, 5}, {-1, -1}},
      {{0, 1}, {2, 3}, E, {2, 4}, {-2, -2}},
      {{0, 1}, b, {1, 1}, {1, 4}, E},
      {a, E, E, a, a},
      {a, U, a, U, E},
      {U, a, a, U, U},
  };
  for (const auto& [range, other, meet, sum, eroded] : cases) {
    EXPECT_EQ(range.intersect(other), meet);
    EXPECT_EQ(range.dilate(other), sum);
    EXPECT_EQ(range.erode(other), eroded);
  }
  EXPECT_TRUE(a.someOverlap(b, 0.5) && !a.someOverlap(b, 1.0));
  EXPECT_FALSE(a.someOverlap(E, -1.0) && E.someOverlap(a, 0.0));
  EXPECT_TRUE(a.translate(-0.5) == cxRange(-0.5, 1.5) && U.translate(3) == U);
  EXPECT_EQ(b.scale(2), cxRange(2, 6));
  for (const cxRange& any : {a, E, U})
    expectThrows([&] { any.scale(0); }, CIDUT_ERR_BAD_PARAMETER, "scale <= 0");
}

cxVector<uint32_t> makeHistogram(std::initializer_list<uint32_t> bins) {
  cxVector<uint32_t> h;
  for (uint32_t count : bins) h.pushBack(count);
  return h;
}

TEST(HistoStats, TiesClampingTakingAndTheEmptyHistogram) {
  cxVector<uint32_t> h = makeHistogram({0, 10, 0, 10});
  cxHistoStats stats;
  ASSERT_EQ(stats.init(h, false), 0);
  EXPECT_EQ(h.size(), 4u);  // copied, not taken
  EXPECT_DOUBLE_EQ(stats.sDev(), std::sqrt(20.0 / 19.0));
  EXPECT_EQ(stats.mode(), 1);  // the lower of two equal peaks
  EXPECT_EQ(stats.inverseCum(-5), 1);
  EXPECT_EQ(stats.inverseCum(500), 3);

  cxVector<uint32_t> single = makeHistogram({0, 0, 1});
  ASSERT_EQ(stats.init(single, true), 0);
  EXPECT_EQ(single.size(), 4u);
  EXPECT_TRUE(stats.mean() == 2 && stats.var() == 0 && stats.min() == 2 && stats.mode() == 2);
  const cxHistoStats empty;
  EXPECT_TRUE(!empty.isValid() && empty.mean() == 0 && empty.mode() == 0 && empty.median() == 0);
}

}  // namespace
