// Numpy arrays in and out of kit images: the pixels of a suitably laid out array are lent
// to the kit as the block of an image buffer, others are copied row by row.
#include "array_image.h"

#include <climits>
#include <cstring>

#include "status_error.h"

namespace py = pybind11;

namespace {

constexpr py::ssize_t kitRowAlignment = 16;  // bytes, the kit's row pitch rounding

// The block that lendPixels hands to the kit's buffer; set just before the construct.
thread_local void* lentPixels = nullptr;

int32_t lendPixels(size_t, void** block) {
  *block = lentPixels;
  return 0;
}

// The array owns the pixels: nothing to free.
int32_t keepPixels(void** block) {
  *block = nullptr;
  return 0;
}

int32_t checkedSide(py::ssize_t side) {
  if (side < 1) throw py::value_error("image is empty");
  if (side > INT32_MAX / kitRowAlignment) throw py::value_error("image is too large");
  return int32_t(side);
}

}  // namespace

idutpy_arrayImage::idutpy_arrayImage(const py::array& array) : array_(array) {
  if (!array.dtype().is(py::dtype::of<uint8_t>()))
    throw py::type_error("image must be a uint8 array, not " + std::string(py::str(array.dtype())));
  if (array.ndim() != 2)
    throw py::value_error("image must be 2-D (rows, columns), not " + std::to_string(array.ndim()) +
                          "-D");
  cimg_image_constructUnbound(&image_);
  height_ = checkedSide(array.shape(0));
  width_ = checkedSide(array.shape(1));
  const py::ssize_t rowPitch = (width_ + kitRowAlignment - 1) & -kitRowAlignment;
  const py::ssize_t rowStep = array.strides(0), columnStep = array.strides(1);
  const auto* pixels = static_cast<const uint8_t*>(array.data());
  if (columnStep == 1 && (rowStep == rowPitch || height_ == 1)) {
    lentPixels = const_cast<uint8_t*>(pixels);
    idutpy_throwOnFailure(cimg_image_constructCustomAllocFunc(&image_, CIMG_TYPE_8, width_, height_,
                                                              lendPixels, keepPixels),
                          "image");
    return;
  }
  array_ = py::object();  // copied: the array is not needed past this call
  idutpy_throwOnFailure(cimg_image_construct(&image_, CIMG_TYPE_8, width_, height_), "image");
  cimg_window window;
  cimg_window_init(&window, &image_);
  for (int32_t r = 0; r < height_; ++r) {
    const uint8_t* from = pixels + r * rowStep;
    uint8_t* to = cimg_window_row<uint8_t>(&window, r);
    if (columnStep == 1) {
      std::memcpy(to, from, size_t(width_));
      continue;
    }
    for (int32_t c = 0; c < width_; ++c) to[c] = from[c * columnStep];
  }
}

idutpy_arrayImage::~idutpy_arrayImage() {
  cimg_image_destruct(&image_);
}

template <class Pixel>
py::array_t<Pixel> idutpy_arrayFromImage(const cimg_image* image, const cstd_rect32& area) {
  py::array_t<Pixel> array({py::ssize_t{area.height}, py::ssize_t{area.width}});
  Pixel* out = array.mutable_data();
  std::memset(out, 0, sizeof(Pixel) * size_t(area.width) * size_t(area.height));
  int32_t bound = 0;
  cimg_image_getIsBound(image, &bound);
  if (!bound) return array;
  cstd_rect32 windowRect, common;
  cimg_image_getWindow(image, &windowRect);
  cstd_rect32_intersect(&area, &windowRect, &common);
  int32_t isNull = 0;
  cstd_rect32_getIsNull(&common, &isNull);
  if (isNull) return array;
  cimg_window window;
  cimg_window_initWindow(&window, image, &common, nullptr);
  for (int32_t r = 0; r < common.height; ++r) {
    Pixel* to = out + size_t(common.y - area.y + r) * size_t(area.width) + (common.x - area.x);
    std::memcpy(to, cimg_window_row<Pixel>(&window, r), sizeof(Pixel) * size_t(common.width));
  }
  return array;
}

template py::array_t<uint8_t> idutpy_arrayFromImage<uint8_t>(const cimg_image*, const cstd_rect32&);
template py::array_t<double> idutpy_arrayFromImage<double>(const cimg_image*, const cstd_rect32&);
