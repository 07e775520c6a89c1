// The process-wide base tables of the ID edge detector: magnitude and angle code of every
// gradient pair, computed once so that the per-pixel work is one table load.
//
// Each variant has its own record: a vector created once (its destruction registered for
// shutdown) and filled on its first request under the process-wide critical section. A
// filled table is never written again, so callers read it outside the lock.
#include <math.h>

#include <algorithm>
#include <numbers>

#include "ci_id/priv/ci_idut/edge.h"
#include "id/idut/edge/id_edge_gradient.h"
#include "id/idut/edge/id_edge_tables.h"
#include "id/idut/frame/check.h"
#include "kit/math.h"
#include "kit/system.h"

namespace {

struct baseTableRecord {
  csys_onceFlag created;
  cstd_vector8 table;
  int32_t variant;
};

baseTableRecord baseTables[2] = {{{0}, {}, 0}, {{0}, {}, 1}};
csys_criticalSection* baseTableSection = nullptr;

// Angle codes per radian: 256 codes to a turn.
constexpr double codesPerRadian = 128.0 / std::numbers::pi;

void destroyTable(void* context) {
  cstd_vector8_destruct(&static_cast<baseTableRecord*>(context)->table);
}

int32_t createTable(void* context) {
  baseTableRecord* record = static_cast<baseTableRecord*>(context);
  if (const int32_t status = cstd_vector8_construct(&record->table, 0); status < 0) {
    return status;
  }
  return csys_shutdown_register(destroyTable, record);
}

void writeEntries(uint8_t* table, int32_t variant) {
  for (int32_t a = -128; a < 128; ++a) {
    for (int32_t b = -128; b < 128; ++b) {
      const uint32_t k = cidut_edgeIDPairIndex(a, b);
      // Twice the gradient length, so that a full-scale step fills the byte.
      const double length = sqrt(cmath_double_sqr(a) + cmath_double_sqr(b));
      const int32_t magnitude = cmath_double_round(std::min(255.0, 2.0 * length));
      table[cidut_edgeIDMagnitudeByte(k)] = uint8_t(magnitude - 128);
      // The pair's components lie along the diagonals (1, -1) and (1, 1): turning back by
      // 45 degrees gives the direction in image coordinates. A code rounding up to a full
      // turn wraps to 0 in the byte.
      const double direction =
          cmath_radian_norm(atan2(double(b), double(a)) - std::numbers::pi / 4);
      uint8_t code = uint8_t(cmath_double_round(direction * codesPerRadian));
      if (variant == 1 && code == 0xFF) code = 0;
      table[cidut_edgeIDAngleByte(k)] = code;
    }
  }
}

struct fillRequest {
  baseTableRecord* record;
  const uint8_t* table;
};

// Runs inside the critical section.
int32_t fillOnce(void* context) {
  fillRequest* request = static_cast<fillRequest*>(context);
  cstd_vector8* table = &request->record->table;
  uint8_t* bytes = nullptr;
  int32_t size = 0;
  cstd_vector8_getBeginSize(table, &bytes, &size);
  if (size == 0) {
    if (const int32_t status = cstd_vector8_resize(table, CF_EDGE_ID_BASE_TABLE_SIZE); status < 0) {
      return status;
    }
    cstd_vector8_getBeginSize(table, &bytes, &size);
    writeEntries(bytes, request->record->variant);
  }
  CIDUT_CHECK(size == CF_EDGE_ID_BASE_TABLE_SIZE);
  request->table = bytes;
  return 0;
}

}  // namespace

int32_t cidut_edgeIDBaseTable(int32_t variant, const uint8_t** table) {
  CIDUT_CHECK(table);
  CIDUT_CHECK(variant == 0 || variant == 1);
  if (const int32_t status = csys_criticalSection_constructSingleton(&baseTableSection);
      status < 0) {
    return status;
  }
  baseTableRecord* record = &baseTables[variant];
  if (const int32_t status = csys_initializeOnce(&record->created, createTable, record);
      status < 0) {
    return status;
  }
  fillRequest request{record, nullptr};
  const int32_t status = csys_criticalSection_protect(baseTableSection, fillOnce, &request);
  if (status < 0) return status;
  *table = request.table;
  return 0;
}

extern "C" int32_t cfEdgeDetectID_install(void) {
  if (const int32_t status = csys_criticalSection_constructSingleton(&baseTableSection);
      status < 0) {
    return status;
  }
  CIDUT_CHECK(baseTableSection);
  const uint8_t* table = nullptr;
  if (const int32_t status = cidut_edgeIDBaseTable(1, &table); status < 0) return status;
  return cidut_edgeIDBaseTable(0, &table);
}
