// Reading DataMatrix symbols from images: zint's symbols of a spread of sizes and every
// encodation painted in perspective, blurred and noised, both polarities and mirrored,
// read back to exactly the encoded bytes; damaged codewords corrected up to capacity and
// a clean "not read" beyond; the demo image; no wrong text over the sample sets.
#include "idread/read.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "datamatrix_symbols.h"
#include "image_file.h"
#include "json.h"
#include "support/symbols.h"
#include "support/synthetic.h"

namespace {

std::vector<idread_reading> readAll(const cimg_image* image, idread_polarity polarity) {
  idread_reader* reader = nullptr;
  EXPECT_EQ(idread_reader_create(&reader), 0);
  idread_readOptions options;
  options.locate.polarity = polarity;
  std::vector<idread_reading> readings;
  EXPECT_EQ(idread_readAll(reader, image, options, &readings), 0);
  idread_reader_release(&reader);
  return readings;
}

struct painting {
  explicit painting(double modulePixels = 5) : module(modulePixels) {}
  double module;
  bool lightOnDark = false;
  bool mirrored = false;        // printed as its transposed grid
  std::vector<cmath_vect> blots;  // ink discs of one module's diameter, in modules
};

// The symbol painted turned and in mild perspective (far side 8 % shorter), blurred,
// noised; its readings.
std::vector<idread_reading> paintAndRead(const moduleGrid& symbol, const painting& p,
                                         uint32_t seed = 1) {
  const moduleGrid grid = p.mirrored ? transposedGrid(symbol) : symbol;
  const double width = grid.columns * p.module, height = grid.rows * p.module;
  const int32_t side = int32_t(std::max(width, height) * 1.3) + 40;
  const double ground = p.lightOnDark ? 40 : 215, ink = p.lightOnDark ? 220 : 30;
  greyScene scene(side, side, ground);
  cmath_vect corners[4];
  turnedRectangle({side / 2.0, side / 2.0}, width, height, 0.35 + 0.1 * seed, corners);
  for (const int32_t k : {1, 2}) {
    corners[k].x += 0.04 * (corners[k == 1 ? 2 : 1].x - corners[k].x);
    corners[k].y += 0.04 * (corners[k == 1 ? 2 : 1].y - corners[k].y);
  }
  paintModules(scene, grid, corners, ink);
  moduleGrid blot{1, 1, {1}};
  for (const cmath_vect& b : p.blots) {
    cmath_vect square[4];
    for (int32_t k = 0; k < 4; ++k) {
      // Bilinear within the painted quadrilateral, the blot a module square at b.
      const double u = (b.x + (k == 1 || k == 2)) / grid.columns;
      const double v = (b.y + (k >= 2)) / grid.rows;
      square[k] = {(1 - v) * ((1 - u) * corners[0].x + u * corners[1].x) +
                       v * ((1 - u) * corners[3].x + u * corners[2].x),
                   (1 - v) * ((1 - u) * corners[0].y + u * corners[1].y) +
                       v * ((1 - u) * corners[3].y + u * corners[2].y)};
    }
    paintModules(scene, blot, square, p.lightOnDark ? ground : ink);
  }
  scene.gaussianBlur(0.8);
  scene.addNoise(4, seed);
  testImage image(scene);
  return readAll(image.image(),
                 p.lightOnDark ? idread_polarityLightOnDark : idread_polarityDarkOnLight);
}

// The one reading, expected read to text.
const idread_reading* expectRead(const std::vector<idread_reading>& readings,
                                 const std::string& text, const std::string& what) {
  EXPECT_EQ(readings.size(), 1u) << what;
  if (readings.size() != 1) return nullptr;
  EXPECT_EQ(readings[0].read, 1) << what << " status " << readings[0].status;
  EXPECT_EQ(readings[0].text, text) << what;
  return &readings[0];
}

// zint's symbol of exactly rows x columns modules.
moduleGrid zintSymbolOfSize(int32_t rows, int32_t columns, const std::string& text) {
  int32_t count = 0;
  const int32_t version =
      int32_t(idread_dataMatrixSizeFind(rows, columns) - idread_dataMatrixSizes(&count)) + 1;
  return zintSymbol(text, "--vers=" + std::to_string(version));
}

TEST(Read, SizesRoundTrip) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  struct sizeCase {
    int32_t rows, columns;
    double module;
  };
  // Squares of one to 36 data regions, rectangles, extended rectangles up to aspect 4.
  const sizeCase cases[] = {{10, 10, 7}, {18, 18, 5},  {32, 32, 4},  {64, 64, 3},
                            {144, 144, 4}, {8, 18, 6}, {12, 36, 5},  {16, 48, 4},
                            {20, 64, 4}, {26, 40, 4},  {16, 64, 4}};
  const std::string pattern = "Read 2026-12-06 ABCDEFGHIJ";
  for (const sizeCase& c : cases) {
    const idread_DataMatrixSize& size = *idread_dataMatrixSizeFind(c.rows, c.columns);
    std::string text;
    for (int32_t k = 0; k < size.dataCodewords - 2; ++k) text += pattern[size_t(k) % pattern.size()];
    const std::string what = std::to_string(c.rows) + "x" + std::to_string(c.columns);
    const auto readings = paintAndRead(zintSymbolOfSize(c.rows, c.columns, text), painting(c.module));
    if (const idread_reading* r = expectRead(readings, text, what)) {
      EXPECT_EQ(r->rows, c.rows) << what;
      EXPECT_EQ(r->columns, c.columns) << what;
    }
  }
}

// Each encodation painted in one of the four ways: either polarity, plain or mirrored.
TEST(Read, EncodationsRoundTripInEitherPolarityAndMirrored) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  struct encodationCase {
    std::string zintText, options, text;
  };
  std::string bytes;  // Base256
  for (int32_t i = 0; i < 40; ++i) bytes += char(0x80 + i * 3);
  const encodationCase cases[] = {
      {"0123456789012345678901234567890123", "", "0123456789012345678901234567890123"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ ABCDEF0123", "", "ABCDEFGHIJKLMNOPQRSTUVWXYZ ABCDEF0123"},
      {"abcdefghijklmnopqrstuvwxyz abcdef0123", "", "abcdefghijklmnopqrstuvwxyz abcdef0123"},
      {"ABC*DEF>GHI\\rJKL*MNO>PQR\\rSTU*VWX>", "--esc", "ABC*DEF>GHI\rJKL*MNO>PQR\rSTU*VWX>"},
      {".A.B.C.D.E.F.G.H.I.J.K.L.M.N.O.P", "", ".A.B.C.D.E.F.G.H.I.J.K.L.M.N.O.P"},
      {zintEscaped(bytes), "--esc --binary", bytes},
      {"[01]09501101530003[10]ABC123", "--gs1", "0109501101530003" "10ABC123"},
      {"Grüße", "--eci=26", "Gr\xC3\xBC\xC3\x9F" "e"},
      {"PART2", "--structapp=2,3,1001", "PART2"},
      {"[)>\\R05\\GAB1\\R\\E", "--esc", "[)>\x1E" "05\x1D" "AB1\x1E\x04"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const encodationCase& c = cases[i];
    painting p;
    p.lightOnDark = i % 2;
    p.mirrored = i / 2 % 2;
    const auto readings = paintAndRead(zintSymbol(c.zintText, c.options), p, uint32_t(i));
    const idread_reading* r = expectRead(readings, c.text, c.zintText + " " + c.options);
    if (!r) continue;
    EXPECT_EQ(r->mirrored, int32_t(p.mirrored)) << c.zintText;
    EXPECT_EQ(r->gs1, int32_t(c.options == "--gs1")) << c.zintText;
    if (c.options == "--eci=26") {
      ASSERT_EQ(r->ecis.size(), 1u);
      EXPECT_EQ(r->ecis[0].number, 26);
    }
    if (c.options.find("--structapp") == 0) {
      EXPECT_EQ(r->appendPosition, 2);
      EXPECT_EQ(r->appendCount, 3);
    }
    if (c.options == "--esc" && c.text[0] == '[') {
      EXPECT_EQ(r->macro, 5);
    }
  }
}

// Codewords inverted in the painted symbol: 64 x 64 has two interleaved blocks of 56
// check words, each correcting 28 errors. One more in a block is a clean failure.
TEST(Read, CorrectsDamageUpToCapacityAndNoFurther) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  const moduleGrid clean = zintSymbolOfSize(64, 64, "DAMAGE TOLERANCE 0123456789");
  for (const int32_t damaged : {20, 56, 57, 58, 70}) {
    moduleGrid grid = clean;
    for (int32_t k = 0; k < damaged; ++k) damageCodeword(grid, k * 3 % 392);
    const auto readings = paintAndRead(grid, painting(3.5));
    ASSERT_EQ(readings.size(), 1u) << damaged;
    const idread_reading& r = readings[0];
    if (damaged <= 56) {
      EXPECT_EQ(r.read, 1) << damaged;
      EXPECT_EQ(r.text, "DAMAGE TOLERANCE 0123456789") << damaged;
      EXPECT_EQ(r.correctedErrors, damaged) << damaged;
    } else {
      EXPECT_EQ(r.read, 0) << damaged << ": " << r.text;
    }
  }

  // Ink blots over a 32 x 32 symbol's data (corners and centre): corrected.
  const moduleGrid symbol = zintSymbolOfSize(32, 32, "BLOTS 2026");
  painting p;
  p.blots = {{4, 4}, {5, 4}, {4, 5}, {16, 16}, {15, 16}, {25, 8}, {8, 25}};
  for (const bool light : {false, true}) {
    p.lightOnDark = light;
    if (const idread_reading* r = expectRead(paintAndRead(symbol, p), "BLOTS 2026", "blots")) {
      EXPECT_GT(r->correctedErrors, 0);
    }
  }
}

TEST(Read, DemoImage) {
  ccGreyImage image;
  std::string error;
  ASSERT_TRUE(idut_readGreyImage(IDUT_DATA_DIR "/labels.pgm", &image, &error)) << error;
  std::vector<std::string> texts;
  for (const idread_reading& r : readAll(image.image(), idread_polarityDarkOnLight)) {
    EXPECT_EQ(r.read, 1);
    texts.push_back(r.text);
  }
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, (std::vector<std::string>{"MCVQBF3", "OWRGJ9", "Q042ULNZG"}));
}

// The sample sets read as `idut read --json` does, scored by tools/score_read.py: no wrong
// text anywhere, and the read counts of synthetic/easy and multi kept.
TEST(Read, SampleSetsGiveNoWrongText) {
  const std::filesystem::path samples = IDUT_SAMPLES_DIR;
  const std::string scorer = IDUT_DATA_DIR "/../tools/score_read.py";
  if (!std::filesystem::exists(samples / "real")) GTEST_SKIP() << "no samples at " << samples;
  if (std::system("python3 --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  const std::string lines = testing::TempDir() + "read_test.jsonl";
  std::ofstream out(lines);
  for (const char* set : {"synthetic/easy", "synthetic/multi", "synthetic/hard", "real"}) {
    for (const auto& entry : std::filesystem::directory_iterator(samples / set)) {
      if (entry.path().extension() != ".pgm") continue;
      ccGreyImage image;
      std::string error;
      ASSERT_TRUE(idut_readGreyImage(entry.path().string(), &image, &error)) << error;
      out << "{\"image\": " << idut_jsonString(entry.path().string()) << ", \"ms\": 0, \"symbols\": [";
      const char* separator = "";
      for (const idread_reading& r : readAll(image.image(), idread_polarityDarkOnLight)) {
        out << separator << "{\"read\": " << r.read;
        separator = ", ";
        if (!r.read) {
          out << "}";
          continue;
        }
        out << ", \"text\": " << idut_jsonLatin1String(r.text) << ", \"gs1\": " << r.gs1
            << ", \"ecis\": [";
        for (size_t k = 0; k < r.ecis.size(); ++k)
          out << (k ? ", [" : "[") << r.ecis[k].number << ", " << r.ecis[k].offset << "]";
        out << "]}";
      }
      out << "]}\n";
    }
  }
  out.close();

  // Rows: set, images, symbols, read (share), wrong, not read, median ms, no truth.
  FILE* pipe = popen(("python3 " + scorer + " " + lines).c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::map<std::string, int32_t> read;
  char line[512];
  while (fgets(line, sizeof line, pipe)) {
    std::istringstream row(line);
    std::string set, share;
    int32_t images = 0, symbols = 0, right = 0, wrong = -1;
    if (!(row >> set >> images >> symbols >> right >> share >> wrong)) continue;
    EXPECT_EQ(wrong, 0) << set;
    read[set] = right;
  }
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_GE(read["easy"], 29);
  EXPECT_GE(read["multi"], 13);
  EXPECT_GE(read["hard"], 8);
  EXPECT_GE(read["real"], 48);
  std::filesystem::remove(lines);
}

}  // namespace
