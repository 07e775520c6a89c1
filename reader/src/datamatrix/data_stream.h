// The data codewords of an ECC 200 symbol turned into text: the encodation modes and the
// function codewords (FNC1, structured append, reader programming, macros, ECI).
#pragma once

#include <stdint.h>

#include "idread/datamatrix.h"

// Decodes codewords[0..count-1] into result's text, length and data fields (encodations,
// gs1, macro, readerProgramming, append*, eci*), which it sets all. Returns 0, or
// IDREAD_ERR_INVALID_DATA with result->length = 0.
int32_t idread_decodeDataStream(const uint8_t* codewords, int32_t count,
                                idread_DataMatrixResult* result);
