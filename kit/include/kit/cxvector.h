// cxVector: the kit's growable array of trivially copyable values, with storage from the
// kit's memory calls (so that tests can fail its allocations and count its blocks).
//
// Mutating operations return a status: 0, or CSYS_STATUS_NO_MEMORY when storage cannot be
// had; the vector is then unchanged. Constructors that need storage throw cxException
// with that status instead. Growth: when inserting k elements does not fit, the new
// storage holds size + max(size, k) elements. Copy assignment is assign(), which reports
// failure; operator= does not exist.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <algorithm>
#include <type_traits>
#include <utility>

#include "kit/object.h"
#include "kit/system.h"

template <class T>
class cxVector : public cxObject {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                "cxVector moves its elements by copying their bytes");

 public:
  cxVector() = default;
  // count copies of value.
  cxVector(size_t count, const T& value) {
    throwIfFailed(allocateExactly(count));
    end_ = std::fill_n(begin_, count, value);
  }
  cxVector(const cxVector& other) {
    throwIfFailed(allocateExactly(other.size()));
    end_ = std::copy(other.begin_, other.end_, begin_);
  }
  cxVector& operator=(const cxVector&) = delete;
  ~cxVector() override { freeStorage(); }

  size_t size() const { return static_cast<size_t>(end_ - begin_); }
  size_t capacity() const { return static_cast<size_t>(storageEnd_ - begin_); }
  T& operator[](size_t index) { return begin_[index]; }
  const T& operator[](size_t index) const { return begin_[index]; }
  T* begin() { return begin_; }
  T* end() { return end_; }
  const T* begin() const { return begin_; }
  const T* end() const { return end_; }

  // This vector becomes a copy of other.
  int32_t assign(const cxVector& other) {
    if (this == &other) return 0;
    const size_t count = other.size();
    if (count > capacity()) {
      cxVector fresh;
      if (const int32_t status = fresh.allocateExactly(count); status < 0) return status;
      swap(fresh);
    }
    end_ = std::copy(other.begin_, other.end_, begin_);
    return 0;
  }

  // Shrinks to count, or grows to count with copies of value.
  int32_t resize(size_t count, const T& value = T()) {
    const size_t oldSize = size();
    if (count <= oldSize) {
      end_ = begin_ + count;
      return 0;
    }
    const T fill = value;  // value may be an element of this vector
    if (const int32_t status = makeRoom(count - oldSize); status < 0) return status;
    end_ = std::fill_n(end_, count - oldSize, fill);
    return 0;
  }

  int32_t pushBack(const T& value) {
    const T element = value;  // value may be an element of this vector
    if (const int32_t status = makeRoom(1); status < 0) return status;
    *end_++ = element;
    return 0;
  }

  // Size 0; the storage is kept.
  int32_t clear() {
    end_ = begin_;
    return 0;
  }

  int32_t swap(cxVector& other) {
    std::swap(begin_, other.begin_);
    std::swap(end_, other.end_);
    std::swap(storageEnd_, other.storageEnd_);
    return 0;
  }

 private:
  static void throwIfFailed(int32_t status) {
    if (status < 0) throw cxException(status, "cxVector: out of memory");
  }

  // Fresh storage for count elements (none for 0); the vector must hold no storage.
  int32_t allocateExactly(size_t count) {
    if (count == 0) return 0;
    if (count > SIZE_MAX / sizeof(T)) return CSYS_STATUS_NO_MEMORY;
    void* block = nullptr;
    if (const int32_t status = csys_memory_alloc_internal(count * sizeof(T), &block); status < 0)
      return status;
    begin_ = end_ = static_cast<T*>(block);
    storageEnd_ = begin_ + count;
    return 0;
  }

  // Room for count more elements, growing by the rule above when they do not fit.
  int32_t makeRoom(size_t count) {
    const size_t oldSize = size();
    if (capacity() - oldSize >= count) return 0;
    const size_t growth = std::max(oldSize, count);
    if (growth > SIZE_MAX - oldSize) return CSYS_STATUS_NO_MEMORY;
    cxVector grown;
    if (const int32_t status = grown.allocateExactly(oldSize + growth); status < 0) return status;
    grown.end_ = std::copy(begin_, end_, grown.begin_);
    swap(grown);
    return 0;
  }

  void freeStorage() {
    void* block = begin_;
    csys_memory_free_internal(&block);
    begin_ = end_ = storageEnd_ = nullptr;
  }

  T* begin_ = nullptr;
  T* end_ = nullptr;
  T* storageEnd_ = nullptr;
};
