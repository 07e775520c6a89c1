// Decoding speed of the Reed-Solomon decoders, in decodes per second (items/s):
// a 255-symbol GF(256) word with 32 check symbols and 16 errors, and a 928-codeword
// GF(929) word with 256 check words and 0 or 127 errors.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "ci_id/priv/ci_idut/ecc.h"

namespace {

using word_t = std::vector<int32_t>;

// Distinct random positions of a word of length n.
std::vector<int32_t> randomPositions(int32_t n, int32_t count, std::mt19937& rng) {
  std::vector<int32_t> positions(n);
  std::iota(positions.begin(), positions.end(), 0);
  std::shuffle(positions.begin(), positions.end(), rng);
  positions.resize(count);
  return positions;
}

void BM_ReedSolomon255(benchmark::State& state) {
  const int32_t errors = int32_t(state.range(0));
  cid2d_ReedSolomonCode code;
  cid2d_ReedSolomonCode_construct(&code, 8, 32, 0x12D, 2);
  std::mt19937 rng(1);
  word_t sent(255);
  for (int32_t i = 32; i < 255; ++i) sent[i] = int32_t(rng() & 0xFF);
  cid2d_ReedSolomonCode_GetECCWords(&code, sent.data() + 32, 223, sent.data(), 32);
  word_t received = sent;
  for (int32_t p : randomPositions(255, errors, rng)) received[p] ^= 1 + int32_t(rng() % 255);
  word_t word;
  int32_t count = 0;
  for (auto _ : state) {
    word = received;
    cid2d_ReedSolomonCode_CorrectErrs(&code, word.data(), 255, &count);
    benchmark::DoNotOptimize(word.data());
  }
  if (count != errors || word != sent) state.SkipWithError("word not restored");
  state.SetItemsProcessed(state.iterations());
  cid2d_ReedSolomonCode_destruct(&code);
}
BENCHMARK(BM_ReedSolomon255)->Arg(16);

// Message times the generator with roots 3^1..3^nEcc, highest order first.
word_t encode929(const word_t& message, int32_t nEcc) {
  word_t g{1};
  int64_t root = 1;
  for (int32_t i = 1; i <= nEcc; ++i) {
    root = root * 3 % 929;
    word_t next(g.size() + 1, 0);
    for (size_t j = 0; j < g.size(); ++j) {
      next[j] = int32_t((next[j] + g[j]) % 929);
      next[j + 1] = int32_t((next[j + 1] + (929 - root) * g[j]) % 929);
    }
    g = next;
  }
  word_t c(message.size() + nEcc, 0);
  for (size_t i = 0; i < message.size(); ++i)
    for (size_t j = 0; j < g.size(); ++j) c[i + j] = int32_t((c[i + j] + int64_t(message[i]) * g[j]) % 929);
  return c;
}

void BM_Gf929_928(benchmark::State& state) {
  const int32_t errors = int32_t(state.range(0));
  std::mt19937 rng(2);
  word_t message(928 - 256);
  for (int32_t& m : message) m = int32_t(rng() % 929);
  const word_t sent = encode929(message, 256);
  word_t received = sent;
  for (int32_t p : randomPositions(928, errors, rng)) received[p] = (received[p] + 1) % 929;
  word_t word;
  int32_t length = 0, corrected = 0;
  for (auto _ : state) {
    word = received;
    cid_RSSCCA_RSCorrectErrors_(word.data(), 928, 256, 0, nullptr, &length, &corrected);
    benchmark::DoNotOptimize(word.data());
  }
  if (!corrected || length != errors || word != sent) state.SkipWithError("word not restored");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Gf929_928)->Arg(0)->Arg(127);

}  // namespace

BENCHMARK_MAIN();
