// The peer DataMatrix readers, where their Debian packages are installed: every symbol
// each reads in a sample image, as data bytes (the form `idut read` prints).
//  - zxing-cpp: ReadBarcodes restricted to DataMatrix; its raw content bytes, or its UTF-8
//    text when the symbol switches character sets with an ECI.
//  - libdmtx: dmtxRegionFindNext until it finds no more regions, each region decoded;
//    FNC1 given back as GS (0x1D), the leading one of GS1 data dropped.
#pragma once

#include <stdint.h>

#include <string>
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
