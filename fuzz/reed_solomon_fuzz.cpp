// The Reed-Solomon codec over GF(2^m), against independent field arithmetic: a word encoded
// from random data and hit by errors and erasures within the code's capacity decodes to
// itself with the right count; beyond it, the decoder either gives up or hands back a
// word whose syndromes all vanish, changed in no more places than it reports.
#include <algorithm>
#include <vector>

#include "ci_id/priv/ci_idut/ecc.h"
#include "ecc/reference_fields.h"
#include "fuzz_support.h"

namespace {

struct field {
  int32_t m;
  int32_t poly;
  int32_t N;

  int32_t mul(int32_t a, int32_t b) const { return gf2mMultiply(a, b, m, poly); }
  // True when the powers of g run through all N non-zero elements.
  bool generates(int32_t g) const {
    int32_t power = g, order = 1;
    for (; power != 1 && order <= N; ++order) power = mul(power, g);
    return power == 1 && order == N;
  }
};

class codeHolder {
 public:
  codeHolder(const field& f, int32_t nEcc, int32_t g) {
    FUZZ_REQUIRE(cid2d_ReedSolomonCode_construct(&code_, f.m, nEcc, f.poly, g) == 0);
  }
  ~codeHolder() { cid2d_ReedSolomonCode_destruct(&code_); }
  cid2d_ReedSolomonCode* get() { return &code_; }

 private:
  cid2d_ReedSolomonCode code_{};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_input in(data, size);
  field f;
  if (in.flag()) {
    f.m = 8;
    f.poly = 0x12D;
  } else {
    f.m = int32_t(in.range(2, 12));
    f.poly = (1 << f.m) | int32_t(in.range(0, (1 << f.m) - 1)) | 1;
  }
  f.N = (1 << f.m) - 1;
  // The power table steps by an integer product folded once by the polynomial, which is
  // the field's power sequence for the generator 2 (x) only.
  const int32_t g = 2;
  if (!f.generates(g)) return 0;
  const int32_t nEcc = int32_t(in.range(1, std::min(f.N - 1, 80)));
  const int32_t k = int32_t(in.range(0, std::min(f.N - nEcc, 300)));
  const int32_t n = nEcc + k;
  codeHolder code(f, nEcc, g);

  std::vector<int32_t> word(size_t(n), 0);
  for (int32_t i = 0; i < k; ++i) word[size_t(nEcc + i)] = int32_t(in.range(0, f.N));
  FUZZ_REQUIRE(cid2d_ReedSolomonCode_GetECCWords(code.get(), word.data() + nEcc, k, word.data(),
                                                 nEcc) == 0);
  FUZZ_REQUIRE(isGf2mCodeword(word, f.m, f.poly, g, nEcc));

  // Errors and erasures at distinct positions; an error always changes its symbol.
  const bool withinCapacity = in.flag();
  const int32_t erasures = int32_t(in.range(0, std::min(n, withinCapacity ? nEcc : nEcc + 2)));
  const int32_t errorLimit = withinCapacity ? (nEcc - erasures) / 2 : n - erasures;
  const int32_t errors = int32_t(in.range(0, std::min(errorLimit, n - erasures)));
  const std::vector<int32_t> positions = fuzz_distinctPicks(in, n, erasures + errors);
  std::vector<int32_t> received = word;
  for (int32_t i = 0; i < erasures; ++i) received[size_t(positions[size_t(i)])] = -1;
  for (int32_t i = erasures; i < erasures + errors; ++i) {
    int32_t& symbol = received[size_t(positions[size_t(i)])];
    symbol ^= int32_t(in.range(1, f.N));
  }

  std::vector<int32_t> decoded = received;
  int32_t count = 0;
  FUZZ_REQUIRE(cid2d_ReedSolomonCode_CorrectErrs(code.get(), decoded.data(), n, &count) == 0);
  if (withinCapacity) {
    FUZZ_REQUIRE(count == errors + erasures);
    FUZZ_REQUIRE(decoded == word);
    return 0;
  }
  FUZZ_REQUIRE(count >= -1 && count <= nEcc);
  if (count == -1) return 0;
  FUZZ_REQUIRE(isGf2mCodeword(decoded, f.m, f.poly, g, nEcc));
  int32_t changed = 0;
  for (int32_t i = 0; i < n; ++i)
    if (received[size_t(i)] < 0 || decoded[size_t(i)] != received[size_t(i)]) ++changed;
  FUZZ_REQUIRE(changed <= count);
  return 0;
}
