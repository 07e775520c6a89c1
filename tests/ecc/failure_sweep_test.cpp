// Every error-correction call that allocates, through each of its allocation failures.
#include <gtest/gtest.h>

#include <vector>

#include "ci_id/priv/ci_idut/ecc.h"
#include "support/failure_sweep.h"

namespace {

using word_t = std::vector<int32_t>;

TEST(EccFailureSweep, EveryAllocatingCall) {
  cid2d_ReedSolomonCode code;
  ASSERT_EQ(cid2d_ReedSolomonCode_construct(&code, 8, 16, 0x12D, 2), 0);
  word_t received(255, 0);  // the zero codeword with errors at two places
  received[3] = 77;
  received[200] = 1;
  word_t received929(50, 0);
  received929[7] = 500;
  received929[40] = 3;

  const std::vector<sweepRow> rows = {
      // A failure leaves the record destructed.
      {"cid2d_ReedSolomonCode_construct", [] {
         cid2d_ReedSolomonCode c;
         const int32_t status = cid2d_ReedSolomonCode_construct(&c, 8, 16, 0x12D, 2);
         EXPECT_TRUE(status >= 0 || (c.expTable == nullptr && c.N == 0));
         cid2d_ReedSolomonCode_destruct(&c);
         return status;
       }, CSYS_STATUS_NO_MEMORY, false, 5},
      {"cid2d_ReedSolomonCode_CorrectErrs keeps the word", [&] {
         word_t word = received;
         int32_t count = 99;
         const int32_t status =
             cid2d_ReedSolomonCode_CorrectErrs(&code, word.data(), int32_t(word.size()), &count);
         EXPECT_EQ(count, status < 0 ? 0 : 2);
         EXPECT_EQ(word, status < 0 ? received : word_t(255, 0));
         return status;
       }, CSYS_STATUS_NO_MEMORY, false, 1},
      {"cid_RSSCCA_RSCorrectErrors_ keeps the word", [&] {
         word_t word = received929;
         int32_t length = -1, corrected = 7;
         const int32_t status =
             cid_RSSCCA_RSCorrectErrors_(word.data(), 50, 10, 0, nullptr, &length, &corrected);
         EXPECT_EQ(corrected, status < 0 ? 0 : 1);
         EXPECT_EQ(word, status < 0 ? received929 : word_t(50, 0));
         return status;
       }, CSYS_STATUS_NO_MEMORY, false, 1},
  };
  sweepFailures(rows);
  cid2d_ReedSolomonCode_destruct(&code);
}

}  // namespace
