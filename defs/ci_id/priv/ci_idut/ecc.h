// Error correction: a Reed-Solomon codec over GF(2^m), the Reed-Solomon decoder of the
// composite component over GF(929), and 160-bit unsigned integers.
//
// Word layout of the GF(2^m) codec: w[j] is the coefficient of x^j, lowest degree first.
// A codeword is the nEcc check words (positions 0..nEcc-1) followed by the data words
// (data word i at position nEcc + i). The check words are the remainder of
// data(x) x^nEcc divided by the generator polynomial with roots alpha^1..alpha^nEcc.
//
// Word layout of the GF(929) decoder: c[0] is the highest-order coefficient; position k
// (1..n) denotes c[n - k]. The code's roots are 3^1..3^nEcc.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------------------------------
// Reed-Solomon codec over GF(2^m). Symbols are 32-bit ints with values 0..N.

typedef struct cid2d_ReedSolomonCode {
  int32_t m;               // bits per symbol
  int32_t N;               // 2^m - 1: largest symbol value and longest codeword
  int32_t nEcc;            // number of check symbols
  int32_t primitivePoly;   // field polynomial including its x^m term, e.g. 0x12D
  int32_t generatorValue;  // step of the power table, 2 for the primitive element x
  int32_t* expTable;       // N + 1 entries: expTable[i] = alpha^i
  int32_t* logTable;       // N + 1 entries: inverse of expTable, logTable[1] = N
  int32_t* invTable;       // N + 1 entries: multiplicative inverses
  int32_t* generatorPoly;  // nEcc + 1 coefficients g[0..nEcc], g[nEcc] = 1
  int32_t* work;           // nEcc entries: erasure positions, then corrected positions
} cid2d_ReedSolomonCode;

// Builds the field tables and the generator polynomial. Argument checks: code not null,
// 2 <= m <= 16, 1 <= nEcc < N, 1 <= generatorValue <= N, and the power table stepped by
// generatorValue must run through all N non-zero symbols before it returns to 1 (that
// is, primitivePoly is primitive and generatorValue generates the field). Returns the
// status of the allocations; after a failure the record is destructed (all zero).
CIDUT_API int32_t cid2d_ReedSolomonCode_construct(cid2d_ReedSolomonCode* code, int32_t m,
                                                  int32_t nEcc, int32_t primitivePoly,
                                                  int32_t generatorValue);
// Frees the tables and zeroes the record; a null code is allowed. Returns 0.
CIDUT_API int32_t cid2d_ReedSolomonCode_destruct(cid2d_ReedSolomonCode* code);

// Writes the nEcc check words of the k data words data[0..k-1] (values 0..N) to ecc.
// Status CIDUT_ERR_BAD_LENGTH, ecc untouched, if k > N - nEcc or nEcc differs from the
// code's.
CIDUT_API int32_t cid2d_ReedSolomonCode_GetECCWords(const cid2d_ReedSolomonCode* code,
                                                    const int32_t* data, int32_t k,
                                                    int32_t* ecc, int32_t nEcc);

// Corrects received[0..n-1] in place. A negative value marks an erasure; all other values
// must lie in 0..N. *count = number of corrected symbols (errors plus erasures), 0 for a
// clean word, -1 when the word cannot be corrected; a word is only reported corrected
// when all its syndromes are zero afterwards. On -1 the erased symbols have been set to 0
// and other symbols may have been changed. Status CIDUT_ERR_BAD_LENGTH if n > N;
// otherwise the status of the one allocation of the call (0 also for uncorrectable
// words). Uses code->work, so one code must not decode on two threads at once.
CIDUT_API int32_t cid2d_ReedSolomonCode_CorrectErrs(cid2d_ReedSolomonCode* code,
                                                    int32_t* received, int32_t n,
                                                    int32_t* count);

CIDUT_DECLARE_TYPE_CHECKS(cid2d_ReedSolomonCode)

// ---------------------------------------------------------------------------------------
// Composite-component Reed-Solomon over GF(929).

// Corrects codewords[0..n-1] (values 0..928) in place, nEcc of which are check words.
// The e erased codewords, given by their positions k in erasures[0..e-1] (1..n, the
// codeword c[n - k]), hold any value, 0 by convention. Two check words stay reserved for
// detection: a word is corrected only when 2 errors + erasures <= nEcc - 2.
// *L = errors plus erasures found, or -1 when the error locator is inconsistent.
// *corrected = 1 when the word was corrected (also when it needed nothing), 0 when it was
// judged uncorrectable; the codewords are then untouched.
// Status CIDUT_ERR_BAD_LENGTH (nothing written but *corrected = 0) when nEcc > 512,
// n > 928, nEcc > n or e > nEcc; otherwise the status of the allocation of the work area.
CIDUT_API int32_t cid_RSSCCA_RSCorrectErrors_(int32_t* codewords, int32_t n, int32_t nEcc,
                                              int32_t e, const int32_t* erasures, int32_t* L,
                                              int32_t* corrected);

// ---------------------------------------------------------------------------------------
// Unsigned 160-bit integers; all arithmetic wraps modulo 2^160. Every function returns a
// status (0 unless stated) and checks that its pointers are not null.

typedef struct cmath_bigInt {
  uint32_t word[5];  // word 0 least significant
} cmath_bigInt;

CIDUT_API int32_t cmath_bigInt_init(cmath_bigInt* a, uint32_t v);
// *out = word 0 of a.
CIDUT_API int32_t cmath_bigInt_bigIntBase(const cmath_bigInt* a, uint32_t* out);
CIDUT_API int32_t cmath_bigInt_assign(cmath_bigInt* a, const cmath_bigInt* b);
// *out = 1 or 0.
CIDUT_API int32_t cmath_bigInt_isEqual(const cmath_bigInt* a, const cmath_bigInt* b,
                                       int32_t* out);
CIDUT_API int32_t cmath_bigInt_isZero(const cmath_bigInt* a, int32_t* out);
CIDUT_API int32_t cmath_bigInt_lessThan(const cmath_bigInt* a, const cmath_bigInt* b,
                                        int32_t* out);
CIDUT_API int32_t cmath_bigInt_greaterThan(const cmath_bigInt* a, const cmath_bigInt* b,
                                           int32_t* out);
// Logical shifts by n >= 0 bits; bits leaving either end are lost.
CIDUT_API int32_t cmath_bigInt_shiftRight(cmath_bigInt* a, int32_t n);
CIDUT_API int32_t cmath_bigInt_shiftLeft(cmath_bigInt* a, int32_t n);
CIDUT_API int32_t cmath_bigInt_addBase(cmath_bigInt* a, uint32_t v);
CIDUT_API int32_t cmath_bigInt_add(cmath_bigInt* a, const cmath_bigInt* b);
// a = a - b, wrapping below 0.
CIDUT_API int32_t cmath_bigInt_sub(cmath_bigInt* a, const cmath_bigInt* b);
CIDUT_API int32_t cmath_bigInt_multBase(cmath_bigInt* a, uint32_t m);
// *product = a * b; product may alias a or b.
CIDUT_API int32_t cmath_bigInt_mul(const cmath_bigInt* a, const cmath_bigInt* b,
                                   cmath_bigInt* product);
// *quotient = a / d, *remainder = a mod d, for 1 <= d <= 2^31 (a larger divisor is an
// argument error). d = 0: status CIDUT_ERR_DIVIDE_BY_ZERO, outputs untouched.
CIDUT_API int32_t cmath_bigInt_divideBase(const cmath_bigInt* a, cmath_bigInt* quotient,
                                          uint32_t* remainder, uint32_t d);
CIDUT_API int32_t cmath_bigInt_inc(cmath_bigInt* a);
// a = 2^160 - a.
CIDUT_API int32_t cmath_bigInt_neg(cmath_bigInt* a);

// Decimal text of a, zero-terminated, at the start of buffer[0..length-1]. The text is
// built backwards from the end of the buffer in chunks of nine digits, so the buffer
// needs 9 characters per started chunk of nine digits plus the terminator (2 for zero,
// 55 always suffices). A shorter buffer gives status CIDUT_ERR_NO_MEMORY and an empty
// text. Re-entrant: the working values live on the caller's stack. length >= 1.
CIDUT_API int32_t cmath_bigInt_bigInt2Buf(const cmath_bigInt* a, int32_t length, char* buffer);
// The n low-order bytes of a, most significant first; 0 <= n <= 20.
CIDUT_API int32_t cmath_bigInt_bigInt2Base256(const cmath_bigInt* a, int32_t n, uint8_t* bytes);

#ifdef __cplusplus
}

static_assert(offsetof(cid2d_ReedSolomonCode, N) == 4 &&
                  offsetof(cid2d_ReedSolomonCode, nEcc) == 8 &&
                  offsetof(cid2d_ReedSolomonCode, primitivePoly) == 12 &&
                  offsetof(cid2d_ReedSolomonCode, generatorValue) == 16 &&
                  offsetof(cid2d_ReedSolomonCode, logTable) ==
                      offsetof(cid2d_ReedSolomonCode, expTable) + sizeof(int32_t*) &&
                  offsetof(cid2d_ReedSolomonCode, work) ==
                      offsetof(cid2d_ReedSolomonCode, expTable) + 4 * sizeof(int32_t*),
              "cid2d_ReedSolomonCode layout");
static_assert(sizeof(cmath_bigInt) == 20, "cmath_bigInt is five 32-bit words");
#endif
