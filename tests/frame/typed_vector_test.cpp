// Typed vectors of vectors: deep copies that fail without a change.
#include "id/idut/frame/typed_vector.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/hooks.h"

struct testTagged {
  int32_t value;
  int32_t tag;
};

extern "C" {
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
