// A fast test for an unharmed Reed-Solomon block: a codeword is a multiple of the
// generator polynomial, so its remainder by the generator is zero. With a table of the
// generator's coefficients times every field element the remainder costs one row of XORs
// per codeword, a fraction of the codec's syndromes; most blocks read are clean.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/ecc.h"

// Largest number of check words in one block.
constexpr int32_t idread_maxBlockCheckWords = 68;

// Bytes read at once; the table ends with as many spare bytes.
constexpr int32_t productsPadding = 8;

// *products receives (N + 1) rows of nEcc bytes, row f holding f * g[0..nEcc-1] for a code
// over GF(256), and the padding. Returns the allocation status; free it with the kit.
int32_t idread_buildGeneratorProducts(const cid2d_ReedSolomonCode& code, uint8_t** products);

// True when block[0..n-1] (lowest degree first) is a codeword of the code with nEcc
// check words whose product table is given.
bool idread_isCodeword(const uint8_t* products, int32_t nEcc, const int32_t* block, int32_t n);
