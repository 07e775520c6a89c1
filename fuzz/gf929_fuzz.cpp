// The GF(929) Reed-Solomon decoder, against a systematic encoder of its own (roots
// 3^1..3^nEcc, c[0] the highest-order coefficient): errors and erasures with
// 2 errors + erasures <= nEcc - 2 are corrected to the encoded word, reporting their
// count; beyond that the word is either left untouched or made a valid codeword.
#include <algorithm>
#include <vector>

#include "ci_id/priv/ci_idut/ecc.h"
#include "ecc/reference_fields.h"
#include "fuzz_support.h"

namespace {

// c[0..n - nEcc - 1] holds the data; the check words after it are minus the remainder of
// data(x) x^nEcc divided by the generator, product of (x - 3^k).
void encode(std::vector<int32_t>* c, int32_t nEcc) {
  std::vector<int32_t> g(size_t(nEcc) + 1, 0);  // g[i]: coefficient of x^(nEcc - i)
  g[0] = 1;
  int32_t root = 1;
  for (int32_t k = 1; k <= nEcc; ++k) {
    root = gf929Multiply(root, 3);
    for (int32_t i = k; i >= 1; --i) {
      const int32_t lower = gf929Multiply(g[size_t(i) - 1], root);
      g[size_t(i)] = (g[size_t(i)] + gf929Prime - lower) % gf929Prime;
    }
  }
  const size_t dataWords = c->size() - size_t(nEcc);
  std::vector<int32_t> rest(c->begin(), c->end());  // long division, highest order first
  for (size_t i = dataWords; i < rest.size(); ++i) rest[i] = 0;
  for (size_t i = 0; i < dataWords; ++i) {
    const int32_t factor = rest[i];
    for (size_t j = 0; j <= size_t(nEcc); ++j)
      rest[i + j] = (rest[i + j] + gf929Prime - gf929Multiply(factor, g[j])) % gf929Prime;
  }
  for (size_t i = dataWords; i < c->size(); ++i) (*c)[i] = (gf929Prime - rest[i]) % gf929Prime;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_input in(data, size);
  const int32_t n = int32_t(in.range(1, 928));
  const int32_t nEcc = int32_t(in.range(1, std::min(n, 512)));
  std::vector<int32_t> word(size_t(n), 0);
  for (int32_t i = 0; i < n - nEcc; ++i) word[size_t(i)] = int32_t(in.range(0, gf929Prime - 1));
  encode(&word, nEcc);
  FUZZ_REQUIRE(isGf929Codeword(word, nEcc));

  // Erasures (positions 1..n, their words set to any value) and errors, all distinct.
  const bool withinCapacity = in.flag();
  const int32_t budget = nEcc - 2;
  if (withinCapacity && budget < 0) return 0;
  const int32_t e = int32_t(in.range(0, withinCapacity ? budget : nEcc));
  const int32_t t = int32_t(in.range(0, withinCapacity ? (budget - e) / 2 : n - e));
  std::vector<int32_t> positions = fuzz_distinctPicks(in, n, e + t);
  for (int32_t& k : positions) k += 1;
  std::vector<int32_t> received = word;
  for (int32_t i = 0; i < e; ++i)
    received[size_t(n - positions[size_t(i)])] = int32_t(in.range(0, gf929Prime - 1));
  for (int32_t i = e; i < e + t; ++i) {
    int32_t& symbol = received[size_t(n - positions[size_t(i)])];
    symbol = (symbol + int32_t(in.range(1, gf929Prime - 1))) % gf929Prime;
  }

  std::vector<int32_t> decoded = received;
  int32_t found = 0, corrected = 0;
  FUZZ_REQUIRE(cid_RSSCCA_RSCorrectErrors_(decoded.data(), n, nEcc, e, positions.data(), &found,
                                           &corrected) == 0);
  if (withinCapacity) {
    FUZZ_REQUIRE(corrected == 1);
    FUZZ_REQUIRE(decoded == word);
    FUZZ_REQUIRE(found == t + e);
    return 0;
  }
  FUZZ_REQUIRE(corrected == 0 || corrected == 1);
  if (corrected == 0)
    FUZZ_REQUIRE(decoded == received);
  else
    FUZZ_REQUIRE(isGf929Codeword(decoded, nEcc));
  return 0;
}
