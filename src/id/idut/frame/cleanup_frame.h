// ccCleanupFrame: the cleanup frame of one function call, over the kit's cleanup records.
//
// A function that acquires temporaries declares a frame with room for the most it holds
// at once, registers each resource right after acquiring it, and leaves through exit():
//
//   ccCleanupFrame<2> frame;
//   uint8_t* buffer = nullptr;
//   if (frame.failed(csys_memory_alloc_internal(n, (void**)&buffer))) return frame.exit();
//   frame.holdBlock(&buffer);
//   ...
//   return frame.exit();
//
// Temporaries are released on every exit; outputs registered with holdOutput are
// released only when the function fails. Should an exception (a throwing assertion
// handler) leave the function, the destructor runs the records.
#pragma once

#include <stdint.h>

#include "id/idut/frame/check.h"
#include "kit/system.h"

template <int Capacity>
class ccCleanupFrame {
 public:
  ccCleanupFrame() : tag_(csys_cleanup_getNextTag()) {}
  ~ccCleanupFrame() {
    if (count_ > 0) exit();
  }
  ccCleanupFrame(const ccCleanupFrame&) = delete;
  ccCleanupFrame& operator=(const ccCleanupFrame&) = delete;

  // Records status as the function's status when it is a failure; true if it is.
  bool failed(int32_t status) {
    if (status >= 0) return false;
    status_ = status;
    return true;
  }
  // Sets a failure of the function's own and leaves.
  int32_t fail(int32_t status) {
    status_ = status;
    return exit();
  }
  int32_t status() const { return status_; }

  // A kit memory block held in *pointer, freed on every exit.
  template <class T>
  void holdBlock(T** pointer) {
    add(CSYS_CLEANUP_POINTER_ALWAYS, pointer, &freeBlock<T>);
  }
  // A kit object held through *pointer (an edge list, say), released by Release(pointer)
  // on every exit; Release sets the pointer to null.
  template <auto Release, class T>
  void holdPointer(T** pointer) {
    add(CSYS_CLEANUP_POINTER_ALWAYS, pointer, &releaseObject<Release, T*>);
  }
  // An object destroyed in place by Release on every exit.
  template <auto Release, class T>
  void holdObject(T* object) {
    add(CSYS_CLEANUP_OBJECT_ALWAYS, object, &releaseObject<Release, T>);
  }
  // An output object handed to the caller: destroyed by Release only if the call fails.
  template <auto Release, class T>
  void holdOutput(T* object) {
    add(CSYS_CLEANUP_OBJECT_ON_FAILURE, object, &releaseObject<Release, T>);
  }
  // An output pointer handed to the caller: Release(pointer) only if the call fails.
  template <auto Release, class T>
  void holdOutputPointer(T** pointer) {
    add(CSYS_CLEANUP_POINTER_ON_FAILURE, pointer, &releaseObject<Release, T*>);
  }

  // Releases the newest resource now (for example before retrying another way).
  void releaseNewest() {
    CIDUT_CHECK(count_ >= 1 && count_ <= Capacity);
    csys_cleanup_doId_(records_, &count_, &status_, records_[count_ - 1].id, 1);
  }

  // Runs the records and returns the function's final status.
  int32_t exit() {
    CIDUT_CHECK(count_ >= 0);
    CIDUT_CHECK(count_ <= Capacity);
    csys_cleanupExecute_(records_, &count_, &status_, tag_);
    return status_;
  }

 private:
  template <class T>
  static int32_t freeBlock(void* address) {
    T** pointer = static_cast<T**>(address);
    void* block = *pointer;
    const int32_t status = csys_memory_free_internal(&block);
    *pointer = nullptr;
    return status;
  }
  template <auto Release, class T>
  static int32_t releaseObject(void* address) {
    return Release(static_cast<T*>(address));
  }

  template <class T>
  void add(int32_t kind, T* address, csys_cleanupFunc release) {
    CIDUT_CHECK(count_ < Capacity);
    if (nextId_ == -1) nextId_ = 0;
    records_[count_++] = csys_cleanupRecord{nextId_++, kind, (void*)address, release};
  }

  csys_cleanupRecord records_[Capacity];
  int32_t count_ = 0;
  int32_t status_ = 0;
  int32_t nextId_ = 0;
  int32_t tag_;
};
