// Typed quicksorts against std::sort, on the inputs that trip partition schemes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "ci_id/priv/ci_idut/frame.h"

namespace {

template <class T, class Sort>
void expectSortsLikeStd(std::vector<T> values, Sort sort) {
  std::vector<T> expected = values;
  std::sort(expected.begin(), expected.end());
  sort(values.data(), values.data() + values.size());
  EXPECT_EQ(values, expected);
}

template <class T, class Sort>
void checkSort(Sort sort) {
  std::mt19937 random(7);
  const std::vector<std::vector<T>> cases = {
      {}, {T(5)}, {T(3), T(3), T(3), T(3)}, {T(9), T(8), T(7), T(1)},  // pivot smallest
      {T(1), T(2), T(3), T(9)},                                       // pivot largest
      {T(2), T(1)}, {T(1), T(2)}};
  for (const auto& values : cases) expectSortsLikeStd(values, sort);
  for (int size : {3, 10, 100, 1000}) {
    std::vector<T> values(size);
    for (T& v : values) v = static_cast<T>(random() % 50);  // many duplicates
    expectSortsLikeStd(values, sort);
  }
  std::vector<T> sorted(100000);  // pivot always the largest: depth must stay small
  for (size_t i = 0; i < sorted.size(); ++i) sorted[i] = static_cast<T>(i % 100);
  std::sort(sorted.begin(), sorted.end());
  expectSortsLikeStd(sorted, sort);
}

TEST(Sort, EveryElementTypeSortsAscending) {
  checkSort<double>(csys_double_qsort);
  checkSort<float>(csys_float_qsort);
  checkSort<int8_t>(csys_int8_qsort);
  checkSort<uint8_t>(csys_uint8_qsort);
  checkSort<int32_t>(csys_int32_qsort);
  checkSort<uint32_t>(csys_uint32_qsort);
  checkSort<int32_t>(csys_vector_qsort<int32_t>);
  checkSort<double>(csys_vector_qsort<double>);
}

TEST(Sort, SignednessAndNullRanges) {
  int8_t s[] = {1, -1};
  csys_int8_qsort(s, s + 2);
  EXPECT_EQ(s[0], -1);
  uint8_t u[] = {255, 1};
  csys_uint8_qsort(u, u + 2);
  EXPECT_EQ(u[0], 1);
  int32_t i[] = {INT32_MAX, INT32_MIN, 0};
  csys_int32_qsort(i, i + 3);
  EXPECT_EQ(i[0], INT32_MIN);
  uint32_t w[] = {0x80000000u, 1};
  csys_uint32_qsort(w, w + 2);
  EXPECT_EQ(w[0], 1u);
  EXPECT_EQ(csys_double_qsort(nullptr, nullptr), 0);
  double one = 1;
  EXPECT_EQ(csys_double_qsort(&one, nullptr), 0);
}

}  // namespace
