// Tracker run parameters and results.
#include "kit/bt.h"
#include "kit/system.h"

extern "C" int32_t cbt_runParams_init(cbt_runParams* params) {
  if (!params) cstd_assert_(__LINE__);
  *params = cbt_runParams{};
  params->interpolate = 1;
  params->polarity = 1;
  params->followOpen = 1;
  params->level = 128;
  params->maxPoints = 16379;
  return 0;
}

extern "C" int32_t cbt_result_construct(cbt_result* result, int32_t initialCapacity) {
  if (!result || initialCapacity < 0) cstd_assert_(__LINE__);
  *result = cbt_result{};
  result->markMode = CBT_MARK_ALL;
  if (initialCapacity == 0) return 0;
  void* points = nullptr;
  if (const int32_t status =
          csys_memory_alloc_internal(size_t(initialCapacity) * sizeof(cbt_point), &points);
      status < 0)
    return status;
  result->points = static_cast<cbt_point*>(points);
  result->capacity = initialCapacity;
  return 0;
}

extern "C" int32_t cbt_result_destruct(cbt_result* result) {
  if (!result) cstd_assert_(__LINE__);
  void* points = result->points;
  *result = cbt_result{};
  return csys_memory_free_internal(&points);
}

extern "C" void csys_typeCheck_cbt_result(void) {}
extern "C" void csys_typeCheckFunc_cbt_result(void) {}
