// Reed-Solomon correction of the interleaved blocks of an ECC 200 symbol.
#pragma once

#include <stdint.h>

#include "datamatrix/decoder_record.h"

// Corrects decoder->codewords (data then check codewords, as placed) block by block;
// afterwards the data codewords are the corrected ones. *corrected = codewords changed.
// Returns 0, IDREAD_ERR_UNCORRECTABLE, or the status of the codec.
int32_t idread_correctBlocks(idread_DataMatrixDecoder& decoder, const idread_DataMatrixSize& size,
                             int32_t* corrected);

// The index in decoder.codes of the code for blocks of nEcc check words, or -1.
int32_t idread_codeIndex(const idread_DataMatrixDecoder& decoder, int32_t nEcc);
