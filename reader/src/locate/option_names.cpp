// The names the command line and the Python package give the search options.
#include <array>
#include <utility>

#include "idread/datamatrix.h"
#include "idread/locate.h"

namespace {

template <class T, size_t n>
using nameTable = std::array<std::pair<const char*, T>, n>;

const nameTable<idread_pass, 3> passes{
    {{"rows", idread_passRows}, {"low-contrast", idread_passLowContrast}, {"adaptive", idread_passAdaptive}}};
// Module counts: the smallest symbol of each shape.
const nameTable<std::pair<int32_t, int32_t>, 3> shapes{
    {{"any", {0, 0}}, {"square", {10, 10}}, {"rectangular", {8, 18}}}};
// relaxedFit, extraRelaxedFit.
const nameTable<std::pair<int32_t, int32_t>, 3> fits{
    {{"strict", {0, 0}}, {"relaxed", {1, 0}}, {"extra-relaxed", {1, 1}}}};
const nameTable<idread_polarity, 3> polarities{
    {{"dark", idread_polarityDarkOnLight}, {"light", idread_polarityLightOnDark}, {"any", idread_polarityAny}}};

template <class T, size_t n>
bool valueOf(const nameTable<T, n>& table, const std::string& name, T* value) {
  for (const auto& [entry, v] : table) {
    if (name == entry) {
      *value = v;
      return true;
    }
  }
  return false;
}

template <class T, size_t n>
const char* nameOf(const nameTable<T, n>& table, const T& value) {
  for (const auto& [entry, v] : table)
    if (v == value) return entry;
  return "?";
}

}  // namespace

const char* idread_pass_name(idread_pass pass) { return nameOf(passes, pass); }

bool idread_pass_fromName(const std::string& name, idread_pass* pass) {
  return valueOf(passes, name, pass);
}

bool idread_setShapeByName(const std::string& name, idread_locateOptions* options) {
  std::pair<int32_t, int32_t> counts;
  if (!valueOf(shapes, name, &counts)) return false;
  options->symbolRows = counts.first;
  options->symbolCols = counts.second;
  return true;
}

bool idread_setShapeBySize(int32_t rows, int32_t columns, idread_locateOptions* options) {
  if (!idread_dataMatrixSizeFind(rows, columns) && !idread_dataMatrixSizeFind(columns, rows))
    return false;
  options->symbolRows = rows;
  options->symbolCols = columns;
  return true;
}

const char* idread_fit_name(const idread_locateOptions& options) {
  const std::pair<int32_t, int32_t> flags = options.extraRelaxedFit ? std::pair{1, 1}
                                            : options.relaxedFit    ? std::pair{1, 0}
                                                                    : std::pair{0, 0};
  return nameOf(fits, flags);
}

bool idread_setFitByName(const std::string& name, idread_locateOptions* options) {
  std::pair<int32_t, int32_t> flags;
  if (!valueOf(fits, name, &flags)) return false;
  options->relaxedFit = flags.first;
  options->extraRelaxedFit = flags.second;
  return true;
}

const char* idread_polarity_name(idread_polarity polarity) { return nameOf(polarities, polarity); }

bool idread_polarity_fromName(const std::string& name, idread_polarity* polarity) {
  return valueOf(polarities, name, polarity);
}
