// DataMatrix decoding: round trips through zint for every size and encodation, function
// codewords, hand-built streams, error correction up to capacity and beyond, erasures,
// mirrored matrices, bad sizes and argument checks.
#include <gtest/gtest.h>

#include <algorithm>
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
  for (int32_t i = 0; i < count; ++i) {
    const idread_DataMatrixSize& s = sizes[i];
    EXPECT_EQ(s.rows, s.regionRows * (s.regionHeight + 2));
    EXPECT_EQ(s.columns, s.regionColumns * (s.regionWidth + 2));
    const int32_t area = s.regionRows * s.regionHeight * s.regionColumns * s.regionWidth;
    EXPECT_EQ(area / 8, s.dataCodewords + s.checkCodewords) << s.rows << "x" << s.columns;
    EXPECT_EQ(s.checkCodewords % s.blocks, 0);
    EXPECT_EQ(idread_dataMatrixSizeFind(s.rows, s.columns), &s);
    EXPECT_EQ(s.shape, i < 24 ? IDREAD_DATAMATRIX_SQUARE : i < 30 ? IDREAD_DATAMATRIX_RECTANGLE
                                                                : IDREAD_DATAMATRIX_EXTENDED_RECTANGLE);
  }
  EXPECT_EQ(idread_dataMatrixSizeFind(18, 8), nullptr);
  EXPECT_EQ(idread_dataMatrixSizeNearest(11, 11, 7)->rows, 10);  // a tie: the smaller
  EXPECT_EQ(idread_dataMatrixSizeNearest(8, 47, 7)->columns, 48);
  EXPECT_EQ(idread_dataMatrixSizeNearest(8, 47, 1 << IDREAD_DATAMATRIX_RECTANGLE)->rows, 16);
  EXPECT_EQ(idread_dataMatrixSizeNearest(8, 47, 0), nullptr);
}

// zint's size numbers: 1..24 the squares, 25..30 the rectangles, 31..48 the extended
// rectangles, each in the order of the table.
TEST_F(DataMatrixDecode, EverySizeRoundTrips) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  int32_t count = 0;
  const idread_DataMatrixSize* sizes = idread_dataMatrixSizes(&count);
  const std::string pattern = "Data Matrix 2026-12-06 ";
  for (int32_t i = 0; i < count; ++i) {
    const idread_DataMatrixSize& s = sizes[i];
    std::string text;
    for (int32_t k = 0; k < s.dataCodewords - 2; ++k) text += pattern[size_t(k) % pattern.size()];
    if (text.empty()) text = "7";
    const moduleGrid grid = zintSymbol(text, "--vers=" + std::to_string(i + 1));
    // Rows apart by more than the symbol's width, the bytes between them not modules.
    std::vector<uint8_t> wide(size_t(grid.rows) * (grid.columns + 3), 0xFF);
    for (int32_t r = 0; r < grid.rows; ++r)
      std::copy_n(&grid.dark[size_t(r) * grid.columns], grid.columns, &wide[size_t(r) * (grid.columns + 3)]);
    ASSERT_EQ(idread_DataMatrixDecoder_decode(decoder_, wide.data(), grid.rows, grid.columns,
                                              grid.columns + 3, &result_), 0);
    EXPECT_EQ(this->text(), text);
    EXPECT_EQ(result_.rows, s.rows);
    EXPECT_EQ(result_.columns, s.columns);
    EXPECT_EQ(result_.correctedErrors, 0) << s.rows << "x" << s.columns;
    EXPECT_EQ(result_.mirrored, 0);
  }
}

// zint picks the encodation by content; each text below makes it use the one named.
TEST_F(DataMatrixDecode, EveryEncodationRoundTrips) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  const std::pair<std::string, int32_t> cases[] = {
      {"0123456789012345678901234567890123", IDREAD_ENCODATION_ASCII},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ ABCDEF0123", IDREAD_ENCODATION_C40},
      {"abcdefghijklmnopqrstuvwxyz abcdef0123", IDREAD_ENCODATION_TEXT},
      {"ABC*DEF>GHI\rJKL*MNO>PQR\rSTU*VWX>", IDREAD_ENCODATION_X12},
      {".A.B.C.D.E.F.G.H.I.J.K.L.M.N.O.P", IDREAD_ENCODATION_EDIFACT},
      {"\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9", IDREAD_ENCODATION_BASE256},
      {"a\xE9" "b", IDREAD_ENCODATION_ASCII},  // upper shift
  };
  std::string bytes;  // Base256 with a two-codeword length
  for (int32_t i = 0; i < 300; ++i) bytes += char(0x80 + i % 100);
  for (const auto& [data, encodation] : cases) {
    expectText(zintSymbol(zintEscaped(data), "--esc --binary"), data);
    EXPECT_TRUE(result_.encodations & encodation) << data;
  }
  expectText(zintSymbol(zintEscaped(bytes), "--esc --binary"), bytes);
}

TEST_F(DataMatrixDecode, FunctionCodewordsAreReported) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  // ECI designators of one, two and three codewords.
  for (const int32_t eci : {26, 899, 20000}) {
    expectText(zintSymbol("AB", "--eci=" + std::to_string(eci)), "AB");
    EXPECT_EQ(result_.eciCount, 1);
    EXPECT_EQ(result_.ecis[0].number, eci);
    EXPECT_EQ(result_.ecis[0].offset, 0);
  }

  expectText(zintSymbol("AB", "--init"), "AB");
  EXPECT_EQ(result_.readerProgramming, 1);

  // The macro's header and trailer are given back in full.
  expectText(zintSymbol("[)>\\R06\\Gx\\R\\E", "--esc"), "[)>\x1E" "06\x1Dx\x1E\x04");
  EXPECT_EQ(result_.macro, 6);
}

// Three C40/Text/X12 values in two codewords.
void pushTriplet(std::vector<uint8_t>& cw, int32_t v1, int32_t v2, int32_t v3) {
  const int32_t packed = 1600 * v1 + 40 * v2 + v3 + 1;
  cw.push_back(uint8_t(packed >> 8));
  cw.push_back(uint8_t(packed & 0xFF));
}

// 6-bit EDIFACT values packed into whole codewords, zero bits after the last.
void pushEdifact(std::vector<uint8_t>& cw, const std::vector<int32_t>& values) {
  int32_t bits = 0, count = 0;
  for (int32_t v : values) {
    bits = bits << 6 | v;
    for (count += 6; count >= 8; count -= 8) cw.push_back(uint8_t(bits >> (count - 8)));
  }
  if (count > 0) cw.push_back(uint8_t(bits << (8 - count)));
}

// A Base256 byte at its place in the stream.
void pushRandomised(std::vector<uint8_t>& cw, int32_t value) {
  const int32_t p = int32_t(cw.size()) + 1;
  cw.push_back(uint8_t((value + 149 * p % 255 + 1) % 256));
}

TEST_F(DataMatrixDecode, HandBuiltStreamsDecodeEveryMode) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  std::vector<uint8_t> cw = {230};  // C40
  pushTriplet(cw, 14, 0, 10);       // A, shift 1: LF
  pushTriplet(cw, 1, 14, 2);        // shift 2 '/', shift 3 closes the pair ...
  pushTriplet(cw, 5, 1, 27);        // ... '`' + 5 = 'e', FNC1 as GS
  pushTriplet(cw, 1, 30, 15);       // upper shift: 'B' + 128
  cw.insert(cw.end(), {254, 239});  // Text
  pushTriplet(cw, 14, 2, 26);       // a, shift 3 'Z'
  pushTriplet(cw, 2, 31, 3);        // shift 3 DEL, space
  cw.insert(cw.end(), {254, 241, 4, 238});  // ECI 3 after ten bytes, X12
  pushTriplet(cw, 0, 1, 39);        // CR * Z
  cw.insert(cw.end(), {254, 240});  // EDIFACT, unlatching after 1, 2 and 3 values
  pushEdifact(cw, {1, 31});         // A
  cw.push_back(240);
  pushEdifact(cw, {46, 63, 31});    // . ?
  cw.push_back(240);
  pushEdifact(cw, {26, 0, 32, 31}); // Z @ space
  cw.push_back(231);                // Base256 of 2 bytes
  for (const int32_t byte : {2, 0, 255}) pushRandomised(cw, byte);
  cw.push_back(160);                // "30"
  expectText(builtDataMatrix(sizeOf(26, 26), cw),
             std::string("A\n/e\x1D\xC2" "aZ\x7F \r*ZA.?Z@ ") + std::string("\0\xFF" "30", 4));
  EXPECT_EQ(result_.encodations, 0x3F);
  EXPECT_EQ(result_.eciCount, 1);
  EXPECT_EQ(result_.ecis[0].offset, 10);
  EXPECT_EQ(result_.ecis[0].number, 3);

  // A Base256 field to the end of the symbol; EDIFACT and C40 ending with too few
  // codewords left for their unit, the rest read as ASCII.
  const idread_DataMatrixSize& small = sizeOf(12, 12);  // 5 data codewords
  cw.assign({231});
  for (const int32_t byte : {0, int32_t{'x'}, int32_t{'y'}, 0xF0}) pushRandomised(cw, byte);
  expectText(builtDataMatrix(small, cw), "xy\xF0");
  cw.assign({240});
  pushEdifact(cw, {1, 2, 1, 1});
  cw.push_back('q' + 1);
  expectText(builtDataMatrix(small, cw), "ABAAq");
  cw.assign({230});
  for (int32_t v = 14; v < 23; v += 3) pushTriplet(cw, v, v + 1, v + 2);
  cw.push_back('s' + 1);
  expectText(builtDataMatrix(sizeOf(14, 14), cw), "ABCDEFGHIs");  // 8 data codewords
}

TEST_F(DataMatrixDecode, InvalidStreamsAreNotRead) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  const std::vector<uint8_t> invalid[] = {
      {0},             // no such codeword
      {242},           // nor this one
      {'A' + 1, 233, 1, 1, 1},  // structured append after data
      {233, 0x40, 1, 1},  // structured append of 17 symbols
      {238, 0, 0},     // X12 pair packing to -1
      {'A' + 1, 236},  // macro after data
      {235, 140},      // upper shift before a digit pair
      {230, 250, 1},   // C40 pair above 39 39 39
      {230, 0x0A, 0xA1},  // C40 shift 2 with value 28
      {231, 1 + 150},  // Base256 field longer than the symbol
      {241, 0},        // ECI codeword 0
  };
  for (const std::vector<uint8_t>& cw : invalid) {
    EXPECT_EQ(decode(builtDataMatrix(sizeOf(12, 12), cw)), IDREAD_ERR_INVALID_DATA) << int(cw[0]);
    EXPECT_EQ(result_.length, 0);
    EXPECT_EQ(result_.rows, 0);
  }
}

// Blocks interleave, so codeword k lies in block k mod blocks.
TEST_F(DataMatrixDecode, CorrectsUpToCapacityAndRefusesBeyond) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  for (const int32_t vers : {1, 15, 24, 30, 48}) {  // 10x10, 52x52, 144x144, 16x48, 26x64
    const moduleGrid clean = zintSymbol("12345", "--vers=" + std::to_string(vers));
    const idread_DataMatrixSize& size = sizeOf(clean.rows, clean.columns);
    const int32_t perBlock = size.checkCodewords / size.blocks / 2;
    moduleGrid grid = clean;
    for (int32_t k = 0; k < perBlock * size.blocks; ++k) damageCodeword(grid, 3 * k);
    expectText(grid, "12345");
    EXPECT_EQ(result_.correctedErrors, perBlock * size.blocks) << size.rows;

    // One more in a single block; the straight reading fails and so does the reflected.
    damageCodeword(grid, 3 * perBlock * size.blocks);
    EXPECT_EQ(decode(grid), IDREAD_ERR_UNCORRECTABLE) << size.rows;
    EXPECT_EQ(result_.length, 0);
  }
}

// Erasures keep two check words back for detection: 2 errors + erasures <= nEcc - 2.
TEST_F(DataMatrixDecode, UnsureCodewordsAreErasures) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  const moduleGrid clean = zintSymbol("12345", "--vers=8");  // 24x24: 24 check words
  moduleGrid grid = clean;
  for (int32_t k = 0; k < 22; ++k) damageCodeword(grid, 2 * k, IDREAD_MODULE_DARK | IDREAD_MODULE_UNSURE);
  expectText(grid, "12345");
  EXPECT_EQ(result_.correctedErrors, 22);
  // Three errors besides 20 marks are too many with the marks, not without them.
  grid = clean;
  for (int32_t k = 0; k < 20; ++k) damageCodeword(grid, 2 * k, IDREAD_MODULE_UNSURE);
  for (const int32_t k : {0, 2, 1, 3, 5}) damageCodeword(grid, k);
  expectText(grid, "12345");
  EXPECT_EQ(result_.correctedErrors, 5);
  // Marks on a clean block change nothing.
  grid = clean;
  for (int32_t k = 0; k < 30; ++k) damageCodeword(grid, k, IDREAD_MODULE_UNSURE);
  expectText(grid, "12345");
  EXPECT_EQ(result_.correctedErrors, 0);
}

TEST_F(DataMatrixDecode, MirroredMatricesAreReadAndReported) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  for (const char* options : {"--square", "--vers=25", "--vers=46"}) {
    const moduleGrid grid = zintSymbol("M42", options);
    // Transposed: the L along the top and right.
    expectText(transposedGrid(grid), "M42");
    EXPECT_EQ(result_.mirrored, 1);
    EXPECT_EQ(result_.rows, grid.rows);
    // Reflected about the L's corner: finder as upright.
    moduleGrid reflected = transposedGrid(grid);  // and turned by half a turn
    std::reverse(reflected.dark.begin(), reflected.dark.end());
    expectText(reflected, "M42");
    EXPECT_EQ(result_.mirrored, 1);
    EXPECT_EQ(result_.columns, grid.columns);
  }
}

TEST_F(DataMatrixDecode, BadSizesAndChecks) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  moduleGrid grid = zintSymbol("x", "--vers=1");
  grid.rows = 9;  // no size
  EXPECT_EQ(decode(grid), IDREAD_ERR_NOT_A_SYMBOL_SIZE);
  EXPECT_CHECK_FAILS(idread_DataMatrixDecoder_decode(decoder_, nullptr, 10, 10, 10, &result_));
  EXPECT_CHECK_FAILS(idread_DataMatrixDecoder_decode(decoder_, grid.dark.data(), 10, 10, 9, &result_));
  EXPECT_CHECK_FAILS(idread_DataMatrixDecoder_create(nullptr));

}

}  // namespace
