// Speed of finding every DataMatrix symbol of an image with the loop of `idut locate`
// (its default options), over the sample sets synthetic/easy, multi, hard and real of
// ../shared/samples (a set whose folder is absent is skipped). One benchmark iteration
// runs the whole set; per image the least thread CPU time over the iterations is kept,
// and the counter image_ms is the median of those over the set's images.
//
// With the peers installed the same images go, in the same run, to
//  - libdmtx: dmtxRegionFindNext until it finds no more regions, each region decoded (a
//    region counts when it decodes; decoder creation over the image is timed too);
//  - zxing-cpp: ReadBarcodes restricted to DataMatrix (its detector cannot be timed apart
//    from its decoder, so this is a full read);
// and the run ends with a table of the medians and their ratios to ours.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "idread/locate.h"
#include "peer_readers.h"
#include "sample_sets.h"

namespace {

int64_t findOurs(const sampleImage& sample) {
  static const idread_locateOptions options;
  std::vector<idread_symbol> symbols;
  if (idread_locateAll(sample.image.image(), options, &symbols) < 0) return 0;
  return int64_t(symbols.size());
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::vector<std::unique_ptr<sampleSet>> sets = loadSampleSets(IDUT_SAMPLES_DIR);
  registerReaderBenchmarks(sets, findOurs, 0);
  benchmark::RunSpecifiedBenchmarks();
  printSetTable("found", true);
  benchmark::Shutdown();
  return 0;
}
