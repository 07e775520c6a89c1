// Block interleaving: codeword t of the whole sequence, data then check words, belongs to
// block t mod blocks. In the largest symbol the first blocks hold one data codeword more,
// and its check words start with those of the shorter blocks.
// A block is sent highest degree first, data before check words; the codec wants the
// lowest degree first, so each block is reversed on the way in and out.
#include "datamatrix/block_correction.h"

#include "datamatrix/clean_block_check.h"

int32_t idread_codeIndex(const idread_DataMatrixDecoder& decoder, int32_t nEcc) {
  for (int32_t i = 0; i < decoder.codeCount; ++i) {
    if (decoder.codes[i].nEcc == nEcc) return i;
  }
  return -1;
}

int32_t idread_correctBlocks(idread_DataMatrixDecoder& decoder, const idread_DataMatrixSize& size,
                             int32_t* corrected) {
  *corrected = 0;
  const int32_t blocks = size.blocks;
  const int32_t nEcc = size.checkCodewords / blocks;
  const int32_t codeIndex = idread_codeIndex(decoder, nEcc);
  cid2d_ReedSolomonCode* code = &decoder.codes[codeIndex];
  const uint8_t* products = decoder.generatorProducts[codeIndex];
  uint8_t* codewords = decoder.codewords;
  int32_t* block = decoder.block;
  for (int32_t b = 0; b < blocks; ++b) {
    const int32_t firstCheck = size.dataCodewords + (b - size.dataCodewords % blocks + blocks) % blocks;
    const int32_t nData = (size.dataCodewords - b + blocks - 1) / blocks;
    const int32_t n = nData + nEcc;
    for (int32_t i = 0; i < nData; ++i) block[n - 1 - i] = codewords[b + i * blocks];
    for (int32_t j = 0; j < nEcc; ++j)
      block[nEcc - 1 - j] = codewords[firstCheck + j * blocks];
    if (idread_isCodeword(products, nEcc, block, n)) continue;
    int32_t count = 0;
    const int32_t status = cid2d_ReedSolomonCode_CorrectErrs(code, block, n, &count);
    if (status < 0) return status;
    // With an odd number of check words the codec may also return a word one error past
    // half of them; that word is as likely a wrong one, so it is not taken.
    if (count < 0 || count > nEcc / 2) return IDREAD_ERR_UNCORRECTABLE;
    *corrected += count;
    for (int32_t i = 0; i < nData; ++i) codewords[b + i * blocks] = uint8_t(block[n - 1 - i]);
  }
  return 0;
}
