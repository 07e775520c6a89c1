// Errors-and-erasures decoding of the Reed-Solomon code over GF(2^m): erasure locator,
// syndromes, Berlekamp-Massey, exhaustive root search, Forney values, final re-check.
#include <utility>

#include "ci_id/priv/ci_idut/ecc.h"
#include "id/idut/ecc/gf2m_field.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"

namespace {

// Coefficients lowest degree first; those above the degree are kept zero.
struct rsPoly {
  int32_t* c;
  int32_t degree;
};

constexpr int32_t uncorrectable = -1;

void rsPoly_shiftUp(rsPoly& p) {
  for (int32_t j = p.degree + 1; j >= 1; --j) p.c[j] = p.c[j - 1];
  p.c[0] = 0;
  ++p.degree;
}

int32_t rsPoly_evaluate(const rsPoly& p, const ccGf2mField& field, int32_t logX) {
  int32_t value = p.c[p.degree];
  for (int32_t j = p.degree - 1; j >= 0; --j) value = field.mulByPow(value, logX) ^ p.c[j];
  return value;
}

void rsPoly_trim(rsPoly& p) {
  while (p.degree > 0 && p.c[p.degree] == 0) --p.degree;
}

class ccRsDecoder {
 public:
  // block holds 5 polynomials of nEcc + 2 zeroed coefficients and 2 arrays of nEcc.
  ccRsDecoder(cid2d_ReedSolomonCode& code, int32_t* block)
      : code_(code), field_(code), nEcc_(code.nEcc) {
    const int32_t size = nEcc_ + 2;
    rsPoly* polys[] = {&lambda_, &b_, &omega_, &s_, &t_};
    for (rsPoly* p : polys) {
      *p = rsPoly{block, 0};
      block += size;
    }
    roots_ = block;
    rootLogs_ = block + nEcc_;
  }

  // The count of corrected symbols, or uncorrectable.
  int32_t correct(int32_t* received, int32_t n) {
    const int32_t erasures = markErasures(received, n);
    if (erasures == uncorrectable) return uncorrectable;
    if (computeSyndromes(received, n)) return erasures;
    berlekampMassey(erasures);
    rsPoly_trim(lambda_);
    if (lambda_.degree > nEcc_) return uncorrectable;  // more roots than the arrays hold
    if (findRoots(n) != lambda_.degree) return uncorrectable;
    computeEvaluator();
    applyForneyValues(received);
    if (!computeSyndromes(received, n)) return uncorrectable;
    return lambda_.degree;
  }

 private:
  // Lambda = product of (1 + alpha^i x) over the erased positions i, which are recorded
  // in work and zeroed. B = Lambda. Returns the number of erasures.
  int32_t markErasures(int32_t* received, int32_t n) {
    lambda_.c[0] = 1;
    int32_t count = 0;
    for (int32_t i = 0; i < n; ++i) {
      if (received[i] >= 0) {
        CIDUT_CHECK(received[i] <= code_.N);
        continue;
      }
      if (++lambda_.degree == nEcc_ + 1) return uncorrectable;
      for (int32_t j = lambda_.degree; j >= 1; --j)
        lambda_.c[j] ^= field_.mulByPow(lambda_.c[j - 1], i);
      code_.work[count++] = i;
      received[i] = 0;
    }
    for (int32_t j = 0; j <= lambda_.degree; ++j) b_.c[j] = lambda_.c[j];
    b_.degree = lambda_.degree;
    return count;
  }

  // S[k] = received(alpha^k), k = 1..nEcc: each non-zero symbol r_j adds alpha^(log r_j +
  // j k) to every S[k], its exponent stepped by j < N from one k to the next (one
  // subtraction of N keeps it in range). True when all are zero.
  bool computeSyndromes(const int32_t* received, int32_t n) {
    int32_t* s = s_.c;
    for (int32_t k = 1; k <= nEcc_; ++k) s[k] = 0;
    const int32_t order = code_.N;
    for (int32_t j = 0; j < n; ++j) {
      if (received[j] == 0) continue;
      int32_t e = field_.log(received[j]);
      for (int32_t k = 1; k <= nEcc_; ++k) {
        e += j;
        if (e >= order) e -= order;
        s[k] ^= field_.pow(e);
      }
    }
    int32_t any = 0;
    for (int32_t k = 1; k <= nEcc_; ++k) any |= s[k];
    s_.degree = nEcc_;
    return any == 0;
  }

  // Errors-and-erasures Berlekamp-Massey, starting from the erasure locator.
  void berlekampMassey(int32_t erasures) {
    int32_t length = erasures;
    for (int32_t r = erasures + 1; r <= nEcc_; ++r) {
      int32_t d = 0;
      for (int32_t i = 0; i < r; ++i) d ^= field_.mul(lambda_.c[i], s_.c[r - i]);
      if (d == 0) {
        rsPoly_shiftUp(b_);
        continue;
      }
      // T = d x B
      const int32_t logD = field_.log(d);
      t_.c[0] = 0;
      for (int32_t j = 0; j <= b_.degree; ++j) t_.c[j + 1] = field_.mulByPow(b_.c[j], logD);
      t_.degree = b_.degree + 1;
      if (2 * length <= r + erasures - 1) {
        length = r + erasures - length;
        const int32_t logInverse = field_.log(field_.inv(d));
        for (int32_t j = 0; j <= lambda_.degree; ++j)
          b_.c[j] = field_.mulByPow(lambda_.c[j], logInverse);
        for (int32_t j = lambda_.degree + 1; j <= b_.degree; ++j) b_.c[j] = 0;
        b_.degree = lambda_.degree;
      } else {
        rsPoly_shiftUp(b_);
      }
      for (int32_t j = 0; j <= t_.degree; ++j) lambda_.c[j] ^= t_.c[j];
      if (t_.degree > lambda_.degree) lambda_.degree = t_.degree;
    }
  }

  // The roots of Lambda that map into the word: the elements alpha^L whose logarithms L
  // run from N - n + 1 to N (positions n - 1 down to 0). A root beyond the word makes it
  // uncorrectable, found or not, so the rest of the field is not searched. Stops once deg
  // Lambda roots are found, as no more can exist; Horner at four elements at once, so
  // that the four chains overlap. The roots are then put in increasing order of their
  // elements, the order a search through the whole field meets them in.
  int32_t findRoots(int32_t n) {
    constexpr int32_t lanes = 4;
    const int32_t degree = lambda_.degree;
    int32_t found = 0;
    for (int32_t first = code_.N - n + 1; first <= code_.N && found < degree; first += lanes) {
      int32_t logV[lanes];  // logarithms past N are evaluated at N and ignored
      int32_t value[lanes];
      for (int32_t q = 0; q < lanes; ++q) {
        logV[q] = first + q <= code_.N ? first + q : code_.N;
        value[q] = lambda_.c[degree];
      }
      for (int32_t j = degree - 1; j >= 0; --j) {
        for (int32_t q = 0; q < lanes; ++q)
          value[q] = field_.mulByPow(value[q], logV[q]) ^ lambda_.c[j];
      }
      for (int32_t q = 0; q < lanes && first + q <= code_.N && found < degree; ++q) {
        if (value[q] != 0) continue;
        roots_[found] = field_.pow(logV[q]);
        rootLogs_[found] = logV[q];
        ++found;
      }
    }
    for (int32_t i = 1; i < found; ++i)
      for (int32_t j = i; j > 0 && roots_[j - 1] > roots_[j]; --j) {
        std::swap(roots_[j - 1], roots_[j]);
        std::swap(rootLogs_[j - 1], rootLogs_[j]);
      }
    return found;
  }

  // Omega = S Lambda up to degree nEcc. S holds S_k at x^k, so this is x times the
  // classic evaluator (S_1 + S_2 x + ...) Lambda mod x^nEcc.
  void computeEvaluator() {
    for (int32_t i = 0; i <= nEcc_; ++i) {
      int32_t value = 0;
      const int32_t top = i < lambda_.degree ? i : lambda_.degree;
      for (int32_t j = 0; j <= top; ++j) value ^= field_.mul(lambda_.c[j], s_.c[i - j]);
      omega_.c[i] = value;
    }
    omega_.degree = nEcc_;
    rsPoly_trim(omega_);
  }

  // Error value at root v: Omega(v) / (v Lambda'(v)), at position N - log v.
  void applyForneyValues(int32_t* received) {
    for (int32_t r = 0; r < lambda_.degree; ++r) {
      const int32_t logV = rootLogs_[r];
      // Lambda(v) and Lambda'(v) together; in characteristic 2 the Horner sum of the
      // derivative drops the even powers by itself.
      int32_t value = lambda_.c[lambda_.degree];
      int32_t derivative = 0;
      for (int32_t j = lambda_.degree - 1; j >= 0; --j) {
        derivative = field_.mulByPow(derivative, logV) ^ value;
        value = field_.mulByPow(value, logV) ^ lambda_.c[j];
      }
      const int32_t error = field_.div(rsPoly_evaluate(omega_, field_, logV),
                                       field_.mul(roots_[r], derivative));
      const int32_t position = code_.N - logV;
      code_.work[r] = position;
      received[position] ^= error;
    }
  }

  cid2d_ReedSolomonCode& code_;
  const ccGf2mField field_;
  const int32_t nEcc_;
  rsPoly lambda_, b_, omega_, s_, t_;
  int32_t* roots_;
  int32_t* rootLogs_;
};

}  // namespace

extern "C" int32_t cid2d_ReedSolomonCode_CorrectErrs(cid2d_ReedSolomonCode* code,
                                                     int32_t* received, int32_t n,
                                                     int32_t* count) {
  CIDUT_CHECK(code);
  CIDUT_CHECK(received);
  CIDUT_CHECK(count);
  CIDUT_CHECK(n >= 0);
  *count = 0;
  if (n > code->N) return CIDUT_ERR_BAD_LENGTH;

  ccCleanupFrame<1> frame;
  int32_t* block = nullptr;
  const size_t ints = 5 * size_t(code->nEcc + 2) + 2 * size_t(code->nEcc);
  if (frame.failed(csys_memory_allocClear_internal(sizeof(int32_t) * ints, (void**)&block)))
    return frame.exit();
  frame.holdBlock(&block);
  ccRsDecoder decoder(*code, block);
  *count = decoder.correct(received, n);
  return frame.exit();
}
