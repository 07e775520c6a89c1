// Hysteresis thresholding of 8-bit edge-magnitude images.
//
// Pixels at or above the high threshold start edges; pixels at or above the low threshold
// join them through a stack-based scan-line fill: each popped pixel is extended into a
// horizontal run, and only the run's two end pixels look at the rows above and below. The
// result is built in an image of its own and handed to the destination at the very end, so
// a call that fails leaves the destination as it was.
#include <algorithm>
#include <cstring>

#include "ci_id/priv/ci_idut/edge.h"
#include "id/idut/frame/cleanup_frame.h"
#include "kit/pel.h"
#include "kit/system.h"

namespace {

// Rows of the fill between two polls of the attention check.
constexpr int32_t rowsPerPoll = 32;
// Entries of the smallest stack that a full stack grows to.
constexpr int64_t minimumGrownStack = 256;

struct hysteresisLabels {
  uint8_t low;
  uint8_t high;
  uint8_t background;
  uint8_t edge;
};

// A value that is neither label, for the middle band of the quantised work image.
uint8_t middleLabel(uint8_t background, uint8_t edge) {
  if (background != 0 && edge != 0) return 0;
  if (background != 1 && edge != 1) return 1;
  return 2;
}

// A pending pixel of the fill: its address in the result image and in the work image.
struct fillEntry {
  uint8_t* result;
  uint8_t* work;
};

// The fill's stack, in one kit block. A push onto a full stack moves the entries to a block
// twice the size. The fill marks a pixel visited when it pushes it, so it never has more
// entries pending than the area has pixels, and no block grows beyond that.
class fillStack {
 public:
  fillStack(int64_t capacity, int64_t pixels) : capacity_(capacity), pixels_(pixels) {}

  int32_t allocate() { return csys_memory_alloc_internal(bytes(capacity_), (void**)&entries_); }
  // The variable holding the block, for the caller's cleanup frame.
  fillEntry** block() { return &entries_; }

  bool empty() const { return size_ == 0; }
  fillEntry pop() { return entries_[--size_]; }
  int32_t push(uint8_t* result, uint8_t* work) {
    if (size_ == capacity_) {
      if (const int32_t status = grow(); status < 0) return status;
    }
    entries_[size_++] = fillEntry{result, work};
    return 0;
  }

 private:
  static size_t bytes(int64_t entries) { return size_t(entries) * sizeof(fillEntry); }

  int32_t grow() {
    const int64_t capacity = std::min(std::max(2 * capacity_, minimumGrownStack), pixels_);
    fillEntry* larger = nullptr;
    if (const int32_t status = csys_memory_alloc_internal(bytes(capacity), (void**)&larger);
        status < 0)
      return status;
    csys_memory_copy(bytes(size_), entries_, larger);
    void* smaller = entries_;
    entries_ = larger;
    capacity_ = capacity;
    return csys_memory_free_internal(&smaller);
  }

  fillEntry* entries_ = nullptr;
  int64_t size_ = 0;
  int64_t capacity_;
  const int64_t pixels_;
};

// The two images of the fill over the processing rectangle R: the work image W, a copy of
// the magnitudes in a one-pixel frame of the background label (visited pixels are
// overwritten with it), and the result image T.
struct fillPlanes {
  uint8_t* work;  // W at R's top-left pixel
  ptrdiff_t workStride;
  uint8_t* result;  // T at R's top-left pixel
  ptrdiff_t resultStride;
  int32_t width;
  int32_t height;
};

// The fill over W and T: seeds found row by row, each grown through the stack.
class hysteresisFill {
 public:
  hysteresisFill(const fillPlanes& planes, const hysteresisLabels& labels, fillStack* stack)
      : p_(planes),
        labels_(labels),
        stack_(*stack),
        workAround_{-p_.workStride - 1, -p_.workStride, -p_.workStride + 1,
                    p_.workStride + 1,  p_.workStride,  p_.workStride - 1},
        resultAround_{-p_.resultStride - 1, -p_.resultStride, -p_.resultStride + 1,
                      p_.resultStride + 1,  p_.resultStride,  p_.resultStride - 1} {}

  // Scans W row by row for seeds and grows each; *count += the pixels labelled edge.
  int32_t run(int32_t* count) {
    for (int32_t y = 0; y < p_.height; ++y) {
      if (y % rowsPerPoll == 0) {
        if (const int32_t status = csys_attention_check(); status < 0) return status;
      }
      uint8_t* work = p_.work + y * p_.workStride;
      uint8_t* result = p_.result + y * p_.resultStride;
      for (int32_t x = 0; x < p_.width; ++x) {
        if (work[x] < labels_.high) continue;
        work[x] = labels_.background;
        if (const int32_t status = stack_.push(result + x, work + x); status < 0) return status;
        if (const int32_t status = growSeed(count); status < 0) return status;
      }
    }
    return 0;
  }

 private:
  // Empties the stack: each entry becomes a horizontal run of edge pixels, whose end
  // pixels push their weak neighbours above and below. Labels and counts are kept in
  // locals, which the byte stores cannot alias.
  int32_t growSeed(int32_t* count) {
    const uint8_t low = labels_.low, background = labels_.background, edge = labels_.edge;
    const int32_t width = p_.width;
    int32_t edges = 0;
    int32_t status = 0;
    while (status >= 0 && !stack_.empty()) {
      const fillEntry e = stack_.pop();
      if (*e.result == background) {
        *e.result = edge;
        ++edges;
      }
      int32_t right = 0;
      while (right + 1 < width && e.work[right + 1] >= low) {
        ++right;
        e.work[right] = background;
        e.result[right] = edge;
      }
      int32_t left = 0;
      while (1 - left < width && e.work[left - 1] >= low) {
        --left;
        e.work[left] = background;
        e.result[left] = edge;
      }
      edges += right - left;
      status = pushNeighbours(e.result + right, e.work + right);
      if (status >= 0 && left != right) status = pushNeighbours(e.result + left, e.work + left);
    }
    *count += edges;
    return status;
  }

  // Pushes the weak pixels (low <= W < high) among the six neighbours above and below a
  // run's end pixel, in the order up-left, up, up-right, down-right, down, down-left.
  int32_t pushNeighbours(uint8_t* result, uint8_t* work) {
    for (int n = 0; n < 6; ++n) {
      uint8_t* w = work + workAround_[n];
      if (*w < labels_.low || *w >= labels_.high) continue;
      *w = labels_.background;
      if (const int32_t status = stack_.push(result + resultAround_[n], w); status < 0)
        return status;
    }
    return 0;
  }

  const fillPlanes p_;
  const hysteresisLabels labels_;
  fillStack& stack_;
  const ptrdiff_t workAround_[6];
  const ptrdiff_t resultAround_[6];
};

// Sets the one-pixel frame of an 8-bit image to value.
int32_t setFrame(const cimg_image* image, int32_t width, int32_t height, uint8_t value) {
  const cstd_rect32 sides[4] = {{0, 0, width, 1},
                                {0, height - 1, width, 1},
                                {0, 1, 1, height - 2},
                                {width - 1, 1, 1, height - 2}};
  for (const cstd_rect32& side : sides) {
    cimg_window window;
    if (const int32_t status = cimg_window_initWindow(&window, image, &side, nullptr); status < 0)
      return status;
    if (const int32_t status = cip_pelSet8(&window, value); status < 0) return status;
  }
  return 0;
}

// The quantising table of grow = 0: below low the background, from low to below high the
// middle label, from high on the edge label.
void fillQuantisingTable(const hysteresisLabels& labels, uint8_t middle, uint8_t table[256]) {
  std::memset(table, labels.background, labels.low);
  std::memset(table + labels.low, middle, size_t(labels.high - labels.low));
  std::memset(table + labels.high, labels.edge, size_t(256 - labels.high));
}

}  // namespace

extern "C" int32_t cip_edge_hysteresisThreshold(const cimg_imageConst* source,
                                                cimg_image* destination, uint8_t low, uint8_t high,
                                                int32_t* count, int32_t stackSize,
                                                uint8_t labelBackground, uint8_t labelEdge,
                                                int32_t grow) {
  CIDUT_CHECK(source != nullptr && destination != nullptr);
  CIDUT_CHECK(low <= high);
  // W marks visited pixels and its frame with the background label: a label the fill could
  // extend into would let it run past the frame and revisit pixels.
  CIDUT_CHECK(labelBackground < low);
  const hysteresisLabels labels{low, high, labelBackground, labelEdge};

  int32_t bound = 0;
  cimg_imageConst_getIsBound(source, &bound);
  if (!bound) return CIDUT_ERR_IMAGE_UNBOUND;
  cimg_windowConst in;
  if (const int32_t status = cimg_windowConst_init(&in, source); status < 0) return status;
  CIDUT_CHECK(in.pixelType == CIMG_TYPE_8);
  const uint8_t middle = middleLabel(labelBackground, labelEdge);

  // R, the processing rectangle: the source window, within a bound destination's window.
  // An unbound destination has no window to narrow it.
  cstd_rect32 area{in.x0, in.y0, in.width, in.height};
  int32_t destinationBound = 0;
  cimg_image_getIsBound(destination, &destinationBound);
  if (destinationBound) {
    cimg_window out;
    if (const int32_t status = cimg_window_init(&out, destination); status < 0) return status;
    CIDUT_CHECK(out.pixelType == CIMG_TYPE_8);
    if (out.storage == in.storage) {
      if (const int32_t status = cip_pelfunc_checkMemoryOverlap(&in, &out); status < 0)
        return status;
    }
    const cstd_rect32 outArea{out.x0, out.y0, out.width, out.height};
    cstd_rect32_intersect(&area, &outArea, &area);
  }
  const bool empty = area.width <= 0 || area.height <= 0;

  // T, W and the stack, held by a frame declared after them.
  cimg_image result, work;
  const int64_t pixels = int64_t{area.width} * area.height;
  fillStack stack(stackSize < 0 ? pixels : stackSize, pixels);
  ccCleanupFrame<3> frame;

  // T covers the source window grown by one pixel; R grown by one is set to the background
  // (all of T when R is empty, so that no pixel handed out is unset), then T is windowed
  // to R.
  const cstd_rect32 resultArea{in.x0 - 1, in.y0 - 1, in.width + 2, in.height + 2};
  if (frame.failed(cimg_image_constructRect(&result, CIMG_TYPE_8, &resultArea)))
    return frame.exit();
  frame.holdObject<cimg_image_destruct>(&result);
  const cstd_rect32 cleared =
      empty ? resultArea : cstd_rect32{area.x - 1, area.y - 1, area.width + 2, area.height + 2};
  cimg_window clearedWindow;
  if (frame.failed(cimg_window_initWindow(&clearedWindow, &result, &cleared, nullptr)) ||
      frame.failed(cip_pelSet8(&clearedWindow, labelBackground)))
    return frame.exit();
  const cstd_rect32 resultWindow = empty ? cstd_rect32{in.x0, in.y0, 0, 0} : area;
  if (frame.failed(cimg_image_setWindowRect(&result, &resultWindow, nullptr)) ||
      frame.failed(cimg_image_copyXforms(&result, source)))
    return frame.exit();

  int32_t edges = 0;
  if (!empty) {
    if (frame.failed(csys_attention_check())) return frame.exit();

    const int32_t workWidth = area.width + 2, workHeight = area.height + 2;
    if (frame.failed(cimg_image_construct(&work, CIMG_TYPE_8, workWidth, workHeight)))
      return frame.exit();
    frame.holdObject<cimg_image_destruct>(&work);
    if (frame.failed(setFrame(&work, workWidth, workHeight, labelBackground)) ||
        frame.failed(csys_attention_check()))
      return frame.exit();
    cimg_windowConst magnitudes;
    cimg_window workInside;
    const cstd_rect32 inside{1, 1, area.width, area.height};
    if (frame.failed(cimg_windowConst_initWindow(&magnitudes, source, &area, nullptr)) ||
        frame.failed(cimg_window_initWindow(&workInside, &work, &inside, nullptr)))
      return frame.exit();

    if (grow) {
      if (frame.failed(cip_pelCopy8(&magnitudes, &workInside))) return frame.exit();
      if (frame.failed(stack.allocate())) return frame.exit();
      frame.holdBlock(stack.block());
      cimg_window resultInside;
      if (frame.failed(cimg_window_init(&resultInside, &result))) return frame.exit();
      const fillPlanes planes{static_cast<uint8_t*>(workInside.pixels),
                              workInside.stride,
                              static_cast<uint8_t*>(resultInside.pixels),
                              resultInside.stride,
                              area.width,
                              area.height};
      if (frame.failed(hysteresisFill(planes, labels, &stack).run(&edges))) return frame.exit();
    } else {
      uint8_t table[256];
      fillQuantisingTable(labels, middle, table);
      if (frame.failed(cip_pelMap8(&magnitudes, &workInside, table))) return frame.exit();
    }
  }

  if (frame.failed(csys_attention_check())) return frame.exit();
  if (count != nullptr) *count = edges;
  if (!destinationBound) {
    frame.failed(cimg_image_assign(destination, &result));
    return frame.exit();
  }
  cimg_windowConst from;
  cimg_window to;
  if (frame.failed(cimg_windowConst_init(&from, cimg_image_asConst(&result))) ||
      frame.failed(cimg_window_initWindow(&to, destination, &area, nullptr)))
    return frame.exit();
  frame.failed(cip_pelCopy8(&from, &to));
  return frame.exit();
}
