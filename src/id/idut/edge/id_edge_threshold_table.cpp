// Threshold tables of the ID edge detector: the angle code of every gradient pair whose
// magnitude reaches the threshold, 0xFF for the others, so that detection needs no
// comparison per pixel. Built from base variant 1, in which 255 never means an angle.
//
// Table bytes: byte 0 the threshold it was built for, bytes 1 .. 15 unused, byte 16 + k
// the entry of pair index k.
#include <string.h>

#include "ci_id/priv/ci_idut/edge.h"
#include "id/idut/edge/id_edge_tables.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/dispatch.h"

namespace {

constexpr int32_t headerBytes = 16;
constexpr uint32_t pairCount = 0x10000;

// One entry at a time.
int32_t buildPerEntry(const uint8_t* base, uint8_t threshold, uint8_t* codes) {
  for (uint32_t k = 0; k < pairCount; ++k) {
    const uint8_t magnitude = cidut_edgeIDMagnitude(base[cidut_edgeIDMagnitudeByte(k)]);
    codes[k] = magnitude < threshold ? uint8_t{0xFF} : base[cidut_edgeIDAngleByte(k)];
  }
  return 0;
}

constexpr uint64_t everyByte = 0x0101010101010101u;
constexpr uint64_t signBits = 0x8080808080808080u;

uint64_t loadWord(const uint8_t* p) {
  uint64_t word;
  memcpy(&word, p, sizeof word);
  return word;
}

// 0xFF in each byte where the signed byte of x is below that of y, 0x00 elsewhere.
uint64_t signedBytesBelow(uint64_t x, uint64_t y) {
  // Flipping the sign bits maps the signed order onto the unsigned one; then each byte's
  // borrow out of x - y, with the byte differences computed without borrows between bytes.
  x ^= signBits;
  y ^= signBits;
  const uint64_t difference = ((x | signBits) - (y & ~signBits)) ^ ((x ^ ~y) & signBits);
  const uint64_t borrow = ((~x & y) | (~(x ^ y) & difference)) & signBits;
  return (borrow >> 7) * 0xFF;
}

// Eight entries per machine word: the group's eight stored magnitudes against t - 128 as
// signed bytes, the 0xFF masks ORed into the group's eight angle codes; four groups (32
// output bytes) per step.
int32_t buildWordWise(const uint8_t* base, uint8_t threshold, uint8_t* codes) {
  constexpr uint32_t groupsPerStep = 4;
  const uint64_t limit = everyByte * uint8_t(threshold - 128);
  for (uint32_t k = 0; k < pairCount; k += 8 * groupsPerStep) {
    for (uint32_t g = 0; g < groupsPerStep; ++g) {
      const uint8_t* group = base + cidut_edgeIDMagnitudeByte(k + 8 * g);
      const uint64_t entries = loadWord(group + 8) | signedBytesBelow(loadWord(group), limit);
      memcpy(codes + k + 8 * g, &entries, sizeof entries);
    }
  }
  return 0;
}

}  // namespace

extern "C" int32_t cf_EdgeDetectIDTableInit(cstd_vector8* table, uint8_t threshold,
                                            int32_t builder) {
  CIDUT_CHECK(table);
  CIDUT_CHECK(builder == 0 || builder == 1);
  uint8_t* bytes = nullptr;
  int32_t size = 0;
  cstd_vector8_getBeginSize(table, &bytes, &size);
  CIDUT_CHECK(size == 0 || size == CF_EDGE_ID_THRESHOLD_TABLE_SIZE);
  if (size != 0 && bytes[0] == threshold) return 0;

  const uint8_t* base = nullptr;
  if (const int32_t status = cidut_edgeIDBaseTable(1, &base); status < 0) return status;
  if (size == 0) {
    if (const int32_t status = cstd_vector8_resize(table, CF_EDGE_ID_THRESHOLD_TABLE_SIZE);
        status < 0) {
      return status;
    }
    cstd_vector8_getBegin(table, &bytes);
  }
  bytes[0] = threshold;
  uint8_t* codes = bytes + headerBytes;
  if (builder == 1) return buildWordWise(base, threshold, codes);
  return cidut_dispatchOptimized(
      "cf_GetAngleTable", [&] { return buildWordWise(base, threshold, codes); },
      [&] { return buildPerEntry(base, threshold, codes); });
}
