// `idut read IMAGE...`: the texts of the DataMatrix symbols of each image, with where
// they are, as a table, as JSON lines, or drawn over the image.
#include "read_command.h"

#include <chrono>
#include <cstdio>

#include "batch.h"
#include "idread/read.h"
#include "image_file.h"
#include "json.h"
#include "overlay.h"
#include "search_arguments.h"

namespace {

const char* statusName(int32_t status) {
  switch (status) {
    case IDREAD_ERR_NOT_A_SYMBOL_SIZE:
      return "no symbol size fits";
    case IDREAD_ERR_UNCORRECTABLE:
      return "too many errors";
    case IDREAD_ERR_INVALID_DATA:
      return "invalid data";
  }
  return "not read";
}

void printJson(FILE* out, const std::string& path, double ms,
               const std::vector<idread_reading>& readings) {
  std::fprintf(out, "{\"image\": %s, \"ms\": %.3f, \"symbols\": [", idut_jsonString(path).c_str(),
               ms);
  for (size_t i = 0; i < readings.size(); ++i) {
    const idread_reading& r = readings[i];
    std::fprintf(out, "%s{\"read\": %d", i ? ", " : "", r.read);
    if (r.read) {
      std::fprintf(out,
                   ", \"text\": %s, \"rows\": %d, \"cols\": %d, \"correctedErrors\": %d, "
                   "\"mirrored\": %d, \"gs1\": %d",
                   idut_jsonLatin1String(r.text).c_str(), r.rows, r.columns, r.correctedErrors,
                   r.mirrored, r.gs1);
      if (!r.ecis.empty()) {
        std::fprintf(out, ", \"ecis\": [");
        for (size_t k = 0; k < r.ecis.size(); ++k)
          std::fprintf(out, "%s[%d, %d]", k ? ", " : "", r.ecis[k].number, r.ecis[k].offset);
        std::fprintf(out, "]");
      }
    } else {
      std::fprintf(out, ", \"reason\": \"%s\"", statusName(r.status));
    }
    std::fprintf(out, ", \"corners\": [");
    for (int32_t k = 0; k < 4; ++k)
      std::fprintf(out, "%s[%.3f, %.3f]", k ? ", " : "", r.symbol.corners[k].x,
                   r.symbol.corners[k].y);
    std::fprintf(out, "]}");
  }
  std::fprintf(out, "]}\n");
}

void printTable(FILE* out, const std::string& path, double ms,
                const std::vector<idread_reading>& readings) {
  int32_t read = 0;
  for (const idread_reading& r : readings) read += r.read;
  std::fprintf(out, "%s: %zu symbol%s, %d read, %.1f ms\n", path.c_str(), readings.size(),
               readings.size() == 1 ? "" : "s", read, ms);
  for (size_t i = 0; i < readings.size(); ++i) {
    const idread_reading& r = readings[i];
    const cmath_vect& c = r.symbol.corners[0];
    if (r.read)
      std::fprintf(out, "%4zu  %dx%d, %d corrected, L corner (%.1f, %.1f): %s\n", i + 1, r.rows,
                   r.columns, r.correctedErrors, c.x, c.y, idut_jsonLatin1String(r.text).c_str());
    else
      std::fprintf(out, "%4zu  not read (%s), L corner (%.1f, %.1f)\n", i + 1, statusName(r.status),
                   c.x, c.y);
  }
}

// Reads one image and reports it; false when it could not be read or searched, or gave
// no text.
bool readOne(idread_reader* reader, const idut_searchArguments& command, const std::string& path,
             FILE* out, FILE* err) {
  ccGreyImage image;
  std::string error;
  if (!idut_readGreyImage(path, &image, &error)) {
    std::fprintf(err, "idut: %s\n", error.c_str());
    return false;
  }
  std::vector<idread_reading> readings;
  idread_readOptions options;
  options.locate = command.options;
  const auto start = std::chrono::steady_clock::now();
  const int32_t status = idread_readAll(reader, image.image(), options, &readings);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (status < 0) {
    std::fprintf(err, "idut: %s: reading failed with status 0x%08x\n", path.c_str(),
                 uint32_t(status));
    return false;
  }
  if (command.json)
    printJson(out, path, ms, readings);
  else
    printTable(out, path, ms, readings);
  if (!command.overlay.empty()) {
    std::vector<idread_symbol> symbols;
    for (const idread_reading& r : readings) symbols.push_back(r.symbol);
    idut_rgbPicture picture = idut_rgbPicture_fromGrey(image.image());
    idut_drawSymbols(&picture, symbols, true);
    if (!idut_writePng(command.overlay, picture, &error)) {
      std::fprintf(err, "idut: %s\n", error.c_str());
      return false;
    }
    if (!command.json) std::fprintf(out, "overlay: %s\n", command.overlay.c_str());
  }
  for (const idread_reading& r : readings)
    if (r.read) return true;
  return false;
}

// One reader per worker thread, released with the set.
class readerSet {
 public:
  readerSet() = default;
  readerSet(const readerSet&) = delete;
  readerSet& operator=(const readerSet&) = delete;
  ~readerSet() {
    for (idread_reader*& reader : readers_) idread_reader_release(&reader);
  }

  // Returns the first failing creation's status, or 0.
  int32_t create(int32_t count) {
    readers_.assign(size_t(count), nullptr);
    for (idread_reader*& reader : readers_)
      if (const int32_t status = idread_reader_create(&reader); status < 0) return status;
    return 0;
  }
  idread_reader* operator[](int32_t worker) const { return readers_[size_t(worker)]; }

 private:
  std::vector<idread_reader*> readers_;
};

}  // namespace

void idut_printReadUsage(FILE* out) {
  std::fprintf(out,
               "usage: idut read [options] IMAGE...\n"
               "\n"
               "Reads the DataMatrix (ECC 200) symbols of each image: every symbol idut locate\n"
               "finds is sampled over its measured module grid and decoded. Prints per image\n"
               "the texts (as JSON strings of the data bytes, byte n as character U+00nn),\n"
               "each symbol's size, corrected codewords and L\n"
               "corner, and the time; a symbol found but not decoded is listed as not read,\n"
               "with the reason.\n"
               "\n"
               "options: those of idut locate (idut locate --help), and\n"
               "  --json             one JSON line per image: {\"image\", \"ms\", \"symbols\":\n"
               "                     [{\"read\", \"text\", \"rows\", \"cols\", \"correctedErrors\",\n"
               "                     \"mirrored\", \"gs1\", \"ecis\" (ECI designators with the\n"
               "                     text offsets they start at, when there are any),\n"
               "                     \"corners\"} or {\"read\": 0,\n"
               "                     \"reason\", \"corners\"}]}\n"
               "  --overlay OUT.png  draw the symbols over the image (one IMAGE only)\n"
               "\n"
               "Exit status: 0 every image gave a text, 1 an image could not be read or\n"
               "searched or gave no text, 2 bad usage.\n");
}

int idut_readCommand(const std::vector<std::string>& args) {
  idut_searchArguments command;
  std::string error;
  if (!idut_parseSearchArguments(args, &command, &error) || command.rings) {
    std::fprintf(stderr, "idut read: %s\n(idut read --help for usage)\n",
                 command.rings ? "only DataMatrix symbols are read" : error.c_str());
    return 2;
  }
  readerSet readers;
  if (const int32_t status = readers.create(idut_batchWorkers(command.jobs, command.images.size()));
      status < 0) {
    std::fprintf(stderr, "idut: no reader: status 0x%08x\n", uint32_t(status));
    return 1;
  }
  const bool allRead =
      idut_runBatch(command.images, command.jobs,
                    [&](int32_t worker, const std::string& path, FILE* out, FILE* err) {
                      return readOne(readers[worker], command, path, out, err);
                    });
  return allRead ? 0 : 1;
}
