// A program built against an installed idut: corrects a Reed-Solomon word with the
// library, then draws a DataMatrix symbol turned by 20 degrees into a kit image and reads
// it back with the reader. Exit status 0 when both come out right.
#include <cmath>
#include <cstdio>
#include <vector>

#include "ci_id/priv/ci_idut/ecc.h"
#include "idread/read.h"
#include "kit/draw.h"
#include "kit/pel.h"

namespace {

// "idut 0.1" as a 14 x 14 ECC 200 symbol, row 0 at the top.
const char* const kSymbol[] = {
    "#.#.#.#.#.#.#.", "#.###.##.###.#", "##....#.####..", "##.##..#....##",
    "##....#.#.....", "#.##.#..###.##", "#...######.#..", "#.###..#.#..##",
    "###..##.#.##..", "#....##..##.##", "#.###..#.#....", "####..#.##..##",
    "#..##.###..##.", "##############"};
const int kModules = 14;

// Two words of a 12-word codeword (4 check words) damaged, corrected back.
bool correctsTwoErrors() {
  cid2d_ReedSolomonCode code{};
  if (cid2d_ReedSolomonCode_construct(&code, 8, 4, 0x12D, 2) != 0) return false;
  std::vector<int32_t> word(12);
  for (int32_t i = 4; i < 12; ++i) word[i] = 17 * i;
  cid2d_ReedSolomonCode_GetECCWords(&code, word.data() + 4, 8, word.data(), 4);
  std::vector<int32_t> received = word;
  received[1] ^= 0x5A;
  received[9] ^= 0xFF;
  int32_t count = 0;
  const int32_t status = cid2d_ReedSolomonCode_CorrectErrs(&code, received.data(), 12, &count);
  cid2d_ReedSolomonCode_destruct(&code);
  return status == 0 && count == 2 && received == word;
}

// Draws the symbol (6 px modules) in the middle of a light 160 x 160 image and reads it.
bool readsDrawnSymbol() {
  const int32_t side = 160;
  const double module = 6.0, angle = 20.0 * M_PI / 180.0;
  const cmath_vect across = {std::cos(angle), std::sin(angle)}, down = {-across.y, across.x};
  cimg_image image;
  if (cimg_image_construct(&image, CIMG_TYPE_8, side, side) != 0) return false;
  cimg_window window;
  cimg_window_init(&window, &image);
  cip_pelSet8(&window, 220);
  const cstd_rect32 clip = {0, 0, side, side};
  for (int row = 0; row < kModules; ++row)
    for (int column = 0; column < kModules; ++column) {
      if (kSymbol[row][column] != '#') continue;
      const double u = (column + 0.5 - kModules / 2.0) * module;
      const double v = (row + 0.5 - kModules / 2.0) * module;
      const cmath_shapeAffineRectCenter dark = {
          {side / 2.0 + u * across.x + v * down.x, side / 2.0 + u * across.y + v * down.y},
          module, module, angle, angle};
      cdraw_rasterize_rotatedRectangle_forID(&dark, &clip, 220, 30, &image);
    }
  idread_reader* reader = nullptr;
  std::vector<idread_reading> readings;
  const bool read = idread_reader_create(&reader) == 0 &&
                    idread_readAll(reader, &image, idread_readOptions{}, &readings) == 0;
  idread_reader_release(&reader);
  cimg_image_destruct(&image);
  return read && readings.size() == 1 && readings[0].read == 1 &&
         readings[0].text == "idut 0.1" && readings[0].rows == kModules;
}

}  // namespace

int main() {
  const bool corrected = correctsTwoErrors(), read = readsDrawnSymbol();
  std::printf("Reed-Solomon correction: %s\nDataMatrix reading: %s\n", corrected ? "ok" : "FAILED",
              read ? "ok" : "FAILED");
  return corrected && read ? 0 : 1;
}
