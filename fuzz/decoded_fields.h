// The fields of a decoded DataMatrix text that hold whatever the data: flags of 0 or 1,
// structured-append and ECI values in range, ECI offsets ascending within the text.
#pragma once

#include <cstring>

#include "fuzz_support.h"
#include "idread/datamatrix.h"

inline int32_t fuzz_recordedEcis(const idread_DataMatrixResult& r) {
  return r.eciCount < IDREAD_DATAMATRIX_MAX_ECIS ? r.eciCount : IDREAD_DATAMATRIX_MAX_ECIS;
}

inline void fuzz_checkDecodedFields(const idread_DataMatrixResult& r) {
  FUZZ_REQUIRE(r.length >= 0 && r.length <= IDREAD_DATAMATRIX_MAX_BYTES);
  FUZZ_REQUIRE((r.encodations & ~0x3F) == 0);
  FUZZ_REQUIRE(r.gs1 == 0 || r.gs1 == 1);
  FUZZ_REQUIRE(r.readerProgramming == 0 || r.readerProgramming == 1);
  FUZZ_REQUIRE(r.macro == 0 || r.macro == 5 || r.macro == 6);
  if (r.appendPosition == 0) {
    FUZZ_REQUIRE(r.appendCount == 0 && r.appendFileId == 0);
  } else {
    FUZZ_REQUIRE(r.appendPosition >= 1 && r.appendPosition <= 16);
    FUZZ_REQUIRE(r.appendCount >= 2 && r.appendCount <= 16);
    FUZZ_REQUIRE(r.appendFileId >= 0 && r.appendFileId <= 0xFFFF);
  }
  FUZZ_REQUIRE(r.eciCount >= 0);
  for (int32_t i = 0; i < fuzz_recordedEcis(r); ++i) {
    FUZZ_REQUIRE(r.ecis[i].number >= 0 && r.ecis[i].number <= 999999);
    FUZZ_REQUIRE(r.ecis[i].offset >= 0 && r.ecis[i].offset <= r.length);
    FUZZ_REQUIRE(i == 0 || r.ecis[i].offset >= r.ecis[i - 1].offset);
  }
}

// Two results agree in their data fields, recorded ECIs and texts.
inline bool fuzz_sameText(const idread_DataMatrixResult& a, const idread_DataMatrixResult& b) {
  const size_t first = offsetof(idread_DataMatrixResult, encodations);
  const size_t last = offsetof(idread_DataMatrixResult, ecis);
  if (std::memcmp(reinterpret_cast<const char*>(&a) + first,
                  reinterpret_cast<const char*>(&b) + first, last - first) != 0)
    return false;
  return std::memcmp(a.ecis, b.ecis, size_t(fuzz_recordedEcis(a)) * sizeof a.ecis[0]) == 0 &&
         a.length == b.length && std::memcmp(a.text, b.text, size_t(a.length)) == 0;
}
