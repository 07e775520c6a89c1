// DataMatrix test symbols, see datamatrix_symbols.h.
#include "datamatrix_symbols.h"

#include <gtest/gtest.h>

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

// Finder and clock borders of every region, and the fixed corner modules where the
// placement leaves four of them over.
moduleGrid emptySymbol(const idread_DataMatrixSize& size) {
  moduleGrid grid;
  grid.rows = size.rows;
  grid.columns = size.columns;
  grid.dark.assign(size_t(size.rows) * size.columns, 0);
  const int32_t h = size.regionHeight + 2, w = size.regionWidth + 2;
  for (int32_t r = 0; r < size.rows; ++r) {
    for (int32_t c = 0; c < size.columns; ++c) {
      const int32_t y = r % h, x = c % w;
      bool dark = false;
      if (x == 0 || y == h - 1) dark = true;
      else if (y == 0) dark = x % 2 == 0;
      else if (x == w - 1) dark = y % 2 == 1;
      grid.dark[size_t(r) * size.columns + c] = dark;
    }
  }
  const int32_t area = size.regionRows * size.regionHeight * size.regionColumns * size.regionWidth;
  if (area % 8 != 0) {
    grid.dark[size_t(size.rows - 2) * size.columns + size.columns - 2] = 1;
    grid.dark[size_t(size.rows - 3) * size.columns + size.columns - 3] = 1;
  }
  return grid;
}

}  // namespace

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

  const int32_t blocks = size.blocks, nEcc = size.checkCodewords / blocks;
  std::vector<uint8_t> codewords(data);
  codewords.resize(size_t(size.dataCodewords + size.checkCodewords));
  cid2d_ReedSolomonCode code;
  EXPECT_EQ(cid2d_ReedSolomonCode_construct(&code, 8, nEcc, 0x12D, 2), 0);
  for (int32_t b = 0; b < blocks; ++b) {
    std::vector<int32_t> blockData, check(static_cast<size_t>(nEcc));
    for (int32_t i = b; i < size.dataCodewords; i += blocks) blockData.insert(blockData.begin(), data[i]);
    EXPECT_EQ(cid2d_ReedSolomonCode_GetECCWords(&code, blockData.data(), int32_t(blockData.size()),
                                                check.data(), nEcc),
              0);
    const int32_t firstCheck = size.dataCodewords + (b - size.dataCodewords % blocks + blocks) % blocks;
    for (int32_t j = 0; j < nEcc; ++j)
      codewords[size_t(firstCheck + j * blocks)] = uint8_t(check[size_t(nEcc - 1 - j)]);
  }
  cid2d_ReedSolomonCode_destruct(&code);

  moduleGrid grid = emptySymbol(size);
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
