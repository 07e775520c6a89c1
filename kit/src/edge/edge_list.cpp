// Edgelet lists: fixed-capacity arrays of edgelets with a frame rule, in kit memory.
#include "internal.h"

namespace {

// *edges = storage for capacity edgelets (null for none).
int32_t allocateEdges(int32_t capacity, csEdge** edges) {
  *edges = nullptr;
  if (capacity == 0) return 0;
  void* block = nullptr;
  const int32_t status = csys_memory_alloc_internal(size_t(capacity) * sizeof(csEdge), &block);
  *edges = static_cast<csEdge*>(block);
  return status;
}

int32_t freeEdges(csEdge** edges) {
  void* block = *edges;
  *edges = nullptr;
  return csys_memory_free_internal(&block);
}

}  // namespace

extern "C" int32_t csEdgeListNew(int32_t capacity, csEdgeList** list) {
  CEDGE_CHECK(list && capacity >= 0);
  *list = nullptr;
  void* record = nullptr;
  if (const int32_t status = csys_memory_alloc_internal(sizeof(csEdgeList), &record); status < 0)
    return status;
  csEdgeList* made = static_cast<csEdgeList*>(record);
  *made = csEdgeList{};
  if (const int32_t status = allocateEdges(capacity, &made->edges); status < 0) {
    csys_memory_free_internal(&record);
    return status;
  }
  made->capacity = capacity;
  *list = made;
  return 0;
}

extern "C" int32_t csEdgeListDelete(csEdgeList** list) {
  CEDGE_CHECK(list);
  if (!*list) return 0;
  int32_t status = freeEdges(&(*list)->edges);
  void* record = *list;
  *list = nullptr;
  if (const int32_t freed = csys_memory_free_internal(&record); status >= 0) status = freed;
  return status;
}

extern "C" int32_t csEdgeListInit(csEdgeList* list, int32_t frame, int32_t reserved) {
  CEDGE_CHECK(list && (frame == 0 || frame == 1) && reserved == 0);
  list->length = 0;
  list->frame = frame;
  list->hasReference = 0;
  list->referenceX = list->referenceY = 0;
  return 0;
}

extern "C" int32_t csEdgeListLen(const csEdgeList* list) {
  CEDGE_CHECK(list);
  return list->length;
}

extern "C" int32_t csEdgeListCapacity(const csEdgeList* list) {
  CEDGE_CHECK(list);
  return list->capacity;
}

extern "C" const csEdge* csEdgeListFirst(const csEdgeList* list) {
  CEDGE_CHECK(list);
  return list->length > 0 ? list->edges : nullptr;
}

extern "C" const csEdge* csEdgeListNext(const csEdgeList* list, const csEdge* edge) {
  CEDGE_CHECK(list && edge && edge >= list->edges && edge < list->edges + list->length);
  return edge + 1 < list->edges + list->length ? edge + 1 : nullptr;
}

extern "C" const csEdge* csEdgeListAt(const csEdgeList* list, int32_t n) {
  CEDGE_CHECK(list && n >= 0 && n < list->length);
  return list->edges + n;
}

extern "C" int32_t csEdgeListAssign(csEdgeList* dst, const csEdgeList* src) {
  CEDGE_CHECK(dst && src);
  if (dst == src) return 0;
  int32_t status = 0;
  if (dst->capacity < src->length) {
    csEdge* grown = nullptr;
    if (status = allocateEdges(src->length, &grown); status < 0) return status;
    status = freeEdges(&dst->edges);
    dst->edges = grown;
    dst->capacity = src->length;
  }
  if (src->length > 0)
    csys_memory_copy(size_t(src->length) * sizeof(csEdge), src->edges, dst->edges);
  dst->length = src->length;
  dst->frame = src->frame;
  dst->hasReference = src->hasReference;
  dst->referenceX = src->referenceX;
  dst->referenceY = src->referenceY;
  return status;
}
