// The main of every test program: argument checks throw instead of aborting, so that
// each check can be reached and observed.
#include <gtest/gtest.h>

#include "support/hooks.h"

namespace {

void throwFailedCheck(int32_t line) { throw failedCheck{line}; }

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  cstd_assert_setHandler(throwFailedCheck);
  return RUN_ALL_TESTS();
}
