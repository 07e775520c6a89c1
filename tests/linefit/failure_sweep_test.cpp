// Every line-fitting call that allocates, through each of its allocation failures.
#include <gtest/gtest.h>

#include <vector>

#include "ci_id/priv/ci_idut/linefit.h"
#include "support/failure_sweep.h"

namespace {

TEST(LinefitFailureSweep, EveryAllocatingCall) {
  cxVector<cx2Vect> points;  // near a line, two of them far off
  for (int i = 0; i < 7; ++i)
    ASSERT_EQ(points.pushBack(cx2Vect(i, 0.5 * i + (i == 2 || i == 5 ? 4 : 0.1 * (i % 2)))), 0);
  cidut_linefit_params leaveTwo;
  ASSERT_EQ(cidut_linefit_params_set(&leaveTwo, 2, 1.0), 0);

  const std::vector<sweepRow> rows = {
      // The index choice, the working set, the kept choice.
      {"cidut_line_fit leaving two out", [&] {
         cidut_linefit_result result;
         cidut_linefit_result_init(&result);
         return cidut_line_fit(&leaveTwo, &points, &result);
       }, CIDUT_ERR_NO_MEMORY, false, 3},
  };
  sweepFailures(rows);
}

}  // namespace
