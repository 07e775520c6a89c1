// The module grid of a found symbol from its clock tracks: profiles and edges along each
// far side, the pitch of the edges' grid, teeth paired from the edges.
#include "module_grid.h"

#include <stdint.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "ci_id/priv/ci_idut/pitch.h"

namespace {

// Samples per module along a track: the edge locator's difference then spans half a module,
// wide enough for blurred edges, narrow enough to part the two edges of a thin module.
constexpr double samplesPerModule = 4.0;
constexpr double leastSamplesPerPixel = 1.0;
constexpr int32_t leastContrast = 12;  // grey, between ink and space along a track
constexpr int32_t leastEdges = 5;
// A track is regular when this share of the module boundaries it should show lie on the
// pitch's grid, and of the ink modules it holds are paired into teeth. Blur and low
// contrast merge up to half of a thin track's modules; clutter pairs next to none.
constexpr double leastOnGrid = 0.6;
constexpr double leastTeeth = 0.5;
// The module counts the depth search tries first, thin modules first (a depth beyond the
// clock track lands in the data, which has no pitch to agree with the depth).
// A quarter more each step: a clock track is found over depths of a third to two thirds
// of a module at least, so no module size falls between two trials.
constexpr int32_t trialCounts[] = {144, 116, 92, 74, 60, 48, 38, 30, 24, 20, 16, 13, 10, 8};
// Modules are square: the two tracks' pitches agree within this ratio, perspective
// undone.
constexpr double mostPitchRatio = 1.3;
constexpr double leastDepth = 0.75;  // pixels
// The side lines averaged into a track's profile lie this share of the depth either side of
// it: a sixth of a module at half a module in.
constexpr double spreadShare = 1.0 / 3;
// A trial depth within this share of a module from either side of the track counts as
// half a module in.
constexpr double closeToHalf = 0.3;
// The share of a guessed module size first tried as the depth: just inside the half-module
// band, so that a guess too large by half still keeps the trial within the track (a depth
// beyond it lands in the data, whose edges may fall on a grid of their own).
constexpr double guessedDepth = 0.35;

struct vec {
  double x, y;
};
vec operator-(vec a, vec b) {
  return {a.x - b.x, a.y - b.y};
}
vec operator+(vec a, vec b) {
  return {a.x + b.x, a.y + b.y};
}
vec operator*(double s, vec a) {
  return {s * a.x, s * a.y};
}
double dot(vec a, vec b) {
  return a.x * b.x + a.y * b.y;
}
double length(vec a) {
  return std::hypot(a.x, a.y);
}
vec toVec(const cmath_vect& p) {
  return {p.x, p.y};
}
cmath_vect toCmath(vec p) {
  return {p.x, p.y};
}

// The symbol as a parallelogram on its L (image pixels) and, where its measured opposite
// corner lies off the parallelogram's, the perspective mapping from the parallelogram onto
// the measured quadrilateral.
class ccSymbolFrame {
 public:
  ccSymbolFrame(const cimg_image* image, const idread_symbol& symbol) {
    cmath_xformLinear imageFromClient;
    cimg_image_getLinearImageFromClientXform(image, &imageFromClient);
    cmath_vect c[4];
    for (int32_t i = 0; i < 4; ++i)
      cmath_xformLinear_mapPoint(&imageFromClient, &symbol.corners[i], &c[i]);
    corner = toVec(c[0]);
    xSide = toVec(c[1]) - corner;
    ySide = toVec(c[3]) - corner;
    if (symbol.fourthCornerInferred) return;
    cmath_shapeAffineRectPoints points;
    cmath_shapeAffineRectPoints_init(&points, &c[0], &c[1], &c[3]);
    int32_t required = 0;
    if (cidut_isPerspectiveMappingRequired(&points, &c[2], &required) < 0 || !required) return;
    perspective_ = cidut_perspectiveMapping_construct(&points, &c[2], &forward_, &inverse_) >= 0;
  }
  ~ccSymbolFrame() {
    if (!perspective_) return;
    cmath_xformPerspective_destruct(&forward_);
    cmath_xformPerspective_destruct(&inverse_);
  }
  ccSymbolFrame(const ccSymbolFrame&) = delete;
  ccSymbolFrame& operator=(const ccSymbolFrame&) = delete;

  // Whether the symbol is the parallelogram itself (no perspective mapping).
  bool isParallelogram() const { return !perspective_; }
  // The image point of parallelogram point p; false beyond the mapping's horizon.
  bool toImage(vec p, vec* out) const { return map(forward_, p, out); }
  bool toParallelogram(vec p, vec* out) const { return map(inverse_, p, out); }

  vec corner, xSide, ySide;  // the L's corner and its legs

 private:
  bool map(const cmath_xformPerspective& xform, vec p, vec* out) const {
    if (!perspective_) {
      *out = p;
      return true;
    }
    const cmath_vect in = toCmath(p);
    cmath_vect mapped;
    if (cmath_xformPerspective_mapPoint(&xform, &in, &mapped) < 0) return false;
    *out = toVec(mapped);
    return true;
  }

  bool perspective_ = false;
  cmath_xformPerspective forward_, inverse_;
};

// Teeth records released with the object.
class ccTeeth {
 public:
  ccTeeth() : status_(cidut_teethResults_construct(&results)) {}
  ~ccTeeth() {
    if (status_ >= 0) cidut_teethResults_destruct(&results);
  }
  ccTeeth(const ccTeeth&) = delete;
  ccTeeth& operator=(const ccTeeth&) = delete;
  int32_t status() const { return status_; }

  cidut_teethResults results;

 private:
  int32_t status_;
};

// The first library failure met while measuring (no memory, a cancelled attention poll):
// the measure stops and its caller returns the status, instead of taking the find for
// clutter without a grid.
class ccFailure {
 public:
  // Whether status is a failure; the first one is kept.
  bool failed(int32_t status) {
    if (status < 0 && status_ == 0) status_ = status;
    return status < 0;
  }
  bool any() const { return status_ < 0; }
  int32_t status() const { return status_; }

 private:
  int32_t status_ = 0;
};

struct trackEdge {
  double position;    // parallelogram pixels from the track's start
  int32_t magnitude;  // grey, positive rising
};

// A track's samples kept for pairing its teeth and counting its modules: the greys
// sampled evenly from image point a to b, the track in the parallelogram's frame (`offset`
// from `start` along `direction`, `length` long) and its edges there.
struct trackProfile {
  bool darkInk = true;  // ink darker than space
  std::vector<uint8_t> grey;
  vec a, b, start, direction;
  double offset, length;
  std::vector<trackEdge> edges;
};

// The profile's contrast: its ninetieth percentile grey less its tenth (space and ink,
// noise spikes left out), ranked by a histogram of the greys.
int32_t percentileContrast(const std::vector<uint8_t>& profile) {
  int32_t histogram[256] = {};
  for (const uint8_t g : profile) ++histogram[g];
  auto ranked = [&](int32_t rank) {  // the grey of the given rank, 0 the darkest
    int32_t grey = 0;
    for (int32_t upTo = histogram[0]; upTo <= rank; upTo += histogram[++grey]) {
    }
    return grey;
  };
  const int32_t n = int32_t(profile.size());
  return ranked(n - 1 - n / 10) - ranked(n / 10);
}

// Edges along the track from start to end (parallelogram points), in parallelogram pixels
// from start along `direction` (unit), consecutive edges of one polarity merged into the
// stronger. Unless `across` is zero the profile is the mean of three lines, the track's
// and the two `across` to either side of it, which thins the noise without blurring along
// the track.
bool locateEdges(const cimg_windowConst& window, const ccSymbolFrame& frame, vec start, vec end,
                 vec across, vec direction, double module, std::vector<trackEdge>* edges,
                 trackProfile* samples, ccFailure* failure) {
  vec a, b;
  if (!frame.toImage(start, &a) || !frame.toImage(end, &b)) return false;
  const double imageLength = length(b - a);
  const double perPixel = std::max(leastSamplesPerPixel, samplesPerModule / module);
  const int32_t n = std::max(8, int32_t(imageLength * perPixel));
  std::vector<uint8_t> profile(size_t(n), 0), line(size_t(n), 0);
  std::vector<int32_t> sums(size_t(n), 0);
  uint8_t mean = 0;
  double spacing = 0;
  const bool averaged = across.x != 0 || across.y != 0;
  const int32_t lines = averaged ? 3 : 1;
  for (const double side : {0.0, -1.0, 1.0}) {
    if (side != 0 && !averaged) break;
    vec p, q;
    if (!frame.toImage(start + side * across, &p) || !frame.toImage(end + side * across, &q))
      return false;
    const cmath_vect first = toCmath(p), second = toCmath(q);
    // A track that leaves the image has no profile; anything else is a failure.
    const int32_t sampled = cidut_linePixels(&window, &first, &second, line.data(), n, &mean, &spacing);
    if (sampled == CIDUT_ERR_OUTSIDE_WINDOW || failure->failed(sampled)) return false;
    for (size_t i = 0; i < size_t(n); ++i) sums[i] += line[i];
  }
  for (size_t i = 0; i < size_t(n); ++i) profile[i] = uint8_t((sums[i] + lines / 2) / lines);
  spacing = imageLength / n;
  samples->a = a;
  samples->b = b;
  const int32_t contrast = percentileContrast(profile);
  if (contrast < leastContrast) return false;
  std::vector<int32_t> magnitudes(static_cast<size_t>(n)), positions(static_cast<size_t>(n));
  int32_t count = 0;
  if (failure->failed(cidut_lineEdgeLoc(profile.data(), n, n, std::max(6, contrast / 4), 0, spacing,
                                        magnitudes.data(), positions.data(), &count)))
    return false;
  edges->clear();
  for (int32_t i = 0; i < count; ++i) {
    // Positions are distances from a in 1/256 pixel: the step between samples k - 1 and k
    // lies at k sample spacings.
    const vec p = a + (positions[size_t(i)] / 256.0 / imageLength) * (b - a);
    vec q;
    if (!frame.toParallelogram(p, &q)) return false;
    const trackEdge edge{dot(q - start, direction), magnitudes[size_t(i)]};
    if (!edges->empty() && (edges->back().magnitude > 0) == (edge.magnitude > 0)) {
      if (std::abs(edge.magnitude) > std::abs(edges->back().magnitude)) edges->back() = edge;
      continue;
    }
    edges->push_back(edge);
  }
  samples->grey = std::move(profile);
  return true;
}

// The median spacing of consecutive edges: a clock track's edges lie a module apart.
double medianSpacing(const std::vector<trackEdge>& edges) {
  std::vector<double> gaps;
  for (size_t i = 1; i < edges.size(); ++i)
    gaps.push_back(edges[i].position - edges[i - 1].position);
  std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
  return gaps[gaps.size() / 2];
}

// Ink modules paired into teeth along a track of `trackLength` parallelogram pixels
// starting at `start` along `direction`, for a module pitch of `pitch`.
int32_t countTeeth(const std::vector<trackEdge>& edges, vec start, vec direction,
                   double trackLength, double pitch, int32_t slots, bool darkInk,
                   ccFailure* failure) {
  std::vector<cidut_edge1D> list;
  for (const trackEdge& e : edges)
    list.push_back({int32_t((e.position - trackLength / 2) * 256), e.magnitude * 256});
  const cidut_edgeList1D edgeList{int32_t(list.size()), CIDUT_EDGES_ALONG_X, 0, list.data()};
  cidut_edgePairingParams params;
  cidut_edgePairingParams_init(&params);
  params.expectedCount = slots;
  params.firstEdgeFalls = darkInk;
  params.expectedWidth = pitch;
  params.expectedPitch = 2 * pitch;  // ink modules alternate with space
  const vec across{-direction.y, direction.x};
  const cmath_vect points[3] = {toCmath(start), toCmath(start + trackLength * direction),
                                toCmath(start + pitch * across)};
  cmath_shapeAffineRect rect;
  cmath_shapeAffineRect_initPoints(&rect, points);
  ccTeeth teeth;
  if (failure->failed(teeth.status()) ||
      failure->failed(cidut_edgesToTeeth(&params, &edgeList, nullptr, nullptr, &rect, nullptr,
                                         &teeth.results)))
    return 0;
  cidut_toothCand* begin = nullptr;
  int32_t count = 0;
  cstd_vector_cidut_toothCand_getBeginSize(&teeth.results.teeth, &begin, &count);
  return int32_t(std::count_if(begin, begin + count,
                               [](const cidut_toothCand& t) { return t.firstEdge >= 0; }));
}

// A clock track opens with an ink module (the L's corner) and closes with a space module
// (the far corner of every DataMatrix size, whose counts are even): edges before its first
// space-to-ink edge or after its last ink-to-space edge lie in the quiet zone or beyond, and
// would set the pitch estimate off its grid.
void trimToTrack(bool darkInk, std::vector<trackEdge>* edges) {
  auto intoInk = [darkInk](const trackEdge& e) { return (e.magnitude < 0) == darkInk; };
  const auto first = std::find_if(edges->begin(), edges->end(), intoInk);
  const auto last =
      std::find_if(edges->rbegin(), edges->rend(), [&](const trackEdge& e) { return !intoInk(e); });
  if (first == edges->end() || last == edges->rend() || last.base() <= first) {
    edges->clear();
    return;
  }
  edges->erase(last.base(), edges->end());
  edges->erase(edges->begin(), first);
}

// A complex number multiplied without std::complex's checks for infinities, which the
// unit phasors of the Fourier sums never meet and which cost most of their time.
struct phasor {
  double re, im;
};
phasor operator*(phasor u, phasor v) {
  return {u.re * v.re - u.im * v.im, u.re * v.im + u.im * v.re};
}

// e^(i angle): by its series where the angle is small, as the turns from one sample to the
// next are (within 1e-12), cheaper than a sine and a cosine.
phasor turn(double angle) {
  if (std::fabs(angle) > 0.5) return {std::cos(angle), std::sin(angle)};
  const double a2 = angle * angle;
  const double c = 1 - a2 * (1.0 / 2) * (1 - a2 * (1.0 / 12) * (1 - a2 * (1.0 / 30) *
                   (1 - a2 * (1.0 / 56) * (1 - a2 * (1.0 / 90) * (1 - a2 * (1.0 / 132))))));
  const double s = 1 - a2 * (1.0 / 6) * (1 - a2 * (1.0 / 20) * (1 - a2 * (1.0 / 42) *
                   (1 - a2 * (1.0 / 72) * (1 - a2 * (1.0 / 110) * (1 - a2 * (1.0 / 156))))));
  return {c, angle * s};
}

// The distances along the track, from its start, of the profile's samples (sample i at the
// middle of its sub-interval from a to b). A line maps onto a line, its points' distances
// as (alpha t + beta) / (gamma t + 1) of their fraction t of the way from a to b: three
// points fix the map. False beyond the mapping's horizon.
bool sampleDistances(const ccSymbolFrame& frame, const trackProfile& samples,
                     std::vector<double>* along) {
  auto distanceAt = [&](double t, double* distance) {
    vec q;
    if (!frame.toParallelogram(samples.a + t * (samples.b - samples.a), &q)) return false;
    *distance = dot(q - samples.start, samples.direction) - samples.offset;
    return true;
  };
  double s0, sHalf, s1;
  if (!distanceAt(0, &s0) || !distanceAt(0.5, &sHalf) || !distanceAt(1, &s1) || sHalf == s1)
    return false;
  const double beta = s0, gamma = (s1 + s0 - 2 * sHalf) / (sHalf - s1);
  const double alpha = s1 * (gamma + 1) - beta;
  const size_t n = along->size();
  for (size_t i = 0; i < n; ++i) {
    const double t = (i + 0.5) / n;
    (*along)[i] = (alpha * t + beta) / (gamma * t + 1);
  }
  return true;
}

// The Fourier power of the centred profile x at each count from `least` on in steps of
// two, the samples evenly `spacing` apart on a track `length` long: by Goertzel's
// recurrence, one product a sample and count.
void evenPowers(const std::vector<double>& x, double spacing, double length, int32_t least,
                std::vector<double>* powers) {
  for (size_t k = 0; k < powers->size(); ++k) {
    const double c = 2 * std::cos(M_PI * (least + 2 * double(k)) * spacing / length);
    double s1 = 0, s2 = 0;
    for (const double v : x) {
      const double s0 = v + c * s1 - s2;
      s2 = s1;
      s1 = s0;
    }
    (*powers)[k] = s1 * s1 + s2 * s2 - c * s1 * s2;
  }
}

// evenPowers() for samples at any distances along the track: per count, the sum of
// x e^(i pi count distance / length), each sample's phasor starting at the least count and
// turning by the step of two counts. Both phasors turn from sample to sample by the angles
// of the distance between the samples.
void unevenPowers(const std::vector<double>& x, const std::vector<double>& along, double length,
                  int32_t least, std::vector<double>* powers) {
  std::vector<phasor> sums(powers->size(), phasor{0, 0});
  const double perDistance = 2 * M_PI / length;  // the step's angle per pixel
  const int32_t half = least / 2;
  phasor step{std::cos(perDistance * along[0]), std::sin(perDistance * along[0])};
  phasor first{std::cos(half * perDistance * along[0]), std::sin(half * perDistance * along[0])};
  for (size_t i = 0; i < x.size(); ++i) {
    if (i > 0) {
      const double angle = perDistance * (along[i] - along[i - 1]);
      step = step * turn(angle);
      first = first * turn(half * angle);
    }
    if (x[i] == 0) continue;
    phasor z{x[i] * first.re, x[i] * first.im};
    for (phasor& sum : sums) {
      sum.re += z.re;
      sum.im += z.im;
      z = z * step;
    }
  }
  for (size_t k = 0; k < sums.size(); ++k)
    (*powers)[k] = sums[k].re * sums[k].re + sums[k].im * sums[k].im;
}

// The module count whose clock pattern the track's profile follows best: a track of n
// modules alternates ink and space n / 2 times over its length, so n is the even count at
// whose frequency the profile's Fourier power is greatest. Counts within a third of
// `estimate` either way are tried (the edges' grid is off by no more, where edges merge
// under blur or drift under perspective); the power sums over the whole track, so runs of
// missing edges weaken it little. 0 when the profile shows no contrast.
int32_t strongestCount(const ccSymbolFrame& frame, const trackProfile& samples, double estimate) {
  const int32_t least = std::max(2, 2 * int32_t(std::ceil(estimate * 0.75 / 2)));
  const int32_t most = 2 * int32_t(estimate * 1.33 / 2);
  const size_t n = samples.grey.size();
  if (most < least || n == 0) return 0;
  std::vector<double> along(n);
  if (!sampleDistances(frame, samples, &along)) return 0;
  // The profile less its mean on the track, zero off it.
  auto onTrack = [&](size_t i) { return along[i] >= 0 && along[i] <= samples.length; };
  double mean = 0;
  int32_t inside = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!onTrack(i)) continue;
    mean += samples.grey[i];
    ++inside;
  }
  if (inside == 0) return 0;
  mean /= inside;
  std::vector<double> x(n);
  for (size_t i = 0; i < n; ++i) x[i] = onTrack(i) ? samples.grey[i] - mean : 0;
  // On a parallelogram the samples lie evenly along the track.
  std::vector<double> powers(static_cast<size_t>((most - least) / 2 + 1));
  if (frame.isParallelogram() && n > 1)
    evenPowers(x, along[1] - along[0], samples.length, least, &powers);
  else
    unevenPowers(x, along, samples.length, least, &powers);
  const auto strongest = std::max_element(powers.begin(), powers.end());
  return *strongest > 0 ? least + 2 * int32_t(strongest - powers.begin()) : 0;
}

// The track's count and pitch from its profile, where the profile shows a strongest count.
void countByProfile(const ccSymbolFrame& frame, const trackProfile& samples,
                    idread_clockTrack* track) {
  const int32_t count = strongestCount(frame, samples, track->modules);
  if (count <= 0) return;
  track->modules = count;
  track->pitch = samples.length / count;
}

// The clock track from `from` to `to` (parallelogram points on the track's line), extended
// by `margin` at both ends so that its first and last edges are not cut off; `module` is
// the module size the depth was chosen for.
bool measureTrack(const cimg_windowConst& window, const ccSymbolFrame& frame, vec from, vec to,
                  vec across, double margin, double module, bool darkInk, idread_clockTrack* track,
                  trackProfile* samples, ccFailure* failure) {
  const double trackLength = length(to - from);
  const vec direction = (1 / trackLength) * (to - from);
  const vec start = from - margin * direction, end = to + margin * direction;
  std::vector<trackEdge>& edges = samples->edges;
  if (!locateEdges(window, frame, start, end, across, direction, module, &edges, samples, failure) ||
      int32_t(edges.size()) < leastEdges)
    return false;
  samples->darkInk = darkInk;
  samples->start = start;
  samples->direction = direction;
  samples->offset = margin;
  samples->length = trackLength;
  trimToTrack(darkInk, &edges);
  if (int32_t(edges.size()) < leastEdges) return false;
  const int32_t spacing = int32_t(medianSpacing(edges) * 256);
  if (spacing < 512) return false;  // modules of two pixels at the least
  std::vector<int32_t> positions;
  for (const trackEdge& e : edges) positions.push_back(int32_t(e.position * 256));
  int32_t periodSum = 0, onGrid = 0, pitch = 0;
  if (failure->failed(cidut_cg1dComputeScaledPitch(int32_t(positions.size()), positions.data(),
                                                   spacing, 800, 1200, std::max(1, spacing / 4), 0,
                                                   &periodSum, 128, &onGrid, &pitch)) ||
      pitch <= 0)
    return false;
  // The edges on the grid give a least-squares pitch, and the span from the first to the
  // last counts the modules on the symbol's own grid, the finder's corners aside (the
  // track's first edge opens its first module, its last closes the last ink module, one
  // module short of the end).
  std::vector<int32_t> indices(positions.size()), work(positions.size());
  int32_t phase = 0, flag = 0;
  if (failure->failed(cidut_cg1dOnGrid(int32_t(positions.size()), positions.data(), indices.data(),
                                       pitch, std::max(1, pitch / 4), work.data(), &phase, &flag)))
    return false;
  double sumI = 0, sumP = 0, sumII = 0, sumIP = 0;
  int32_t fitted = 0, lastIndex = 0;
  double firstPosition = 0, lastPosition = 0;
  for (size_t i = 0; i < positions.size(); ++i) {
    if (indices[i] < 0) continue;
    const double k = indices[i], x = edges[i].position;
    if (fitted == 0) firstPosition = x;
    lastPosition = x;
    lastIndex = indices[i];
    sumI += k, sumP += x, sumII += k * k, sumIP += k * x;
    ++fitted;
  }
  const double denominator = fitted * sumII - sumI * sumI;
  track->pitch =
      fitted >= 3 && denominator > 0 ? (fitted * sumIP - sumI * sumP) / denominator : pitch / 256.0;
  if (track->pitch <= 0) return false;
  track->modules = trackLength / track->pitch;
  const double onGridModules = (lastPosition - firstPosition) / track->pitch + 1;
  if (lastIndex > 0 && std::abs(onGridModules - track->modules) <= 1.5)
    track->modules = onGridModules;
  track->edges = int32_t(edges.size());
  track->onGrid = onGrid;
  track->slots = std::max(1, int32_t(std::lround(track->modules / 2)));
  return track->onGrid >= leastOnGrid * track->modules;
}

// Whether the track measured into `samples` pairs enough of its ink modules into teeth.
bool hasTeeth(const trackProfile& samples, idread_clockTrack* track, ccFailure* failure) {
  track->teeth = countTeeth(samples.edges, samples.start, samples.direction,
                            samples.length + 2 * samples.offset, track->pitch, track->slots,
                            samples.darkInk, failure);
  return track->teeth >= leastTeeth * track->slots;
}

// Whether both measured tracks show teeth: paired last, the costliest step.
bool bothHaveTeeth(const trackProfile& columnProfile, const trackProfile& rowProfile,
                   idread_clockTrack* columns, idread_clockTrack* rows, ccFailure* failure) {
  return hasTeeth(columnProfile, columns, failure) && hasTeeth(rowProfile, rows, failure);
}

// Whether the symbol's ink is darker than its space: the grey just inside the middle of
// the L's x leg against the contour threshold.
bool inkIsDark(const cimg_windowConst& window, const ccSymbolFrame& frame, int32_t threshold) {
  const double inset = 0.7 / length(frame.ySide);
  vec p;
  if (!frame.toImage(frame.corner + 0.5 * frame.xSide + inset * frame.ySide, &p)) return true;
  const int32_t x = int32_t(std::floor(p.x)) - window.x0, y = int32_t(std::floor(p.y)) - window.y0;
  if (x < 0 || y < 0 || x >= window.width || y >= window.height) return true;
  return cimg_windowConst_row<uint8_t>(&window, y)[x] < threshold;
}

// Checks of two tracks' pitches against the depth they were measured at: none, for a depth
// given by the caller.
bool anyPitches(const idread_clockTrack&, const idread_clockTrack&, double) {
  return true;
}

// Modules are square: the tracks' pitches agree within the ratio, perspective undone.
bool squarePitches(const idread_clockTrack& columns, const idread_clockTrack& rows, double) {
  return std::max(columns.pitch, rows.pitch) <=
         mostPitchRatio * std::min(columns.pitch, rows.pitch);
}

// Both tracks `depth` inside the far sides, each profile averaged over lines `spread`
// either side of it (0: one line): true when both lie on a grid and their pitches agree
// with the depth as `agree(columns, rows, depth)` asks. Their teeth are left to
// bothHaveTeeth.
template <typename Agree>
bool measureBoth(const cimg_image* image, const ccSymbolFrame& frame, int32_t threshold,
                 double depth, double spread, Agree agree, idread_clockTrack* columns,
                 idread_clockTrack* rows, trackProfile* columnProfile, trackProfile* rowProfile,
                 ccFailure* failure) {
  cimg_windowConst window;
  if (cimg_windowConst_init(&window, cimg_image_asConst(image)) < 0) return false;
  const bool darkInk = inkIsDark(window, frame, threshold);
  const vec o = frame.corner, x = frame.xSide, y = frame.ySide;
  const double xLength = length(x), yLength = length(y);
  // Depth is measured along the other side, so that a skewed symbol keeps its grid lines.
  const vec inX = (depth / xLength) * x, inY = (depth / yLength) * y;
  const double margin = std::max(2 * depth, 2.0);
  const vec acrossX = (spread / yLength) * y, acrossY = (spread / xLength) * x;
  return measureTrack(window, frame, o + y - inY, o + x + y - inY, acrossX, margin, 2 * depth,
                      darkInk, columns, columnProfile, failure) &&
         measureTrack(window, frame, o + x - inX, o + x + y - inX, acrossY, margin, 2 * depth,
                      darkInk, rows, rowProfile, failure) &&
         agree(*columns, *rows, depth);
}

// The depth search: `firstDepth` when one is guessed, then trial depths from thin modules
// to thick until a trial's pitch agrees with its depth, then the tracks half a module in. A
// trial whose tracks show a square grid too thin or too thick for its depth suggests the
// depth of half that grid's pitch, tried next (once). `spread` is the side lines' distance
// as a share of the depth. The counts of the tracks found are then their profiles'.
bool searchDepths(const cimg_image* image, const ccSymbolFrame& frame, int32_t threshold,
                  double spread, double firstDepth, idread_clockTrack* columns,
                  idread_clockTrack* rows, ccFailure* failure) {
  const double shorter = std::min(length(frame.xSide), length(frame.ySide));
  trackProfile columnProfile, rowProfile;
  double suggested = 0;
  auto fitsDepth = [&](const idread_clockTrack& c, const idread_clockTrack& r, double depth) {
    if (!squarePitches(c, r, depth)) return false;
    const double pitch = (c.pitch + r.pitch) / 2;
    if (depth >= 0.15 * pitch && depth <= 0.85 * pitch) return true;
    suggested = std::max(leastDepth, pitch / 2);
    return false;
  };
  auto tryDepth = [&](double depth) {
    // The side lines stay the least depth inside, clear of the far side's blurred edge.
    const double side = std::clamp(depth - leastDepth, 0.0, depth * spread);
    if (!measureBoth(image, frame, threshold, depth, side, fitsDepth, columns, rows, &columnProfile,
                     &rowProfile, failure))
      return false;
    const double pitch = (columns->pitch + rows->pitch) / 2;
    // Half a module in, where the track is clearest, unless the trial lay near there; the
    // trial's own teeth are paired only when the tracks there show none.
    if (depth < closeToHalf * pitch || depth > (1 - closeToHalf) * pitch) {
      idread_clockTrack c{}, r{};
      trackProfile cp, rp;
      if (measureBoth(image, frame, threshold, pitch / 2, pitch / 2 * spread, squarePitches, &c,
                      &r, &cp, &rp, failure) &&
          bothHaveTeeth(cp, rp, &c, &r, failure)) {
        *columns = c;
        *rows = r;
        columnProfile = std::move(cp);
        rowProfile = std::move(rp);
        return true;
      }
      if (failure->any()) return false;
    }
    return bothHaveTeeth(columnProfile, rowProfile, columns, rows, failure);
  };
  double tried = 0;
  bool followed = false;
  // A trial at the guessed depth (often the least depth, for thin modules) is not measured
  // again: it failed as the guess, and the guess's suggestion stands.
  const double guessed = firstDepth > 0 ? std::max(leastDepth, firstDepth) : 0;
  bool found = guessed > 0 && tryDepth(guessed);
  const double guessSuggested = suggested;
  for (const int32_t count : trialCounts) {
    if (found || failure->any()) break;
    const double depth = std::max(leastDepth, shorter / count / 2);
    if (depth == tried) continue;  // thin trials all clamped to the least depth
    tried = depth;
    suggested = depth == guessed ? guessSuggested : 0;
    found = depth != guessed && tryDepth(depth);
    if (!found && suggested > 0 && !followed && !failure->any()) {
      followed = true;
      found = tryDepth(suggested);
    }
  }
  if (!found || failure->any()) return false;
  countByProfile(frame, columnProfile, columns);
  countByProfile(frame, rowProfile, rows);
  return true;
}

// DataMatrix sizes (rows x columns as printed): the squares, then the rectangles.
constexpr int32_t squareSizes[] = {10, 12, 14, 16, 18, 20, 22, 24, 26,  32,  36,  40,
                                   44, 48, 52, 64, 72, 80, 88, 96, 104, 120, 132, 144};
constexpr int32_t rectangleSizes[][2] = {{8, 18}, {8, 32}, {12, 26}, {12, 36}, {16, 36}, {16, 48}};

}  // namespace

int32_t idread_measureClockTracks(const cimg_image* image, const idread_symbol& symbol, double depth,
                                  idread_clockTrack* columns, idread_clockTrack* rows) {
  const ccSymbolFrame frame(image, symbol);
  trackProfile columnProfile, rowProfile;
  ccFailure failure;
  const bool regular =
      measureBoth(image, frame, symbol.threshold, depth, depth * spreadShare, anyPitches, columns,
                  rows, &columnProfile, &rowProfile, &failure) &&
      bothHaveTeeth(columnProfile, rowProfile, columns, rows, &failure);
  return failure.any() ? failure.status() : regular ? 1 : 0;
}

void idread_snapModuleCounts(double rows, double columns, int32_t* snappedRows,
                           int32_t* snappedColumns) {
  // The finder's corners lie within about half a module of the grid's, so a count may be
  // off by one module; the pitch adds a few per cent on large symbols. Beyond that the
  // measure is more likely a size the table does not hold (a non-DataMatrix grid, or one
  // whose side was cut) than a misread one, so it is reported as measured.
  auto tolerance = [](int32_t n) { return std::max(1.2, 0.04 * n); };
  double best = 1.0;
  *snappedRows = int32_t(std::lround(rows));
  *snappedColumns = int32_t(std::lround(columns));
  auto consider = [&](int32_t r, int32_t c) {
    const double miss =
        std::max(std::abs(rows - r) / tolerance(r), std::abs(columns - c) / tolerance(c));
    if (miss > best) return;
    best = miss;
    *snappedRows = r;
    *snappedColumns = c;
  };
  for (const int32_t n : squareSizes) consider(n, n);
  for (const auto& size : rectangleSizes) consider(size[0], size[1]);
}

int32_t idread_measureModuleGrid(const cimg_image* image, idread_symbol* symbol) {
  const ccSymbolFrame frame(image, *symbol);
  idread_clockTrack columns{}, rows{};
  ccFailure failure;
  // Blur and noise can wipe a thin track's side lines where its middle still shows.
  const bool measured =
      searchDepths(image, frame, symbol->threshold, spreadShare, guessedDepth * symbol->pitch, &columns,
                   &rows, &failure) ||
      (!failure.any() &&
       searchDepths(image, frame, symbol->threshold, 0, 0, &columns, &rows, &failure));
  if (failure.any()) return failure.status();
  if (!measured) return 0;
  idread_snapModuleCounts(rows.modules, columns.modules, &symbol->rows, &symbol->cols);
  symbol->pitch = (columns.pitch + rows.pitch) / 2;
  return 1;
}
