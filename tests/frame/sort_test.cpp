// Typed quicksorts against std::sort, on the inputs that trip partition schemes.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "ci_id/priv/ci_idut/frame.h"

namespace {

// Against std::sort: pivots smallest and largest, duplicates, extremes, long sorted runs.
template <class T, class Sort>
void checkSort(Sort sort) {
  using limits = std::numeric_limits<T>;
  std::vector<std::vector<T>> cases = {{}, {T(5)}, {T(3), T(3), T(3)}, {T(9), T(8), T(7), T(1)},
                                       {T(1), T(2), T(3), T(9)}, {T(2), T(1)},
                                       {limits::max(), limits::lowest(), T(0), T(1)}};
  cases.emplace_back(100000);
  for (size_t i = 0; i < cases.back().size(); ++i) cases.back()[i] = static_cast<T>(i / 1000);
  for (std::vector<T> values : cases) {
    std::vector<T> expected = values;
    std::sort(expected.begin(), expected.end());
    sort(values.data(), values.data() + values.size());
    EXPECT_EQ(values, expected);
  }
}

TEST(Sort, EveryElementTypeSortsAscending) {
  checkSort<double>(csys_double_qsort);
  checkSort<float>(csys_float_qsort);
  checkSort<int8_t>(csys_int8_qsort);
  checkSort<uint8_t>(csys_uint8_qsort);
  checkSort<int32_t>(csys_int32_qsort);
  checkSort<uint32_t>(csys_uint32_qsort);
  checkSort<int32_t>(csys_vector_qsort<int32_t>);
  EXPECT_EQ(csys_double_qsort(nullptr, nullptr), 0);
  double one = 1;
  EXPECT_EQ(csys_double_qsort(&one, nullptr), 0);
}

}  // namespace
