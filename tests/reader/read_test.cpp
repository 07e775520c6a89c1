// Reading DataMatrix symbols from images: zint's symbols of a spread of sizes and every
// encodation painted in perspective, blurred and noised, both polarities and mirrored,
// read back to exactly the encoded bytes; small modules under heavy noise; damage
// corrected up to capacity and a clean "not read" beyond; the demo image; no wrong text
// over the sample sets.
#include "idread/read.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>
#include <utility>

#include "datamatrix_symbols.h"
#include "image_file.h"
#include "json.h"

namespace {

std::vector<idread_reading> readAll(const cimg_image* image, bool lightOnDark = false) {
  idread_reader* reader = nullptr;
  EXPECT_EQ(idread_reader_create(&reader), 0);
  idread_readOptions options;
  options.locate.polarity = lightOnDark ? idread_polarityLightOnDark : idread_polarityDarkOnLight;
  std::vector<idread_reading> readings;
  EXPECT_EQ(idread_readAll(reader, image, options, &readings), 0);
  idread_reader_release(&reader);
  return readings;
}

// The grid painted turned and in mild perspective (far side 8 % shorter) with modules of
// `module` pixels, blurred and noised; its readings.
std::vector<idread_reading> paintAndRead(const moduleGrid& grid, double module,
                                         bool lightOnDark = false, uint32_t seed = 1) {
  const double width = grid.columns * module, height = grid.rows * module;
  const int32_t side = int32_t(std::max(width, height) * 1.3) + 40;
  greyScene scene(side, side, lightOnDark ? 40 : 215);
  cmath_vect c[4];
  turnedRectangle({side / 2.0, side / 2.0}, width, height, 0.35 + 0.1 * seed, c);
  c[1] = {c[1].x + 0.04 * (c[2].x - c[1].x), c[1].y + 0.04 * (c[2].y - c[1].y)};
  c[2] = {c[2].x + 0.04 * (c[1].x - c[2].x), c[2].y + 0.04 * (c[1].y - c[2].y)};
  paintModules(scene, grid, c, lightOnDark ? 220 : 30);
  scene.gaussianBlur(0.8);
  scene.addNoise(4, seed);
  testImage image(scene);
  return readAll(image.image(), lightOnDark);
}

// The one reading, expected read to text.
const idread_reading* expectRead(const std::vector<idread_reading>& readings,
                                 const std::string& text, const std::string& what) {
  EXPECT_EQ(readings.size(), 1u) << what;
  if (readings.size() != 1) return nullptr;
  EXPECT_EQ(readings[0].read, 1) << what << " status " << readings[0].status;
  EXPECT_TRUE(readings[0].text == text) << what << ": " << readings[0].text;
  return &readings[0];
}

moduleGrid zintSymbolOfSize(int32_t rows, int32_t columns, const std::string& text) {
  int32_t count = 0;
  const auto* size = idread_dataMatrixSizeFind(rows, columns);
  return zintSymbol(text, "--vers=" + std::to_string(size - idread_dataMatrixSizes(&count) + 1));
}

TEST(Read, SizesRoundTrip) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  // Squares of one to 36 data regions, rectangles, extended rectangles up to aspect 4.
  const struct { int32_t rows, columns; double module; } cases[] = {
      {10, 10, 7}, {18, 18, 5}, {32, 32, 4}, {64, 64, 3}, {144, 144, 4}, {8, 18, 6},
      {12, 36, 5}, {16, 48, 4}, {20, 64, 4}, {26, 40, 4}, {16, 64, 4}};
  const std::string pattern = "Read 2026-12-06 ABCDEFGHIJ";
  for (const auto& c : cases) {
    std::string text;
    for (int32_t k = 0; k < idread_dataMatrixSizeFind(c.rows, c.columns)->dataCodewords - 2; ++k)
      text += pattern[size_t(k) % pattern.size()];
    const std::string what = std::to_string(c.rows) + "x" + std::to_string(c.columns);
    const auto readings = paintAndRead(zintSymbolOfSize(c.rows, c.columns, text), c.module);
    const idread_reading* r = expectRead(readings, text, what);
    EXPECT_TRUE(r && r->rows == c.rows && r->columns == c.columns) << what;
  }
}

// Each encodation painted in one of four ways: either polarity, plain or mirrored.
TEST(Read, EncodationsRoundTripInEitherPolarityAndMirrored) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  std::string bytes;  // Base256
  for (int32_t i = 0; i < 40; ++i) bytes += char(0x80 + i * 3);
  const struct { std::string zintText, options, text; } cases[] = {
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
    const auto& c = cases[i];
    const bool mirrored = i / 2 % 2;
    const moduleGrid grid = zintSymbol(c.zintText, c.options);
    const auto readings = paintAndRead(mirrored ? transposedGrid(grid) : grid, 5, i % 2, i);
    const idread_reading* r = expectRead(readings, c.text, c.zintText + " " + c.options);
    if (!r) continue;
    EXPECT_EQ(r->mirrored, int32_t(mirrored)) << c.zintText;
    EXPECT_EQ(r->gs1, int32_t(c.options == "--gs1")) << c.zintText;
    EXPECT_EQ(r->ecis.size() == 1 && r->ecis[0].number == 26, c.options == "--eci=26");
    EXPECT_EQ(r->appendPosition * 10 + r->appendCount, c.text == "PART2" ? 23 : 0);
    EXPECT_EQ(r->macro, c.text[0] == '[' ? 5 : 0);
  }
}

// Codewords inverted in the painted symbol: 64 x 64 has two interleaved blocks of 56
// check words, each correcting 28 errors; one more in a block is a clean failure. Ink
// blots over a 32 x 32 symbol (corners, centre) are corrected in either polarity.
TEST(Read, CorrectsDamageUpToCapacityAndNoFurther) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  const moduleGrid clean = zintSymbolOfSize(64, 64, "DAMAGE TOLERANCE 0123456789");
  for (const int32_t damaged : {20, 56, 57, 58, 70}) {
    moduleGrid grid = clean;
    for (int32_t k = 0; k < damaged; ++k) damageCodeword(grid, k * 3 % 392);
    const auto readings = paintAndRead(grid, 3.5);
    ASSERT_EQ(readings.size(), 1u) << damaged;
    EXPECT_EQ(readings[0].read, damaged <= 56) << damaged << ": " << readings[0].text;
    if (damaged <= 56) {
      EXPECT_EQ(readings[0].text, "DAMAGE TOLERANCE 0123456789") << damaged;
      EXPECT_EQ(readings[0].correctedErrors, damaged) << damaged;
    }
  }
  moduleGrid blotted = zintSymbolOfSize(32, 32, "BLOTS 2026");
  for (const auto& [r, c] : {std::pair{4, 4}, {4, 5}, {5, 4}, {5, 5}, {16, 15}, {16, 16}, {8, 25}})
    blotted.dark[size_t(r) * 32 + c] = 1;
  for (const bool light : {false, true}) {
    const auto readings = paintAndRead(blotted, 5, light);
    const idread_reading* r = expectRead(readings, "BLOTS 2026", "blots");
    EXPECT_TRUE(r && r->correctedErrors > 0);
  }
}

// Small modules under heavy noise: a guard on how many of a fixed set of such prints
// read (22 of 48 when written; 15 without the second look's dense rows).
TEST(Read, NoisyPrintsOfSmallModules) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  idread_reader* reader = nullptr;
  ASSERT_EQ(idread_reader_create(&reader), 0);
  int32_t read = 0;
  for (const std::string text : {"HELLO 12345", "The quick brown fox jumps over 13 lazy dogs"}) {
    const moduleGrid grid = zintSymbol(text, "");
    for (const double module : {2.6, 3.0, 4.0})
      for (const double noise : {30.0, 40.0})
        for (uint32_t seed = 1; seed <= 4; ++seed) {
          const double width = grid.columns * module, height = grid.rows * module;
          const int32_t side = int32_t(std::max(width, height) * 1.3) + 40;
          greyScene scene(side, side, 190);
          cmath_vect c[4];
          turnedRectangle({side / 2.0, side / 2.0}, width, height, 0.2 + 0.3 * seed, c);
          paintModules(scene, grid, c, 60);
          scene.gaussianBlur(0.9);
          scene.addNoise(noise, seed * 7 + uint32_t(module * 10));
          testImage image(scene);
          std::vector<idread_reading> readings;
          ASSERT_EQ(idread_readAll(reader, image.image(), idread_readOptions{}, &readings), 0);
          for (const idread_reading& r : readings) {
            EXPECT_TRUE(!r.read || r.text == text) << "wrong text " << r.text;
            read += r.read && r.text == text;
          }
        }
  }
  idread_reader_release(&reader);
  EXPECT_GE(read, 20);
}

// Images cut to the symbol's edges: no quiet zone for the finder, or one pixel a module.
TEST(Read, SymbolsCutToTheirEdges) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  const moduleGrid rectangle = zintSymbolOfSize(12, 26, "CUT TO EDGES");
  const moduleGrid square = zintSymbolOfSize(10, 10, "c++");
  for (const auto& [grid, module, margin] : {std::tuple{&rectangle, 2.3, 0}, {&square, 1.0, 1}}) {
    const int32_t width = int32_t(grid->columns * module) + 2 * margin;
    const int32_t height = int32_t(grid->rows * module) + 2 * margin;
    greyScene scene(width, height, 225);
    const cmath_vect c[4] = {{double(margin), double(margin)},
                             {width - double(margin), double(margin)},
                             {width - double(margin), height - double(margin)},
                             {double(margin), height - double(margin)}};
    paintModules(scene, *grid, c, 25);
    testImage image(scene);
    expectRead(readAll(image.image()), grid == &square ? "c++" : "CUT TO EDGES", "cut");
  }
}

// A large symbol printed on a bend: its rows bow by a module from the middle
// to the sides, which no one perspective over the whole symbol follows; each data region
// is painted through the bent corners of its block.
TEST(Read, BentSymbolReadRegionByRegion) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  const std::string text = "BENT PRINT, READ REGION BY REGION 0123456789";
  const moduleGrid grid = zintSymbolOfSize(64, 64, text);
  const int32_t block = 16;  // a 14 x 14 region with the modules around it
  const double module = 3.5, margin = 30, side = 64 * module, bow = 1.0 * module;
  const auto bent = [&](double x, double y) {
    const double across = (x - margin) / side * 2 - 1;  // -1 to 1
    return cmath_vect{x, y + bow * (1 - across * across)};
  };
  greyScene scene(int32_t(2 * margin + side), int32_t(2 * margin + side + bow), 220);
  for (int32_t i = 0; i < 64 / block; ++i) {
    for (int32_t j = 0; j < 64 / block; ++j) {
      moduleGrid region{block, block, {}};
      for (int32_t r = 0; r < block; ++r)
        for (int32_t c = 0; c < block; ++c) region.dark.push_back(grid.at(i * block + r, j * block + c));
      const double x0 = margin + j * block * module, y0 = margin + i * block * module;
      const double x1 = x0 + block * module, y1 = y0 + block * module;
      const cmath_vect c[4] = {bent(x0, y0), bent(x1, y0), bent(x1, y1), bent(x0, y1)};
      paintModules(scene, region, c, 30);
    }
  }
  scene.gaussianBlur(0.7);
  testImage image(scene);
  expectRead(readAll(image.image()), text, "bent");
}

TEST(Read, DemoImage) {
  ccGreyImage image;
  std::string error;
  ASSERT_TRUE(idut_readGreyImage(IDUT_DATA_DIR "/labels.pgm", &image, &error)) << error;
  std::vector<std::string> texts;
  for (const idread_reading& r : readAll(image.image())) texts.push_back(r.read ? r.text : "");
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, (std::vector<std::string>{"MCVQBF3", "OWRGJ9", "Q042ULNZG"}));
}

// The sample sets read into `idut read --json` lines and scored by tools/score_read.py:
// no wrong text anywhere, and the read counts kept.
TEST(Read, SampleSetsGiveNoWrongText) {
  const std::filesystem::path samples = IDUT_SAMPLES_DIR;
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
      for (const idread_reading& r : readAll(image.image())) {
        out << std::exchange(separator, ", ") << "{\"read\": " << r.read
            << ", \"text\": " << idut_jsonLatin1String(r.text) << ", \"gs1\": " << r.gs1 << ", \"ecis\": [";
        for (size_t k = 0; k < r.ecis.size(); ++k)
          out << (k ? ", [" : "[") << r.ecis[k].number << ", " << r.ecis[k].offset << "]";
        out << "]}";
      }
      out << "]}\n";
    }
  }
  out.close();
  // Rows: set, images, symbols, read (share), wrong, not read, median ms, no truth.
  FILE* pipe = popen(("python3 " IDUT_DATA_DIR "/../tools/score_read.py " + lines).c_str(), "r");
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
