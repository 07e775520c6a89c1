// Typed vectors of a plain record, a record with an init callback, and vectors of those.
#include "id/idut/frame/typed_vector.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/hooks.h"

struct testPoint {
  int32_t x;
  int32_t y;
};

struct testTagged {
  int32_t value;
  int32_t tag;
};

extern "C" {
CIDUT_DECLARE_TYPED_VECTOR(testPoint)
CIDUT_DECLARE_TYPED_VECTOR(testTagged)
typedef cstd_vector_testTagged vector_testTagged;
CIDUT_DECLARE_TYPED_VECTOR(vector_testTagged)
}

namespace {

constexpr int32_t initialTag = 0x5A;

int32_t testTagged_init(testTagged* t) {
  *t = testTagged{0, initialTag};
  return 0;
}

constexpr cstd_vectorElementOps taggedOps = cidut_elementOps<testTagged, testTagged_init>();
constexpr cstd_vectorElementOps taggedListOps =
    cidut_elementOps<vector_testTagged, cstd_vector_testTagged_constructEmpty,
                     cstd_vector_testTagged_constructCopy, cstd_vector_testTagged_assign,
                     cstd_vector_testTagged_destruct>();

}  // namespace

CIDUT_DEFINE_TYPED_VECTOR(testPoint, nullptr)
CIDUT_DEFINE_TYPED_VECTOR(testTagged, &taggedOps)
CIDUT_DEFINE_TYPED_VECTOR(vector_testTagged, &taggedListOps)

namespace {

using lists = std::vector<std::vector<int32_t>>;

lists valuesOf(const cstd_vector_vector_testTagged& outer) {
  const vector_testTagged* inner = nullptr;
  int32_t count = 0;
  EXPECT_EQ(cstd_vector_vector_testTagged_getBeginSizeConst(&outer, &inner, &count), 0);
  lists values;
  for (int32_t i = 0; i < count; ++i) {
    const testTagged* e = nullptr;
    int32_t n = 0;
    EXPECT_EQ(cstd_vector_testTagged_getBeginSize32Const(&inner[i], &e, &n), 0);
    values.emplace_back();
    for (int32_t k = 0; k < n; ++k) values.back().push_back(e[k].value);
  }
  return values;
}

// Inner vectors of 1, 2, ... n values.
cstd_vector_vector_testTagged makeLists(int32_t n) {
  cstd_vector_vector_testTagged outer;
  EXPECT_EQ(cstd_vector_vector_testTagged_constructEmpty(&outer), 0);
  vector_testTagged inner;
  EXPECT_EQ(cstd_vector_testTagged_constructEmpty(&inner), 0);
  for (int32_t i = 1; i <= n; ++i) {
    const testTagged e{i, 0};
    EXPECT_EQ(cstd_vector_testTagged_pushBack(&inner, &e), 0);
    EXPECT_EQ(cstd_vector_vector_testTagged_pushBack(&outer, &inner), 0);
  }
  EXPECT_EQ(cstd_vector_testTagged_destruct(&inner), 0);
  return outer;
}

TEST(typedVector, plainRecordsAreCopiedBitwiseAndInitRunsForEveryNewElement) {
  leakGuard guard;
  cstd_vector_testPoint points;
  ASSERT_EQ(cstd_vector_testPoint_constructEmpty(&points), 0);
  const testPoint p{-3, 70000};
  ASSERT_EQ(cstd_vector_testPoint_pushBack(&points, &p), 0);
  ASSERT_EQ(cstd_vector_testPoint_insert(&points, 0, 2, &p), 0);
  testPoint *begin = nullptr, *end = nullptr;
  ASSERT_TRUE(cstd_vector_testPoint_getBeginEnd(&points, &begin, &end) == 0 && end - begin == 3);
  for (const testPoint* q = begin; q != end; ++q) EXPECT_EQ(std::memcmp(q, &p, sizeof p), 0);
  EXPECT_CHECK_FAILS(cstd_vector_testPoint_getElement(&points, 3, &begin));
  EXPECT_EQ(cstd_vector_testPoint_destruct(&points), 0);

  cstd_vector_testTagged tagged;
  ASSERT_EQ(cstd_vector_testTagged_construct(&tagged, 3, 0), 0);
  ASSERT_EQ(cstd_vector_testTagged_resize(&tagged, 6, 0), 0);
  const testTagged marked{9, 1};
  ASSERT_EQ(cstd_vector_testTagged_insertElement(&tagged, 1, &marked), 0);
  const testTagged* e = nullptr;
  int32_t n = 0;
  ASSERT_TRUE(cstd_vector_testTagged_getBeginSizeConst(&tagged, &e, &n) == 0 && n == 7);
  for (int32_t i = 0; i < n; ++i) EXPECT_EQ(e[i].tag, i == 1 ? 1 : initialTag) << i;
  EXPECT_EQ(cstd_vector_testTagged_destruct(&tagged), 0);
}

TEST(typedVector, vectorOfVectorsCopiesDeeplyAndDestroysInnerVectors) {
  leakGuard guard;
  cstd_vector_vector_testTagged outer = makeLists(3);
  const int64_t liveWithOuter = csys_memory_getLiveBlocks();
  cstd_vector_vector_testTagged copy, assigned;
  ASSERT_EQ(cstd_vector_vector_testTagged_constructCopy(&copy, &outer), 0);
  ASSERT_EQ(cstd_vector_vector_testTagged_constructEmpty(&assigned), 0);
  ASSERT_EQ(cstd_vector_vector_testTagged_assign(&assigned, &outer), 0);
  vector_testTagged* first = nullptr;
  ASSERT_EQ(cstd_vector_vector_testTagged_getElement(&outer, 0, &first), 0);
  const testTagged changed{100, 0};
  ASSERT_EQ(cstd_vector_testTagged_pushBack(first, &changed), 0);
  EXPECT_EQ(valuesOf(outer), (lists{{1, 100}, {1, 2}, {1, 2, 3}}));
  EXPECT_EQ(valuesOf(copy), (lists{{1}, {1, 2}, {1, 2, 3}}));
  EXPECT_EQ(valuesOf(assigned), valuesOf(copy));
  ASSERT_EQ(cstd_vector_vector_testTagged_append(&assigned, &outer), 0);
  EXPECT_EQ(valuesOf(assigned), (lists{{1}, {1, 2}, {1, 2, 3}, {1, 100}, {1, 2}, {1, 2, 3}}));
  EXPECT_EQ(cstd_vector_vector_testTagged_destruct(&copy), 0);
  EXPECT_EQ(cstd_vector_vector_testTagged_destruct(&assigned), 0);
  EXPECT_EQ(csys_memory_getLiveBlocks(), liveWithOuter);

  // Removals destroy the removed inner vectors.
  ASSERT_EQ(cstd_vector_vector_testTagged_resize(&outer, 5, 0), 0);  // two empty inner vectors
  EXPECT_EQ(valuesOf(outer), (lists{{1, 100}, {1, 2}, {1, 2, 3}, {}, {}}));
  ASSERT_EQ(cstd_vector_vector_testTagged_eraseElement(&outer, 1), 0);
  ASSERT_EQ(cstd_vector_vector_testTagged_popBack(&outer), 0);
  EXPECT_EQ(csys_memory_getLiveBlocks(), liveWithOuter - 1);
  ASSERT_EQ(cstd_vector_vector_testTagged_clear(&outer), 0);
  EXPECT_EQ(csys_memory_getLiveBlocks(), liveWithOuter - 3);
  EXPECT_EQ(cstd_vector_vector_testTagged_destruct(&outer), 0);
}

TEST(typedVector, aFailingAssignmentOfVectorsOfVectorsChangesNothing) {
  leakGuard guard;
  cstd_vector_vector_testTagged outer = makeLists(3), other = makeLists(2);
  const lists before = valuesOf(outer);
  // On a deep copy of outer: 1 + 3 blocks; the assignment (element assign): 1 + 2.
  EXPECT_EQ(driveAllocationFailures([&] {
              cstd_vector_vector_testTagged v;
              int32_t status = cstd_vector_vector_testTagged_constructCopy(&v, &outer);
              if (status < 0) return status;
              status = cstd_vector_vector_testTagged_assign(&v, &other);
              EXPECT_EQ(valuesOf(v), status < 0 ? before : valuesOf(other));
              cstd_vector_vector_testTagged_destruct(&v);
              return status;
            }),
            4 + 3);
  EXPECT_EQ(cstd_vector_vector_testTagged_destruct(&other), 0);
  EXPECT_EQ(cstd_vector_vector_testTagged_destruct(&outer), 0);
}

}  // namespace
