// Attention polling: the application's cancel handler and the test hook that fails the
// n-th poll.
#include <atomic>
#include <mutex>

#include "kit/system.h"

namespace {

struct attentionState {
  std::mutex lock;  // guards handler and context together
  csys_attentionHandler handler = nullptr;
  void* context = nullptr;
};

attentionState& state() {
  static attentionState s;
  return s;
}

std::atomic<int64_t> pollCount{0};
std::atomic<int64_t> failingPoll{0};
std::atomic<int32_t> failingStatus{0};

}  // namespace

extern "C" int32_t csys_attention_check(void) {
  const int64_t poll = pollCount.fetch_add(1) + 1;
  if (poll == failingPoll.load()) return failingStatus.load();
  attentionState& s = state();
  csys_attentionHandler handler;
  void* context;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    handler = s.handler;
    context = s.context;
  }
  return handler ? handler(context) : 0;
}

extern "C" void csys_attention_setHandler(csys_attentionHandler handler, void* context) {
  attentionState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  s.handler = handler;
  s.context = context;
}

extern "C" void csys_attention_failPoll(int64_t n, int32_t status) {
  failingStatus.store(status);
  failingPoll.store(n);
  pollCount.store(0);
}

extern "C" int64_t csys_attention_getPollCount(void) { return pollCount.load(); }
