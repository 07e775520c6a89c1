// The remainder of a received block by the generator polynomial, from its product table.
#include "datamatrix/clean_block_check.h"

#include <string.h>

#include "kit/system.h"

int32_t idread_buildGeneratorProducts(const cid2d_ReedSolomonCode& code, uint8_t** products) {
  const int32_t nEcc = code.nEcc;
  const int32_t status = csys_memory_alloc_internal(size_t(code.N + 1) * nEcc + productsPadding,
                                                   (void**)products);
  if (status < 0) return status;
  uint8_t* row = *products;
  for (int32_t f = 0; f <= code.N; ++f, row += nEcc) {
    for (int32_t j = 0; j < nEcc; ++j) {
      const int32_t g = code.generatorPoly[j];
      const int32_t logSum = (code.logTable[g] + code.logTable[f]) % code.N;
      row[j] = uint8_t(f == 0 || g == 0 ? 0 : code.expTable[logSum]);
    }
  }
  return 0;
}

bool idread_isCodeword(const uint8_t* products, int32_t nEcc, const int32_t* block, int32_t n) {
  // R = R x + c mod g, highest degree first; x^nEcc = g[0..nEcc-1] modulo g (g monic).
  // A register holds c at [0] and R at [1..nEcc], so that a step is one XOR of byte rows,
  // done eight bytes at a time; the bytes past nEcc are never read back into R.
  uint8_t registers[2][idread_maxBlockCheckWords + 2 * productsPadding] = {};
  uint8_t* current = registers[0];
  uint8_t* next = registers[1];
  for (int32_t i = n - 1; i >= 0; --i) {
    const uint8_t* row = products + size_t(current[nEcc]) * nEcc;
    current[0] = uint8_t(block[i]);
    for (int32_t j = 0; j < nEcc; j += productsPadding) {
      uint64_t r, p;
      memcpy(&r, current + j, sizeof r);
      memcpy(&p, row + j, sizeof p);
      r ^= p;
      memcpy(next + 1 + j, &r, sizeof r);
    }
    uint8_t* const turn = current;
    current = next;
    next = turn;
  }
  uint8_t any = 0;
  for (int32_t j = 1; j <= nEcc; ++j) any |= current[j];
  return any == 0;
}
