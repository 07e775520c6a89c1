// Speed of finding every DataMatrix symbol of an image with the loop of `idut locate`
// (its default options), over the sample sets synthetic/easy, multi, hard and real of
// ../shared/samples (a set whose folder is absent is skipped). One benchmark iteration
// runs the whole set; per image the least thread CPU time over the iterations is kept,
// and the counter image_ms is the median of those over the set's images.
//
// With the peers installed the same images go, in the same run, to
//  - libdmtx: dmtxRegionFindNext until it finds no more regions (region finding only, no
//    decoding; decoder creation over the image is timed too);
//  - zxing-cpp: ReadBarcodes restricted to DataMatrix (its detector cannot be timed apart
//    from its decoder, so this is a full read);
// and the run ends with a table of the medians and their ratios to ours.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "image_file.h"
#include "idread/locate.h"

#ifdef IDUT_HAVE_LIBDMTX
#include <dmtx.h>
#endif
#ifdef IDUT_HAVE_ZXING
#include <ReadBarcode.h>
#endif

namespace {

struct sampleImage {
  ccGreyImage image;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;  // rows without padding, for the peers
};

struct sampleSet {
  std::string name;
  std::vector<std::unique_ptr<sampleImage>> images;
};

// Median per-image milliseconds and symbols found, by finder and set.
struct setResult {
  double medianMs = 0;
  int64_t found = 0;
};
std::map<std::string, std::map<std::string, setResult>> results;

double threadCpuMs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
}

bool loadSet(const std::filesystem::path& folder, const std::string& name, sampleSet* set) {
  std::vector<std::filesystem::path> paths;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    if (entry.path().extension() == ".pgm") paths.push_back(entry.path());
  if (paths.empty()) return false;
  std::sort(paths.begin(), paths.end());
  set->name = name;
  for (const auto& path : paths) {
    auto sample = std::make_unique<sampleImage>();
    std::string message;
    if (!idut_readGreyImage(path.string(), &sample->image, &message)) {
      std::fprintf(stderr, "skipping %s\n", message.c_str());
      continue;
    }
    cimg_window window;
    cimg_window_init(&window, sample->image.image());
    sample->width = window.width;
    sample->height = window.height;
    sample->pixels.resize(size_t(window.width) * window.height);
    for (int32_t y = 0; y < window.height; ++y)
      std::copy_n(cimg_window_row<uint8_t>(&window, y), window.width,
                  sample->pixels.begin() + ptrdiff_t(y) * window.width);
    set->images.push_back(std::move(sample));
  }
  return !set->images.empty();
}

// Runs find(image) -> symbols found over the set each iteration, keeping each image's
// least CPU time.
template <class Find>
void runSet(benchmark::State& state, const sampleSet& set, const std::string& finder, Find find) {
  std::vector<double> least(set.images.size(), 1e300);
  int64_t found = 0;
  for (auto _ : state) {
    found = 0;
    for (size_t i = 0; i < set.images.size(); ++i) {
      const double start = threadCpuMs();
      found += find(*set.images[i]);
      least[i] = std::min(least[i], threadCpuMs() - start);
    }
  }
  std::nth_element(least.begin(), least.begin() + ptrdiff_t(least.size() / 2), least.end());
  const double median = least[least.size() / 2];
  state.counters["image_ms"] = median;
  state.counters["found"] = double(found);
  results[set.name][finder] = setResult{median, found};
}

int64_t findOurs(const sampleImage& sample) {
  static const idread_locateOptions options;
  std::vector<idread_symbol> symbols;
  if (idread_locateAll(sample.image.image(), options, &symbols) < 0) return 0;
  return int64_t(symbols.size());
}

#ifdef IDUT_HAVE_LIBDMTX
int64_t findLibdmtx(const sampleImage& sample) {
  std::vector<uint8_t> pixels = sample.pixels;  // libdmtx takes a writable buffer
  DmtxImage* image = dmtxImageCreate(pixels.data(), sample.width, sample.height, DmtxPack8bppK);
  DmtxDecode* decode = dmtxDecodeCreate(image, 1);
  int64_t found = 0;
  while (DmtxRegion* region = dmtxRegionFindNext(decode, nullptr)) {
    if (DmtxMessage* message = dmtxDecodeMatrixRegion(decode, region, DmtxUndefined)) {
      ++found;
      dmtxMessageDestroy(&message);
    }
    dmtxRegionDestroy(&region);
  }
  dmtxDecodeDestroy(&decode);
  dmtxImageDestroy(&image);
  return found;
}
#endif

#ifdef IDUT_HAVE_ZXING
int64_t findZxing(const sampleImage& sample) {
  const ZXing::ImageView view(sample.pixels.data(), sample.width, sample.height,
                              ZXing::ImageFormat::Lum);
  ZXing::DecodeHints hints;
  hints.setFormats(ZXing::BarcodeFormat::DataMatrix);
  const ZXing::Results read = ZXing::ReadBarcodes(view, hints);
  return int64_t(
      std::count_if(read.begin(), read.end(), [](const auto& r) { return r.isValid(); }));
}
#endif

void printTable() {
  std::printf("\nmedian ms per image (symbols found per set); ratio = peer / ours\n");
  for (const auto& [set, byFinder] : results) {
    const auto ours = byFinder.find("idut");
    std::printf("%-8s", set.c_str());
    for (const auto& [finder, r] : byFinder) {
      std::printf("  %s %.3f (%lld)", finder.c_str(), r.medianMs, static_cast<long long>(r.found));
      if (ours != byFinder.end() && finder != "idut" && ours->second.medianMs > 0)
        std::printf(" ratio %.1f", r.medianMs / ours->second.medianMs);
    }
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::filesystem::path samples = IDUT_SAMPLES_DIR;
  std::vector<std::unique_ptr<sampleSet>> sets;
  for (const char* name : {"easy", "multi", "hard", "real"}) {
    auto set = std::make_unique<sampleSet>();
    const std::string folder =
        std::string(name) == "real" ? "real" : std::string("synthetic/") + name;
    if (loadSet(samples / folder, name, set.get())) sets.push_back(std::move(set));
  }
  if (sets.empty()) std::fprintf(stderr, "no sample images under %s\n", samples.c_str());
  for (const auto& set : sets) {
    const sampleSet* s = set.get();
    benchmark::RegisterBenchmark(("idut/" + s->name).c_str(), [s](benchmark::State& state) {
      runSet(state, *s, "idut", findOurs);
    })->Unit(benchmark::kMillisecond);
#ifdef IDUT_HAVE_LIBDMTX
    benchmark::RegisterBenchmark(("libdmtx/" + s->name).c_str(), [s](benchmark::State& state) {
      runSet(state, *s, "libdmtx", findLibdmtx);
    })->Unit(benchmark::kMillisecond);
#endif
#ifdef IDUT_HAVE_ZXING
    benchmark::RegisterBenchmark(("zxing/" + s->name).c_str(), [s](benchmark::State& state) {
      runSet(state, *s, "zxing", findZxing);
    })->Unit(benchmark::kMillisecond);
#endif
  }
  benchmark::RunSpecifiedBenchmarks();
  printTable();
  benchmark::Shutdown();
  return 0;
}
