// Sobel gradients and their 8-bit magnitude and angle code, per pixel and per row.
//
// Magnitude at scale 1: round(sqrt(s) / 4) = floor(sqrt(s) / 4 + 1/2), s = gx^2 + gy^2.
// s is exact in float (below 2^22), sqrt is correctly rounded, and a non-square s lies at
// least 3.4e-4 away from a rounding boundary sqrt(s) = 4k + 2, so float gives the exact
// value, ties (s = (4k + 2)^2) included.
//
// Angle code: round(atan2(gy, gx) * 128 / pi) mod 256. The gradient is folded into the
// first octant (0 <= mn <= mx); there an odd polynomial in q = mn / mx gives the code
// value a in [0, 32] within 4.7e-4, float rounding included. Over |gx|, |gy| <= 1020 no
// code value lies exactly on a rounding boundary (the nearest is 3.7e-6 away), so
// rounding a is right except within kNear of a boundary; there the boundary is decided
// exactly, comparing mn with mx * tan((b + 0.5) pi / 128) in double. That happens for
// about 0.1% of the folded gradients, in practice far less. The code is then unfolded by
// the swap and the signs.
//
// Kernels: portable scalar code, SSE2 (16 pixels a step) and AVX with FMA (the same with
// eight float lanes), chosen once by what the processor offers. All give the same bytes,
// since each is exact.
#include <algorithm>
#include <cmath>

#include "internal.h"

#ifdef __SSE2__
#include <immintrin.h>
#endif

namespace cedge {
namespace {

// tan((b + 0.5) * pi / 128): code b + 1 begins where mn / mx reaches entry b.
constexpr double kTanBoundary[32] = {
    0.012272462379566276, 0.036832180994845636, 0.06143635258159376, 0.0861148511976279,
    0.11089791159591302,  0.1358162787093877,   0.16090136245348918, 0.1861853995275837,
    0.21170162402398335,  0.23748444881607017,  0.263569659899918,   0.2899946261126061,
    0.3167985269526038,   0.3440226015924263,   0.37171042261274345, 0.3999081985145372,
    0.4286651096994995,   0.4580336833706724,   0.48807021372286286, 0.5188352348999757,
    0.550394055537264,    0.5828173653349761,   0.616181926094866,   0.6505713620801533,
    0.6860770675448629,   0.7227992529642059,   0.7608481560702512,  0.8003454494993202,
    0.8414258840072547,   0.8842392152253498,   0.9289524733703675,  0.9757526499323765};

// atan(q) * 128 / pi ~ q * P(q^2) on [0, 1], minimax within 4.66e-4 code.
constexpr float kAtan[5] = {40.73821921333826f, -13.4578277161549f, 7.340350049176526f,
                            -3.4695817886806473f, 0.8493062893317352f};

// Distance from a rounding boundary, in codes, under which the polynomial is not trusted.
constexpr float kNear = 6e-4f;

// The boundary decided exactly: code b or b + 1 for the folded gradient.
int32_t exactOctantCode(int32_t mn, int32_t mx, int32_t b) {
  return double(mn) >= double(mx) * kTanBoundary[b] ? b + 1 : b;
}

// The first-octant code of mn / mx (0 <= mn <= mx, mx >= 1): 0 .. 32.
int32_t octantCode(int32_t mn, int32_t mx) {
  const float q = float(mn) / float(mx);
  const float q2 = q * q;
  const float p = (((kAtan[4] * q2 + kAtan[3]) * q2 + kAtan[2]) * q2 + kAtan[1]) * q2 + kAtan[0];
  const float a = p * q + 0.5f;
  const int32_t code = int32_t(a);
  const float fraction = a - float(code);
  if (fraction >= kNear && fraction <= 1 - kNear) return code;
  // a - 0.5 is never within kNear of -0.5 or 32.5, so the boundary index is 0 .. 31.
  return exactOctantCode(mn, mx, fraction < kNear ? code - 1 : code);
}

void portableRow(const uint8_t* above, const uint8_t* centre, const uint8_t* below, int32_t width,
                 double scale, uint8_t* magnitude, uint8_t* angle) {
  for (int32_t c = 1; c < width - 1; ++c) {
    const gradient g = sobelAt(above, centre, below, c);
    magnitude[c - 1] = scale == 1 ? unitMagnitude(g.gx, g.gy) : scaledMagnitude(g.gx, g.gy, scale);
    angle[c - 1] = angleCode(g.gx, g.gy);
  }
}

#ifdef __SSE2__
// Straight-line code throughout: -O2 does not unroll loops over registers.

#define CEDGE_INLINE [[gnu::always_inline]] inline
#define CEDGE_AVX __attribute__((target("avx,fma")))

// Eight gradients evaluated: magnitudes (16-bit lanes, not yet clamped), angle codes
// (16-bit lanes) and the lanes whose code must be decided exactly (bit mask).
struct codes8 {
  __m128i magnitude;
  __m128i angle;
  int32_t near;
};

// The folded gradient as 16-bit lanes: mn = min(|gx|, |gy|), mx = max(|gx|, |gy|, 1).
struct folded8 {
  __m128i mn, mx, swapped;
};

CEDGE_INLINE folded8 fold8(__m128i gx, __m128i gy) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i ax = _mm_max_epi16(gx, _mm_sub_epi16(zero, gx));
  const __m128i ay = _mm_max_epi16(gy, _mm_sub_epi16(zero, gy));
  return {_mm_min_epi16(ax, ay), _mm_max_epi16(_mm_max_epi16(ax, ay), _mm_set1_epi16(1)),
          _mm_cmpgt_epi16(ay, ax)};
}

// First-octant codes to full codes: the first quadrant by the swap (64 - c), then by the
// signs: (+, +) c, (-, +) 128 - c, (-, -) 128 + c, (+, -) -c, modulo 256.
CEDGE_INLINE __m128i unfold8(__m128i octant, __m128i swapped, __m128i gx, __m128i gy) {
  const __m128i zero = _mm_setzero_si128();
  __m128i c = _mm_sub_epi16(_mm_xor_si128(octant, swapped), swapped);
  c = _mm_add_epi16(c, _mm_and_si128(swapped, _mm_set1_epi16(64)));
  const __m128i negativeX = _mm_cmplt_epi16(gx, zero);
  const __m128i flip = _mm_xor_si128(negativeX, _mm_cmplt_epi16(gy, zero));
  c = _mm_sub_epi16(_mm_xor_si128(c, flip), flip);
  c = _mm_add_epi16(c, _mm_and_si128(negativeX, _mm_set1_epi16(128)));
  return _mm_and_si128(c, _mm_set1_epi16(255));
}

CEDGE_INLINE __m128 hornerStep(__m128 p, __m128 x, float coefficient) {
  return _mm_add_ps(_mm_mul_ps(p, x), _mm_set1_ps(coefficient));
}

// Four lanes of the first-octant code; *near marks the lanes near a boundary.
CEDGE_INLINE __m128i octantQuad(__m128i mn, __m128i mx, __m128* near) {
  const __m128 q = _mm_div_ps(_mm_cvtepi32_ps(mn), _mm_cvtepi32_ps(mx));
  const __m128 q2 = _mm_mul_ps(q, q);
  __m128 p = hornerStep(_mm_set1_ps(kAtan[4]), q2, kAtan[3]);
  p = hornerStep(p, q2, kAtan[2]);
  p = hornerStep(p, q2, kAtan[1]);
  p = hornerStep(p, q2, kAtan[0]);
  const __m128 a = _mm_add_ps(_mm_mul_ps(p, q), _mm_set1_ps(0.5f));
  const __m128i code = _mm_cvttps_epi32(a);
  const __m128 fraction = _mm_sub_ps(a, _mm_cvtepi32_ps(code));
  *near = _mm_or_ps(_mm_cmplt_ps(fraction, _mm_set1_ps(kNear)),
                    _mm_cmpgt_ps(fraction, _mm_set1_ps(1 - kNear)));
  return code;
}

CEDGE_INLINE __m128i unitMagnitudeQuad(__m128i pairs) {
  const __m128 root = _mm_sqrt_ps(_mm_cvtepi32_ps(_mm_madd_epi16(pairs, pairs)));
  return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(root, _mm_set1_ps(0.25f)), _mm_set1_ps(0.5f)));
}

CEDGE_INLINE codes8 evaluateSse2(__m128i gx, __m128i gy) {
  const __m128i zero = _mm_setzero_si128();
  const folded8 f = fold8(gx, gy);
  __m128 nearLow, nearHigh;
  const __m128i low =
      octantQuad(_mm_unpacklo_epi16(f.mn, zero), _mm_unpacklo_epi16(f.mx, zero), &nearLow);
  const __m128i high =
      octantQuad(_mm_unpackhi_epi16(f.mn, zero), _mm_unpackhi_epi16(f.mx, zero), &nearHigh);
  return {_mm_packs_epi32(unitMagnitudeQuad(_mm_unpacklo_epi16(gx, gy)),
                          unitMagnitudeQuad(_mm_unpackhi_epi16(gx, gy))),
          unfold8(_mm_packs_epi32(low, high), f.swapped, gx, gy),
          _mm_movemask_ps(nearLow) | _mm_movemask_ps(nearHigh) << 4};
}

// Two 4-lane int32 halves as eight floats, and back to 16-bit lanes.
CEDGE_INLINE CEDGE_AVX __m256 floats8(__m128i low, __m128i high) {
  return _mm256_cvtepi32_ps(_mm256_insertf128_si256(_mm256_castsi128_si256(low), high, 1));
}
CEDGE_INLINE CEDGE_AVX __m128i truncated8(__m256 v) {
  const __m256i i = _mm256_cvttps_epi32(v);
  return _mm_packs_epi32(_mm256_castsi256_si128(i), _mm256_extractf128_si256(i, 1));
}

CEDGE_INLINE CEDGE_AVX codes8 evaluateAvx(__m128i gx, __m128i gy) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i pairsLow = _mm_unpacklo_epi16(gx, gy), pairsHigh = _mm_unpackhi_epi16(gx, gy);
  const __m256 root = _mm256_sqrt_ps(
      floats8(_mm_madd_epi16(pairsLow, pairsLow), _mm_madd_epi16(pairsHigh, pairsHigh)));
  const __m128i magnitude =
      truncated8(_mm256_fmadd_ps(root, _mm256_set1_ps(0.25f), _mm256_set1_ps(0.5f)));
  const folded8 f = fold8(gx, gy);
  const __m256 q =
      _mm256_div_ps(floats8(_mm_unpacklo_epi16(f.mn, zero), _mm_unpackhi_epi16(f.mn, zero)),
                    floats8(_mm_unpacklo_epi16(f.mx, zero), _mm_unpackhi_epi16(f.mx, zero)));
  const __m256 q2 = _mm256_mul_ps(q, q);
  __m256 p = _mm256_fmadd_ps(_mm256_set1_ps(kAtan[4]), q2, _mm256_set1_ps(kAtan[3]));
  p = _mm256_fmadd_ps(p, q2, _mm256_set1_ps(kAtan[2]));
  p = _mm256_fmadd_ps(p, q2, _mm256_set1_ps(kAtan[1]));
  p = _mm256_fmadd_ps(p, q2, _mm256_set1_ps(kAtan[0]));
  const __m256 a = _mm256_fmadd_ps(p, q, _mm256_set1_ps(0.5f));
  const __m256i code = _mm256_cvttps_epi32(a);
  const __m256 fraction = _mm256_sub_ps(a, _mm256_cvtepi32_ps(code));
  const __m256 near = _mm256_or_ps(_mm256_cmp_ps(fraction, _mm256_set1_ps(kNear), _CMP_LT_OQ),
                                   _mm256_cmp_ps(fraction, _mm256_set1_ps(1 - kNear), _CMP_GT_OQ));
  const __m128i octant =
      _mm_packs_epi32(_mm256_castsi256_si128(code), _mm256_extractf128_si256(code, 1));
  return {magnitude, unfold8(octant, f.swapped, gx, gy), _mm256_movemask_ps(near)};
}

CEDGE_INLINE __m128i load16(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// The Sobel gradients of 16 pixels, from the three rows at columns c - 1, c and c + 1.
struct sobel16 {
  __m128i gx[2], gy[2];  // pixels 0 .. 7, 8 .. 15
};

CEDGE_INLINE void sobelHalf(__m128i aL, __m128i aM, __m128i aR, __m128i bL, __m128i bR, __m128i cL,
                            __m128i cM, __m128i cR, __m128i* gx, __m128i* gy) {
  const __m128i right = _mm_add_epi16(_mm_add_epi16(aR, cR), _mm_add_epi16(bR, bR));
  const __m128i left = _mm_add_epi16(_mm_add_epi16(aL, cL), _mm_add_epi16(bL, bL));
  const __m128i lower = _mm_add_epi16(_mm_add_epi16(cL, cR), _mm_add_epi16(cM, cM));
  const __m128i upper = _mm_add_epi16(_mm_add_epi16(aL, aR), _mm_add_epi16(aM, aM));
  *gx = _mm_sub_epi16(right, left);
  *gy = _mm_sub_epi16(lower, upper);
}

CEDGE_INLINE sobel16 sobelChunk(const uint8_t* above, const uint8_t* centre, const uint8_t* below,
                                int32_t c) {
  const __m128i z = _mm_setzero_si128();
  const __m128i aL = load16(above + c - 1), aM = load16(above + c), aR = load16(above + c + 1);
  const __m128i bL = load16(centre + c - 1), bR = load16(centre + c + 1);
  const __m128i cL = load16(below + c - 1), cM = load16(below + c), cR = load16(below + c + 1);
  sobel16 s;
  sobelHalf(_mm_unpacklo_epi8(aL, z), _mm_unpacklo_epi8(aM, z), _mm_unpacklo_epi8(aR, z),
            _mm_unpacklo_epi8(bL, z), _mm_unpacklo_epi8(bR, z), _mm_unpacklo_epi8(cL, z),
            _mm_unpacklo_epi8(cM, z), _mm_unpacklo_epi8(cR, z), &s.gx[0], &s.gy[0]);
  sobelHalf(_mm_unpackhi_epi8(aL, z), _mm_unpackhi_epi8(aM, z), _mm_unpackhi_epi8(aR, z),
            _mm_unpackhi_epi8(bL, z), _mm_unpackhi_epi8(bR, z), _mm_unpackhi_epi8(cL, z),
            _mm_unpackhi_epi8(cM, z), _mm_unpackhi_epi8(cR, z), &s.gx[1], &s.gy[1]);
  return s;
}

// Stores 16 magnitudes (clamped to 255) and angle codes, then decides the near lanes
// exactly; gradientOf(lane) recomputes a lane's gradient.
template <class GradientOf>
CEDGE_INLINE void store16(const codes8& low, const codes8& high, uint8_t* magnitude, uint8_t* angle,
                          GradientOf gradientOf) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(magnitude),
                   _mm_packus_epi16(low.magnitude, high.magnitude));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(angle), _mm_packus_epi16(low.angle, high.angle));
  for (int32_t lanes = low.near | high.near << 8; lanes; lanes &= lanes - 1) {
    const int32_t lane = __builtin_ctz(lanes);
    const gradient g = gradientOf(lane);
    angle[lane] = angleCode(g.gx, g.gy);
  }
}

// Columns 1 .. width - 2 of a row (width >= 18), 16 at a time; the last step ends at
// column width - 2 and may overlap the one before it, which rewrites equal values. The
// SSE2 and AVX loops are twins: a target attribute does not carry into a shared template.
void sse2Row(const uint8_t* above, const uint8_t* centre, const uint8_t* below, int32_t width,
             uint8_t* magnitude, uint8_t* angle) {
  for (int32_t c = 1;; c += 16) {
    const int32_t start = std::min(c, width - 17);
    const sobel16 s = sobelChunk(above, centre, below, start);
    store16(evaluateSse2(s.gx[0], s.gy[0]), evaluateSse2(s.gx[1], s.gy[1]), magnitude + start - 1,
            angle + start - 1,
            [&](int32_t lane) { return sobelAt(above, centre, below, start + lane); });
    if (start == width - 17) return;
  }
}

CEDGE_AVX void avxRow(const uint8_t* above, const uint8_t* centre, const uint8_t* below,
                      int32_t width, uint8_t* magnitude, uint8_t* angle) {
  for (int32_t c = 1;; c += 16) {
    const int32_t start = std::min(c, width - 17);
    const sobel16 s = sobelChunk(above, centre, below, start);
    store16(evaluateAvx(s.gx[0], s.gy[0]), evaluateAvx(s.gx[1], s.gy[1]), magnitude + start - 1,
            angle + start - 1,
            [&](int32_t lane) { return sobelAt(above, centre, below, start + lane); });
    if (start == width - 17) return;
  }
}

// Whole steps of 16 given gradients.
CEDGE_INLINE __m128i load8(const int16_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

void sse2Gradients(const int16_t* gx, const int16_t* gy, int32_t n, uint8_t* magnitude,
                   uint8_t* angle) {
  for (int32_t i = 0; i + 16 <= n; i += 16) {
    store16(evaluateSse2(load8(gx + i), load8(gy + i)),
            evaluateSse2(load8(gx + i + 8), load8(gy + i + 8)), magnitude + i, angle + i,
            [&](int32_t lane) {
              return gradient{gx[i + lane], gy[i + lane]};
            });
  }
}

CEDGE_AVX void avxGradients(const int16_t* gx, const int16_t* gy, int32_t n, uint8_t* magnitude,
                            uint8_t* angle) {
  for (int32_t i = 0; i + 16 <= n; i += 16) {
    store16(evaluateAvx(load8(gx + i), load8(gy + i)),
            evaluateAvx(load8(gx + i + 8), load8(gy + i + 8)), magnitude + i, angle + i,
            [&](int32_t lane) {
              return gradient{gx[i + lane], gy[i + lane]};
            });
  }
}

bool avxAvailable() {
  static const bool available = __builtin_cpu_supports("avx") && __builtin_cpu_supports("fma");
  return available;
}

#endif

}  // namespace

uint8_t unitMagnitude(int32_t gx, int32_t gy) {
  const float root = std::sqrt(float(gx * gx + gy * gy));
  return uint8_t(std::min(255, int32_t(root * 0.25f + 0.5f)));
}

uint8_t scaledMagnitude(int32_t gx, int32_t gy, double scale) {
  const double magnitude = std::round(scale * std::sqrt(double(gx * gx + gy * gy)) / 4);
  return uint8_t(std::min(255.0, magnitude));
}

uint8_t angleCode(int32_t gx, int32_t gy) {
  const int32_t ax = std::abs(gx), ay = std::abs(gy);
  int32_t code = octantCode(std::min(ax, ay), std::max({ax, ay, 1}));
  if (ay > ax) code = 64 - code;
  if (gx < 0) code = 128 - code;
  if (gy < 0) code = 256 - code;
  return uint8_t(code & 255);
}

gradient sobelAt(const uint8_t* above, const uint8_t* centre, const uint8_t* below, int32_t c) {
  const int32_t right = above[c + 1] + 2 * centre[c + 1] + below[c + 1];
  const int32_t left = above[c - 1] + 2 * centre[c - 1] + below[c - 1];
  const int32_t lower = below[c - 1] + 2 * below[c] + below[c + 1];
  const int32_t upper = above[c - 1] + 2 * above[c] + above[c + 1];
  return {right - left, lower - upper};
}

kernel fastestKernel() {
#ifdef __SSE2__
  return avxAvailable() ? kernel::avx : kernel::sse2;
#else
  return kernel::portable;
#endif
}

bool kernelAvailable(kernel k) {
#ifdef __SSE2__
  return k != kernel::avx || avxAvailable();
#else
  return k == kernel::portable;
#endif
}

void gradientRowWith(kernel k, const uint8_t* above, const uint8_t* centre, const uint8_t* below,
                     int32_t width, double scale, uint8_t* magnitude, uint8_t* angle) {
#ifdef __SSE2__
  if (scale == 1 && width >= 18 && k == kernel::avx)
    return avxRow(above, centre, below, width, magnitude, angle);
  if (scale == 1 && width >= 18 && k == kernel::sse2)
    return sse2Row(above, centre, below, width, magnitude, angle);
#endif
  portableRow(above, centre, below, width, scale, magnitude, angle);
}

void gradientRow(const uint8_t* above, const uint8_t* centre, const uint8_t* below, int32_t width,
                 double scale, uint8_t* magnitude, uint8_t* angle) {
  static const kernel fastest = fastestKernel();
  gradientRowWith(fastest, above, centre, below, width, scale, magnitude, angle);
}

void evaluateGradientsWith(kernel k, const int16_t* gx, const int16_t* gy, int32_t n,
                           uint8_t* magnitude, uint8_t* angle) {
  int32_t done = 0;
#ifdef __SSE2__
  if (k == kernel::avx) avxGradients(gx, gy, n, magnitude, angle);
  if (k == kernel::sse2) sse2Gradients(gx, gy, n, magnitude, angle);
  if (k != kernel::portable) done = n - n % 16;
#endif
  for (int32_t i = done; i < n; ++i) {
    magnitude[i] = unitMagnitude(gx[i], gy[i]);
    angle[i] = angleCode(gx[i], gy[i]);
  }
}

}  // namespace cedge
