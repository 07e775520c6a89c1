// Generic vector: callbacks and plain bytes, memory tables, strong failure guarantees; cxVector.
#include "kit/vector.h"

#include <gtest/gtest.h>

#include <vector>

#include "kit/cxvector.h"
#include "support/hooks.h"

namespace {

using ints = std::vector<int32_t>;

cstd_vector makeInts(const ints& values, const cstd_vectorElementOps* ops = nullptr) {
  cstd_vector v;
  EXPECT_EQ(cstd_vector__constructFromBlockWithVtable(&v, 4, 0, values.data(),
                                                      static_cast<int32_t>(values.size()), ops),
            0);
  return v;
}

ints contents(const cstd_vector& v) {
  const void* begin = nullptr;
  int32_t size = -1;
  EXPECT_EQ(cstd_vector__getBeginSize32Const(&v, &begin, &size), 0);
  return ints(static_cast<const int32_t*>(begin), static_cast<const int32_t*>(begin) + size);
}

// Callbacks over int32 elements that count live elements and fail the n-th copy on demand.
struct callbackLog {
  int live = 0, copies = 0, failCopy = 0;
} calls;
constexpr int32_t copyFailed = static_cast<int32_t>(0x8000BEEFu);

int32_t initElement(void* e) {
  ++calls.live;
  *static_cast<int32_t*>(e) = 7;
  return 0;
}
int32_t copyElement(void* dst, const void* src) {
  if (++calls.copies == calls.failCopy) return copyFailed;
  ++calls.live;
  *static_cast<int32_t*>(dst) = *static_cast<const int32_t*>(src);
  return 0;
}
int32_t destroyElement(void*) {
  --calls.live;
  return 0;
}
const cstd_vectorElementOps countedOps{initElement, copyElement, nullptr, destroyElement, -1};

TEST(vector, elementsArePlainBytesOrMadeByTheCallbacks) {
  leakGuard guard;
  // A null init leaves new elements as they are: regrowing within the capacity brings the
  // old bytes back. Null copies copy bytes.
  const int32_t fill = 0x01020304;
  const cstd_vectorElementOps allNull{nullptr, nullptr, nullptr, nullptr, -1};
  cstd_vector v, copy = makeInts({5}, &allNull);
  ASSERT_EQ(cstd_vector__constructFillWithVtable(&v, 3, 0, 4, 0, &fill, nullptr), 0);
  ASSERT_EQ(cstd_vector__resize(&v, 1, 0), 0);
  ASSERT_EQ(cstd_vector__resize(&v, 3, 0), 0);
  ASSERT_EQ(cstd_vector__append(&copy, &v), 0);
  EXPECT_EQ(contents(copy), (ints{5, fill, fill, fill}));
  EXPECT_EQ(cstd_vector__destruct(&copy), 0);
  EXPECT_EQ(cstd_vector__destruct(&v), 0);

  calls = {};
  ASSERT_EQ(cstd_vector__constructWithVtable(&v, 1, 0, 4, 0, &countedOps), 0);
  ASSERT_EQ(cstd_vector__resize(&v, 3, 0), 0);
  EXPECT_EQ(contents(v), (ints{7, 7, 7}));
  ASSERT_EQ(cstd_vector__resizeUninit(&v, 4, 0), 0);
  EXPECT_EQ(calls.live, 3);  // init not called: the caller makes the new element
  ++calls.live;
  ASSERT_EQ(cstd_vector__eraseElement(&v, 0), 0);
  EXPECT_EQ(cstd_vector__destruct(&v), 0);
  EXPECT_EQ(calls.live, 0);
}

TEST(vector, growsGeometricallyFromItsMemoryTable) {
  static int64_t tableBlocks = 0;
  const csys_memoryTable table{[](size_t bytes, void** block) {
                                 ++tableBlocks;
                                 return csys_memory_alloc_internal(bytes, block);
                               },
                               [](void** block) {
                                 --tableBlocks;
                                 return csys_memory_free_internal(block);
                               }};
  leakGuard guard;
  csys_memory_failAllocation(0);
  cstd_vector v;
  ASSERT_EQ(cstd_vector__constructWithVtableWithMtable(&v, 0, 0, 4, 0, nullptr, &table), 0);
  for (int32_t i = 0; i < 1000; ++i) ASSERT_EQ(cstd_vector__pushBack(&v, &i), 0);
  EXPECT_LE(csys_memory_getAllocationCount(), 11);
  ASSERT_EQ(cstd_vector__erase(&v, 1, 997), 0);
  EXPECT_EQ(contents(v), (ints{0, 998, 999}));
  EXPECT_CHECK_FAILS(cstd_vector__insertElement(&v, 4, &copyFailed));
  EXPECT_CHECK_FAILS(cstd_vector__resize(&v, 5, -1));  // counts: low and high 32-bit words
  EXPECT_EQ(cstd_vector__reserve(&v, 0, 1), CSYS_STATUS_NO_MEMORY);
  EXPECT_EQ(cstd_vector__reserve(&v, 0x80000000u, 0), CSYS_STATUS_NO_MEMORY);  // > INT32_MAX
  EXPECT_EQ(tableBlocks, 1);
  EXPECT_EQ(cstd_vector__destruct(&v), 0);
  EXPECT_EQ(tableBlocks, 0);
}

// Runs op on {1, 2, 3, 4} with each of its copies failing in turn: a failure must leave the
// elements as they were, a success give after.
template <class Op>
void expectStrongGuarantee(const ints& after, Op op) {
  calls = {};
  const ints before{1, 2, 3, 4};
  cstd_vector v = makeInts(before, &countedOps);
  const auto attempt = [&] {
    calls.copies = 0;
    const int32_t status = op(&v);
    EXPECT_EQ(contents(v), status < 0 ? before : after);
    EXPECT_EQ(calls.live, static_cast<int>(contents(v).size()));
    return status;
  };
  for (calls.failCopy = 1;; ++calls.failCopy) {
    const int32_t status = attempt();
    if (status >= 0) break;
    EXPECT_EQ(status, copyFailed);  // passed on unchanged
  }
  calls.failCopy = 0;
  EXPECT_EQ(cstd_vector__destruct(&v), 0);
  EXPECT_EQ(calls.live, 0);
}

// Sources inside the vector itself, across a reallocation.
TEST(vector, failedCopiesLeaveTheVectorUnchanged) {
  leakGuard guard;
  expectStrongGuarantee({1, 4, 4, 4, 2, 3, 4}, [](cstd_vector* v) {
    return cstd_vector__insert(v, 1, 3, static_cast<int32_t*>(v->begin) + 3);
  });
  expectStrongGuarantee({1, 2, 3, 4, 1, 2, 3, 4},
                        [](cstd_vector* v) { return cstd_vector__append(v, v); });
  expectStrongGuarantee({1, 2, 3, 4}, [](cstd_vector* v) {
    cstd_vector copy;
    const int32_t status = cstd_vector__constructCopy(&copy, v);
    if (status >= 0) cstd_vector__destruct(&copy);
    return status;
  });
}

TEST(CxVector, GrowsByItsRuleAndFailsWithoutChange) {
  leakGuard guard;
  cxVector<uint32_t> v;
  for (uint32_t value : {7, 8, 9}) ASSERT_EQ(v.pushBack(value), 0);
  EXPECT_EQ(v.capacity(), 4u);  // 1, then 1 + max(1, 1), then 2 + max(2, 1)
  ASSERT_EQ(v.resize(13, 5), 0);
  EXPECT_EQ(v.capacity(), 13u);    // 4 + max(3, 9)
  ASSERT_EQ(v.pushBack(v[0]), 0);  // an element of its own, across a reallocation
  EXPECT_EQ(v[13], 7u);
  EXPECT_EQ(v.capacity(), 26u);
  csys_memory_failAllocation(1);  // constructors that need storage throw instead
  EXPECT_THROW((void)cxVector<uint32_t>(v), cxException);
  csys_memory_failAllocation(0);
}
}  // namespace
