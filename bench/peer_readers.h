// The peer DataMatrix readers, where their Debian packages are installed: every symbol
// each reads in a sample image, as data bytes (the form `idut read` prints).
//  - zxing-cpp: ReadBarcodes restricted to DataMatrix; its raw content bytes, or its UTF-8
//    text when the symbol switches character sets with an ECI.
//  - libdmtx: dmtxRegionFindNext until it finds no more regions, each region decoded;
//    FNC1 given back as GS (0x1D), the leading one of GS1 data dropped.
#pragma once

#include <stdint.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sample_sets.h"

#ifdef IDUT_HAVE_LIBDMTX
#include <dmtx.h>
#endif
#ifdef IDUT_HAVE_ZXING
#define ZX_USE_UTF8 1  // Result::text() as UTF-8
#include <ReadBarcode.h>
#endif

struct peerText {
  std::string bytes;
  int32_t gs1 = 0;  // 1: GS1 data (leading FNC1)
  int32_t eci = 0;  // the character set of bytes when the symbol named one (26: UTF-8)
};

#ifdef IDUT_HAVE_ZXING
inline std::vector<peerText> zxingRead(const sampleImage& sample) {
  const ZXing::ImageView view(sample.pixels.data(), sample.width, sample.height,
                              ZXing::ImageFormat::Lum);
  ZXing::DecodeHints hints;
  hints.setFormats(ZXing::BarcodeFormat::DataMatrix);
  std::vector<peerText> texts;
  for (const ZXing::Result& r : ZXing::ReadBarcodes(view, hints)) {
    if (!r.isValid()) continue;
    peerText t;
    t.gs1 = r.contentType() == ZXing::ContentType::GS1;
    if (r.hasECI()) {
      t.bytes = r.text();
      t.eci = 26;
    } else {
      t.bytes.assign(r.bytes().begin(), r.bytes().end());
    }
    texts.push_back(std::move(t));
  }
  return texts;
}
#endif

#ifdef IDUT_HAVE_LIBDMTX
// timeoutMs > 0 ends the region search that long after the call began.
inline std::vector<peerText> libdmtxRead(const sampleImage& sample, long timeoutMs) {
  std::vector<uint8_t> pixels = sample.pixels;  // libdmtx takes a writable buffer
  DmtxImage* image = dmtxImageCreate(pixels.data(), sample.width, sample.height, DmtxPack8bppK);
  DmtxDecode* decode = dmtxDecodeCreate(image, 1);
  dmtxDecodeSetProp(decode, DmtxPropFnc1, 0x1D);
  DmtxTime timeout = dmtxTimeAdd(dmtxTimeNow(), timeoutMs);
  std::vector<peerText> texts;
  while (DmtxRegion* region = dmtxRegionFindNext(decode, timeoutMs > 0 ? &timeout : nullptr)) {
    if (DmtxMessage* message = dmtxDecodeMatrixRegion(decode, region, DmtxUndefined)) {
      peerText t;
      t.bytes.assign(reinterpret_cast<const char*>(message->output), size_t(message->outputIdx));
      t.gs1 = message->code[0] == 232;
      if (t.gs1 && !t.bytes.empty() && t.bytes[0] == '\x1D') t.bytes.erase(0, 1);
      texts.push_back(std::move(t));
      dmtxMessageDestroy(&message);
    }
    dmtxRegionDestroy(&region);
  }
  dmtxDecodeDestroy(&decode);
  dmtxImageDestroy(&image);
  return texts;
}
#endif

// A reader of one image: symbols found (or read).
using sampleReader = std::function<int64_t(const sampleImage&)>;

// Registers, per sample set, a benchmark of ours and of each peer built in ("idut/<set>",
// "libdmtx/<set>", "zxing/<set>"), each counting what it reads; libdmtx's search ends
// libdmtxTimeoutMs after the call began (0: no limit).
inline void registerReaderBenchmarks(const std::vector<std::unique_ptr<sampleSet>>& sets,
                                     const sampleReader& ours, long libdmtxTimeoutMs) {
  std::vector<std::pair<std::string, sampleReader>> readers{{"idut", ours}};
#ifdef IDUT_HAVE_LIBDMTX
  readers.push_back({"libdmtx", [libdmtxTimeoutMs](const sampleImage& sample) {
                       return int64_t(libdmtxRead(sample, libdmtxTimeoutMs).size());
                     }});
#else
  (void)libdmtxTimeoutMs;
#endif
#ifdef IDUT_HAVE_ZXING
  readers.push_back(
      {"zxing", [](const sampleImage& sample) { return int64_t(zxingRead(sample).size()); }});
#endif
  for (const auto& set : sets) {
    const sampleSet* s = set.get();
    for (const auto& [name, read] : readers) {
      benchmark::RegisterBenchmark((name + "/" + s->name).c_str(),
                                   [s, name = name, read = read](benchmark::State& state) {
                                     runSet(state, *s, name, read);
                                   })
          ->Unit(benchmark::kMillisecond);
    }
  }
}
