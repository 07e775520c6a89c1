// Test access to the kit's failure hooks: argument checks that throw, and drivers that
// run a call through each of its allocation failures and attention polls.
#pragma once

#include <gtest/gtest.h>
#include <stdint.h>

#include "kit/system.h"

// Thrown by the assertion handler that every test program installs.
struct failedCheck {
  int32_t line;
};

// Expects the statement to fail an argument check.
#define EXPECT_CHECK_FAILS(statement) EXPECT_THROW(statement, failedCheck)

// Fails the test when blocks allocated while it is alive are still live at its end.
class leakGuard {
 public:
  leakGuard() : before_(csys_memory_getLiveBlocks()) {}
  ~leakGuard() { EXPECT_EQ(csys_memory_getLiveBlocks(), before_) << "blocks leaked"; }

 private:
  int64_t before_;
};

// Runs attempt() with its 1st, 2nd, ... allocation failing, until a run completes
// without reaching the failing allocation. attempt returns its status and releases any
// outputs itself. Each failing run must return expectedStatus and leave no block behind;
// with mayRecover set, a call that falls back to another way when memory is short may also
// succeed. Returns the number of failing runs (the number of allocations the call makes).
template <class Attempt>
int driveAllocationFailures(Attempt attempt, int32_t expectedStatus = CSYS_STATUS_NO_MEMORY,
                            bool mayRecover = false) {
  int failures = 0;
  for (int64_t n = 1;; ++n) {
    const int64_t live = csys_memory_getLiveBlocks();
    csys_memory_failAllocation(n);
    const int32_t status = attempt();
    const bool reached = csys_memory_getAllocationCount() >= n;
    csys_memory_failAllocation(0);
    EXPECT_EQ(csys_memory_getLiveBlocks(), live) << "leak with allocation " << n << " failing";
    if (!reached) {
      EXPECT_GE(status, 0) << "call failed although allocation " << n << " was not reached";
      return failures;
    }
    if (!(mayRecover && status >= 0)) {
      EXPECT_EQ(status, expectedStatus) << "allocation " << n << " failing";
    }
    ++failures;
  }
}

// Runs attempt() with its 1st, 2nd, ... attention poll failing with a test status, until
// a run completes without reaching the failing poll. Each failing run must return exactly
// that status and leave no block behind. Returns the number of polls the call makes.
template <class Attempt>
int driveAttentionFailures(Attempt attempt) {
  constexpr int32_t stop = static_cast<int32_t>(0x8000ABCDu);
  int failures = 0;
  for (int64_t n = 1;; ++n) {
    const int64_t live = csys_memory_getLiveBlocks();
    csys_attention_failPoll(n, stop);
    const int32_t status = attempt();
    const bool reached = csys_attention_getPollCount() >= n;
    csys_attention_failPoll(0, 0);
    EXPECT_EQ(csys_memory_getLiveBlocks(), live) << "leak with poll " << n << " failing";
    if (!reached) {
      EXPECT_GE(status, 0) << "call failed although poll " << n << " was not reached";
      return failures;
    }
    EXPECT_EQ(status, stop) << "poll " << n << " failing";
    ++failures;
  }
}
