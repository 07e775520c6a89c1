// Speed of reading every DataMatrix symbol of an image with idread_readAll (one reader,
// default options, as `idut read`), over the sample sets synthetic/easy, multi, hard and
// real of ../shared/samples (a set whose folder is absent is skipped). One benchmark
// iteration runs the whole set; per image the least thread CPU time over the iterations
// is kept, and the counter image_ms is the median of those over the set's images; found
// counts the texts read.
//
// With the peers installed the same images are read, in the same run, by zxing-cpp and
// libdmtx (peer_readers.h; libdmtx with a 2 s search limit per image), and the run ends
// with a table of the medians and the ratios of ours to theirs.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "idread/read.h"
#include "peer_readers.h"
#include "sample_sets.h"

namespace {

constexpr long libdmtxTimeoutMs = 2000;

int64_t readOurs(const sampleImage& sample) {
  static idread_reader* reader = [] {
    idread_reader* created = nullptr;
    idread_reader_create(&created);
    return created;
  }();
  static const idread_readOptions options;
  std::vector<idread_reading> readings;
  if (!reader || idread_readAll(reader, sample.image.image(), options, &readings) < 0) return 0;
  int64_t read = 0;
  for (const idread_reading& r : readings) read += r.read;
  return read;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::vector<std::unique_ptr<sampleSet>> sets = loadSampleSets(IDUT_SAMPLES_DIR);
  registerReaderBenchmarks(sets, readOurs, libdmtxTimeoutMs);
  benchmark::RunSpecifiedBenchmarks();
  printSetTable("read", false);
  benchmark::Shutdown();
  return 0;
}
