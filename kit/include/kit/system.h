// The kit's system services: assertion, attention (cancellation) polling, memory,
// cleanup frames, one-time initialisation, critical sections and shutdown hooks.
//
// Every call that can fail returns a 32-bit status: 0 success, negative failure.
// The test hooks at the end of each section are process-wide and meant for tests:
// they let a test fail the n-th allocation or attention poll and count live blocks.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "kit/export.h"

#ifdef __cplusplus
extern "C" {
#endif

// Statuses the kit's system services return.
#define CSYS_STATUS_NO_MEMORY ((int32_t)0x80000023)

// ---------------------------------------------------------------------------------------
// Assertion. A failed argument check calls cstd_assert_ with its source line. The default
// handler prints the line to stderr and aborts; tests install one that throws. Callers
// never rely on cstd_assert_ returning.

typedef void (*cstd_assertHandler)(int32_t line);

CKIT_API void cstd_assert_(int32_t line);
// Installs a handler (null restores the default) and returns the previous one.
CKIT_API cstd_assertHandler cstd_assert_setHandler(cstd_assertHandler handler);

// ---------------------------------------------------------------------------------------
// Attention. Long loops poll csys_attention_check; a failing status means "stop now" and
// is handed back to the caller unchanged. An application stops running calls by
// installing a handler that returns a failure status of its choosing.

typedef int32_t (*csys_attentionHandler)(void* context);

CKIT_API int32_t csys_attention_check(void);
// Installs the handler polled by csys_attention_check (null: polls always succeed).
CKIT_API void csys_attention_setHandler(csys_attentionHandler handler, void* context);

// Test hook: the n-th poll from now (1-based) fails with status; n = 0 disarms the hook.
// Arming also restarts the poll count.
CKIT_API void csys_attention_failPoll(int64_t n, int32_t status);
// Number of polls since the hook was last armed or disarmed.
CKIT_API int64_t csys_attention_getPollCount(void);

// ---------------------------------------------------------------------------------------
// Memory. Blocks come from the C heap; fast memory is aligned to 64 bytes. A zero-byte
// request still yields a distinct block. Freeing sets the caller's pointer to null and
// accepts a null pointer. Fill and copy (overlap allowed) cannot fail and return 0.

CKIT_API int32_t csys_memory_alloc_internal(size_t bytes, void** block);
CKIT_API int32_t csys_memory_allocClear_internal(size_t bytes, void** block);
CKIT_API int32_t csys_memory_allocFastMem_internal(size_t bytes, void** block);
CKIT_API int32_t csys_memory_free_internal(void** block);
CKIT_API int32_t csys_memory_fill(int32_t value, size_t bytes, void* destination);
CKIT_API int32_t csys_memory_copy(size_t bytes, const void* source, void* destination);

// A memory table lets a container take its blocks from a caller's allocator.
typedef struct csys_memoryTable {
  int32_t (*alloc)(size_t bytes, void** block);
  int32_t (*free)(void** block);
} csys_memoryTable;

// Test hook: the n-th allocation from now (1-based) fails with CSYS_STATUS_NO_MEMORY and
// leaves the pointer null; n = 0 disarms the hook. Arming restarts the allocation count.
CKIT_API void csys_memory_failAllocation(int64_t n);
// Test hook: every allocation of more than bytes fails with CSYS_STATUS_NO_MEMORY, as on a
// machine short of memory; 0 lifts the limit.
CKIT_API void csys_memory_setAllocationLimit(size_t bytes);
// Allocations attempted since the hook was last armed or disarmed.
CKIT_API int64_t csys_memory_getAllocationCount(void);
// Blocks allocated and not yet freed, process-wide.
CKIT_API int64_t csys_memory_getLiveBlocks(void);

// ---------------------------------------------------------------------------------------
// Cleanup frames. A function that acquires temporaries keeps an array of records in its
// own locals. The first hex digit of a kind says when the record runs: 3 on every exit,
// 2 only when the function fails (an output handed to the caller on success). The second
// digit says what the address designates: 1 a pointer variable, 2 an object.

enum {
  CSYS_CLEANUP_POINTER_ON_FAILURE = 0x21,
  CSYS_CLEANUP_OBJECT_ON_FAILURE = 0x22,
  CSYS_CLEANUP_POINTER_ALWAYS = 0x31,
  CSYS_CLEANUP_OBJECT_ALWAYS = 0x32,
};

typedef int32_t (*csys_cleanupFunc)(void* address);

typedef struct csys_cleanupRecord {
  int32_t id;
  int32_t kind;
  void* address;
  csys_cleanupFunc release;
} csys_cleanupRecord;

// A fresh tag for a frame: a per-thread sequence number, never 0.
CKIT_API int32_t csys_cleanup_getNextTag(void);
// Runs the records newest first and empties the frame. A record of first digit 2 runs
// only while *status is a failure. A release that fails while *status is still success
// stores its status there, so the caller learns of it.
CKIT_API void csys_cleanupExecute_(csys_cleanupRecord* records, int32_t* count, int32_t* status,
                                   int32_t tag);
// Removes the record with the given id from the frame and, when run is non-zero, releases
// what it designates now, whatever its kind (a release failure is stored as in
// csys_cleanupExecute_). An unknown id is an argument error.
CKIT_API void csys_cleanup_doId_(csys_cleanupRecord* records, int32_t* count, int32_t* status,
                                 int32_t id, int32_t run);

// ---------------------------------------------------------------------------------------
// One-time initialisation, critical sections and shutdown.

typedef struct csys_onceFlag {
  int32_t state;  // 0 not run, 1 running, 2 done; zero-initialise statically
} csys_onceFlag;

// Runs init(context) exactly once per flag, process-wide; concurrent callers wait until
// it has finished. Returns the status of that one run to every caller; a failed run is
// retried by the next caller.
CKIT_API int32_t csys_initializeOnce(csys_onceFlag* flag, int32_t (*init)(void* context),
                                     void* context);

typedef struct csys_criticalSection csys_criticalSection;

// Creates the process-wide critical section of *slot on first call (slot must be
// zero-initialised storage); later calls return the same section.
CKIT_API int32_t csys_criticalSection_constructSingleton(csys_criticalSection** slot);
// Runs body(context) while holding the section and returns its status.
CKIT_API int32_t csys_criticalSection_protect(csys_criticalSection* section,
                                              int32_t (*body)(void* context), void* context);

// Registers fn(context) to run at shutdown: in reverse order of registration, when the
// process exits or when csys_shutdown_run is called, whichever comes first.
CKIT_API int32_t csys_shutdown_register(void (*fn)(void* context), void* context);
CKIT_API void csys_shutdown_run(void);

#ifdef __cplusplus
}
#endif
