// The built `idut` program: its JSON line, the table, the overlay, usage and errors.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "image_file.h"
#include "support/datamatrix.h"
#include "support/synthetic.h"

namespace {

struct runResult {
  int status;
  std::string output;  // standard output and error
};

runResult run(const std::string& arguments) {
  const std::string command = std::string("'") + IDUT_TOOL_PATH + "' " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {-1, ""};
  std::string output;
  char buffer[4096];
  while (const size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

class IdutCli : public ::testing::Test {
 protected:
  // One rendered symbol, written as a PGM into a fresh folder.
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("idut_cli_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    greyScene scene(240, 200, 220);
    paintDataMatrix(scene, 14, 14, 6.0, 0.4, {120, 100}, 30, 5);
    scene.gaussianBlur(0.6);
    image_ = (dir_ / "symbol.pgm").string();
    std::ofstream out(image_, std::ios::binary);
    out << "P5 240 200 255\n";
    for (const double g : scene.grey) out.put(char(std::lround(std::clamp(g, 0.0, 255.0))));
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path dir_;
  std::string image_;
};

TEST_F(IdutCli, JsonLine) {
  const runResult r = run("locate --json " + image_);
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string number = R"(-?[0-9]+(\.[0-9]+)?)";
  const std::string point = "\\[" + number + ", " + number + "\\]";
  const std::string symbol = R"(\{"corners": \[)" + point + ", " + point + ", " + point + ", " +
                             point + R"(\], "score": [0-9]+, "threshold": [0-9]+, )" +
                             R"("fourthCornerInferred": [01], "rows": 14, "cols": 14, )" +
                             R"("pitch": (5\.9[5-9]|6\.0[0-5])[0-9]*\})";
  const std::regex line(R"(\{"image": ")" + image_ + R"(", "ms": )" + number + R"(, "found": \[)" +
                        symbol + R"(\]\}\n)");
  EXPECT_TRUE(std::regex_match(r.output, line)) << r.output;
}

TEST_F(IdutCli, TableAndOverlay) {
  const std::string overlay = (dir_ / "overlay.png").string();
  const runResult r = run("locate --overlay " + overlay + " " + image_);
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("symbol.pgm: 1 symbol,"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("modules   pitch"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(" 14x14  "), std::string::npos) << r.output;
  ccGreyImage picture;
  std::string error;
  ASSERT_TRUE(idut_readGreyImage(overlay, &picture, &error)) << error;
  cstd_rect32 window;
  cimg_image_getWindow(picture.image(), &window);
  EXPECT_EQ(window.width, 240);
  EXPECT_EQ(window.height, 200);
}

TEST_F(IdutCli, EdgeOperators) {
  struct operatorCase {
    const char* arguments;
    int32_t width, height;  // of the picture
  };
  const operatorCase cases[] = {{"--operator magnitude", 240, 200},
                                {"--operator id-angle", 239, 199},
                                {"--operator id-angle --mode 3x3", 238, 198},
                                {"", 240, 200},  // true peaks
                                {"--operator hysteresis --threshold 40 --low 10", 240, 200}};
  const std::string out = (dir_ / "edges.png").string();
  for (const operatorCase& c : cases) {
    const runResult r = run(std::string("edges ") + c.arguments + " --out " + out + " " + image_);
    ASSERT_EQ(r.status, 0) << c.arguments << ": " << r.output;
    EXPECT_NE(r.output.find("-> " + out), std::string::npos) << r.output;
    ccGreyImage picture;
    std::string error;
    ASSERT_TRUE(idut_readGreyImage(out, &picture, &error)) << error;
    cstd_rect32 window;
    cimg_image_getWindow(picture.image(), &window);
    EXPECT_EQ(window.width, c.width) << c.arguments;
    EXPECT_EQ(window.height, c.height) << c.arguments;
  }
  EXPECT_EQ(run("edges --help").status, 0);
  for (const char* bad : {"edges", "edges --out o.png", "edges --operator canny --out o.png x.pgm",
                          "edges --threshold 300 --out o.png x.pgm", "edges x.pgm",
                          "edges --low 30 --threshold 20 --out o.png x.pgm"}) {
    const runResult r = run(bad);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_FALSE(r.output.empty()) << bad;
  }
}

TEST_F(IdutCli, BinarizeAndThreshold) {
  const std::string out = (dir_ / "binary.png").string();
  for (const char* method : {"0", "1", "2", "3", "4", "5"}) {
    const runResult r =
        run(std::string("binarize --method ") + method + " --out " + out + " " + image_);
    ASSERT_EQ(r.status, 0) << method << ": " << r.output;
    ccGreyImage picture;
    std::string error;
    ASSERT_TRUE(idut_readGreyImage(out, &picture, &error)) << error;
    cimg_window window;
    cimg_window_init(&window, picture.image());
    ASSERT_EQ(window.width, 240);
    int32_t black = 0;
    for (int32_t y = 0; y < window.height; ++y)
      for (int32_t x = 0; x < window.width; ++x) {
        const uint8_t v = cimg_window_row<uint8_t>(&window, y)[x];
        EXPECT_TRUE(v == 0 || v == 255);
        black += v == 0;
      }
    EXPECT_GT(black, 0) << method;  // the symbol's modules
  }
  EXPECT_EQ(run("binarize --region first --out " + out + " " + image_).status, 0);

  runResult r = run("threshold --json " + image_);
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string number = R"(-?[0-9]+(\.[0-9]+)?)";
  const std::regex line(R"(\{"image": ")" + image_ + R"(", "threshold": [0-9]+, "separability": )" +
                        number + R"(, "dark": \{"mean": )" + number + R"(, "deviation": )" +
                        number + R"(\}, "light": \{"mean": )" + number + R"(, "deviation": )" +
                        number + R"(\}, "sharpness": )" + number + R"(\}\n)");
  EXPECT_TRUE(std::regex_match(r.output, line)) << r.output;
  for (const char* bad :
       {"binarize --method 6 --out o.png x.pgm", "binarize x.pgm",
        "binarize --region 1,2,3 --out o.png x.pgm", "threshold", "threshold --frobnicate x.pgm"}) {
    r = run(bad);
    EXPECT_EQ(r.status, 2) << bad;
  }
}

TEST_F(IdutCli, UsageAndErrors) {
  runResult r = run("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("usage: idut locate"), std::string::npos);
  EXPECT_EQ(run("").status, 2);

  const std::string missing = (dir_ / "missing.pgm").string();
  r = run("locate --json " + missing + " " + image_);
  EXPECT_EQ(r.status, 1);  // the readable image is still searched and reported
  EXPECT_NE(r.output.find("cannot open " + missing), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("{\"image\": \"" + image_), std::string::npos) << r.output;

  for (const char* bad :
       {"locate --frobnicate x.pgm", "locate --row-spacing 0 x.pgm", "locate --shape round x.pgm",
        "locate --passes rows,fast x.pgm", "locate --min-size", "locate",
        "locate --overlay o.png a.pgm b.pgm", "frobnicate"}) {
    r = run(bad);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_FALSE(r.output.empty()) << bad;
  }
}

}  // namespace
