// Every kit call that allocates, through each of its allocation failures.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "kit/affine.h"
#include "kit/bt.h"
#include "kit/cxvector.h"
#include "kit/edge.h"
#include "kit/filter.h"
#include "kit/morph.h"
#include "kit/vector.h"
#include "support/failure_sweep.h"
#include "support/held_image.h"
#include "support/synthetic.h"

namespace {

using ints = std::vector<int32_t>;

ints contents(const cstd_vector& v) {
  const int32_t* begin = static_cast<const int32_t*>(v.begin);
  return ints(begin, begin + v.size);
}

// Runs op on the vector {1, 2, 3, 4}: a failure must leave it as it was, a success give
// after.
int32_t onFour(const ints& after, const std::function<int32_t(cstd_vector*)>& op) {
  const ints before{1, 2, 3, 4};
  cstd_vector v;
  int32_t status = cstd_vector__constructFromBlockWithVtable(&v, 4, 0, before.data(), 4, nullptr);
  if (status < 0) return status;
  status = op(&v);
  EXPECT_EQ(contents(v), status < 0 ? before : after);
  cstd_vector__destruct(&v);
  return status;
}

// A new vector from construct, released when made.
int32_t made(const std::function<int32_t(cstd_vector*)>& construct) {
  cstd_vector v;
  const int32_t status = construct(&v);
  if (status >= 0) cstd_vector__destruct(&v);
  return status;
}

// Calls operation into a new destination, which must stay unbound when it fails.
int32_t intoNew(const std::function<int32_t(cimg_image*)>& operation) {
  heldImage out;
  const int32_t status = operation(&out.image);
  EXPECT_EQ(out.bound(), status >= 0);
  return status;
}

cbt_runParams rowSeed(int32_t row, int32_t from, int32_t to) {
  cbt_runParams params;
  cbt_runParams_init(&params);
  params.startX = from * 256;
  params.endX = to * 256;
  params.startY = params.endY = row * 256;
  params.level = 125;
  return params;
}

int32_t withElement(int32_t type, int32_t size,
                    const std::function<int32_t(const cip_gmorphElementArray*)>& use) {
  cip_gmorphElementArray element{0, nullptr, 0};
  int32_t status = cip_gmorphElementArray_constructType(&element, type, size);
  if (status >= 0) status = use(&element);
  cip_gmorphElementArray_destruct(&element);
  return status;
}

TEST(KitFailureSweep, EveryAllocatingCall) {
  std::mt19937 random(7);
  const heldImage source({0, 0, 30, 20}, random);
  const cimg_windowConst from = readOnly(source.window());
  greyScene disc(40, 30, 70);
  disc.paint([](double x, double y) { return std::hypot(x - 20, y - 15) < 9; }, 190);
  disc.gaussianBlur(0.9);
  testImage discImage(disc);
  csGaussParams gauss = csGaussParamsNull;
  gauss.xSize = gauss.ySize = 1;
  gauss.flags = CS_FILTER_STANDARD;
  csPlpfParams box = csPlpfParamsNull;
  box.xSize = box.ySize = 3;
  box.flags = CS_FILTER_STANDARD;
  const heldImage target(28, 18, 0);
  const cimg_window into = target.window();
  const cmath_shapeAffineRect rect{{4, 1}, {12, 1}, {4, 9}};
  heldImage bound(30, 20, 9);
  const std::vector<uint8_t> boundPixels = bound.pixels();
  const int32_t one = 1;
  const heldImage old(3, 3, 4);
  const cxVector<uint32_t> big(13, 5);

  const std::vector<sweepRow> rows = {
      {"cimg_image_construct", [] {
         cimg_image image;
         const int32_t status = cimg_image_construct(&image, CIMG_TYPE_8, 3, 2);
         if (status >= 0) cimg_image_destruct(&image);
         return status;
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cimg_image_constructRect", [] {
         cimg_image image;
         const cstd_rect32 area{-2, 5, 3, 2};
         const int32_t status = cimg_image_constructRect(&image, CIMG_TYPE_DOUBLE, &area);
         if (status >= 0) cimg_image_destruct(&image);
         return status;
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cimg_image_constructCustomAllocFunc", [] {
         cimg_image image;
         const int32_t status = cimg_image_constructCustomAllocFunc(
             &image, CIMG_TYPE_8, 1, 1, csys_memory_alloc_internal, csys_memory_free_internal);
         int32_t bound = -1;
         cimg_image_getIsBound(&image, &bound);
         EXPECT_EQ(bound, status >= 0);
         if (status >= 0) cimg_image_destruct(&image);
         return status;
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cimg_image_assignNew keeps the old pixels", [&] {
         heldImage image;
         cimg_image_assign(&image.image, &old.image);
         const int32_t status = cimg_image_assignNew(&image.image, CIMG_TYPE_8, 4, 2);
         EXPECT_TRUE(status >= 0 || image.pixels() == old.pixels());
         return status;
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cbt_result_construct", [] {
         cbt_result result;
         const int32_t status = cbt_result_construct(&result, 16);
         cbt_result_destruct(&result);
         return status;
       }, CSYS_STATUS_NO_MEMORY, false, 1},
      {"cbt_boundaryTrack", [&] {
         cbt_result result;
         cbt_result_construct(&result, 0);
         const cbt_runParams params = rowSeed(15, 4, 20);
         const int32_t status = cbt_boundaryTrack(discImage.constImage(), &params, &result);
         cbt_result_destruct(&result);
         return status;
       }},
      {"cbt_boundaryTrack_Adaptive", [&] {
         cbt_result result;
         cbt_result_construct(&result, 0);
         const cbt_runParams params = rowSeed(15, 4, 20);
         const int32_t status =
             cbt_boundaryTrack_Adaptive(discImage.constImage(), &params, 0, &result);
         cbt_result_destruct(&result);
         return status;
       }},
      {"cip_affine8", [&] {
         return intoNew([&](cimg_image* out) { return cip_affine8(&rect, source.constImage(), out); });
       }},
      {"cip_affineProjectNorm", [&] {
         int32_t count, first, last;
         return intoNew([&](cimg_image* out) {
           return cip_affineProjectNorm(source.constImage(), out, &rect, 1, 0, &count, &first,
                                        &last);
         });
       }},
      {"cip_gauss_smooth8_8", [&] {
         return intoNew(
             [&](cimg_image* out) { return cip_gauss_smooth8_8(source.constImage(), out, &gauss); });
       }},
      {"cip_gauss", [&] { return cip_gauss(&from, &into, &gauss, nullptr); },
       CSYS_STATUS_NO_MEMORY, false, 1},
      {"cip_plpf", [&] { return cip_plpf(&from, &into, &box, nullptr); }, CSYS_STATUS_NO_MEMORY,
       false, 1},
      {"cip_gmorphElementArray_constructType", [] {
         cip_gmorphElementArray e{5, nullptr, 5};
         const int32_t status = cip_gmorphElementArray_constructType(&e, CIP_GMORPH_SQUARE, 3);
         EXPECT_EQ(e.count == 0 && e.offsets == nullptr, status < 0);
         cip_gmorphElementArray_destruct(&e);
         return status;
       }, CSYS_STATUS_NO_MEMORY, false, 1},
      {"cip_gmorphDilate8 into a new image", [&] {
         return withElement(CIP_GMORPH_SQUARE, 8, [&](const cip_gmorphElementArray* e) {
           return intoNew([&](cimg_image* out) { return cip_gmorphDilate8(source.constImage(), out, e); });
         });
       }, CSYS_STATUS_NO_MEMORY, false, 4},  // element, scratch, image record, pixels
      {"cip_gmorphErode8 into a bound image", [&] {
         return withElement(CIP_GMORPH_CROSS, 2, [&](const cip_gmorphElementArray* e) {
           return cip_gmorphErode8(source.constImage(), &bound.image, e);
         });
       }, CSYS_STATUS_NO_MEMORY, false, 2, 0, [&] { EXPECT_EQ(bound.pixels(), boundPixels); }},
      {"csEdgeListNew", [] {
         csEdgeList* list = nullptr;
         const int32_t status = csEdgeListNew(50, &list);
         EXPECT_EQ(list == nullptr, status < 0);
         csEdgeListDelete(&list);
         return status;
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"csEdgeDetect leaves list and chains empty", [&] {
         csEdgeList* list = nullptr;
         int32_t status = csEdgeListNew(40 * 30, &list);
         if (status < 0) return status;
         csEdgeListInit(list, 1, 0);
         csEdgeChains chains;
         csEdgeChains_construct(&chains);
         cxImage95 view;
         EXPECT_EQ(view.init(discImage.image()), 0);
         status = csEdgeDetect(view, nullptr, nullptr, list, &chains, &csEdgeParamsDefault);
         EXPECT_EQ(csEdgeListLen(list) > 0, status >= 0);
         EXPECT_EQ(chains.starts != nullptr, status >= 0);
         csEdgeChains_destruct(&chains);
         csEdgeListDelete(&list);
         return status;
       }, CSYS_STATUS_NO_MEMORY, false, 5},  // list (2), working rows, chain links, storage
      {"csEdgeListAssign", [] {
         csEdgeList *a = nullptr, *b = nullptr;
         int32_t status = csEdgeListNew(4, &a);
         if (status >= 0) status = csEdgeListNew(40, &b);
         if (status >= 0) status = csEdgeListAssign(a, b);
         csEdgeListDelete(&a);
         csEdgeListDelete(&b);
         return status;
       }},
      {"cstd_vector__constructWithVtable", [] {
         return made([](cstd_vector* v) { return cstd_vector__constructWithVtable(v, 5, 0, 4, 0, nullptr); });
       }, CSYS_STATUS_NO_MEMORY, false, 1},
      {"cstd_vector__constructWithVtableUninit", [] {
         return made([](cstd_vector* v) {
           return cstd_vector__constructWithVtableUninit(v, 5, 0, 4, 0, nullptr);
         });
       }, CSYS_STATUS_NO_MEMORY, false, 1},
      {"cstd_vector__constructWithVtableWithMtable", [] {
         return made([](cstd_vector* v) {
           return cstd_vector__constructWithVtableWithMtable(v, 5, 0, 4, 0, nullptr, nullptr);
         });
       }, CSYS_STATUS_NO_MEMORY, false, 1},
      {"cstd_vector__constructFillWithVtable", [&] {
         return made([&](cstd_vector* v) {
           return cstd_vector__constructFillWithVtable(v, 5, 0, 4, 0, &one, nullptr);
         });
       }, CSYS_STATUS_NO_MEMORY, false, 1},
      {"cstd_vector__constructCopy", [] {
         return onFour({1, 2, 3, 4}, [](cstd_vector* v) {
           return made([&](cstd_vector* copy) { return cstd_vector__constructCopy(copy, v); });
         });
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cstd_vector__insert from itself", [] {
         return onFour({1, 4, 4, 4, 2, 3, 4}, [](cstd_vector* v) {
           return cstd_vector__insert(v, 1, 3, static_cast<int32_t*>(v->begin) + 3);
         });
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cstd_vector__insertElement", [&] {
         return onFour({1, 1, 2, 3, 4}, [&](cstd_vector* v) { return cstd_vector__insertElement(v, 0, &one); });
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cstd_vector__pushBack", [&] {
         return onFour({1, 2, 3, 4, 1}, [&](cstd_vector* v) { return cstd_vector__pushBack(v, &one); });
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cstd_vector__append to itself", [] {
         return onFour({1, 2, 3, 4, 1, 2, 3, 4}, [](cstd_vector* v) { return cstd_vector__append(v, v); });
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cstd_vector__assign", [] {
         return onFour({1, 2, 3, 4, 1, 2, 3, 4}, [](cstd_vector* v) {
           cstd_vector eight;
           int32_t status = cstd_vector__constructCopy(&eight, v);
           if (status >= 0) status = cstd_vector__append(&eight, v);
           if (status >= 0) status = cstd_vector__assign(v, &eight);
           cstd_vector__destruct(&eight);
           return status;
         });
       }},
      {"cstd_vector__assignElements", [] {
         const ints five{5, 4, 3, 2, 1};
         return onFour(five, [&](cstd_vector* v) { return cstd_vector__assignElements(v, five.data(), 5); });
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cstd_vector__reserve", [] {
         return onFour({1, 2, 3, 4}, [](cstd_vector* v) { return cstd_vector__reserve(v, 9, 0); });
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cstd_vector__resize", [] {
         return onFour({1, 2, 3, 4, 0}, [](cstd_vector* v) {
           const int32_t status = cstd_vector__resize(v, 5, 0);
           if (status >= 0) static_cast<int32_t*>(v->begin)[4] = 0;  // plain bytes: not made
           return status;
         });
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cstd_vector__resizeUninit", [] {
         return onFour({1, 2, 3, 4, 0}, [](cstd_vector* v) {
           const int32_t status = cstd_vector__resizeUninit(v, 5, 0);
           if (status >= 0) static_cast<int32_t*>(v->begin)[4] = 0;
           return status;
         });
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cstd_vector__resizeFill", [&] {
         return onFour({1, 2, 3, 4, 1}, [&](cstd_vector* v) { return cstd_vector__resizeFill(v, 5, 0, &one); });
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cstd_vector8, 32, 32s", [] {
         cstd_vector8 bytes{}, byteCopy{};
         cstd_vector32 words{}, copy{};
         cstd_vector32s signedWords{}, signedCopy{};
         int32_t status = cstd_vector8_construct(&bytes, 3);
         if (status >= 0) status = cstd_vector8_pushBack(&bytes, 1);
         if (status >= 0) status = cstd_vector8_resize(&bytes, 9);
         if (status >= 0) status = cstd_vector8_construct(&byteCopy, 0);
         if (status >= 0) status = cstd_vector8_assign(&byteCopy, &bytes);
         if (status >= 0) status = cstd_vector32_construct(&words, 2);
         if (status >= 0) status = cstd_vector32_construct(&copy, 0);
         if (status >= 0) status = cstd_vector32_pushBack(&words, 1);
         if (status >= 0) status = cstd_vector32_resize(&words, 6);
         if (status >= 0) status = cstd_vector32_assign(&copy, &words);
         if (status >= 0) status = cstd_vector32s_construct(&signedWords, 1);
         if (status >= 0) status = cstd_vector32s_pushBack(&signedWords, -1);
         if (status >= 0) status = cstd_vector32s_resize(&signedWords, 5);
         if (status >= 0) status = cstd_vector32s_construct(&signedCopy, 0);
         if (status >= 0) status = cstd_vector32s_assign(&signedCopy, &signedWords);
         for (cstd_vector8* v : {&bytes, &byteCopy}) cstd_vector8_destruct(v);
         for (cstd_vector32* v : {&words, &copy}) cstd_vector32_destruct(v);
         for (cstd_vector32s* v : {&signedWords, &signedCopy}) cstd_vector32s_destruct(v);
         return status;
       }},
      {"cxVector assign keeps its storage", [&] {
         cxVector<uint32_t> small;
         int32_t status = small.pushBack(1);
         if (status < 0) return status;
         const uint32_t* storage = small.begin();
         status = small.assign(big);
         EXPECT_TRUE(status == 0 || (small.begin() == storage && small.size() == 1));
         return status;
       }},
  };
  sweepFailures(rows);
}

}  // namespace
