// Writes scored scene sets for the ring-finder and barcode searches into a folder:
//
//   make_scenes OUT_DIR [SCENES_PER_SET]
//
// OUT_DIR/rings/NNN.pgm: 640 x 480 scenes with up to four items, each in its own quarter:
// QR Code symbols (three finder rings each, rendered by zint), lone QR finders and Aztec
// bull's-eyes, and clutter that must not be taken for rings (DataMatrix-like symbols,
// text-like strokes). NNN.json: {"symbols": [{"corners": [[x, y] x 4], "module_px"}]},
// the outer corners of every ring (perimeter order).
// OUT_DIR/barcodes/NNN.pgm: one Code 128, EAN-13 or Interleaved 2 of 5 barcode across
// the middle of the scene. NNN.json: {"barcodes": [{"barAngle", "corners", "module_px"}]},
// barAngle being the bars' direction in degrees from the x axis, clockwise, 0 to 180.
// Every scene is turned, seen in mild perspective, blurred, lit unevenly and noisy, at
// clean-to-moderate levels. Needs the zint program for QR Code and the barcodes.
#include <stdio.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "kit/xform.h"
#include "support/datamatrix.h"
#include "support/symbols.h"

namespace {

constexpr int32_t sceneWidth = 640, sceneHeight = 480;

struct truthRing {
  cmath_vect corners[4];
  double modulePx;
};

using uniform = std::uniform_real_distribution<double>;

// Grid corners (module coordinates) mapped into the scene through the perspective that
// takes the grid's outer corners to `corners`.
class gridToScene {
 public:
  gridToScene(const moduleGrid& grid, const cmath_vect corners[4]) {
    const cmath_vect unit[4] = {{0, 0}, {double(grid.columns), 0},
                                {double(grid.columns), double(grid.rows)},
                                {0, double(grid.rows)}};
    cmath_xformPerspective_constructPointsAllowNonUnique(&xform_, unit, corners, 4);
  }
  ~gridToScene() { cmath_xformPerspective_destruct(&xform_); }
  // The square of modules [c, c + n) x [r, r + n) in perimeter order.
  truthRing square(int32_t c, int32_t r, int32_t n, double modulePx) const {
    truthRing ring{{{double(c), double(r)}, {double(c + n), double(r)},
                    {double(c + n), double(r + n)}, {double(c), double(r + n)}},
                   modulePx};
    for (cmath_vect& p : ring.corners) cmath_xformPerspective_mapPoint(&xform_, &p, &p);
    return ring;
  }

 private:
  cmath_xformPerspective xform_;
};

// A turned square of the given side around `centre`, each corner moved by up to
// `skew` x side: a mild perspective view.
void viewCorners(std::mt19937& random, cmath_vect centre, double side, double skew,
                 cmath_vect corners[4]) {
  turnedRectangle(centre, side, side, uniform(0, 2 * M_PI)(random), corners);
  for (int32_t k = 0; k < 4; ++k) {
    corners[k].x += uniform(-skew, skew)(random) * side;
    corners[k].y += uniform(-skew, skew)(random) * side;
  }
}

// Blur, uneven light and noise at clean-to-moderate levels.
void degrade(std::mt19937& random, greyScene& scene) {
  scene.gaussianBlur(uniform(0.5, 1.1)(random));
  const double gx = uniform(-0.25, 0.25)(random) / sceneWidth;
  const double gy = uniform(-0.25, 0.25)(random) / sceneHeight;
  scene.light([&](double x, double y) { return 0.9 + gx * (x - sceneWidth / 2) + gy * (y - sceneHeight / 2); });
  scene.addNoise(uniform(1.0, 5.0)(random), uint32_t(random()));
}

void writePgm(const std::string& path, const greyScene& scene) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return;
  fprintf(file, "P5\n%d %d\n255\n", scene.width, scene.height);
  for (const double v : scene.grey) fputc(int(std::clamp(std::lround(v), 0L, 255L)), file);
  fclose(file);
}

std::string cornersJson(const cmath_vect corners[4]) {
  std::string text = "[";
  char point[64];
  for (int32_t k = 0; k < 4; ++k) {
    snprintf(point, sizeof point, "%s[%.3f, %.3f]", k ? ", " : "", corners[k].x, corners[k].y);
    text += point;
  }
  return text + "]";
}

void writeText(const std::string& path, const std::string& text) {
  FILE* file = fopen(path.c_str(), "w");
  if (!file) return;
  fputs(text.c_str(), file);
  fclose(file);
}

std::string randomText(std::mt19937& random, int32_t length, bool digitsOnly) {
  const char* alphabet = digitsOnly ? "0123456789" : "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  const int32_t size = digitsOnly ? 10 : 36;
  std::string text;
  for (int32_t i = 0; i < length; ++i) text += alphabet[random() % size];
  return text;
}

// Text-like clutter: a few lines of small strokes and dots.
void paintStrokes(std::mt19937& random, greyScene& scene, cmath_vect centre, double dark) {
  const double size = uniform(5, 10)(random);
  for (int32_t line = 0; line < 4; ++line) {
    for (int32_t letter = 0; letter < 10; ++letter) {
      const double x = centre.x - 5.5 * size * 1.1 + letter * size * 1.1;
      const double y = centre.y + (line - 2) * size * 1.8;
      const double w = size * uniform(0.15, 0.8)(random), h = size * uniform(0.2, 1.2)(random);
      scene.paintWithin(int32_t(x) - 1, int32_t(y) - 1, int32_t(x + w) + 2, int32_t(y + h) + 2,
                        [&](double px, double py) {
                          return px >= x && px < x + w && py >= y && py < y + h;
                        },
                        dark);
    }
  }
}

// One item of a ring scene in the quarter around `centre`; appends its rings to truth.
void paintRingItem(std::mt19937& random, greyScene& scene, cmath_vect centre, double dark,
                   std::vector<truthRing>* truth) {
  cmath_vect corners[4];
  const int32_t kind = int32_t(random() % 6);
  if (kind <= 1) {  // a QR Code symbol, version 1
    moduleGrid grid;
    if (!zintModules(zintQrCode, randomText(random, 8, false), &grid) || grid.rows != 21) return;
    const double module = uniform(3.0, 6.0)(random);
    viewCorners(random, centre, module * grid.rows, 0.03, corners);
    paintModules(scene, grid, corners, dark);
    const gridToScene map(grid, corners);
    const int32_t far = grid.rows - 7;
    for (const auto& [c, r] : {std::pair{0, 0}, std::pair{far, 0}, std::pair{0, far}})
      truth->push_back(map.square(c, r, 7, module));
  } else if (kind <= 3) {  // a lone finder: QR Code's rings or Aztec's bull's-eye
    const moduleGrid grid = kind == 2 ? ringFinderModules(1, 3) : ringFinderModules(2, 1);
    const double module = uniform(3.0, 10.0)(random);
    viewCorners(random, centre, module * grid.rows, 0.04, corners);
    paintModules(scene, grid, corners, dark);
    truth->push_back(gridToScene(grid, corners).square(0, 0, grid.rows, module));
  } else if (kind == 4) {  // clutter: a DataMatrix-like symbol
    const int32_t size = 10 + 2 * int32_t(random() % 6);
    paintDataMatrix(scene, size, size, uniform(3.0, 6.0)(random), uniform(0, 2 * M_PI)(random),
                    centre, dark, uint32_t(random()));
  } else {  // clutter: text
    paintStrokes(random, scene, centre, dark);
  }
}

void makeRingScene(std::mt19937& random, const std::string& stem) {
  // A quarter of the scenes are light on dark.
  const bool inverted = random() % 4 == 0;
  const double background = inverted ? uniform(30, 70)(random) : uniform(170, 220)(random);
  const double ink = inverted ? uniform(170, 220)(random) : uniform(20, 60)(random);
  greyScene scene(sceneWidth, sceneHeight, background);
  std::vector<truthRing> truth;
  for (int32_t quarter = 0; quarter < 4; ++quarter) {
    if (random() % 5 == 0) continue;
    const cmath_vect centre{(quarter % 2 + 0.5) * sceneWidth / 2 + uniform(-20, 20)(random),
                            (quarter / 2 + 0.5) * sceneHeight / 2 + uniform(-15, 15)(random)};
    paintRingItem(random, scene, centre, ink, &truth);
  }
  degrade(random, scene);
  writePgm(stem + ".pgm", scene);
  std::string json = "{\"symbols\": [";
  for (size_t i = 0; i < truth.size(); ++i) {
    char module[48];
    snprintf(module, sizeof module, ", \"module_px\": %.3f}", truth[i].modulePx);
    json += std::string(i ? ", " : "") + "{\"corners\": " + cornersJson(truth[i].corners) + module;
  }
  writeText(stem + ".json", json + "]}\n");
}

bool makeBarcodeScene(std::mt19937& random, const std::string& stem) {
  const zintSymbology kinds[3] = {zintCode128, zintEan13, zintInterleaved2of5};
  const zintSymbology kind = kinds[random() % 3];
  const std::string text =
      kind == zintEan13 ? randomText(random, 12, true)
      : kind == zintInterleaved2of5 ? randomText(random, 2 * (3 + random() % 4), true)
                                    : randomText(random, 6 + random() % 6, false);
  moduleGrid grid;
  if (!zintModules(kind, text, &grid)) return false;
  const double module = uniform(2.0, 3.5)(random);
  const double width = module * grid.columns, height = uniform(80, 150)(random);
  const double angle = uniform(0, M_PI)(random);  // the x axis across the bars
  const cmath_vect centre{sceneWidth / 2 + uniform(-20, 20)(random),
                          sceneHeight / 2 + uniform(-20, 20)(random)};
  cmath_vect corners[4];
  turnedRectangle(centre, width, height, angle, corners);
  for (cmath_vect& c : corners) {
    c.x += uniform(-0.02, 0.02)(random) * height;
    c.y += uniform(-0.02, 0.02)(random) * height;
  }
  greyScene scene(sceneWidth, sceneHeight, uniform(170, 220)(random));
  paintModules(scene, grid, corners, uniform(20, 60)(random));
  degrade(random, scene);
  writePgm(stem + ".pgm", scene);
  // The bars run along the rectangle's y side: corners 0 to 3.
  const double bars = std::atan2(corners[3].y - corners[0].y, corners[3].x - corners[0].x);
  const double degrees = std::fmod(bars * 180.0 / M_PI + 360.0, 180.0);
  char head[96];
  snprintf(head, sizeof head, "{\"barcodes\": [{\"barAngle\": %.3f, \"module_px\": %.3f, \"corners\": ",
           degrees, module);
  writeText(stem + ".json", head + cornersJson(corners) + "}]}\n");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    fprintf(stderr, "usage: make_scenes OUT_DIR [SCENES_PER_SET]\n");
    return 2;
  }
  const std::string out = argv[1];
  const int32_t count = argc == 3 ? std::max(1, atoi(argv[2])) : 60;
  for (const char* set : {"", "/rings", "/barcodes"}) mkdir((out + set).c_str(), 0755);
  std::mt19937 random(20261206);
  char name[32];
  for (int32_t i = 0; i < count; ++i) {
    snprintf(name, sizeof name, "/%03d", i);
    makeRingScene(random, out + "/rings" + name);
    if (!makeBarcodeScene(random, out + "/barcodes" + name)) {
      fprintf(stderr, "make_scenes: zint is needed for the barcode scenes\n");
      return 1;
    }
  }
  printf("%d ring scenes in %s/rings, %d barcode scenes in %s/barcodes\n", count, out.c_str(),
         count, out.c_str());
  return 0;
}
