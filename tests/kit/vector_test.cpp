// Generic vector: callback and plain-byte semantics, positions, 64-bit counts, memory
// tables, strong failure guarantees; byte and 32-bit vectors.
#include "kit/vector.h"

#include <gtest/gtest.h>

#include <vector>

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
  const int32_t* first = static_cast<const int32_t*>(begin);
  return ints(first, first + size);
}

// Callbacks over int32 elements that count live elements and fail the n-th copy on demand.
struct callbackLog {
  int live = 0;
  int copies = 0;
  int failCopy = 0;
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
int32_t destroyElement(void* e) {
  --calls.live;
  *static_cast<int32_t*>(e) = -1;
  return 0;
}
const cstd_vectorElementOps countedOps{initElement, copyElement, nullptr, destroyElement, -1};

TEST(vector, nullCallbacksArePlainBytes) {
  leakGuard guard;
  const int32_t fill = 0x01020304;
  cstd_vector v;
  ASSERT_EQ(cstd_vector__constructFillWithVtable(&v, 3, 0, 4, 0, &fill, nullptr), 0);
  EXPECT_EQ(contents(v), ints(3, fill));
  // A null init leaves new elements as they are: shrinking and regrowing within the
  // capacity brings the old bytes back.
  ASSERT_EQ(cstd_vector__resize(&v, 1, 0), 0);
  ASSERT_EQ(cstd_vector__resize(&v, 3, 0), 0);
  EXPECT_EQ(contents(v), ints(3, fill));
  const cstd_vectorElementOps allNull{nullptr, nullptr, nullptr, nullptr, -1};
  cstd_vector copy = makeInts({5, 6}, &allNull);
  ASSERT_EQ(cstd_vector__append(&copy, &v), 0);
  EXPECT_EQ(contents(copy), (ints{5, 6, fill, fill, fill}));
  EXPECT_EQ(cstd_vector__destruct(&copy), 0);
  EXPECT_EQ(cstd_vector__destruct(&v), 0);
}

TEST(vector, callbacksMakeCopyAndDestroyEveryElement) {
  calls = {};
  cstd_vector v;
  ASSERT_EQ(cstd_vector__constructWithVtable(&v, 3, 0, 4, 0, &countedOps), 0);
  EXPECT_EQ(contents(v), (ints{7, 7, 7}));
  const int32_t nine = 9;
  ASSERT_EQ(cstd_vector__insert(&v, 1, 2, &nine), 0);
  ASSERT_EQ(cstd_vector__resize(&v, 6, 0), 0);
  EXPECT_EQ(contents(v), (ints{7, 9, 9, 7, 7, 7}));
  EXPECT_EQ(calls.live, 6);
  ASSERT_EQ(cstd_vector__resizeUninit(&v, 7, 0), 0);
  EXPECT_EQ(calls.live, 6);  // init not called: the caller makes the new element
  static_cast<int32_t*>(v.begin)[6] = 8;
  ++calls.live;
  ASSERT_EQ(cstd_vector__popBack(&v), 0);
  ASSERT_EQ(cstd_vector__eraseElement(&v, 0), 0);
  ASSERT_EQ(cstd_vector__resize(&v, 2, 0), 0);
  EXPECT_EQ(contents(v), (ints{9, 9}));
  EXPECT_EQ(calls.live, 2);
  ASSERT_EQ(cstd_vector__clear(&v), 0);
  EXPECT_EQ(calls.live, 0);
  EXPECT_EQ(cstd_vector__destruct(&v), 0);
}

TEST(vector, countsArePassedAsLowAndHighWords) {
  leakGuard guard;
  cstd_vector v;
  const int32_t minusOne = -1;
  EXPECT_CHECK_FAILS(cstd_vector__constructWithVtable(&v, static_cast<uint32_t>(minusOne),
                                                      minusOne >> 31, 4, 0, nullptr));
  csys_memory_failAllocation(0);
  EXPECT_EQ(cstd_vector__constructWithVtable(&v, 0, 1, 4, 0, nullptr), CSYS_STATUS_NO_MEMORY);
  EXPECT_EQ(csys_memory_getAllocationCount(), 0);
  ASSERT_EQ(cstd_vector__reserve(&v, 0x80000000u, 0), CSYS_STATUS_NO_MEMORY);  // > INT32_MAX
  ASSERT_EQ(cstd_vector__reserve(&v, 10, 0), 0);
  int32_t capacity = 0;
  EXPECT_EQ(cstd_vector__getCapacity(&v, &capacity), 0);
  EXPECT_EQ(capacity, 10);
  EXPECT_CHECK_FAILS(cstd_vector__resize(&v, 5, -1));
  EXPECT_EQ(cstd_vector__destruct(&v), 0);
}

TEST(vector, insertEraseAndAccessPositions) {
  leakGuard guard;
  cstd_vector v = makeInts({1, 2, 3});
  const int32_t zero = 0;
  ASSERT_EQ(cstd_vector__insertElement(&v, 0, &zero), 0);
  ASSERT_EQ(cstd_vector__insertElement(&v, 4, &zero), 0);
  void* third = nullptr;
  ASSERT_EQ(cstd_vector__getElement(&v, 2, &third), 0);
  ASSERT_EQ(cstd_vector__insert(&v, 2, 3, third), 0);  // source inside v, storage grows
  EXPECT_EQ(contents(v), (ints{0, 1, 2, 2, 2, 2, 3, 0}));
  ASSERT_EQ(cstd_vector__erase(&v, 1, 4), 0);
  EXPECT_EQ(contents(v), (ints{0, 2, 3, 0}));
  ASSERT_EQ(cstd_vector__erase(&v, 4, 0), 0);
  void* begin = nullptr;
  void* end = nullptr;
  ASSERT_EQ(cstd_vector__getBeginEnd(&v, &begin, &end), 0);
  EXPECT_EQ(static_cast<int32_t*>(end) - static_cast<int32_t*>(begin), 4);
  EXPECT_CHECK_FAILS(cstd_vector__insertElement(&v, 5, &zero));
  EXPECT_CHECK_FAILS(cstd_vector__erase(&v, 3, 2));
  EXPECT_CHECK_FAILS(cstd_vector__getElement(&v, 4, &third));
  EXPECT_CHECK_FAILS(cstd_vector__getElement(&v, -1, &third));
  EXPECT_EQ(contents(v), (ints{0, 2, 3, 0}));
  ASSERT_EQ(cstd_vector__clearAndFreeMemory(&v), 0);
  EXPECT_CHECK_FAILS(cstd_vector__popBack(&v));
  EXPECT_EQ(cstd_vector__destruct(&v), 0);
}

TEST(vector, appendSwapAndAssignMayUseTheirOwnElements) {
  leakGuard guard;
  cstd_vector a = makeInts({1, 2});
  cstd_vector b = makeInts({3});
  ASSERT_EQ(cstd_vector__append(&a, &a), 0);
  EXPECT_EQ(contents(a), (ints{1, 2, 1, 2}));
  ASSERT_EQ(cstd_vector__swap(&a, &b), 0);
  EXPECT_EQ(contents(a), (ints{3}));
  EXPECT_EQ(contents(b), (ints{1, 2, 1, 2}));
  const int32_t* second = static_cast<const int32_t*>(b.begin) + 1;
  ASSERT_EQ(cstd_vector__assignElements(&b, second, 2), 0);
  EXPECT_EQ(contents(b), (ints{2, 1}));
  ASSERT_EQ(cstd_vector__assign(&a, &b), 0);
  ASSERT_EQ(cstd_vector__assign(&a, &a), 0);
  EXPECT_EQ(contents(a), (ints{2, 1}));
  cstd_vector bytes;
  ASSERT_EQ(cstd_vector__constructWithVtable(&bytes, 0, 0, 1, 0, nullptr), 0);
  EXPECT_CHECK_FAILS(cstd_vector__assign(&bytes, &a));
  EXPECT_CHECK_FAILS(cstd_vector__append(&bytes, &a));
  for (cstd_vector* v : {&a, &b, &bytes}) EXPECT_EQ(cstd_vector__destruct(v), 0);
}

TEST(vector, growsGeometricallyFromTheMemoryTable) {
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
  EXPECT_EQ(tableBlocks, 1);
  cstd_vector copy;
  ASSERT_EQ(cstd_vector__constructCopy(&copy, &v), 0);  // takes the source's table
  EXPECT_EQ(tableBlocks, 2);
  EXPECT_EQ(contents(copy), contents(v));
  EXPECT_EQ(cstd_vector__destruct(&copy), 0);
  EXPECT_EQ(cstd_vector__destruct(&v), 0);
  EXPECT_EQ(tableBlocks, 0);
}

// Runs op on {1, 2, 3, 4} through a failing copy callback at each step and through each
// allocation failure; every failure must leave the vector's contents and live elements
// as they were.
template <class Op>
void expectFailuresLeaveVectorUnchanged(Op op) {
  calls = {};
  const ints before{1, 2, 3, 4};
  cstd_vector v = makeInts(before, &countedOps);
  const auto attempt = [&] {
    const int32_t status = op(&v);
    if (status < 0) {
      EXPECT_EQ(contents(v), before);
      EXPECT_EQ(calls.live, 4);
    }
    return status;
  };
  for (calls.failCopy = 1;; ++calls.failCopy) {
    calls.copies = 0;
    const int32_t status = attempt();
    if (status >= 0) break;
    EXPECT_EQ(status, copyFailed);
  }
  calls.failCopy = 0;
  ASSERT_EQ(cstd_vector__assignElements(&v, before.data(), 4), 0);
  calls = {.live = 4, .copies = 0, .failCopy = 0};
  EXPECT_GE(driveAllocationFailures(attempt), 1);
  EXPECT_EQ(cstd_vector__destruct(&v), 0);
  EXPECT_EQ(calls.live, 0);
}

TEST(vector, failuresLeaveTheVectorUnchanged) {
  leakGuard guard;
  const int32_t five = 5;
  expectFailuresLeaveVectorUnchanged(
      [&](cstd_vector* v) { return cstd_vector__pushBack(v, &five); });
  expectFailuresLeaveVectorUnchanged([&](cstd_vector* v) {
    return cstd_vector__insert(v, 1, 3, static_cast<int32_t*>(v->begin) + 3);
  });
  expectFailuresLeaveVectorUnchanged(
      [&](cstd_vector* v) { return cstd_vector__resizeFill(v, 9, 0, &five); });
  expectFailuresLeaveVectorUnchanged([](cstd_vector* v) { return cstd_vector__append(v, v); });
  expectFailuresLeaveVectorUnchanged([](cstd_vector* v) {
    return cstd_vector__assignElements(v, static_cast<int32_t*>(v->begin) + 1, 2);
  });
  expectFailuresLeaveVectorUnchanged([](cstd_vector* v) {
    cstd_vector copy;
    const int32_t status = cstd_vector__constructCopy(&copy, v);
    if (status >= 0) {
      EXPECT_EQ(contents(copy), contents(*v));
      cstd_vector__destruct(&copy);
    }
    return status;
  });
  cstd_vector v = makeInts({1});
  EXPECT_EQ(driveAllocationFailures([&] { return cstd_vector__reserve(&v, 8, 0); }), 1);
  EXPECT_EQ(contents(v), (ints{1}));
  EXPECT_EQ(cstd_vector__destruct(&v), 0);
}

TEST(vector, byteAnd32BitVectorsClearAndSort) {
  leakGuard guard;
  cstd_vector32s s;
  ASSERT_EQ(cstd_vector32s_construct(&s, 2), 0);
  for (int32_t value : {5, -30, 20, -1}) ASSERT_EQ(cstd_vector32s_pushBack(&s, value), 0);
  ASSERT_EQ(cstd_vector32s_sort(&s, 1), 0);
  EXPECT_EQ(contents(s.vector), (ints{-30, -1, 0, 0, 5, 20}));
  ASSERT_EQ(cstd_vector32s_sort(&s, 0), 0);
  EXPECT_EQ(contents(s.vector), (ints{20, 5, 0, 0, -1, -30}));
  EXPECT_CHECK_FAILS(cstd_vector32s_resize(&s, -1));

  cstd_vector8 a, b;
  ASSERT_EQ(cstd_vector8_construct(&a, 3), 0);
  ASSERT_EQ(cstd_vector8_construct(&b, 0), 0);
  uint8_t* bytes = nullptr;
  int32_t size = 0;
  ASSERT_EQ(cstd_vector8_getBegin(&a, &bytes), 0);
  bytes[0] = 255;
  ASSERT_EQ(cstd_vector8_resize(&a, 1000), 0);
  ASSERT_EQ(cstd_vector8_assign(&b, &a), 0);
  ASSERT_EQ(cstd_vector8_clear(&a), 0);
  ASSERT_EQ(cstd_vector8_sort(&b, 0), 0);
  ASSERT_EQ(cstd_vector8_getBeginSize(&b, &bytes, &size), 0);
  ASSERT_EQ(size, 1000);
  EXPECT_EQ(bytes[0], 255);
  EXPECT_EQ(std::vector<uint8_t>(bytes + 1, bytes + size), std::vector<uint8_t>(999, 0));

  EXPECT_EQ(cstd_vector32s_destruct(&s), 0);
  EXPECT_EQ(cstd_vector8_destruct(&a), 0);
  EXPECT_EQ(cstd_vector8_destruct(&b), 0);
}

}  // namespace
