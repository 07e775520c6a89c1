// Where each codeword bit of an ECC 200 symbol lies: the diagonal placement over the data
// regions joined together, with its four corner patterns, mapped back into the symbol
// with the regions' borders.
#pragma once

#include <stdint.h>

#include "idread/datamatrix.h"

// Codewords the placement fills: the joined data area divided into bytes.
inline int32_t idread_placementCodewords(const idread_DataMatrixSize& size) {
  return size.regionRows * size.regionHeight * size.regionColumns * size.regionWidth / 8;
}

// table[8 k + b] = row * size.columns + column of bit b (0 the most significant) of
// codeword k, for k < idread_placementCodewords(size). occupied is scratch of one byte per
// data module.
void idread_buildPlacement(const idread_DataMatrixSize& size, uint16_t* table, uint8_t* occupied);
