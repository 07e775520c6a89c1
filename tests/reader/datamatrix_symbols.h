// DataMatrix test symbols: zint's, and symbols built here from chosen data codewords
// (check words from the library's codec, modules by the reader's placement), so that
// the data stream decoding meets codewords that no encoder at hand writes. zint numbers
// the sizes as the reader's table orders them, from 1.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "idread/datamatrix.h"
#include "support/symbols.h"

// data as zint --esc reads it: bytes outside printable ASCII, and backslashes, as \xNN.
std::string zintEscaped(const std::string& data);

// zint's symbol for text with the given options; fails the test when zint refuses it.
moduleGrid zintSymbol(const std::string& text, const std::string& options = "");

// The symbol of `size` (an entry of the reader's table) carrying the data codewords,
// padded as an encoder pads them.
moduleGrid builtDataMatrix(const idread_DataMatrixSize& size, std::vector<uint8_t> data);

// XORs every module of codeword k (0-based, in placement order) with bits: 1 inverts it,
// IDREAD_MODULE_UNSURE marks it unsure.
void damageCodeword(moduleGrid& grid, int32_t k, uint8_t bits = IDREAD_MODULE_DARK);

// The same grid transposed.
moduleGrid transposedGrid(const moduleGrid& grid);
