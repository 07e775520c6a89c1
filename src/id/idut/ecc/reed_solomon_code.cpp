// The Reed-Solomon code over GF(2^m): field tables, generator polynomial, encoding.
#include "ci_id/priv/ci_idut/ecc.h"
#include "id/idut/ecc/gf2m_field.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"

namespace {

// One step of the power table: the plain product with the generator value, folded back
// into m bits by the field polynomial.
int32_t powerStep(int32_t v, const cid2d_ReedSolomonCode& code) {
  int64_t next = int64_t{v} * code.generatorValue;
  if (next > code.N) next ^= code.primitivePoly;
  return static_cast<int32_t>(next & code.N);
}

// Number of steps after which the power table returns to 1 (0 if it never does).
int32_t powerTablePeriod(const cid2d_ReedSolomonCode& code) {
  int32_t v = 1;
  for (int32_t i = 1; i <= code.N; ++i) {
    v = powerStep(v, code);
    if (v == 1) return i;
  }
  return 0;
}

void buildFieldTables(cid2d_ReedSolomonCode& code) {
  const int32_t n = code.N;
  code.expTable[0] = 1;
  for (int32_t i = 1; i <= n; ++i) code.expTable[i] = powerStep(code.expTable[i - 1], code);
  code.logTable[0] = n;  // marker: 0 has no logarithm
  for (int32_t i = 1; i <= n; ++i) code.logTable[code.expTable[i]] = i;
  for (int32_t i = 0; i <= n; ++i) {
    int32_t e = code.logTable[1] - code.logTable[i];
    if (e < 0) e += n;
    code.invTable[i] = code.expTable[e];
  }
}

// g(x) = (x + alpha)(x + alpha^2)...(x + alpha^nEcc), multiplied out one root at a time.
void buildGeneratorPoly(cid2d_ReedSolomonCode& code) {
  const ccGf2mField field(code);
  int32_t* g = code.generatorPoly;
  g[0] = field.pow(1);
  g[1] = 1;
  for (int32_t i = 2; i <= code.nEcc; ++i) {
    g[i] = 1;
    for (int32_t j = i - 1; j >= 1; --j) g[j] = g[j - 1] ^ field.mulByPow(g[j], i);
    g[0] = field.mulByPow(g[0], i);
  }
}

}  // namespace

CIDUT_DEFINE_TYPE_CHECKS(cid2d_ReedSolomonCode)

extern "C" int32_t cid2d_ReedSolomonCode_construct(cid2d_ReedSolomonCode* code, int32_t m,
                                                   int32_t nEcc, int32_t primitivePoly,
                                                   int32_t generatorValue) {
  CIDUT_CHECK(code);
  CIDUT_CHECK(m >= 2 && m <= 16);
  const int32_t n = (1 << m) - 1;
  CIDUT_CHECK(nEcc >= 1 && nEcc < n);
  CIDUT_CHECK(generatorValue >= 1 && generatorValue <= n);
  csys_memory_fill(0, sizeof *code, code);
  code->m = m;
  code->N = n;
  code->nEcc = nEcc;
  code->primitivePoly = primitivePoly;
  code->generatorValue = generatorValue;
  CIDUT_CHECK(powerTablePeriod(*code) == n);

  ccCleanupFrame<1> frame;
  frame.holdOutput<cid2d_ReedSolomonCode_destruct>(code);
  const size_t tableBytes = sizeof(int32_t) * (n + 1);
  if (frame.failed(csys_memory_alloc_internal(tableBytes, (void**)&code->expTable)) ||
      frame.failed(csys_memory_alloc_internal(tableBytes, (void**)&code->logTable)) ||
      frame.failed(csys_memory_alloc_internal(tableBytes, (void**)&code->invTable)) ||
      frame.failed(csys_memory_alloc_internal(sizeof(int32_t) * (nEcc + 1),
                                              (void**)&code->generatorPoly)) ||
      frame.failed(csys_memory_allocClear_internal(sizeof(int32_t) * nEcc, (void**)&code->work)))
    return frame.exit();
  buildFieldTables(*code);
  buildGeneratorPoly(*code);
  return frame.exit();
}

extern "C" int32_t cid2d_ReedSolomonCode_destruct(cid2d_ReedSolomonCode* code) {
  if (!code) return 0;
  int32_t** tables[] = {&code->expTable, &code->logTable, &code->invTable, &code->generatorPoly,
                        &code->work};
  for (int32_t** table : tables) csys_memory_free_internal((void**)table);
  csys_memory_fill(0, sizeof *code, code);
  return 0;
}

extern "C" int32_t cid2d_ReedSolomonCode_GetECCWords(const cid2d_ReedSolomonCode* code,
                                                     const int32_t* data, int32_t k,
                                                     int32_t* ecc, int32_t nEcc) {
  CIDUT_CHECK(code);
  CIDUT_CHECK(data);
  CIDUT_CHECK(ecc);
  CIDUT_CHECK(k >= 0);
  if (k > code->N - code->nEcc || nEcc != code->nEcc) return CIDUT_ERR_BAD_LENGTH;

  // Shift register dividing data(x) x^nEcc by g(x), highest data word first.
  const ccGf2mField field(*code);
  const int32_t* g = code->generatorPoly;
  const int32_t last = nEcc - 1;
  csys_memory_fill(0, sizeof(int32_t) * nEcc, ecc);
  for (int32_t i = k - 1; i >= 0; --i) {
    CIDUT_CHECK(data[i] >= 0 && data[i] <= code->N);
    const int32_t feedback = data[i] ^ ecc[last];
    if (feedback != 0) {
      const int32_t logFeedback = field.log(feedback);
      for (int32_t j = last; j >= 1; --j) ecc[j] = field.mulByPow(g[j], logFeedback) ^ ecc[j - 1];
      ecc[0] = field.mulByPow(g[0], logFeedback);
    } else {
      for (int32_t j = last; j >= 1; --j) ecc[j] = ecc[j - 1];
      ecc[0] = 0;
    }
  }
  return 0;
}
