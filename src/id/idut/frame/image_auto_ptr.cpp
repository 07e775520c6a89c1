// The exported members of the image auto pointers; construction and destruction are inline
// in the header, where their throw sites name its lines.
#include "ci_id/priv/ci_idut/image"

cc_ImageAutoPtr& cc_ImageAutoPtr::operator=(const cc_ImageAutoPtr& other) {
  image_ = other.image_;
  return *this;
}

void cc_ImageAutoPtr::release() {
  image_ = nullptr;
}

cc_ImageConstAutoPtr& cc_ImageConstAutoPtr::operator=(const cc_ImageConstAutoPtr& other) {
  image_ = other.image_;
  return *this;
}

void cc_ImageConstAutoPtr::release() {
  image_ = nullptr;
}
