// cxObject and cxException.
#include "kit/object.h"

#include <cstdio>

cxObject::~cxObject() = default;

cxException::cxException(int32_t status, const char* message) : status_(status), line_(0) {
  std::snprintf(message_, sizeof message_, "%s", message ? message : "");
  file_[0] = '\0';
}

cxException::cxException(int32_t status, const char* file, int32_t line)
    : status_(status), line_(line) {
  message_[0] = '\0';
  std::snprintf(file_, sizeof file_, "%s", file ? file : "");
}
