// The cleanup frame: temporaries released on every exit, outputs only on failure.
#include "id/idut/frame/cleanup_frame.h"

#include <gtest/gtest.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "support/hooks.h"

namespace {

struct ownedBuffer {
  int* data = nullptr;
};
int32_t ownedBuffer_destruct(ownedBuffer* b) {
  void* p = b->data;
  b->data = nullptr;
  return csys_memory_free_internal(&p);
}

// Two temporaries, one released early, an output and an attention poll in its loop.
int32_t sumOfSquares(int n, ownedBuffer* out, int* sum) {
  ccCleanupFrame<3> frame;
  int* squares = nullptr;
  if (frame.failed(csys_memory_alloc_internal(n * sizeof(int), (void**)&squares)))
    return frame.exit();
  frame.holdBlock(&squares);
  int* scratch = nullptr;
  if (frame.failed(csys_memory_alloc_internal(16, (void**)&scratch))) return frame.exit();
  frame.holdBlock(&scratch);
  frame.releaseNewest();  // scratch not needed any more
  EXPECT_EQ(scratch, nullptr);
  if (frame.failed(csys_memory_alloc_internal(n * sizeof(int), (void**)&out->data)))
    return frame.exit();
  frame.holdOutput<ownedBuffer_destruct>(out);
  int total = 0;
  for (int i = 0; i < n; ++i) {
    if (frame.failed(csys_attention_check())) return frame.exit();
    total += out->data[i] = squares[i] = i * i;
  }
  if (total > 1000) return frame.fail(CIDUT_ERR_BAD_PARAMETER);
  *sum = total;
  return frame.exit();
}

TEST(CleanupFrame, OutputSurvivesOnlySuccessAndEveryFailureLeavesNoLeak) {
  leakGuard guard;
  ownedBuffer out;
  int sum = -1;
  EXPECT_EQ(sumOfSquares(20, &out, &sum), CIDUT_ERR_BAD_PARAMETER);
  EXPECT_TRUE(out.data == nullptr && sum == -1);

  const int64_t live = csys_memory_getLiveBlocks();
  ASSERT_EQ(sumOfSquares(4, &out, &sum), 0);
  EXPECT_TRUE(sum == 0 + 1 + 4 + 9 && out.data[3] == 9);
  EXPECT_EQ(csys_memory_getLiveBlocks(), live + 1);  // only the output is left
  ownedBuffer_destruct(&out);
  auto attempt = [&] {
    const int32_t status = sumOfSquares(5, &out, &sum);
    EXPECT_TRUE(status >= 0 ? ownedBuffer_destruct(&out) == 0 : out.data == nullptr);
    return status;
  };
  EXPECT_EQ(driveAllocationFailures(attempt), 3);
  EXPECT_EQ(driveAttentionFailures(attempt), 5);
}

}  // namespace
