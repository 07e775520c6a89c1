// Assertion: a replaceable handler for failed argument checks.
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "kit/system.h"

namespace {

void abortWithLine(int32_t line) {
  std::fprintf(stderr, "idut: argument check failed at line %d\n", static_cast<int>(line));
  std::abort();
}

std::atomic<cstd_assertHandler> assertHandler{abortWithLine};

}  // namespace

extern "C" void cstd_assert_(int32_t line) { assertHandler.load()(line); }

extern "C" cstd_assertHandler cstd_assert_setHandler(cstd_assertHandler handler) {
  return assertHandler.exchange(handler ? handler : abortWithLine);
}
