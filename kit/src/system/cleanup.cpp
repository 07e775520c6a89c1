// Cleanup frames: running and removing the records a function registered for its
// temporaries and outputs.
#include "kit/system.h"

namespace {

constexpr bool isFailure(int32_t status) { return status < 0; }

bool runsOnlyOnFailure(int32_t kind) { return (kind >> 4) == 2; }

// Releases what a record designates and folds a failing release into a still
// successful status.
void release(const csys_cleanupRecord& record, int32_t* status) {
  const int32_t released = record.release(record.address);
  if (isFailure(released) && !isFailure(*status)) *status = released;
}

}  // namespace

extern "C" int32_t csys_cleanup_getNextTag(void) {
  thread_local int32_t lastTag = 0;
  if (++lastTag <= 0) lastTag = 1;
  return lastTag;
}

extern "C" void csys_cleanupExecute_(csys_cleanupRecord* records, int32_t* count, int32_t* status,
                                     int32_t tag) {
  if (tag <= 0) cstd_assert_(__LINE__);
  while (*count > 0) {
    const csys_cleanupRecord record = records[--*count];
    if (!runsOnlyOnFailure(record.kind) || isFailure(*status)) release(record, status);
  }
}

extern "C" void csys_cleanup_doId_(csys_cleanupRecord* records, int32_t* count, int32_t* status,
                                   int32_t id, int32_t run) {
  int32_t index = *count - 1;
  while (index >= 0 && records[index].id != id) --index;
  if (index < 0) {
    cstd_assert_(__LINE__);
    return;
  }
  const csys_cleanupRecord record = records[index];
  for (int32_t i = index + 1; i < *count; ++i) records[i - 1] = records[i];
  --*count;
  if (run) release(record, status);
}
