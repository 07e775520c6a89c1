// The detector: gradient rows streamed through a ring of three, magnitude and angle images
// written row by row, non-maximum suppression one row behind, edgelets appended in row
// order, then the chains of what was appended.
#include <algorithm>
#include <cmath>

#include "internal.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

extern "C" const csEdgeParams csEdgeParamsDefault = {1.0f, 10.0f, 1.0f, 0, 0, 1};

namespace {

// Step to the neighbour in front, by octant of the angle code ((code + 16) >> 5) & 7.
constexpr int32_t kFrontX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr int32_t kFrontY[8] = {0, 1, 1, 1, 0, -1, -1, -1};

bool fitsInterior(const csImage95* image, const cimg_window& source) {
  const cimg_window& w = image->window;
  return w.pixelType == CIMG_TYPE_8 && w.width == source.width - 2 && w.height == source.height - 2;
}

#ifdef __SSE2__

// Bit k set: pixel k of the 16 at middle is a local maximum at least `least`, with the
// same rule as the scalar test below. Reads columns -1 .. 16 of the three rows.
int32_t maximaMask16(const uint8_t* above, const uint8_t* middle, const uint8_t* below,
                     const uint8_t* angle, uint8_t least, bool thin) {
  const auto load = [](const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  };
  // (m >= x) as a byte mask, unsigned.
  const auto atLeast = [](__m128i m, __m128i x) { return _mm_cmpeq_epi8(_mm_max_epu8(m, x), m); };
  const __m128i m = load(middle);
  const __m128i octant = _mm_and_si128(
      _mm_srli_epi16(_mm_add_epi8(load(angle), _mm_set1_epi8(16)), 5), _mm_set1_epi8(7));
  const __m128i axis = _mm_and_si128(octant, _mm_set1_epi8(3));
  const __m128i backward = _mm_cmpgt_epi8(octant, _mm_set1_epi8(3));
  // The neighbour in octant a (ahead) and in octant a + 4 (opposite) of the pixel's axis a.
  const auto on = [&](char a) { return _mm_cmpeq_epi8(axis, _mm_set1_epi8(a)); };
  const auto pick = [&](__m128i n0, __m128i n1, __m128i n2, __m128i n3) {
    return _mm_or_si128(_mm_or_si128(_mm_and_si128(on(0), n0), _mm_and_si128(on(1), n1)),
                        _mm_or_si128(_mm_and_si128(on(2), n2), _mm_and_si128(on(3), n3)));
  };
  const __m128i p = pick(load(middle + 1), load(below + 1), load(below), load(below - 1));
  const __m128i n = pick(load(middle - 1), load(above - 1), load(above), load(above + 1));
  const __m128i front = _mm_or_si128(_mm_and_si128(backward, n), _mm_andnot_si128(backward, p));
  const __m128i behind = _mm_or_si128(_mm_and_si128(backward, p), _mm_andnot_si128(backward, n));
  __m128i keep = _mm_and_si128(atLeast(m, _mm_set1_epi8(char(least))), atLeast(m, behind));
  // thin: m > front, that is not (front >= m).
  keep = thin ? _mm_andnot_si128(atLeast(front, m), keep) : _mm_and_si128(keep, atLeast(m, front));
  return _mm_movemask_epi8(keep);
}

#endif

class detector {
 public:
  detector(const cimg_window& source, const csEdgeParams& params, uint8_t* rows, csEdgeList* list)
      : source_(source),
        scale_(params.scale),
        least_(uint8_t(std::max(1.0f, std::ceil(params.threshold)))),
        thin_(params.thin != 0),
        interior_(source.width - 2),
        list_(list) {
    for (int32_t k = 0; k < 3; ++k) {
      magnitudes_[k] = rows + 2 * k * interior_;
      angles_[k] = magnitudes_[k] + interior_;
    }
    if (list && list->frame == 1 && list->hasReference) {
      offsetX_ = source.x0 - list->referenceX;
      offsetY_ = source.y0 - list->referenceY;
    }
  }

  // Streams the rows; false when the list filled up.
  bool run(const cimg_window* magnitude, const cimg_window* angle) {
    const int32_t last = source_.height - 2;
    for (int32_t r = 1; r <= last; ++r) {
      uint8_t* mag = magnitudes_[r % 3];
      uint8_t* ang = angles_[r % 3];
      // Without a list the rows are needed once: straight into the images.
      if (!list_ && magnitude) mag = cimg_window_row<uint8_t>(magnitude, r - 1);
      if (!list_ && angle) ang = cimg_window_row<uint8_t>(angle, r - 1);
      cedge::gradientRow(sourceRow(r - 1), sourceRow(r), sourceRow(r + 1), source_.width, scale_,
                         mag, ang);
      if (list_) {
        if (magnitude) csys_memory_copy(interior_, mag, cimg_window_row<uint8_t>(magnitude, r - 1));
        if (angle) csys_memory_copy(interior_, ang, cimg_window_row<uint8_t>(angle, r - 1));
        if (r >= 2 && !suppressRow(r - 1, r - 1 > 1, true)) return false;
      }
    }
    return !list_ || suppressRow(last, last > 1, false);
  }

 private:
  const uint8_t* sourceRow(int32_t r) const { return cimg_window_row<uint8_t>(&source_, r); }

  // Appends the edgelets of source row y, whose magnitudes sit in the ring with those of
  // rows y - 1 and y + 1; a neighbour row in the window's border has none, and a pixel
  // whose suppression needs a border neighbour is no edgelet.
  bool suppressRow(int32_t y, bool hasAbove, bool hasBelow) {
    const uint8_t* rows[3] = {hasAbove ? magnitudes_[(y - 1) % 3] : nullptr, magnitudes_[y % 3],
                              hasBelow ? magnitudes_[(y + 1) % 3] : nullptr};
    const uint8_t* angles = angles_[y % 3];
    int32_t i = 0;
#ifdef __SSE2__
    // Away from the ring's ends, 16 pixels a step.
    if (hasAbove && hasBelow && interior_ >= 18) {
      if (!suppressSpan(y, rows, angles, 0, 1)) return false;
      for (i = 1; i + 16 < interior_; i += 16) {
        int32_t mask =
            maximaMask16(rows[0] + i, rows[1] + i, rows[2] + i, angles + i, least_, thin_);
        for (; mask; mask &= mask - 1) {
          const int32_t k = i + __builtin_ctz(mask);
          if (!append(k + 1, y, rows[1][k], angles[k])) return false;
        }
      }
    }
#endif
    return suppressSpan(y, rows, angles, i, interior_);
  }

  // Ring columns from .. to - 1 of row y; rows[1] holds its magnitudes, rows[0] and
  // rows[2] those above and below (null in the border).
  bool suppressSpan(int32_t y, const uint8_t* const rows[3], const uint8_t* angles, int32_t from,
                    int32_t to) {
    for (int32_t i = from; i < to; ++i) {
      const uint8_t m = rows[1][i];
      if (m < least_) continue;
      const int32_t octant = ((angles[i] + 16) >> 5) & 7;
      const int32_t dx = kFrontX[octant], dy = kFrontY[octant];
      if (i + dx < 0 || i - dx < 0 || i + dx >= interior_ || i - dx >= interior_ || !rows[1 + dy] ||
          !rows[1 - dy])
        continue;
      const uint8_t front = rows[1 + dy][i + dx], behind = rows[1 - dy][i - dx];
      if (m < behind || m < front || (thin_ && m == front)) continue;
      if (!append(i + 1, y, m, angles[i])) return false;
    }
    return true;
  }

  bool append(int32_t c, int32_t y, uint8_t magnitude, uint8_t angle) {
    if (list_->length == list_->capacity) return false;
    const cedge::gradient g = cedge::sobelAt(sourceRow(y - 1), sourceRow(y), sourceRow(y + 1), c);
    const float length = std::sqrt(float(g.gx * g.gx + g.gy * g.gy));
    csEdge& e = list_->edges[list_->length++];
    e = csEdge{};
    e.pi = c + offsetX_;
    e.pj = y + offsetY_;
    e.dx = float(g.gx) / length;
    e.dy = float(g.gy) / length;
    e.mag = magnitude;
    e.angle = angle;
    return true;
  }

  const cimg_window& source_;
  const double scale_;
  const uint8_t least_;  // least magnitude of an edgelet, >= 1
  const bool thin_;
  const int32_t interior_;  // source width - 2: the length of every ring row
  csEdgeList* const list_;
  int32_t offsetX_ = 0, offsetY_ = 0;  // window position minus the list frame's reference
  uint8_t* magnitudes_[3];             // ring rows by source row modulo 3
  uint8_t* angles_[3];
};

}  // namespace

extern "C" int32_t csEdgeDetect(const csImage95* source, csImage95* magnitude, csImage95* angle,
                                csEdgeList* list, csEdgeChains* chains,
                                const csEdgeParams* params) {
  CEDGE_CHECK(source && params && (!chains || list));
  CEDGE_CHECK(params->scale > 0 && std::isfinite(params->scale) && params->threshold >= 0 &&
              params->threshold <= 255);
  CEDGE_CHECK(params->step == 1 && params->flags == 0);
  const cimg_window& window = source->window;
  if (window.pixelType != CIMG_TYPE_8) return CIMG_STATUS_BAD_SIZE;
  if (window.width < 3 || window.height < 3) return 0;
  if ((magnitude && !fitsInterior(magnitude, window)) || (angle && !fitsInterior(angle, window)))
    return CIMG_STATUS_BAD_SIZE;
  if (!list && !magnitude && !angle) return 0;

  // The ring: three rows of magnitudes and angle codes.
  void* rows = nullptr;
  if (const int32_t status =
          csys_memory_allocFastMem_internal(size_t(6) * size_t(window.width - 2), &rows);
      status < 0)
    return status;
  const int32_t first = list ? list->length : 0;
  detector pass(window, *params, static_cast<uint8_t*>(rows), list);
  const bool fitted =
      pass.run(magnitude ? &magnitude->window : nullptr, angle ? &angle->window : nullptr);
  csys_memory_free_internal(&rows);
  if (!list) return 0;

  int32_t status = fitted ? 0 : CSYS_STATUS_NO_MEMORY;
  if (status >= 0 && chains) status = cedge::buildChains(list->edges, first, list->length, chains);
  if (status < 0) {
    list->length = first;
    return status;
  }
  if (list->frame == 1 && !list->hasReference) {
    list->hasReference = 1;
    list->referenceX = window.x0;
    list->referenceY = window.y0;
  }
  return 0;
}
