// The ID edge detector's base tables as the library's own table builders and operators see
// them: the layout of an entry and the hand-out of a filled table.
//
// A base table holds the magnitude and angle code of every gradient pair (a, b) of signed
// bytes, pair index k = (a & 0xFF) << 8 | (b & 0xFF). Entries come in groups of eight
// consecutive indices: the eight magnitudes, stored as m - 128 (signed bytes, so that a
// threshold can be compared eight at a time), then the eight angle codes.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Bytes of one group: eight magnitudes, then eight angle codes.
constexpr int32_t cidut_edgeIDGroupBytes = 16;

inline ptrdiff_t cidut_edgeIDMagnitudeByte(uint32_t k) {
  return (k & 7u) + 2 * (k & ~7u);
}
inline ptrdiff_t cidut_edgeIDAngleByte(uint32_t k) {
  return cidut_edgeIDMagnitudeByte(k) + 8;
}
// The magnitude 0 .. 255 of a stored magnitude byte.
inline uint8_t cidut_edgeIDMagnitude(uint8_t stored) {
  return uint8_t(stored + 128);
}

// *table = the base table of variant 0 (codes 0 .. 255) or 1 (code 255 stored as 0, so that
// 255 never means an angle), CF_EDGE_ID_BASE_TABLE_SIZE bytes. Each variant is filled on
// its first request and stays unchanged until shutdown, so the table may be read without
// holding any lock. Fails only when the table cannot be allocated.
int32_t cidut_edgeIDBaseTable(int32_t variant, const uint8_t** table);
