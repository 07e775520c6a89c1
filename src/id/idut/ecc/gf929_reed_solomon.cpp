// Errors-and-erasures Reed-Solomon decoding over the prime field GF(929) with primitive
// element 3, for the codewords of the composite component. Arithmetic is modulo 929
// through fixed power and log tables; corrections are applied only once the word is
// known to be correctable, so an uncorrectable word is left as it came.
#include <utility>

#include "ci_id/priv/ci_idut/ecc.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"

namespace {

constexpr int32_t prime = 929;
constexpr int32_t order = prime - 1;  // of the multiplicative group
constexpr int32_t maxCheckWords = 512;
constexpr int32_t maxCodewords = order;

struct gf929Tables {
  int32_t exp[prime];  // exp[i] = 3^i, exp[928] = 0
  int32_t log[prime];  // 3^log[v] = v; log[0] unused
};

constexpr gf929Tables makeGf929Tables() {
  gf929Tables t{};
  int32_t v = 1;
  for (int32_t i = 0; i < order; ++i) {
    t.exp[i] = v;
    t.log[v] = i;
    v = v * 3 % prime;
  }
  return t;
}

constexpr gf929Tables gf929 = makeGf929Tables();

int32_t mulByPow(int32_t a, int32_t e) {
  if (a == 0) return 0;
  int32_t sum = gf929.log[a] + e;
  if (sum >= order) sum -= order;
  return gf929.exp[sum];
}
int32_t mul(int32_t a, int32_t b) { return b == 0 ? 0 : mulByPow(a, gf929.log[b]); }
int32_t div(int32_t a, int32_t b) {
  if (a == 0 || b == 0) return 0;
  int32_t difference = gf929.log[a] - gf929.log[b];
  if (difference < 0) difference += order;
  return gf929.exp[difference];
}
int32_t add(int32_t a, int32_t b) {
  const int32_t sum = a + b;
  return sum >= prime ? sum - prime : sum;
}
int32_t sub(int32_t a, int32_t b) {
  const int32_t difference = a - b;
  return difference < 0 ? difference + prime : difference;
}

// Coefficients lowest degree first; those above the degree are kept zero.
struct gfPoly {
  int32_t* c;
  int32_t degree;
};

void gfPoly_shiftUp(gfPoly& p) {
  for (int32_t j = p.degree + 1; j >= 1; --j) p.c[j] = p.c[j - 1];
  p.c[0] = 0;
  ++p.degree;
}

// out = a - factor b.
void gfPoly_subtractScaled(gfPoly& out, const gfPoly& a, int32_t factor, const gfPoly& b) {
  const int32_t degree = a.degree > b.degree ? a.degree : b.degree;
  for (int32_t j = 0; j <= degree; ++j) {
    const int32_t aj = j <= a.degree ? a.c[j] : 0;
    const int32_t bj = j <= b.degree ? b.c[j] : 0;
    out.c[j] = sub(aj, mul(factor, bj));
  }
  out.degree = degree;
}

// out = a scaled by factor; coefficients above the new degree are cleared.
void gfPoly_assignScaled(gfPoly& out, const gfPoly& a, int32_t factor) {
  for (int32_t j = 0; j <= a.degree; ++j) out.c[j] = mul(a.c[j], factor);
  for (int32_t j = a.degree + 1; j <= out.degree; ++j) out.c[j] = 0;
  out.degree = a.degree;
}

// Per-call work area: syndromes, root positions, and the three polynomials of
// Berlekamp-Massey (the spare one holds the evaluator afterwards).
struct gf929Work {
  int32_t* syndromes;
  int32_t* roots;
  gfPoly lambda, b, t;
};

// S[k] = x C(x) at x = 3^(k+1), k = 0..nEcc-1, by Horner from c[0]; the nEcc evaluations
// advance together, one codeword at a time, so that they overlap.
void computeSyndromes(const int32_t* c, int32_t n, int32_t nEcc, int32_t* s) {
  for (int32_t k = 0; k < nEcc; ++k) s[k] = 0;
  for (int32_t j = 0; j < n; ++j) {
    const int32_t codeword = c[j];
    for (int32_t k = 0; k < nEcc; ++k) s[k] = mulByPow(add(s[k], codeword), k + 1);
  }
}

// Berlekamp-Massey started with the e erasures; returns L, or -1 when the degree of the
// locator disagrees with L.
int32_t berlekampMassey(gf929Work& w, int32_t nEcc, int32_t e, const int32_t* erasures) {
  w.lambda.c[0] = w.b.c[0] = 1;
  int32_t length = 0;
  for (int32_t r = 1; r <= nEcc; ++r) {
    gfPoly_shiftUp(w.b);
    if (r <= e) {
      const int32_t locator = gf929.exp[erasures[r - 1] % order];
      gfPoly_subtractScaled(w.t, w.lambda, locator, w.b);
      std::swap(w.lambda, w.t);
      gfPoly_assignScaled(w.b, w.lambda, 1);
      ++length;
      continue;
    }
    int32_t d = w.syndromes[r - 1];
    for (int32_t i = 1; i <= length; ++i) d = add(d, mul(w.lambda.c[i], w.syndromes[r - 1 - i]));
    if (d == 0) continue;
    gfPoly_subtractScaled(w.t, w.lambda, d, w.b);
    if (2 * length <= r + e - 1) {
      gfPoly_assignScaled(w.b, w.lambda, div(1, d));
      length = r - length + e;
    }
    std::swap(w.lambda, w.t);
  }
  while (w.lambda.degree > 0 && w.lambda.c[w.lambda.degree] == 0) --w.lambda.degree;
  return w.lambda.degree == length ? length : -1;
}

// Positions k = 1..n where Lambda(3^-k) = 0, in increasing order, at most L of them.
// Horner at four consecutive positions at once, so that the four chains overlap.
int32_t findRoots(gf929Work& w, int32_t n, int32_t length) {
  constexpr int32_t lanes = 4;
  const gfPoly& lambda = w.lambda;
  int32_t found = 0;
  for (int32_t first = 1; first <= n && found < length; first += lanes) {
    int32_t logY[lanes];  // 3^-k; positions past n are evaluated at 1 and ignored
    int32_t value[lanes];
    for (int32_t q = 0; q < lanes; ++q) {
      logY[q] = first + q <= n ? order - (first + q) : 0;
      value[q] = lambda.c[length];
    }
    for (int32_t j = length - 1; j >= 0; --j) {
      for (int32_t q = 0; q < lanes; ++q) value[q] = add(mulByPow(value[q], logY[q]), lambda.c[j]);
    }
    for (int32_t q = 0; q < lanes && first + q <= n && found < length; ++q) {
      if (value[q] == 0) w.roots[found++] = first + q;
    }
  }
  return found;
}

// Forney: Omega = S Lambda below degree nEcc; at Y = 3^-k the error is
// -Y Omega(Y) / (Y Lambda'(Y)), subtracted from c[n - k].
void applyCorrections(gf929Work& w, int32_t* c, int32_t n, int32_t nEcc, int32_t length) {
  const gfPoly& lambda = w.lambda;
  int32_t* omega = w.t.c;
  for (int32_t i = 0; i < nEcc; ++i) {
    int32_t value = 0;
    const int32_t top = i < length ? i : length;
    for (int32_t j = 0; j <= top; ++j) value = add(value, mul(lambda.c[j], w.syndromes[i - j]));
    omega[i] = value;
  }
  int32_t omegaDegree = nEcc - 1;
  while (omegaDegree > 0 && omega[omegaDegree] == 0) --omegaDegree;
  for (int32_t r = 0; r < length; ++r) {
    const int32_t k = w.roots[r];
    const int32_t logY = order - k;
    int32_t numerator = 0;
    for (int32_t i = omegaDegree; i >= 0; --i) numerator = mulByPow(add(numerator, omega[i]), logY);
    int32_t derivative = length * lambda.c[length] % prime;
    for (int32_t i = length - 1; i >= 1; --i)
      derivative = add(mulByPow(derivative, logY), i * lambda.c[i] % prime);
    const int32_t value = div(sub(0, numerator), mulByPow(derivative, logY));
    c[n - k] = sub(c[n - k], value);
  }
}

}  // namespace

extern "C" int32_t cid_RSSCCA_RSCorrectErrors_(int32_t* codewords, int32_t n, int32_t nEcc,
                                               int32_t e, const int32_t* erasures, int32_t* L,
                                               int32_t* corrected) {
  CIDUT_CHECK(codewords);
  CIDUT_CHECK(L);
  CIDUT_CHECK(corrected);
  CIDUT_CHECK(n >= 0 && nEcc >= 0 && e >= 0);
  CIDUT_CHECK(e == 0 || erasures);
  *corrected = 0;
  if (nEcc > maxCheckWords || n > maxCodewords || nEcc > n || e > nEcc)
    return CIDUT_ERR_BAD_LENGTH;
  for (int32_t j = 0; j < n; ++j) CIDUT_CHECK(codewords[j] >= 0 && codewords[j] < prime);
  for (int32_t i = 0; i < e; ++i) CIDUT_CHECK(erasures[i] >= 1 && erasures[i] <= n);

  ccCleanupFrame<1> frame;
  int32_t* block = nullptr;
  const size_t ints = 2 * size_t(nEcc) + 3 * size_t(nEcc + 1);
  if (frame.failed(csys_memory_allocClear_internal(sizeof(int32_t) * ints, (void**)&block)))
    return frame.exit();
  frame.holdBlock(&block);
  gf929Work w;
  w.syndromes = block;
  w.roots = block + nEcc;
  w.lambda = gfPoly{block + 2 * nEcc, 0};
  w.b = gfPoly{w.lambda.c + nEcc + 1, 0};
  w.t = gfPoly{w.b.c + nEcc + 1, 0};

  computeSyndromes(codewords, n, nEcc, w.syndromes);
  const int32_t length = berlekampMassey(w, nEcc, e, erasures);
  *L = length;
  if (length < 0 || 2 * length - e > nEcc - 2) return frame.exit();
  if (findRoots(w, n, length) < length) return frame.exit();
  applyCorrections(w, codewords, n, nEcc, length);
  *corrected = 1;
  return frame.exit();
}
