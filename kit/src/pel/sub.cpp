// Pixel differences of two 8-bit windows, kept in a byte by one of four rules.
#include "internal.h"
#include "lanes.h"

namespace {

// Each rule gives the byte of one difference and the same for sixteen at a time.
struct wrapRule {
  static uint8_t one(uint8_t a, uint8_t b) { return uint8_t(a - b); }
  static cip_lanes::bytes many(cip_lanes::bytes a, cip_lanes::bytes b) {
    return cip_lanes::subWrap(a, b);
  }
};

struct absoluteRule {
  static uint8_t one(uint8_t a, uint8_t b) { return a > b ? uint8_t(a - b) : uint8_t(b - a); }
  static cip_lanes::bytes many(cip_lanes::bytes a, cip_lanes::bytes b) {
    return cip_lanes::bitOr(cip_lanes::subClamp(a, b), cip_lanes::subClamp(b, a));
  }
};

// (a - b + 255) / 2 = (a + (255 - b)) / 2 rounded down: the rounded-up average less the
// carry of an odd sum.
struct halvedRule {
  static uint8_t one(uint8_t a, uint8_t b) { return uint8_t((a - b + 255) >> 1); }
  static cip_lanes::bytes many(cip_lanes::bytes a, cip_lanes::bytes b) {
    const cip_lanes::bytes inverseB = cip_lanes::bitXor(b, cip_lanes::splat(255));
    const cip_lanes::bytes oddSum =
        cip_lanes::bitAnd(cip_lanes::bitXor(a, inverseB), cip_lanes::splat(1));
    return cip_lanes::subWrap(cip_lanes::averageUp(a, inverseB), oddSum);
  }
};

struct clampRule {
  static uint8_t one(uint8_t a, uint8_t b) { return a > b ? uint8_t(a - b) : uint8_t(0); }
  static cip_lanes::bytes many(cip_lanes::bytes a, cip_lanes::bytes b) {
    return cip_lanes::subClamp(a, b);
  }
};

// Each step reads its pixels before it writes, so the destination may be a or b itself.
template <class Rule>
void subtract(const cimg_windowConst& a, const cimg_windowConst& b, const cimg_window& out) {
  for (int32_t r = 0; r < out.height; ++r) {
    const uint8_t* pa = cimg_windowConst_row<uint8_t>(&a, r);
    const uint8_t* pb = cimg_windowConst_row<uint8_t>(&b, r);
    uint8_t* po = cimg_window_row<uint8_t>(&out, r);
    int32_t c = 0;
    for (; c + cip_lanes::count <= out.width; c += cip_lanes::count) {
      cip_lanes::store(po + c, Rule::many(cip_lanes::load(pa + c), cip_lanes::load(pb + c)));
    }
    for (; c < out.width; ++c) po[c] = Rule::one(pa[c], pb[c]);
  }
}

// The destination is the source's own pixels or shares none of them.
bool inPlaceOrApart(const cimg_windowConst* source, const cimg_window* destination) {
  const bool inPlace =
      source->pixels == destination->pixels && source->stride == destination->stride;
  return inPlace || cip_pelfunc_checkMemoryOverlap(source, destination) == 0;
}

}  // namespace

extern "C" int32_t cip_pelSub8(const cimg_windowConst* a, const cimg_windowConst* b,
                               const cimg_window* destination, int32_t mode) {
  const bool aFits = cip_pel_sameSize8(a, destination);
  const bool bFits = cip_pel_sameSize8(b, destination);
  CIP_PEL_CHECK(mode >= CIP_SUB_WRAP && mode <= CIP_SUB_CLAMP);
  CIP_PEL_CHECK(inPlaceOrApart(a, destination) && inPlaceOrApart(b, destination));
  if (!aFits || !bFits) return CIMG_STATUS_BAD_SIZE;
  switch (mode) {
    case CIP_SUB_WRAP:
      subtract<wrapRule>(*a, *b, *destination);
      break;
    case CIP_SUB_ABSOLUTE:
      subtract<absoluteRule>(*a, *b, *destination);
      break;
    case CIP_SUB_HALVED:
      subtract<halvedRule>(*a, *b, *destination);
      break;
    default:
      subtract<clampRule>(*a, *b, *destination);
      break;
  }
  return 0;
}
