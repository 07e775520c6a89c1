// Shared by the locate and read benchmarks and the peer reading program: sample images in
// a kit image and as packed rows (for the peers), the sample sets synthetic/easy, multi,
// hard and real of ../shared/samples, and a timing loop over a set that keeps each
// image's least thread CPU time and reports the median over the set.
#pragma once

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

// Median per-image milliseconds and symbols found or read, by set and reader.
struct setResult {
  double medianMs = 0;
  int64_t found = 0;
};

inline std::map<std::string, std::map<std::string, setResult>>& setResults() {
  static std::map<std::string, std::map<std::string, setResult>> results;
  return results;
}

inline double threadCpuMs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
}

// Reads an image file into *sample; false with the reason in *error.
inline bool loadSampleImage(const std::string& path, sampleImage* sample, std::string* error) {
  if (!idut_readGreyImage(path, &sample->image, error)) return false;
  cimg_window window;
  cimg_window_init(&window, sample->image.image());
  sample->width = window.width;
  sample->height = window.height;
  sample->pixels.resize(size_t(window.width) * window.height);
  for (int32_t y = 0; y < window.height; ++y)
    std::copy_n(cimg_window_row<uint8_t>(&window, y), window.width,
                sample->pixels.begin() + ptrdiff_t(y) * window.width);
  return true;
}

inline bool loadSet(const std::filesystem::path& folder, const std::string& name, sampleSet* set) {
  std::vector<std::filesystem::path> paths;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    if (entry.path().extension() == ".pgm") paths.push_back(entry.path());
  std::sort(paths.begin(), paths.end());
  set->name = name;
  for (const auto& path : paths) {
    auto sample = std::make_unique<sampleImage>();
    std::string message;
    if (!loadSampleImage(path.string(), sample.get(), &message)) {
      std::fprintf(stderr, "skipping %s\n", message.c_str());
      continue;
    }
    set->images.push_back(std::move(sample));
  }
  return !set->images.empty();
}

// The sets whose folders hold images, in the order easy, multi, hard, real.
inline std::vector<std::unique_ptr<sampleSet>> loadSampleSets(const std::filesystem::path& samples) {
  std::vector<std::unique_ptr<sampleSet>> sets;
  for (const char* name : {"easy", "multi", "hard", "real"}) {
    auto set = std::make_unique<sampleSet>();
    const std::string folder =
        std::string(name) == "real" ? "real" : std::string("synthetic/") + name;
    if (loadSet(samples / folder, name, set.get())) sets.push_back(std::move(set));
  }
  if (sets.empty()) std::fprintf(stderr, "no sample images under %s\n", samples.c_str());
  return sets;
}

// Runs find(image) -> symbols found (or read) over the set each iteration, keeping each
// image's least CPU time; the counters image_ms (median over the set) and found.
template <class Find>
void runSet(benchmark::State& state, const sampleSet& set, const std::string& reader, Find find) {
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
  setResults()[set.name][reader] = setResult{median, found};
}

// The closing table: per set each reader's median ms per image and count, with the ratio
// of each peer's median to ours (peerOverOurs) or of ours to each peer's.
inline void printSetTable(const char* counted, bool peerOverOurs) {
  std::printf("\nmedian ms per image (symbols %s per set); ratio = %s\n", counted,
              peerOverOurs ? "peer / ours" : "ours / peer");
  for (const auto& [set, byReader] : setResults()) {
    const auto ours = byReader.find("idut");
    std::printf("%-8s", set.c_str());
    for (const auto& [reader, r] : byReader) {
      std::printf("  %s %.3f (%lld)", reader.c_str(), r.medianMs, static_cast<long long>(r.found));
      if (ours != byReader.end() && reader != "idut" && ours->second.medianMs > 0 && r.medianMs > 0)
        std::printf(" ratio %.3g", peerOverOurs ? r.medianMs / ours->second.medianMs
                                                : ours->second.medianMs / r.medianMs);
    }
    std::printf("\n");
  }
}
