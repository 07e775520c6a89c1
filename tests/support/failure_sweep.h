// Failure sweeps: a table of calls, each driven through every allocation failure and
// every attention poll it makes, with the row's name on each failure message.
#pragma once

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "support/hooks.h"

// Expected number of allocations or polls of a row: an exact count, or any at all.
constexpr int anyCount = -1;

struct sweepRow {
  std::string name;
  // Builds its own small input, makes the call, releases what it made, returns the status.
  std::function<int32_t()> attempt;
  int32_t expectedStatus = CSYS_STATUS_NO_MEMORY;
  // The call falls back to another way when memory is short and may then succeed.
  bool mayRecover = false;
  int allocations = anyCount;  // 0: the call must not allocate
  int polls = 0;               // 0: the call must not poll
  // Run after each failed attempt: the outputs the call promises to leave are untouched.
  std::function<void()> untouched = nullptr;
};

// Drives every row; returns the allocation failures and the polls driven in all.
struct sweepTotals {
  int allocations = 0;
  int polls = 0;
};
sweepTotals sweepFailures(const std::vector<sweepRow>& rows);
