// DataMatrix decoding: round trips through zint for every size and encodation, function
// codewords, hand-built streams, error correction up to capacity and beyond, mirrored
// matrices, and the decoder's failure exits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datamatrix_symbols.h"
#include "idread/datamatrix.h"
#include "support/hooks.h"

namespace {

class DataMatrixDecode : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(idread_DataMatrixDecoder_create(&decoder_), 0); }
  void TearDown() override { idread_DataMatrixDecoder_release(&decoder_); }

  int32_t decode(const moduleGrid& grid) {
    return idread_DataMatrixDecoder_decode(decoder_, grid.dark.data(), grid.rows, grid.columns,
                                           grid.columns, &result_);
  }
  std::string text() const {
    return std::string(reinterpret_cast<const char*>(result_.text), size_t(result_.length));
  }
  // Decodes and expects the text back.
  void expectText(const moduleGrid& grid, const std::string& expected) {
    ASSERT_EQ(decode(grid), 0) << expected;
    EXPECT_EQ(text(), expected);
  }

  idread_DataMatrixDecoder* decoder_ = nullptr;
  idread_DataMatrixResult result_;
};

const idread_DataMatrixSize& sizeOf(int32_t rows, int32_t columns) {
  return *idread_dataMatrixSizeFind(rows, columns);
}

TEST(DataMatrixSizes, TableAddsUpAndLookupsFindIt) {
  int32_t count = 0;
  const idread_DataMatrixSize* sizes = idread_dataMatrixSizes(&count);
  ASSERT_EQ(count, 48);
  int32_t perShape[3] = {};
  for (int32_t i = 0; i < count; ++i) {
    const idread_DataMatrixSize& s = sizes[i];
    ++perShape[s.shape];
    EXPECT_EQ(s.rows, s.regionRows * (s.regionHeight + 2));
    EXPECT_EQ(s.columns, s.regionColumns * (s.regionWidth + 2));
    const int32_t area = s.regionRows * s.regionHeight * s.regionColumns * s.regionWidth;
    EXPECT_EQ(area / 8, s.dataCodewords + s.checkCodewords) << s.rows << "x" << s.columns;
    EXPECT_EQ(s.checkCodewords % s.blocks, 0);
    EXPECT_EQ(idread_dataMatrixSizeFind(s.rows, s.columns), &s);
  }
  EXPECT_EQ(perShape[IDREAD_DATAMATRIX_SQUARE], 24);
  EXPECT_EQ(perShape[IDREAD_DATAMATRIX_RECTANGLE], 6);
  EXPECT_EQ(perShape[IDREAD_DATAMATRIX_EXTENDED_RECTANGLE], 18);
  EXPECT_EQ(idread_dataMatrixSizeFind(18, 8), nullptr);

  const int32_t all = 7, squares = 1 << IDREAD_DATAMATRIX_SQUARE;
  EXPECT_EQ(idread_dataMatrixSizeNearest(23, 25, all)->rows, 24);
  EXPECT_EQ(idread_dataMatrixSizeNearest(11, 11, squares)->rows, 10);  // tie: the smaller
  EXPECT_EQ(idread_dataMatrixSizeNearest(8, 47, all)->columns, 48);
  EXPECT_EQ(idread_dataMatrixSizeNearest(8, 47, 1 << IDREAD_DATAMATRIX_RECTANGLE)->rows, 16);
  EXPECT_EQ(idread_dataMatrixSizeNearest(8, 47, 0), nullptr);
}

// zint's size numbers: 1..24 the squares, 25..30 the rectangles, 31..48 the extended
// rectangles, each in the order of the table.
TEST_F(DataMatrixDecode, EverySizeRoundTrips) {
  int32_t count = 0;
  const idread_DataMatrixSize* sizes = idread_dataMatrixSizes(&count);
  const std::string pattern = "Data Matrix 2026-12-06 ";
  for (int32_t i = 0; i < count; ++i) {
    const idread_DataMatrixSize& s = sizes[i];
    std::string text;
    for (int32_t k = 0; k < s.dataCodewords - 2; ++k) text += pattern[size_t(k) % pattern.size()];
    if (text.empty()) text = "7";
    const moduleGrid grid = zintSymbol(text, "--vers=" + std::to_string(i + 1));
    ASSERT_EQ(grid.rows, s.rows);
    ASSERT_EQ(grid.columns, s.columns);
    expectText(grid, text);
    EXPECT_EQ(result_.rows, s.rows);
    EXPECT_EQ(result_.columns, s.columns);
    EXPECT_EQ(result_.correctedErrors, 0) << s.rows << "x" << s.columns;
    EXPECT_EQ(result_.mirrored, 0);
  }
}
}  // namespace
