// One-time initialisation, critical sections and shutdown hooks.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "kit/system.h"

struct csys_criticalSection {
  std::recursive_mutex mutex;
};

namespace {

enum : int32_t { notRun = 0, running = 1, done = 2 };

// One lock for every once flag and section slot: initialisation is rare and short.
std::mutex onceLock;
std::condition_variable onceDone;

// Registered hooks; whatever is left runs when the list itself is destroyed at exit.
struct shutdownList {
  std::mutex lock;
  std::vector<std::pair<void (*)(void*), void*>> hooks;

  void run() {
    for (;;) {
      std::pair<void (*)(void*), void*> hook;
      {
        std::lock_guard<std::mutex> guard(lock);
        if (hooks.empty()) return;
        hook = hooks.back();
        hooks.pop_back();
      }
      hook.first(hook.second);
    }
  }
  ~shutdownList() { run(); }
};

shutdownList& shutdownHooks() {
  static shutdownList list;
  return list;
}

}  // namespace

extern "C" int32_t csys_initializeOnce(csys_onceFlag* flag, int32_t (*init)(void* context),
                                       void* context) {
  std::atomic_ref<int32_t> state(flag->state);
  if (state.load(std::memory_order_acquire) == done) return 0;
  {
    std::unique_lock<std::mutex> guard(onceLock);
    onceDone.wait(guard, [&] { return state.load() != running; });
    if (state.load() == done) return 0;
    state.store(running);
  }
  const int32_t status = init(context);
  {
    std::lock_guard<std::mutex> guard(onceLock);
    state.store(status < 0 ? notRun : done, std::memory_order_release);
  }
  onceDone.notify_all();
  return status;
}

extern "C" int32_t csys_criticalSection_constructSingleton(csys_criticalSection** slot) {
  std::lock_guard<std::mutex> guard(onceLock);
  if (!*slot) {
    // Process-wide by design: the section lives until the process ends.
    *slot = new (std::nothrow) csys_criticalSection;
    if (!*slot) return CSYS_STATUS_NO_MEMORY;
  }
  return 0;
}

extern "C" int32_t csys_criticalSection_protect(csys_criticalSection* section,
                                                int32_t (*body)(void* context), void* context) {
  std::lock_guard<std::recursive_mutex> guard(section->mutex);
  return body(context);
}

extern "C" int32_t csys_shutdown_register(void (*fn)(void* context), void* context) {
  shutdownList& list = shutdownHooks();
  std::lock_guard<std::mutex> guard(list.lock);
  list.hooks.emplace_back(fn, context);
  return 0;
}

extern "C" void csys_shutdown_run(void) { shutdownHooks().run(); }
