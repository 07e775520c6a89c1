// Failure sweeps: each row through both drivers, with counts checked against the row.
#include "support/failure_sweep.h"

#include <cstdio>

namespace {

void expectCount(int driven, int expected, const char* what) {
  if (expected == anyCount)
    EXPECT_GE(driven, 1) << "no " << what << " reached";
  else
    EXPECT_EQ(driven, expected) << what;
}

}  // namespace

sweepTotals sweepFailures(const std::vector<sweepRow>& rows) {
  sweepTotals totals;
  for (const sweepRow& row : rows) {
    SCOPED_TRACE(row.name);
    leakGuard guard;
    auto attempt = [&row] {
      const int32_t status = row.attempt();
      if (status < 0 && row.untouched) row.untouched();
      return status;
    };
    const int allocations = driveAllocationFailures(attempt, row.expectedStatus, row.mayRecover);
    const int polls = driveAttentionFailures(attempt);
    expectCount(allocations, row.allocations, "allocations");
    expectCount(polls, row.polls, "polls");
    totals.allocations += allocations;
    totals.polls += polls;
  }
  std::printf("[  SWEEP   ] %zu rows, %d allocation failures, %d polls\n", rows.size(),
              totals.allocations, totals.polls);
  return totals;
}
