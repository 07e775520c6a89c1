// DataMatrix test symbols, see datamatrix_symbols.h.
#include "datamatrix_symbols.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include "ci_id/priv/ci_idut/ecc.h"
#include "datamatrix/placement.h"

namespace {

std::vector<uint16_t> placementOf(const idread_DataMatrixSize& size) {
  std::vector<uint16_t> table(8 * size_t(idread_placementCodewords(size)));
  std::vector<uint8_t> occupied(size_t(size.regionRows * size.regionHeight) * size.regionColumns *
                                size.regionWidth);
  idread_buildPlacement(size, table.data(), occupied.data());
  return table;
}

}  // namespace

std::string zintEscaped(const std::string& data) {
  std::string escaped;
  for (const char c : data) {
    char hex[5];
    snprintf(hex, sizeof hex, "\\x%02X", uint8_t(c));
    escaped += c >= ' ' && c < 127 && c != '\\' ? std::string(1, c) : std::string(hex);
  }
  return escaped;
}

moduleGrid zintSymbol(const std::string& text, const std::string& options) {
  moduleGrid grid;
  EXPECT_TRUE(zintModules(zintDataMatrix, text, &grid, options)) << text << " " << options;
  return grid;
}

moduleGrid builtDataMatrix(const idread_DataMatrixSize& size, std::vector<uint8_t> data) {
  // The first pad is 129, the following ones are randomised by their 1-based position.
  for (size_t end = data.size(), i = end; i < size_t(size.dataCodewords); ++i) {
    const int32_t pad = 129 + (149 * int32_t(i + 1) % 253) + 1;
    data.push_back(uint8_t(i == end ? 129 : pad > 254 ? pad - 254 : pad));
  }
  EXPECT_EQ(int32_t(data.size()), size.dataCodewords);

  // Block b takes every codeword t = b mod blocks of the sequence, data then check words;
  // the codec wants a block lowest degree first, the reverse of the sending order.
  const int32_t blocks = size.blocks, nEcc = size.checkCodewords / blocks;
  std::vector<std::vector<int32_t>> checks(static_cast<size_t>(blocks), std::vector<int32_t>(static_cast<size_t>(nEcc)));
  cid2d_ReedSolomonCode code;
  EXPECT_EQ(cid2d_ReedSolomonCode_construct(&code, 8, nEcc, 0x12D, 2), 0);
  for (int32_t b = 0; b < blocks; ++b) {
    std::vector<int32_t> blockData;
    for (int32_t t = b; t < size.dataCodewords; t += blocks) blockData.insert(blockData.begin(), data[t]);
    EXPECT_EQ(cid2d_ReedSolomonCode_GetECCWords(&code, blockData.data(), int32_t(blockData.size()),
                                                checks[b].data(), nEcc), 0);
  }
  cid2d_ReedSolomonCode_destruct(&code);
  std::vector<uint8_t> codewords(data);
  std::vector<int32_t> sent(size_t(blocks), 0);
  for (int32_t t = size.dataCodewords; t < size.dataCodewords + size.checkCodewords; ++t) {
    const int32_t b = t % blocks;
    codewords.push_back(uint8_t(checks[b][size_t(nEcc - 1 - sent[b]++)]));
  }

  // zint's symbol of the size gives the borders and any fixed corner modules.
  int32_t count = 0;
  const int32_t version = int32_t(&size - idread_dataMatrixSizes(&count)) + 1;
  moduleGrid grid = zintSymbol("1", "--vers=" + std::to_string(version));
  const std::vector<uint16_t> table = placementOf(size);
  for (size_t k = 0; k < codewords.size(); ++k)
    for (int32_t bit = 0; bit < 8; ++bit)
      grid.dark[table[8 * k + bit]] = (codewords[k] >> (7 - bit)) & 1;
  return grid;
}

void damageCodeword(moduleGrid& grid, int32_t k, uint8_t bits) {
  const idread_DataMatrixSize* size = idread_dataMatrixSizeFind(grid.rows, grid.columns);
  ASSERT_NE(size, nullptr);
  const std::vector<uint16_t> table = placementOf(*size);
  for (int32_t bit = 0; bit < 8; ++bit) grid.dark[table[8 * size_t(k) + bit]] ^= bits;
}

moduleGrid transposedGrid(const moduleGrid& grid) {
  moduleGrid t;
  t.rows = grid.columns;
  t.columns = grid.rows;
  t.dark.resize(grid.dark.size());
  for (int32_t r = 0; r < t.rows; ++r)
    for (int32_t c = 0; c < t.columns; ++c) t.dark[size_t(r) * t.columns + c] = grid.at(c, r);
  return t;
}
