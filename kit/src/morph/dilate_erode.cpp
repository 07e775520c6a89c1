// Grey dilation and erosion of an 8-bit image window: the argument checks, the destination
// (bound to a window of the source's size, or given a new image), and the choice between
// the separable square and the general element.
#include <cstdlib>

#include "internal.h"
#include "kit/pel.h"
#include "kit/system.h"

#define CIP_CHECK(condition) ((condition) ? (void)0 : cstd_assert_(__LINE__))

namespace {

// The square as cip_gmorphElementArray_constructType lays it out; any other element, the
// square's offsets in another order included, goes tap by tap.
bool isSquare(const cip_gmorphElementArray& element) {
  const int64_t side = 2 * int64_t{element.radius} + 1;
  if (side > 46340 || side * side != element.count) return false;  // 46341^2 > INT32_MAX
  for (int32_t j = 0; j < element.count; ++j) {
    if (element.offsets[2 * j] != j % side - element.radius ||
        element.offsets[2 * j + 1] != j / side - element.radius) {
      return false;
    }
  }
  return true;
}

void checkElement(const cip_gmorphElementArray* element) {
  CIP_CHECK(element != nullptr);
  CIP_CHECK(element->count >= 1 && element->offsets != nullptr && element->radius >= 0);
  for (int32_t j = 0; j < 2 * element->count; ++j) {
    CIP_CHECK(std::abs(int64_t{element->offsets[j]}) <= element->radius);
  }
}

// Scratch memory from the kit's allocator, released on every exit.
struct scratchBlock {
  void* block = nullptr;
  ~scratchBlock() { csys_memory_free_internal(&block); }
};

template <class Extremum>
int32_t applyElement(const cimg_imageConst* source, cimg_image* destination,
                     const cip_gmorphElementArray* element) {
  CIP_CHECK(source != nullptr && destination != nullptr);
  checkElement(element);
  int32_t sourceBound = 0, destinationBound = 0;
  cimg_imageConst_getIsBound(source, &sourceBound);
  cimg_image_getIsBound(destination, &destinationBound);
  if (!sourceBound) return CIMG_STATUS_UNBOUND;
  cimg_windowConst in;
  int32_t status = cimg_windowConst_init(&in, source);
  if (status < 0) return status;
  CIP_CHECK(in.pixelType == CIMG_TYPE_8);
  cimg_window out;
  if (destinationBound) {
    status = cimg_window_init(&out, destination);
    if (status < 0) return status;
    CIP_CHECK(out.pixelType == CIMG_TYPE_8);
    if (out.width != in.width || out.height != in.height) return CIMG_STATUS_BAD_SIZE;
    status = cip_pelfunc_checkMemoryOverlap(&in, &out);
    if (status < 0) return status;
  }

  const bool square = isSquare(*element);
  scratchBlock scratch;
  status = csys_memory_alloc_internal(
      square ? cip_gmorph_squareScratchBytes(in.width, in.height, element->radius)
             : cip_gmorph_offsetsScratchBytes(in.width, in.height, *element),
      &scratch.block);
  if (status < 0) return status;
  if (!destinationBound) {
    status = cimg_image_assignNew(destination, CIMG_TYPE_8, in.width, in.height);
    if (status >= 0) status = cimg_image_setOrigin(destination, in.x0, in.y0);
    if (status >= 0) status = cimg_window_init(&out, destination);
    if (status < 0) {
      cimg_image_setUnbound(destination);
      return status;
    }
  }

  if (square) {
    cip_gmorph_square<Extremum>(in, out, element->radius, scratch.block);
  } else {
    cip_gmorph_offsets<Extremum>(in, out, *element, scratch.block);
  }
  return cimg_image_copyXforms(destination, source);
}

}  // namespace

extern "C" int32_t cip_gmorphDilate8(const cimg_imageConst* source, cimg_image* destination,
                                     const cip_gmorphElementArray* element) {
  return applyElement<cip_gmorph_greatest>(source, destination, element);
}

extern "C" int32_t cip_gmorphErode8(const cimg_imageConst* source, cimg_image* destination,
                                    const cip_gmorphElementArray* element) {
  return applyElement<cip_gmorph_least>(source, destination, element);
}
