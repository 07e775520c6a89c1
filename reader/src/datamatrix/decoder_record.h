// The decoder record behind the opaque idread_DataMatrixDecoder: the Reed-Solomon codes
// with their clean-block tables, the placement tables built on first use, and the scratch of one decode.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/ecc.h"
#include "idread/datamatrix.h"

constexpr int32_t idread_sizeCount = 48;
// Distinct block check-word counts among the sizes, with room to spare.
constexpr int32_t idread_maxCodes = 32;
constexpr int32_t idread_maxModules = 144 * 144;
constexpr int32_t idread_maxDataModules = 132 * 132;
constexpr int32_t idread_maxCodewords = idread_maxDataModules / 8;

struct idread_DataMatrixDecoder {
  int32_t codeCount;
  cid2d_ReedSolomonCode codes[idread_maxCodes];      // GF(256), polynomial 0x12D
  uint8_t* generatorProducts[idread_maxCodes];       // for each code, see clean_block_check.h
  uint16_t* placements[idread_sizeCount];            // by index in the size table
  uint8_t oriented[idread_maxModules];               // a matrix turned for reading
  uint8_t occupied[idread_maxDataModules];           // placement scratch
  uint8_t codewords[idread_maxCodewords];            // as read, then corrected
  uint8_t unsure[idread_maxCodewords];               // 1 for a codeword with an unsure module
  int32_t block[255];                                // one block, lowest degree first
};
