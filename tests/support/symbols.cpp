// Symbols for locator tests as grids of modules.
#include "support/symbols.h"

#include <stdio.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "kit/xform.h"

moduleGrid ringFinderModules(int32_t rings, int32_t centreModules) {
  moduleGrid grid;
  grid.rows = grid.columns = centreModules + 4 * rings;
  grid.dark.resize(size_t(grid.rows) * grid.columns);
  for (int32_t r = 0; r < grid.rows; ++r) {
    for (int32_t c = 0; c < grid.columns; ++c) {
      // Ring index counted from the outside: even rings are dark, the centre too.
      const int32_t fromEdge =
          std::min({r, c, grid.rows - 1 - r, grid.columns - 1 - c});
      grid.dark[size_t(r) * grid.columns + c] = fromEdge >= 2 * rings || fromEdge % 2 == 0;
    }
  }
  return grid;
}

bool zintInstalled() {
  static const bool installed = std::system("zint --version >/dev/null 2>&1") == 0;
  return installed;
}

bool zintModules(zintSymbology symbology, const std::string& text, moduleGrid* grid,
                 const std::string& options) {
  // zint --dump prints one line of hexadecimal digits per module row, most significant
  // bit first. The text goes to the shell in single quotes.
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  quoted += "'";
  const std::string command = "zint --barcode=" + std::to_string(symbology) + " " + options +
                              " --dump -d " + quoted + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return false;
  std::vector<std::vector<uint8_t>> rows;
  char line[4096];
  while (fgets(line, sizeof line, pipe)) {
    std::vector<uint8_t> bits;
    for (const char* p = line; *p; ++p) {
      if (!std::isxdigit(uint8_t(*p))) continue;
      const int32_t nibble = std::isdigit(uint8_t(*p)) ? *p - '0' : std::tolower(*p) - 'a' + 10;
      for (int32_t b = 3; b >= 0; --b) bits.push_back((nibble >> b) & 1);
    }
    if (!bits.empty()) rows.push_back(bits);
  }
  if (pclose(pipe) != 0 || rows.empty()) return false;
  // Rows are padded to whole hexadecimal digits: a square symbol is as wide as it is
  // tall, any other ends with its last dark column (a bar, a clock track).
  const int32_t paddedWidth = int32_t(rows[0].size());
  int32_t columns = int32_t(rows.size());
  if (paddedWidth - columns < 0 || paddedWidth - columns > 3 || rows.size() == 1) {
    columns = 0;
    for (const std::vector<uint8_t>& row : rows) {
      const auto last = std::find(row.rbegin(), row.rend(), 1);
      columns = std::max(columns, int32_t(row.rend() - last));
    }
  }
  grid->rows = int32_t(rows.size());
  grid->columns = columns;
  grid->dark.assign(size_t(grid->rows) * columns, 0);
  for (int32_t r = 0; r < grid->rows; ++r)
    for (int32_t c = 0; c < columns && c < int32_t(rows[r].size()); ++c)
      grid->dark[size_t(r) * columns + c] = rows[r][c];
  return columns > 0;
}

void paintModules(greyScene& scene, const moduleGrid& grid, const cmath_vect corners[4],
                  double dark) {
  const cmath_vect unit[4] = {{0, 0}, {double(grid.columns), 0},
                              {double(grid.columns), double(grid.rows)}, {0, double(grid.rows)}};
  cmath_xformPerspective toGrid;
  if (cmath_xformPerspective_constructPointsAllowNonUnique(&toGrid, corners, unit, 4) < 0) return;
  double x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
  for (int32_t k = 1; k < 4; ++k) {
    x0 = std::min(x0, corners[k].x), x1 = std::max(x1, corners[k].x);
    y0 = std::min(y0, corners[k].y), y1 = std::max(y1, corners[k].y);
  }
  scene.paintWithin(
      int32_t(std::floor(x0)), int32_t(std::floor(y0)), int32_t(std::ceil(x1)) + 1,
      int32_t(std::ceil(y1)) + 1,
      [&](double x, double y) {
        const cmath_vect p{x, y};
        cmath_vect m;
        if (cmath_xformPerspective_mapPoint(&toGrid, &p, &m) < 0) return false;
        const int32_t c = int32_t(std::floor(m.x)), r = int32_t(std::floor(m.y));
        return c >= 0 && r >= 0 && c < grid.columns && r < grid.rows && grid.at(r, c);
      },
      dark);
  cmath_xformPerspective_destruct(&toGrid);
}

void turnedRectangle(cmath_vect centre, double width, double height, double angle,
                     cmath_vect corners[4]) {
  const double cosA = std::cos(angle), sinA = std::sin(angle);
  const double u[4] = {-width / 2, width / 2, width / 2, -width / 2};
  const double v[4] = {-height / 2, -height / 2, height / 2, height / 2};
  for (int32_t k = 0; k < 4; ++k)
    corners[k] = cmath_vect{centre.x + u[k] * cosA - v[k] * sinA, centre.y + u[k] * sinA + v[k] * cosA};
}
