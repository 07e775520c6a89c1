// The kit's 2-D edge detector: a 3x3 Sobel gradient on 8-bit images, gradient magnitude
// and angle images, non-maximum suppression across the gradient direction, edgelet lists
// and chains of neighbouring edgelets.
//
// Gradient. At an interior pixel p of the source window, with P(dx, dy) the neighbour:
//   gx = P(1,-1) + 2 P(1,0) + P(1,1) - P(-1,-1) - 2 P(-1,0) - P(-1,1)
//   gy = P(-1,1) + 2 P(0,1) + P(1,1) - P(-1,-1) - 2 P(0,-1) - P(1,-1)
// x to the right, y downward (rows), so a dark-to-light step along +x has gx > 0.
//
// Magnitude: min(255, round(scale * sqrt(gx^2 + gy^2) / 4)), 8 bits. A step of 255 grey
// levels across the x or y axis gives 255; so does any step of at least 181 levels at 45
// degrees.
//
// Angle code: 256 codes per turn, code = round(atan2(gy, gx) * 128 / pi) mod 256: code 0
// points along +x, 64 along +y (down), 128 along -x, 192 along -y. The gradient points from
// dark to light. A zero gradient has code 0. These are the same codes as the library's ID
// edge detector.
//
// Suppression. A pixel is an edgelet when its magnitude is at least the threshold (and
// above 0) and is a local maximum across the edge: its neighbours along the gradient
// direction, quantised to the nearest of the four axes 0, 45, 90 and 135 degrees, are
// compared. The quantisation is that of the angle code: the neighbour in front is the one
// in octant ((code + 16) >> 5) & 7 (0 right, 1 down-right, 2 down, ... 7 up-right), and the
// 8-bit magnitudes are compared. With the tie rule of the parameters set (thin != 0) the
// pixel must be greater than the neighbour in front (along the gradient) and at least the
// one behind, so of two equal maxima across the edge only the one in front is kept; with it
// clear (thin == 0) the pixel must be at least both, and both of two equal maxima are kept.
//
// The operator needs the 3x3 neighbourhood of a pixel inside the source window, so the
// window's one-pixel border has no magnitude, angle or edgelet: edgelet columns run from 1
// to width - 2 and rows from 1 to height - 2 of the source window. A pixel whose neighbour
// in front or behind lies in the border cannot be compared and is no edgelet. So every
// edgelet of a window is an edgelet of any larger window over the same pixels, and two
// windows that overlap by 4 rows (or columns) hold together every edgelet of their union,
// those of the two middle overlap rows possibly twice.
#pragma once

#include <stdint.h>

#include "kit/export.h"
#include "kit/image.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------------------------------
// Parameters. The three floats come first; callers rely on their order.

typedef struct csEdgeParams {
  float scale;      // magnitude gain, > 0 and finite (1: a quarter of the gradient length)
  float threshold;  // least magnitude of an edgelet, 0 .. 255
  float thin;       // tie rule of the suppression: non-zero keeps one of two equal maxima
  int32_t flags;    // reserved, 0
  int32_t reserved;  // not read
  int32_t step;     // pixel step of the detection, 1 (every pixel)
} csEdgeParams;

// scale 1, threshold 10, thin 1, flags 0, step 1.
CKIT_API extern const csEdgeParams csEdgeParamsDefault;

// ---------------------------------------------------------------------------------------
// Edgelets and edgelet lists.

typedef struct csEdge {
  int32_t pi;     // column, relative to the list's frame (below)
  int32_t pj;     // row
  float dx;       // unit gradient, each component within [-1, 1]
  float dy;
  uint8_t mag;    // magnitude
  uint8_t angle;  // angle code
  uint8_t pad[2];
} csEdge;

// A list of edgelets with a fixed capacity, set when it is made. Detecting into a list
// appends to it; a detection that finds more edgelets than fit fails with
// CSYS_STATUS_NO_MEMORY and leaves the list as it was before that detection.
typedef struct csEdgeList csEdgeList;

// *list = a new empty list for capacity edgelets (capacity >= 0), frame rule 0; the list
// and its storage come from the kit's allocator, so the allocation hook can make this fail
// (CSYS_STATUS_NO_MEMORY, *list = null).
CKIT_API int32_t csEdgeListNew(int32_t capacity, csEdgeList** list);
// Deletes *list (null accepted) and sets *list = null. The shape of a cleanup release.
CKIT_API int32_t csEdgeListDelete(csEdgeList** list);
// Empties the list and sets its frame rule. frame = 1: positions are relative to the
// window of the first image detected into the list after this call (by a detection that
// succeeds), and later detections (other windows of the same image, such as overlapping
// bands) are translated into that frame; frame = 0: each detection reports positions
// relative to its own window. reserved must be 0 (check).
CKIT_API int32_t csEdgeListInit(csEdgeList* list, int32_t frame, int32_t reserved);
// Number of edgelets held.
CKIT_API int32_t csEdgeListLen(const csEdgeList* list);
CKIT_API int32_t csEdgeListCapacity(const csEdgeList* list);
// The first edgelet, or null for an empty list; the one after edge, or null after the last.
CKIT_API const csEdge* csEdgeListFirst(const csEdgeList* list);
CKIT_API const csEdge* csEdgeListNext(const csEdgeList* list, const csEdge* edge);
// The n-th edgelet, 0 <= n < csEdgeListLen (check).
CKIT_API const csEdge* csEdgeListAt(const csEdgeList* list, int32_t n);
// dst becomes a copy of src (edgelets, frame rule); dst's capacity grows to src's length
// when it is smaller. On failure (CSYS_STATUS_NO_MEMORY) dst is unchanged.
CKIT_API int32_t csEdgeListAssign(csEdgeList* dst, const csEdgeList* src);

// Field access, as the library reads edgelets.
static inline int32_t csEdgePi(const csEdge* e) { return e->pi; }
static inline int32_t csEdgePj(const csEdge* e) { return e->pj; }
static inline float csEdgeDx(const csEdge* e) { return e->dx; }
static inline float csEdgeDy(const csEdge* e) { return e->dy; }
static inline uint8_t csEdgeMag(const csEdge* e) { return e->mag; }

// ---------------------------------------------------------------------------------------
// Chains: edgelets linked into curves. Two edgelets are linked when they are 8-neighbours
// and their angle codes differ by less than 32 (45 degrees) modulo 256; each edgelet has
// at most two links, the closest candidates (4-neighbours before diagonal ones) winning.
// A chain is a maximal path of links, listed from one end to the other (a closed loop
// starts anywhere); an edgelet without links is a chain of one.
// In detail: every 4-neighbour pair is offered first, then every diagonal pair, each
// sweep in row order; a pair is linked when both have fewer than two links, and a
// diagonal pair already sharing a linked neighbour is not (a staircase corner stays a
// path). A path starts at its end with the lower index, a loop at its lowest index and
// goes on towards the lower of its two neighbours; chains are in order of their lowest
// index. The result depends on the edgelets only.

typedef struct csEdgeChains {
  int32_t count;     // number of chains
  int32_t* starts;   // count + 1 offsets into members; chain c is members[starts[c] ..
                     // starts[c + 1] - 1] (null while no storage is held and count is 0)
  int32_t* members;  // edgelet indices into the list detected with the chains
  int32_t capacity;  // storage held (kit use)
} csEdgeChains;

// An empty chain record (never fails).
CKIT_API int32_t csEdgeChains_construct(csEdgeChains* chains);
CKIT_API int32_t csEdgeChains_destruct(csEdgeChains* chains);

// ---------------------------------------------------------------------------------------
// The detector's view of an image: an 8-bit window record. cxImage95 makes one from a kit
// image handle.

typedef struct csImage95 {
  cimg_window window;
} csImage95;

// Detects on the source's window.
// - magnitude, angle (each may be null): 8-bit images whose windows are 2 pixels narrower
//   and 2 rows lower than the source's; pixel (c, r) receives the value of source window
//   pixel (c + 1, r + 1). A different size is CIMG_STATUS_BAD_SIZE, nothing written.
// - list (may be null): the edgelets are appended; positions per the list's frame rule.
// - chains (may be null, needs list): replaced by the chains of the edgelets appended by
//   this call, indices counted from the list's start.
// Sources smaller than 3 x 3 have no interior: nothing is written or appended, status 0
// (the outputs' sizes are not checked then).
// Statuses: 0, CSYS_STATUS_NO_MEMORY (working rows, a full list, chain storage),
// CIMG_STATUS_BAD_SIZE. A failure leaves the list and chains as they were; the magnitude
// and angle images may be partly written.
CKIT_API int32_t csEdgeDetect(const csImage95* source, csImage95* magnitude, csImage95* angle,
                              csEdgeList* list, csEdgeChains* chains, const csEdgeParams* params);

#ifdef __cplusplus
}  // extern "C"

static_assert(sizeof(csEdge) == 20, "edgelets are packed in lists");

// Wraps a kit image for the detector: init takes the handle's current window (8-bit, bound;
// else CIMG_STATUS_UNBOUND or CIMG_STATUS_BAD_SIZE, and the wrapper is left unbound), and
// the conversion hands the detector its image pointer (null while unbound). The handle
// must outlive the wrapper's use; the wrapper holds no reference of its own.
class CKIT_API cxImage95 {
 public:
  cxImage95();
  int32_t init(const cimg_imageConst* image);
  int32_t init(const cimg_image* image);
  operator csImage95*() { return bound_ ? &image_ : nullptr; }

 private:
  csImage95 image_;
  bool bound_;
};
#endif
