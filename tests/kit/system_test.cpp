// Kit system services: cleanup records, attention and allocation hooks, once and shutdown.
#include "kit/system.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "support/hooks.h"

namespace {

// Release functions that log which address they saw.
std::vector<int>* releaseLog;
int32_t logRelease(void* address) {
  releaseLog->push_back(*static_cast<int*>(address));
  return 0;
}
int32_t failRelease(void*) {
  return static_cast<int32_t>(0x80001234u);
}

TEST(Cleanup, KindsRunNewestFirstFailureOnlyOnFailureAndDoIdRunsOne) {
  std::vector<int> log;
  releaseLog = &log;
  int a = 1, b = 2, c = 3, d = 4;
  const int32_t failed = static_cast<int32_t>(0x80000023u);
  for (int32_t status : {0, failed}) {
    log.clear();
    csys_cleanupRecord records[4] = {{0, CSYS_CLEANUP_POINTER_ALWAYS, &a, logRelease},
                                     {1, CSYS_CLEANUP_OBJECT_ON_FAILURE, &b, logRelease},
                                     {2, CSYS_CLEANUP_OBJECT_ALWAYS, &c, logRelease},
                                     {3, CSYS_CLEANUP_POINTER_ON_FAILURE, &d, logRelease}};
    int32_t count = 4, st = status;
    csys_cleanupExecute_(records, &count, &st, csys_cleanup_getNextTag());
    EXPECT_EQ(count, 0);
    EXPECT_EQ(st, status);
    EXPECT_EQ(log, (status == 0 ? std::vector<int>{3, 1} : std::vector<int>{4, 3, 2, 1}));
  }
  // A failing release is reported only when nothing failed before.
  for (int32_t status : {0, failed}) {
    csys_cleanupRecord records[1] = {{0, CSYS_CLEANUP_OBJECT_ALWAYS, &a, failRelease}};
    int32_t count = 1, st = status;
    csys_cleanupExecute_(records, &count, &st, csys_cleanup_getNextTag());
    EXPECT_EQ(st, status == 0 ? static_cast<int32_t>(0x80001234u) : failed);
  }
  int32_t count = 0, status = 0;
  EXPECT_CHECK_FAILS(csys_cleanupExecute_(nullptr, &count, &status, 0));

  // doId runs one record and keeps the others.
  log.clear();
  csys_cleanupRecord records[3] = {{0, CSYS_CLEANUP_OBJECT_ALWAYS, &a, logRelease},
                                   {1, CSYS_CLEANUP_OBJECT_ON_FAILURE, &b, logRelease},
                                   {2, CSYS_CLEANUP_OBJECT_ALWAYS, &c, logRelease}};
  count = 3;
  status = 0;
  csys_cleanup_doId_(records, &count, &status, 1, 1);  // runs even a failure-only record
  EXPECT_EQ(log, std::vector<int>{2});
  ASSERT_EQ(count, 2);
  EXPECT_EQ(records[0].id, 0);
  EXPECT_EQ(records[1].id, 2);
  csys_cleanup_doId_(records, &count, &status, 2, 0);  // removed without running
  EXPECT_EQ(log, std::vector<int>{2});
  EXPECT_EQ(count, 1);
}

TEST(Memory, FailingAllocationHookLiveBlockCounterClearFillAndCopy) {
  leakGuard guard;
  const int64_t live = csys_memory_getLiveBlocks();
  csys_memory_failAllocation(2);
  void* first = nullptr;
  void* second = reinterpret_cast<void*>(1);
  void* third = nullptr;
  EXPECT_EQ(csys_memory_alloc_internal(16, &first), 0);
  EXPECT_EQ(csys_memory_allocClear_internal(16, &second), CSYS_STATUS_NO_MEMORY);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(csys_memory_allocFastMem_internal(100, &third), 0);
  EXPECT_EQ(csys_memory_getAllocationCount(), 3);
  csys_memory_failAllocation(0);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(third) % 64, 0u);
  EXPECT_EQ(csys_memory_getLiveBlocks(), live + 2);
  csys_memory_free_internal(&first);
  csys_memory_free_internal(&third);

  unsigned char* block = nullptr;
  ASSERT_EQ(csys_memory_allocClear_internal(64, reinterpret_cast<void**>(&block)), 0);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(block[i], 0);
  csys_memory_fill(7, 10, block);
  csys_memory_copy(10, block, block + 5);  // overlapping copy keeps the source bytes
  for (int i = 0; i < 15; ++i) EXPECT_EQ(block[i], 7);
  EXPECT_EQ(block[15], 0);
  void* p = block;
  csys_memory_free_internal(&p);
}

TEST(Attention, HookFailsTheChosenPollAndHandlerStopsCalls) {
  constexpr int32_t stop = static_cast<int32_t>(0x80000777u);
  csys_attention_failPoll(3, stop);
  for (int32_t expected : {0, 0, stop, 0}) EXPECT_EQ(csys_attention_check(), expected);
  EXPECT_EQ(csys_attention_getPollCount(), 4);
  csys_attention_failPoll(0, 0);

  int stopAfter = 2;
  auto handler = [](void* remaining) -> int32_t {
    return (*static_cast<int*>(remaining))-- > 0 ? 0 : stop;
  };
  csys_attention_setHandler(handler, &stopAfter);
  for (int32_t expected : {0, 0, stop}) EXPECT_EQ(csys_attention_check(), expected);
  csys_attention_setHandler(nullptr, nullptr);
  EXPECT_EQ(csys_attention_check(), 0);
}

TEST(Once, RunsOnceAcrossThreadsAndRetriesAFailedRun) {
  static csys_onceFlag flag{};
  static int runs = 0;
  auto init = [](void*) -> int32_t {
    ++runs;
    return 0;
  };
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i)
    threads.emplace_back([&] { EXPECT_EQ(csys_initializeOnce(&flag, init, nullptr), 0); });
  for (auto& t : threads) t.join();
  EXPECT_EQ(runs, 1);

  static csys_onceFlag failing{};
  static int attempts = 0;
  auto failOnce = [](void*) -> int32_t { return attempts++ == 0 ? CSYS_STATUS_NO_MEMORY : 0; };
  for (int32_t expected : {CSYS_STATUS_NO_MEMORY, 0, 0})
    EXPECT_EQ(csys_initializeOnce(&failing, failOnce, nullptr), expected);
  EXPECT_EQ(attempts, 2);
}

TEST(Once, ShutdownHooksRunOnceNewestFirst) {

  static std::vector<int> order;
  csys_shutdown_register([](void*) { order.push_back(1); }, nullptr);
  csys_shutdown_register([](void*) { order.push_back(2); }, nullptr);
  csys_shutdown_run();
  csys_shutdown_run();  // each hook runs once
  EXPECT_EQ(order, (std::vector<int>{2, 1}));
}
}  // namespace
