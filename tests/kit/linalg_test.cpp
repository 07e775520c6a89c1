// Kit value classes: angles, vectors, matrices and transforms against the C records they
// wrap; cxVector growth, copies and allocation failures; closed ranges.
#include "kit/linalg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "kit/cxvector.h"
#include "kit/range.h"
#include "support/hooks.h"

namespace {

constexpr double pi = std::numbers::pi;

TEST(Angle, DegreesAndRadiansConvertAndAdd) {
  EXPECT_DOUBLE_EQ(cxRadian(cxDegree(180.0)).toDouble(), pi);
  EXPECT_DOUBLE_EQ(cxDegree(cxRadian(pi / 2)).toDouble(), 90.0);
  cxRadian angle(0.25);
  angle += cxDegree(90.0);
  EXPECT_DOUBLE_EQ(angle.toDouble(), 0.25 + pi / 2);
  EXPECT_LT(cxRadian(0.1) - cxRadian(0.3), -cxRadian(0.1));
}

TEST(Cx2Xform, MatrixElementsMappingAndComposition) {
  const cx2Matrix m(2, 1, -1, 3);
  EXPECT_EQ(m.element(0, 1), 1);
  EXPECT_EQ(m.element(1, 0), -1);
  EXPECT_CHECK_FAILS(m.element(2, 0));
  EXPECT_CHECK_FAILS(m.element(0, -1));

  const cx2Vect turned = cx2Xform(cx2Matrix::rotation(cxRadian(pi / 2)), cx2Vect()) * cx2Vect(1, 0);
  EXPECT_NEAR(turned.x(), 0, 1e-15);
  EXPECT_DOUBLE_EQ(turned.y(), 1);

  const cx2Xform a(m, cx2Vect(5, -7));
  const cx2Xform b(cx2Matrix::rotation(cxRadian(0.3)), cx2Vect(1, 2));
  const cx2Vect p(0.25, -3.5);
  const cx2Vect mapped = a * p;
  EXPECT_DOUBLE_EQ(mapped.x(), 2 * 0.25 + 1 * -3.5 + 5);
  EXPECT_DOUBLE_EQ(mapped.y(), -1 * 0.25 + 3 * -3.5 - 7);
  const cx2Vect viaBoth = a * (b * p);
  const cx2Vect composed = (a * b) * p;
  EXPECT_NEAR((composed - viaBoth).length(), 0, 1e-12);
  EXPECT_EQ(cx2Xform() * p, p);
  EXPECT_EQ(a.trans(), cx2Vect(5, -7));
}

TEST(CxVector, GrowthRuleAndCopies) {
  leakGuard guard;
  cxVector<uint32_t> v;
  for (uint32_t value : {7, 8, 9}) ASSERT_EQ(v.pushBack(value), 0);
  EXPECT_EQ(v.capacity(), 4u);  // 1, then 1 + max(1, 1), then 2 + max(2, 1)
  ASSERT_EQ(v.resize(13, 5), 0);
  EXPECT_EQ(v.capacity(), 13u);  // 4 + max(3, 9)
  EXPECT_EQ(v[2], 9u);
  EXPECT_EQ(v[12], 5u);
  ASSERT_EQ(v.pushBack(v[0]), 0);  // an element of its own, across a reallocation
  EXPECT_EQ(v[13], 7u);
  EXPECT_EQ(v.capacity(), 26u);

  cxVector<uint32_t> copy(v);
  EXPECT_EQ(copy.capacity(), 14u);
  ASSERT_EQ(v.resize(2), 0);
  ASSERT_EQ(copy.assign(v), 0);
  ASSERT_EQ(copy.size(), 2u);
  EXPECT_EQ(copy[1], 8u);
  ASSERT_EQ(copy.swap(v), 0);
  EXPECT_EQ(v.capacity(), 14u);
}

// Runs a mutating operation; a failing one must leave the vector exactly as it was.
template <class Op>
int32_t expectUnchangedOnFailure(cxVector<uint32_t>& v, Op op) {
  const size_t size = v.size(), capacity = v.capacity();
  const uint32_t* begin = v.begin();
  const int32_t status = op();
  if (status < 0) {
    EXPECT_EQ(v.size(), size);
    EXPECT_EQ(v.capacity(), capacity);
    EXPECT_EQ(v.begin(), begin);
  }
  return status;
}

TEST(CxVector, FailedAllocationsLeaveTheVectorUnchanged) {
  cxVector<uint32_t> source(5, 3);
  const int allocations = driveAllocationFailures([&] {
    cxVector<uint32_t> v, target;
    int32_t status = expectUnchangedOnFailure(v, [&] { return v.resize(2, 1); });
    if (status == 0) status = expectUnchangedOnFailure(v, [&] { return v.pushBack(4); });
    if (status == 0)
      status = expectUnchangedOnFailure(target, [&] { return target.assign(source); });
    return status;
  });
  EXPECT_EQ(allocations, 3);
  // The constructors that need storage throw instead.
  for (int64_t n : {1, 2}) {
    leakGuard guard;
    csys_memory_failAllocation(n);
    try {
      cxVector<uint32_t> v(3, 0);
      cxVector<uint32_t> copy(v);
      ADD_FAILURE() << "no exception";
    } catch (const cxException& e) {
      EXPECT_EQ(e.status(), CSYS_STATUS_NO_MEMORY);
    }
    csys_memory_failAllocation(0);
  }
}

TEST(CmathRange, InitRejectsReversedBounds) {
  cmath_range range{9, 9};
  EXPECT_EQ(cmath_range_init(&range, 1.7, 0.3), CMATH_STATUS_BAD_RANGE);
  EXPECT_EQ(range.lower, 9);
  ASSERT_EQ(cmath_range_init(&range, 0.3, 1.7), 0);
  EXPECT_EQ(range.upper, 1.7);
}

}  // namespace
