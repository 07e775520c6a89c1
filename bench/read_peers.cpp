// `bench_read_peers --reader idut|zxing|dmtx IMAGE...`: reads the DataMatrix symbols of
// each image with one reader and prints one JSON line per image in the form of
// `idut read --json`, so that tools/score_read.py scores every reader alike:
// {"image", "ms", "symbols": [{"read": 1, "text", "gs1"(, "ecis")}, ...]}, texts as JSON
// strings of the data bytes (byte n as character U+00nn). ms times the reading call
// alone (image in memory, one thread, wall clock); libdmtx's search stops 2 s after it
// began. Symbols ours finds but does not decode are listed as {"read": 0}; the peers
// report only what they read. A plain program: each image is read once, as a user would.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "idread/read.h"
#include "json.h"
#include "peer_readers.h"
#include "sample_sets.h"

namespace {

constexpr long libdmtxTimeoutMs = 2000;

struct readSymbol {
  int32_t read = 1;
  peerText text;
  std::vector<idread_DataMatrixEci> ecis;
};

std::vector<readSymbol> readOurs(idread_reader* reader, const sampleImage& sample) {
  std::vector<idread_reading> readings;
  if (idread_readAll(reader, sample.image.image(), {}, &readings) < 0) return {};
  std::vector<readSymbol> symbols;
  for (const idread_reading& r : readings)
    symbols.push_back({r.read, {r.text, r.gs1, 0}, r.ecis});
  return symbols;
}

std::vector<readSymbol> asSymbols(std::vector<peerText> texts) {
  std::vector<readSymbol> symbols;
  for (peerText& t : texts) {
    readSymbol s;
    if (t.eci) s.ecis.push_back({t.eci, 0});
    s.text = std::move(t);
    symbols.push_back(std::move(s));
  }
  return symbols;
}

void printJson(const std::string& path, double ms, const std::vector<readSymbol>& symbols) {
  std::printf("{\"image\": %s, \"ms\": %.3f, \"symbols\": [", idut_jsonString(path).c_str(), ms);
  for (size_t i = 0; i < symbols.size(); ++i) {
    const readSymbol& s = symbols[i];
    std::printf("%s{\"read\": %d", i ? ", " : "", s.read);
    if (s.read)
      std::printf(", \"text\": %s, \"gs1\": %d", idut_jsonLatin1String(s.text.bytes).c_str(),
                  s.text.gs1);
    if (s.read && !s.ecis.empty()) {
      std::printf(", \"ecis\": [");
      for (size_t k = 0; k < s.ecis.size(); ++k)
        std::printf("%s[%d, %d]", k ? ", " : "", s.ecis[k].number, s.ecis[k].offset);
      std::printf("]");
    }
    std::printf("}");
  }
  std::printf("]}\n");
}

int usage() {
  std::fprintf(stderr, "usage: bench_read_peers --reader idut|zxing|dmtx IMAGE...\n"
                       "(zxing and dmtx only where their packages were found)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || std::strcmp(argv[1], "--reader") != 0) return usage();
  const std::string name = argv[2];
  bool known = name == "idut";
#ifdef IDUT_HAVE_ZXING
  known = known || name == "zxing";
#endif
#ifdef IDUT_HAVE_LIBDMTX
  known = known || name == "dmtx";
#endif
  if (!known) return usage();
  idread_reader* reader = nullptr;
  if (idread_reader_create(&reader) < 0) {
    std::fprintf(stderr, "bench_read_peers: no reader\n");
    return 1;
  }
  int status = 0;
  for (int i = 3; i < argc; ++i) {
    sampleImage sample;
    std::string error;
    if (!loadSampleImage(argv[i], &sample, &error)) {
      std::fprintf(stderr, "bench_read_peers: %s\n", error.c_str());
      status = 1;
      continue;
    }
    std::vector<readSymbol> symbols;
    const auto start = std::chrono::steady_clock::now();
    if (name == "idut") symbols = readOurs(reader, sample);
#ifdef IDUT_HAVE_ZXING
    if (name == "zxing") symbols = asSymbols(zxingRead(sample));
#endif
#ifdef IDUT_HAVE_LIBDMTX
    if (name == "dmtx") symbols = asSymbols(libdmtxRead(sample, libdmtxTimeoutMs));
#endif
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    printJson(argv[i], ms, symbols);
  }
  idread_reader_release(&reader);
  return status;
}
