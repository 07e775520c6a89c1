// Clipping scan lines, segments and rays to window ROIs. The part kept lies inside the box
// of usable pixel centres and on the input shape, runs the shape's way, and is all of the
// shape that the box holds.
//
// Tolerances, in 1/16 px: a line's crossing with the box is found by one truncating
// division along one axis, so it lies on the line's carrier (foot, dir) to within 1 and
// exactly on the box. A segment's ends are cut by a 16.16 fraction of the segment,
// truncated, then moved by a flooring shift: inside the box and on the segment to within
// 2 as long as the segment spans less than 2^15 (the cut's product is formed in 32 bits).
#include "ci_id/priv/ci_idut/scan.h"
#include "fuzz_support.h"
#include "kit/system.h"

namespace {

struct box {
  double loX, loY, hiX, hiY;
  explicit box(const cidc_windowROI& roi)
      : loX(double(roi.loX16)), loY(double(roi.loY16)), hiX(double(roi.hiX16)),
        hiY(double(roi.hiY16)) {}
  bool holds(const cidc_point64& p, double tolerance) const {
    return p.x >= loX - tolerance && p.x <= hiX + tolerance && p.y >= loY - tolerance &&
           p.y <= hiY + tolerance;
  }
  bool onBoundary(const cidc_point64& p) const {
    return p.x == loX || p.x == hiX || p.y == loY || p.y == hiY;
  }
  // How far p lies inside the box (negative outside).
  double depth(double x, double y) const {
    return std::min(std::min(x - loX, hiX - x), std::min(y - loY, hiY - y));
  }
};

// Signed distance of p from the line through (fx, fy) along (ux, uy), 1/16 px.
double across(const cidc_point64& p, double fx, double fy, double ux, double uy) {
  return ((p.x - fx) * uy - (p.y - fy) * ux) / std::hypot(ux, uy);
}

double along(const cidc_point64& p, double fx, double fy, double ux, double uy) {
  return ((p.x - fx) * ux + (p.y - fy) * uy) / std::hypot(ux, uy);
}

cidc_windowROI randomROI(fuzz_input& in) {
  cimg_windowConst window{};
  window.width = int32_t(in.range(2, 4096));
  window.height = int32_t(in.range(2, 4096));
  window.x0 = int32_t(in.range(-1024, 1024));
  window.y0 = int32_t(in.range(-1024, 1024));
  const int32_t marginX = int32_t(in.range(0, (window.width - 2) / 2));
  const int32_t marginY = int32_t(in.range(0, (window.height - 2) / 2));
  cidc_windowROI roi;
  switch (in.range(0, 2)) {
    case 0:
      cidc_windowROI_initCorner(&roi, &window, marginX, marginY);
      break;
    case 1:
      cidc_windowROI_initCenter(&roi, &window, marginX, marginY);
      break;
    default:
      cidc_windowROI_init(&roi, &window, marginX, marginY, int32_t(in.range(-8192, 8192)),
                          int32_t(in.range(-8192, 8192)));
  }
  return roi;
}

cidc_point64 randomPoint(fuzz_input& in, int64_t reach) {
  return {in.range(-reach, reach), in.range(-reach, reach)};
}

cidc_unitDir16 randomDir(fuzz_input& in) {
  cidc_unitDir16 dir;
  cidc_unitDir16_initVect(&dir, int32_t(in.range(-0x7FFFFFFF, 0x7FFFFFFF)),
                          int32_t(in.range(-0x7FFFFFFF, 0x7FFFFFFF)));
  return dir;
}

// The clipped line: exactly on the box's boundary at both ends, on the line, its way, and
// present whenever the line passes through the box's interior.
void checkLine(const cidc_scanLine& line, const box& b, const cidc_scanLineSeg& out) {
  const double fx = double(line.footX), fy = double(line.footY);
  const double ux = line.dir.x, uy = line.dir.y;
  const double cx = (b.loX + b.hiX) / 2, cy = (b.loY + b.hiY) / 2;
  const double centreOffset = std::fabs(across({int64_t(cx), int64_t(cy)}, fx, fy, ux, uy));
  if (out.isDegenerate) {
    FUZZ_REQUIRE(centreOffset + 2 >= b.depth(cx, cy));
    return;
  }
  for (const cidc_point64& p : out.pt) {
    FUZZ_REQUIRE(b.holds(p, 0) && b.onBoundary(p));
    FUZZ_REQUIRE(std::fabs(across(p, fx, fy, ux, uy)) <= 1.0);
  }
  FUZZ_REQUIRE(along(out.pt[1], fx, fy, ux, uy) >= along(out.pt[0], fx, fy, ux, uy) - 1.0);
}

void clipLine(fuzz_input& in, const cidc_windowROI& roi) {
  cidc_scanLine line;
  if (in.flag()) {
    const uint16_t angle = uint16_t(in.range(0, 0xFFFF));
    const cidc_point64 offset = randomPoint(in, 1 << 16);
    cidc_scanLine_initDirDist(&line, &angle, in.range(-(1 << 20), 1 << 20),
                              in.flag() ? &offset : nullptr);
  } else {
    const cidc_point64 point = randomPoint(in, 1 << 20);
    const cidc_unitDir16 dir = randomDir(in);
    cidc_scanLine_initPointDir(&line, &point, &dir);
  }
  cidc_scanLineSeg out;
  FUZZ_REQUIRE(cidc_scanLine_clip(&line, &roi, &out) == 0);
  checkLine(line, box(roi), out);
}

void clipSegment(fuzz_input& in, const cidc_windowROI& roi) {
  cidc_point64 ends[2];
  ends[0] = randomPoint(in, 1 << 17);
  const int64_t reach = (1 << 15) / 2 - 1;  // each axis, so that the span stays below 2^15
  ends[1] = {ends[0].x + in.range(-reach, reach), ends[0].y + in.range(-reach, reach)};
  if (ends[0].x == ends[1].x && ends[0].y == ends[1].y) return;
  cidc_scanLineSeg seg, out;
  FUZZ_REQUIRE(cidc_scanLineSeg_initPoints(&seg, ends, nullptr) == 0);
  FUZZ_REQUIRE(cidc_scanLineSeg_clip(&seg, &roi, &out) == 0);

  const box b(roi);
  const double fx = double(ends[0].x), fy = double(ends[0].y);
  const double ux = double(ends[1].x - ends[0].x), uy = double(ends[1].y - ends[0].y);
  const double length = std::hypot(ux, uy);
  const bool inside = b.holds(ends[0], 0) && b.holds(ends[1], 0);
  if (out.isDegenerate) {
    const double mx = fx + ux / 2, my = fy + uy / 2;
    FUZZ_REQUIRE(!inside && b.depth(mx, my) <= 2.0);
    return;
  }
  if (inside)
    FUZZ_REQUIRE(out.pt[0].x == ends[0].x && out.pt[0].y == ends[0].y &&
                 out.pt[1].x == ends[1].x && out.pt[1].y == ends[1].y);
  for (const cidc_point64& p : out.pt) {
    FUZZ_REQUIRE(b.holds(p, 2.0));
    FUZZ_REQUIRE(std::fabs(across(p, fx, fy, ux, uy)) <= 2.0);
    const double a = along(p, fx, fy, ux, uy);
    FUZZ_REQUIRE(a >= -2.0 && a <= length + 2.0);
  }
  FUZZ_REQUIRE(along(out.pt[1], fx, fy, ux, uy) >= along(out.pt[0], fx, fy, ux, uy) - 2.0);
}

// A failed argument check, thrown so that a target can tell where it fired.
struct argumentCheck {};
[[noreturn]] void throwArgumentCheck(int32_t) { throw argumentCheck{}; }

// A ray whose origin lies in the box keeps the line's part from its origin on; one that
// starts outside is its whole clipped line. The kept part's ends are compared by the
// centres of their pixels, which run backwards when the origin lies within a pixel of the
// end it is paired with but across a pixel boundary: that, and only that, fails the
// segment's argument check.
void clipRay(fuzz_input& in, const cidc_windowROI& roi) {
  const cidc_point64 origin = randomPoint(in, 1 << 17);
  const cidc_unitDir16 dir = randomDir(in);
  cidc_scanRay ray;
  cidc_scanRay_initPointDir(&ray, &origin, &dir, nullptr);
  cidc_scanLineSeg out, lineOut;
  FUZZ_REQUIRE(cidc_scanLine_clip(&ray.line, &roi, &lineOut) == 0);
  const box b(roi);
  const cstd_assertHandler previous = cstd_assert_setHandler(throwArgumentCheck);
  bool checked = false;
  try {
    FUZZ_REQUIRE(cidc_scanRay_clip(&ray, &roi, &out) == 0);
  } catch (const argumentCheck&) {
    checked = true;
  }
  cstd_assert_setHandler(previous);
  if (checked) {
    FUZZ_REQUIRE(b.holds(origin, 0) && !lineOut.isDegenerate);
    auto distance = [&](const cidc_point64& p) {
      return std::hypot(double(origin.x - p.x), double(origin.y - p.y));
    };
    FUZZ_REQUIRE(std::min(distance(lineOut.pt[0]), distance(lineOut.pt[1])) < 2 * 16);
    return;
  }
  if (!b.holds(origin, 0) || lineOut.isDegenerate) {
    FUZZ_REQUIRE(out.isDegenerate == lineOut.isDegenerate);
    FUZZ_REQUIRE(out.isDegenerate || (out.pt[0].x == lineOut.pt[0].x &&
                                      out.pt[0].y == lineOut.pt[0].y &&
                                      out.pt[1].x == lineOut.pt[1].x &&
                                      out.pt[1].y == lineOut.pt[1].y));
    return;
  }
  FUZZ_REQUIRE(!out.isDegenerate);
  const double fx = double(ray.line.footX), fy = double(ray.line.footY);
  const double ux = ray.line.dir.x, uy = ray.line.dir.y;
  // One end is the origin itself (which the carrier holds only as closely as its foot is
  // rounded); the other is the line's crossing with the box.
  const bool startsAtOrigin = out.pt[0].x == origin.x && out.pt[0].y == origin.y;
  const bool endsAtOrigin = out.pt[1].x == origin.x && out.pt[1].y == origin.y;
  FUZZ_REQUIRE(startsAtOrigin || endsAtOrigin);
  const cidc_point64& crossing = out.pt[startsAtOrigin ? 1 : 0];
  FUZZ_REQUIRE(b.holds(crossing, 0) && b.onBoundary(crossing));
  FUZZ_REQUIRE(std::fabs(across(crossing, fx, fy, ux, uy)) <= 1.0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_input in(data, size);
  const cidc_windowROI roi = randomROI(in);
  switch (in.range(0, 2)) {
    case 0:
      clipLine(in, roi);
      break;
    case 1:
      clipSegment(in, roi);
      break;
    default:
      clipRay(in, roi);
  }
  return 0;
}
