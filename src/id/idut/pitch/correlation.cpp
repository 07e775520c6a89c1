// Normalised 1-D correlation of a model against a signal at every shift, the model allowed
// to overhang either end of the signal by a margin. The score is the squared correlation
// coefficient of the overlapping parts where the correlation is positive, 0 elsewhere.
// The sums of the overlap move incrementally (one sample in, one out per shift); only the
// dot product is recomputed.
#include "ci_id/priv/ci_idut/pitch.h"
#include "id/idut/frame/check.h"
#include "id/idut/pitch/correlation_lengths.h"
#include "kit/system.h"

namespace {

// Sums of the samples and their squares over a moving part of a signal.
template <class Sum>
struct ccMovingSums {
  Sum sum = 0;
  Sum squares = 0;

  void add(Sum value) {
    sum += value;
    squares += value * value;
  }
  void remove(Sum value) {
    sum -= value;
    squares -= value * value;
  }
  // n sum x^2 - (sum x)^2: n^2 times the variance.
  Sum spread(Sum n) const { return n * squares - sum * sum; }
};

// r^2 of an overlap of n samples with the given dot product, 0 unless r > 0.
template <class Sum>
double squaredCoefficient(int32_t n, Sum dot, const ccMovingSums<Sum>& model,
                          const ccMovingSums<Sum>& signal) {
  const Sum covariance = Sum(n) * dot - model.sum * signal.sum;
  if (covariance <= 0) return 0.0;
  const double numerator = double(covariance) * double(covariance);
  const double denominator = double(model.spread(Sum(n))) * double(signal.spread(Sum(n)));
  if (denominator <= 0.0) return 0.0;
  return denominator <= numerator ? 1.0 : numerator / denominator;
}

// Correlates with sums of type Sum and dot products of type Dot; Polls says whether the
// attention check is polled before the loop and every eighth shift.
template <class Sum, class Dot, bool Polls, class Sample>
int32_t correlate(const Sample* model, int32_t modelLength, const Sample* signal,
                  int32_t signalLength, int32_t margin, double* scores) {
  if (!cidut_correlationLengthsFit(modelLength, signalLength, margin)) return CIDUT_ERR_BAD_LENGTH;
  if (Polls) {
    if (const int32_t status = csys_attention_check(); status < 0) return status;
  }
  const int32_t last = signalLength - modelLength;  // the last shift without overhang
  // The overlap of the first shift less one sample at each end.
  ccMovingSums<Sum> modelSums, signalSums;
  for (int32_t j = margin + 1; j < modelLength; ++j) modelSums.add(Sum(model[j]));
  for (int32_t j = 0; j <= modelLength - margin - 2; ++j) signalSums.add(Sum(signal[j]));

  for (int32_t shift = -margin; shift <= last + margin; ++shift) {
    if (Polls && (shift + margin) % 8 == 0) {
      if (const int32_t status = csys_attention_check(); status < 0) return status;
    }
    if (shift <= 0) modelSums.add(Sum(model[-shift]));
    if (shift <= last) signalSums.add(Sum(signal[shift + modelLength - 1]));
    const int32_t first = shift < 0 ? -shift : 0;
    const int32_t n = shift < 0 ? modelLength + shift
                                : (shift > last ? modelLength - (shift - last) : modelLength);
    Dot dot = 0;
    for (int32_t j = first; j < first + n; ++j) dot += Dot(model[j]) * Dot(signal[j + shift]);
    scores[shift + margin] = squaredCoefficient<Sum>(n, Sum(dot), modelSums, signalSums);
    if (shift >= last) modelSums.remove(Sum(model[(modelLength - 1) - (shift - last)]));
    if (shift >= 0) signalSums.remove(Sum(signal[shift]));
  }
  return 0;
}

}  // namespace

extern "C" int32_t cf_correlate1D_U32(const uint32_t* model, int32_t modelLength,
                                      const uint32_t* signal, int32_t signalLength, int32_t margin,
                                      double* scores) {
  CIDUT_CHECK(model && signal && scores);
  return correlate<double, double, true>(model, modelLength, signal, signalLength, margin, scores);
}

extern "C" int32_t cf_correlate1D_U8(const uint8_t* model, int32_t modelLength,
                                     const uint8_t* signal, int32_t signalLength, int32_t margin,
                                     double* scores) {
  if (!model || !signal || !scores) return CIDUT_ERR_NULL_DATA;
  // Integer sums; the dot product is a 32-bit sum of 8 x 8-bit products.
  return correlate<int64_t, uint32_t, false>(model, modelLength, signal, signalLength, margin,
                                             scores);
}
