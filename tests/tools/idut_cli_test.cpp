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
#include "support/symbols.h"
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

// Width and height of a written picture, 0 x 0 when it cannot be read.
std::pair<int32_t, int32_t> pictureSize(const std::string& path) {
  ccGreyImage picture;
  std::string error;
  if (!idut_readGreyImage(path, &picture, &error)) return {0, 0};
  cstd_rect32 window;
  cimg_image_getWindow(picture.image(), &window);
  return {window.width, window.height};
}

// Every usage error exits with status 2 and a message.
void expectUsageErrors(std::initializer_list<const char*> commands) {
  for (const char* bad : commands) {
    const runResult r = run(bad);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_FALSE(r.output.empty()) << bad;
  }
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
    image_ = writePgm("symbol.pgm", scene);
  }
  std::string writePgm(const std::string& name, const greyScene& scene) {
    const std::string path = (dir_ / name).string();
    std::ofstream out(path, std::ios::binary);
    out << "P5 " << scene.width << " " << scene.height << " 255\n";
    for (const double g : scene.grey) out.put(char(std::lround(std::clamp(g, 0.0, 255.0))));
    return path;
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
  EXPECT_EQ(pictureSize(overlay), std::make_pair(240, 200));
}

TEST_F(IdutCli, EdgeOperators) {
  const struct {
    const char* arguments;
    int32_t width, height;  // of the picture
  } cases[] = {{"--operator magnitude", 240, 200},
               {"--operator id-angle --mode 3x3", 238, 198},
               {"--operator hysteresis --threshold 40 --low 10", 240, 200}};
  const std::string out = (dir_ / "edges.png").string();
  for (const auto& c : cases) {
    const runResult r = run(std::string("edges ") + c.arguments + " --out " + out + " " + image_);
    ASSERT_EQ(r.status, 0) << c.arguments << ": " << r.output;
    EXPECT_EQ(pictureSize(out), std::make_pair(c.width, c.height)) << c.arguments;
  }
  expectUsageErrors({"edges --out o.png", "edges --operator canny --out o.png x.pgm",
                     "edges --low 30 --threshold 20 --out o.png x.pgm"});
}

TEST_F(IdutCli, BinarizeAndThreshold) {
  const std::string out = (dir_ / "binary.png").string();
  for (const char* method : {"0", "5"}) {
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

  const runResult r = run("threshold --json " + image_);
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string number = R"(-?[0-9]+(\.[0-9]+)?)";
  const std::regex line(R"(\{"image": ")" + image_ + R"(", "threshold": [0-9]+, "separability": )" +
                        number + R"(, "dark": \{"mean": )" + number + R"(, "deviation": )" +
                        number + R"(\}, "light": \{"mean": )" + number + R"(, "deviation": )" +
                        number + R"(\}, "sharpness": )" + number + R"(\}\n)");
  EXPECT_TRUE(std::regex_match(r.output, line)) << r.output;
  expectUsageErrors({"binarize --method 6 --out o.png x.pgm",
                     "binarize --region 1,2,3 --out o.png x.pgm", "threshold"});
}

TEST_F(IdutCli, RingsAndBarcodes) {
  greyScene rings(200, 160, 210);
  cmath_vect corners[4];
  turnedRectangle({100, 80}, 49, 49, 0.3, corners);
  paintModules(rings, ringFinderModules(1, 3), corners, 40);
  runResult r = run("locate --symbol pdp --json " + writePgm("ring.pgm", rings));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find(R"("found": [{"corners": [[)"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("}, {"), std::string::npos) << r.output;  // one ring only
  EXPECT_EQ(r.output.find("rows"), std::string::npos) << r.output;

  // Bars at 60 degrees: the barcode's x axis (across the bars) at -30 degrees.
  moduleGrid bars;
  if (!zintModules(zintCode128, "IDUT42", &bars)) {
    bars.rows = 1;
    bars.columns = 60;
    for (int32_t i = 0; i < 60; ++i) bars.dark.push_back((i * 7 / 5) % 3 == 0);
  }
  greyScene barcode(320, 240, 205);
  turnedRectangle({160, 120}, 2.5 * bars.columns, 110, -M_PI / 6, corners);
  paintModules(barcode, bars, corners, 35);
  barcode.gaussianBlur(0.6);
  const std::string region = "--region 110,70,210,70,110,170";
  r = run("barcode --json " + region + " " + writePgm("bars.pgm", barcode));
  ASSERT_EQ(r.status, 0) << r.output;
  std::smatch angle;
  ASSERT_TRUE(std::regex_search(r.output, angle, std::regex(R"("barAngle": ([0-9.]+))")))
      << r.output;
  EXPECT_NEAR(std::stod(angle[1]), 60.0, 2.0) << r.output;
  EXPECT_NE(r.output.find(R"("found": 1)"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(R"("region": {"barLike": 0)"), std::string::npos) << r.output;
  expectUsageErrors({"locate --symbol qr x.pgm", "barcode", "barcode --region 1,2 x.pgm",
                     "barcode --overlay o.png a.pgm b.pgm"});
}

TEST_F(IdutCli, UsageAndErrors) {
  runResult r = run("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("usage: idut locate"), std::string::npos);

  const std::string missing = (dir_ / "missing.pgm").string();
  r = run("locate --json " + missing + " " + image_);
  EXPECT_EQ(r.status, 1);  // the readable image is still searched and reported
  EXPECT_NE(r.output.find("cannot open " + missing), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("{\"image\": \"" + image_), std::string::npos) << r.output;

  expectUsageErrors({"", "locate --row-spacing 0 x.pgm", "locate --min-size",
                     "locate --overlay o.png a.pgm b.pgm", "frobnicate", "locate --shape 1x1 x.pgm",
                     "read --max-pixels 0 x.pgm", "read x.pgm --max-pixels"});
  r = run("read --max-pixels 1000 " + image_);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find(image_ + ": 240 x 200 is more than 1000 pixels"), std::string::npos) << r.output;

  // A file name that is not UTF-8 still gives valid JSON: its bytes as \u escapes.
  const std::string latin1 = (dir_ / "caf\xe9.pgm").string();
  std::filesystem::copy_file(image_, latin1);
  r = run("locate --json '" + latin1 + "'");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("caf\\u00e9.pgm"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find('\xe9'), std::string::npos);
}

TEST_F(IdutCli, Batches) {
  // The large label image first, so that later small ones are done before it.
  const std::filesystem::path folder = dir_ / "batch";
  std::filesystem::create_directories(folder / "sub");
  std::filesystem::copy_file(std::string(IDUT_DATA_DIR) + "/labels.pgm", folder / "0.pgm");
  for (const char* name : {"1.pgm", "2.pgm", "3.pgm", "4.pgm", "sub/5.pgm", "sub/6.PGM"})
    std::filesystem::copy_file(image_, folder / name);
  std::ofstream(folder / "notes.txt") << "not an image";
  const std::string missing = (dir_ / "missing.pgm").string();
  const auto withoutTimes = [](const runResult& r) {
    return std::regex_replace(r.output, std::regex(R"("ms": [0-9.]+)"), "");
  };
  const std::string images = folder.string() + " " + missing + " " + image_;
  const runResult one = run("read --json -j 1 " + images);
  const runResult two = run("read --json -j 2 " + images);
  EXPECT_EQ(one.status, 1);  // the missing file
  EXPECT_EQ(two.status, 1);
  EXPECT_EQ(withoutTimes(one), withoutTimes(two));
  EXPECT_EQ(std::count(one.output.begin(), one.output.end(), '\n'), 9) << one.output;
  std::string order;
  const std::regex image(R"re("image": "([^"]*)")re");
  for (std::sregex_iterator m(one.output.begin(), one.output.end(), image), end; m != end; ++m)
    order += (*m)[1].str().substr(dir_.string().size() + 1) + " ";
  EXPECT_EQ(order,
            "batch/0.pgm batch/1.pgm batch/2.pgm batch/3.pgm batch/4.pgm batch/sub/5.pgm "
            "batch/sub/6.PGM symbol.pgm ");
  EXPECT_EQ(one.output.find('\r'), std::string::npos);  // no progress line into a pipe
  EXPECT_LT(one.output.find("sub/6.PGM"), one.output.find("cannot open " + missing));

  const runResult folderAsImage = run("edges --out o.png " + folder.string());
  EXPECT_EQ(folderAsImage.status, 1);
  EXPECT_NE(folderAsImage.output.find("not a regular file"), std::string::npos);
  std::filesystem::create_directories(dir_ / "empty");
  expectUsageErrors({"read -j 0 x.pgm", "locate -j x.pgm", "barcode -j 257 x.pgm", "threshold -j",
                     "threshold -j two x.pgm",
                     ("locate --overlay o.png " + folder.string()).c_str(),
                     ("threshold " + (dir_ / "empty").string()).c_str()});
}

}  // namespace
