// Optimised-variant dispatch: the inhibition hook and the fallback on status class 0x30.
#include <gtest/gtest.h>

#include <cstring>

#include "id/idut/frame/dispatch.h"

namespace {

int32_t inhibitRowExtrema(const char* name) {
  return std::strcmp(name, "rowExtremaMax") == 0;
}

TEST(Dispatch, PortableRunsWhenInhibitedOrUnavailable) {
  int optimizedRuns = 0;
  auto optimized = [&](int32_t status) {
    return [&, status] { return ++optimizedRuns, status; };
  };
  auto portable = [] { return 7; };
  EXPECT_EQ(cidut_dispatchOptimized("x", optimized(CIDUT_ERR_NOT_AVAILABLE), portable), 7);
  // Any status of class 0x30 counts as "not available".
  EXPECT_EQ(cidut_dispatchOptimized("x", optimized(int32_t(0x8000061Fu)), portable), 7);
  EXPECT_EQ(cidut_dispatchOptimized("x", optimized(int32_t(0x80000620u)), portable),
            int32_t(0x80000620u));
  EXPECT_EQ(cidut_dispatchOptimized("x", optimized(3), portable), 3);
  EXPECT_EQ(optimizedRuns, 4);
  cprt_isOptimizationInhibitedFP = inhibitRowExtrema;
  EXPECT_EQ(cidut_dispatchOptimized("rowExtremaMax", optimized(1), portable), 7);
  EXPECT_EQ(cidut_dispatchOptimized("rowExtremaMin", optimized(1), portable), 1);
  EXPECT_EQ(optimizedRuns, 5);
  cprt_isOptimizationInhibitedFP = nullptr;
}

}  // namespace
