// The kit's C++ root classes: cxObject (root with a virtual destructor), cxException
// (what the kit's classes throw: a status with a message, or with a source position)
// and cxTimer (elapsed wall time).
#pragma once

#include <stdint.h>

#include <chrono>

#include "kit/export.h"

class CKIT_API cxObject {
 public:
  virtual ~cxObject();
};

class CKIT_API cxException {
 public:
  cxException(int32_t status, const char* message);
  cxException(int32_t status, const char* file, int32_t line);

  int32_t status() const { return status_; }
  // Message text; empty when the exception names a source position.
  const char* message() const { return message_; }
  // Source file name; empty when the exception carries a message.
  const char* file() const { return file_; }
  int32_t line() const { return line_; }

 private:
  // Fixed buffers: throwing must not allocate.
  static constexpr int textCapacity = 128;
  int32_t status_;
  int32_t line_;
  char message_[textCapacity];
  char file_[textCapacity];
};

class CKIT_API cxTimer {
 public:
  cxTimer() { reset(); }
  void reset() { start_ = std::chrono::steady_clock::now(); }
  // Milliseconds since construction or the last reset.
  double msec() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_)
        .count();
  }

 private:
  std::chrono::steady_clock::time_point start_;
};
