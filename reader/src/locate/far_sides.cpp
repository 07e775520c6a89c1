// The far sides of a found symbol: on the convex hull of its contour, or else from the
// first ink met coming in across them.
#include "far_sides.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "clock_tracks.h"
#include "contour_hull.h"
#include "grey_sampler.h"

namespace {

using point = idread_hullPoint;
point operator-(point a, point b) { return {a.x - b.x, a.y - b.y}; }
point operator+(point a, point b) { return {a.x + b.x, a.y + b.y}; }
point operator*(double s, point a) { return {s * a.x, s * a.y}; }
double cross(point a, point b) { return a.x * b.y - a.y * b.x; }
double dot(point a, point b) { return a.x * b.x + a.y * b.y; }
double length(point a) { return std::hypot(a.x, a.y); }
point unit(point a) { return (1 / length(a)) * a; }

struct line {
  point from, direction;  // direction of unit length
};

// False for parallel lines.
bool intersect(const line& a, const line& b, point* p) {
  const double d = cross(a.direction, b.direction);
  if (d == 0) return false;
  *p = a.from + (cross(b.from - a.from, b.direction) / d) * a.direction;
  return true;
}

// A found symbol in the window's pixel coordinates: the L's corner, the ends of its legs
// and the opposite corner the finder completed.
struct quad {
  point corner, xEnd, opposite, yEnd;
  point centre() const { return 0.25 * (corner + xEnd + opposite + yEnd); }
  double shorterLeg() const { return std::min(length(xEnd - corner), length(yEnd - corner)); }
};

// ---------------------------------------------------------------------------------------
// On the contour. Where the contour reaches the clock modules, its convex hull runs along
// a far side in nearly collinear edges from the first ink module to the last.

// The hull along the side from a to b: the longest run of consecutive hull edges within
// 20 degrees of the side, nearer it than `reach` (at their middles) and turning by less
// than 6 degrees from one edge of 2 pixels or more to the next (where the contour misses
// the modules at a corner, the hull cuts across them at a sharper turn), as the line from
// the run's first vertex to its last; the run must cover a third of the side.
bool hullAlong(const std::vector<point>& hull, point a, point b, double reach, line* along) {
  const point side = b - a;
  const double sideLength = length(side);
  const double sin20 = 0.342, sin6 = 0.1045, steadyLength = 2.0;
  const size_t n = hull.size();
  auto edge = [&](size_t i) { return hull[(i + 1) % n] - hull[i % n]; };
  auto isAlong = [&](size_t i) {
    const point d = edge(i);
    return std::abs(cross(d, side)) <= sin20 * length(d) * sideLength &&
           std::abs(cross(hull[i % n] + 0.5 * d - a, side)) / sideLength <= reach;
  };
  // Start the scan after an edge that is not along the side, so runs do not wrap.
  size_t start = 0;
  while (start < n && isAlong(start)) ++start;
  if (start == n) return false;
  double best = sideLength / 3;
  bool found = false;
  for (size_t i = start + 1; i <= start + n;) {
    if (!isAlong(i)) {
      ++i;
      continue;
    }
    const size_t first = i;
    double runLength = 0;
    point heading = edge(i);
    for (; i <= start + n && isAlong(i); ++i) {
      const point d = edge(i);
      if (length(d) >= steadyLength) {
        if (length(heading) >= steadyLength &&
            std::abs(cross(heading, d)) > sin6 * length(heading) * length(d))
          break;
        heading = d;
      }
      runLength += length(d);
    }
    if (runLength > best) {
      best = runLength;
      const point from = hull[first % n];
      *along = line{from, unit(hull[i % n] - from)};
      found = true;
    }
  }
  return found;
}

bool farSidesOnContour(const cbt_result& contour, const quad& q, line* farX, line* farY) {
  const std::vector<point> hull = idread_contourHull(contour);
  if (hull.size() < 3) return false;
  return hullAlong(hull, q.xEnd, q.opposite, length(q.xEnd - q.corner) / 5, farX) &&
         hullAlong(hull, q.yEnd, q.opposite, length(q.yEnd - q.corner) / 5, farY);
}

// ---------------------------------------------------------------------------------------
// On the image. Coming in from the quiet zone across a far side, the first ink met lies
// on the side wherever a clock module is ink and a module deeper elsewhere; the line most
// of those points share is the side.

constexpr double pointSpacing = 2.0;  // pixels between profiles along a side
constexpr double stepIn = 0.5;        // pixels between samples of a profile
constexpr double onLine = 0.8;        // pixels from a line that count as on it

// The first ink met along each profile that crosses the side from a to b, coming in from
// `reach` pixels outside to `reach` inside, after the quiet zone's space: ground beyond a
// narrow quiet zone may be as dark as ink.
std::vector<point> firstInk(const ccGreySampler& sampler, point a, point b, point outward,
                            double reach, double threshold, bool darkInk) {
  const point u = unit(b - a);
  const double sideLength = length(b - a);
  std::vector<point> points;
  auto isInk = [&](double g) { return (g < threshold) == darkInk; };
  for (double t = 0.05 * sideLength; t <= 0.95 * sideLength; t += pointSpacing) {
    const point start = a + t * u + reach * outward;
    double space = -1;  // the grey of the last space sample
    for (double s = 0; s <= 2 * reach; s += stepIn) {
      const point p = start - s * outward;
      const double g = sampler.bilinear(p.x, p.y);
      if (g < 0) break;
      if (!isInk(g)) {
        space = g;
      } else if (space >= 0) {
        points.push_back(p + ((g - threshold) / (g - space) * stepIn) * outward);
        break;
      }
    }
  }
  return points;
}

// The line most of the points lie on: each line through a point of the first half and
// the point half the list later is tried; the best is refitted to its points by least
// squares. False when it holds less than a quarter of `expected` points.
bool sharedLine(const std::vector<point>& points, size_t expected, line* best) {
  const size_t half = points.size() / 2;
  size_t bestCount = std::max<size_t>(6, expected / 4) - 1;
  bool found = false;
  auto isOn = [&](const point& p, const line& l) {
    return std::abs(cross(p - l.from, l.direction)) <= onLine;
  };
  for (size_t i = 0; i < half; ++i) {
    const point d = points[i + half] - points[i];
    if (length(d) == 0) continue;
    const line candidate{points[i], unit(d)};
    size_t count = 0;
    for (const point& p : points) count += isOn(p, candidate);
    if (count > bestCount) {
      bestCount = count;
      *best = candidate;
      found = true;
    }
  }
  if (!found) return false;
  // Least squares through the points on it: the principal axis of their spread.
  point mean{0, 0};
  std::vector<point> on;
  for (const point& p : points)
    if (isOn(p, *best)) on.push_back(p);
  for (const point& p : on) mean = mean + (1.0 / on.size()) * p;
  double sxx = 0, sxy = 0, syy = 0;
  for (const point& p : on) {
    const point d = p - mean;
    sxx += d.x * d.x, sxy += d.x * d.y, syy += d.y * d.y;
  }
  const double angle = 0.5 * std::atan2(2 * sxy, sxx - syy);
  point direction{std::cos(angle), std::sin(angle)};
  if (dot(direction, best->direction) < 0) direction = -1.0 * direction;
  *best = line{mean, direction};
  return true;
}

bool farSidesOnImage(const ccGreySampler& sampler, const quad& q, int32_t threshold, line* farX,
                     line* farY) {
  // The ink's side of the threshold: that of the middle of the L's first leg, just inside.
  const point legMiddle = 0.5 * (q.corner + q.xEnd);
  const point inward = unit(q.centre() - legMiddle);
  const double ink = sampler.bilinear(legMiddle.x + inward.x, legMiddle.y + inward.y);
  if (ink < 0) return false;
  const bool darkInk = ink < threshold;
  const double reach = std::clamp(0.1 * q.shorterLeg(), 3.0, 12.0);
  auto measure = [&](point a, line* side) {
    const point along = q.opposite - a;
    point outward = unit(point{-along.y, along.x});
    if (dot(outward, a - q.centre()) < 0) outward = -1.0 * outward;
    const std::vector<point> points =
        firstInk(sampler, a, q.opposite, outward, reach, threshold, darkInk);
    return sharedLine(points, size_t(0.9 * length(along) / pointSpacing), side);
  };
  return measure(q.xEnd, farX) && measure(q.yEnd, farY);
}

}  // namespace

bool idread_measureFarSides(const cimg_image* image, const cbt_result& contour,
                          idread_symbol* symbol) {
  const ccGreySampler sampler(image);
  point c[4];
  for (int32_t i = 0; i < 4; ++i) {
    const cmath_vect w = sampler.toWindow(symbol->corners[i]);
    c[i] = point{w.x, w.y};
  }
  const quad q{c[0], c[1], c[2], c[3]};
  const line legX{q.corner, unit(q.xEnd - q.corner)};
  const line legY{q.corner, unit(q.yEnd - q.corner)};
  // The symbol moved onto measured far sides, if the corners stay near and the clock
  // tracks run along the new sides (a contour that leaked into dark ground past a narrow
  // quiet zone gives a side out in the ground).
  int32_t foundRuns = -1;  // the clock-track runs on the finder's far sides, once needed
  auto movedOnto = [&](const line& farX, const line& farY) {
    point xEnd, yEnd, opposite;
    if (!intersect(legX, farX, &xEnd) || !intersect(legY, farY, &yEnd) ||
        !intersect(farX, farY, &opposite))
      return false;
    const double limit = q.shorterLeg() / 4;
    if (length(xEnd - q.xEnd) > limit || length(yEnd - q.yEnd) > limit ||
        length(opposite - q.opposite) > limit)
      return false;
    idread_symbol moved = *symbol;
    const point corners[3] = {xEnd, opposite, yEnd};
    for (int32_t i = 0; i < 3; ++i) moved.corners[i + 1] = sampler.toClient(corners[i].x, corners[i].y);
    moved.fourthCornerInferred = 0;
    ccClockTrackCheck tracks;
    if (!idread_symbol_hasClockTracks(image, moved, &tracks)) return false;
    // Where the contour misses clock modules its hull may cut across data modules, at a
    // slant the corner limit lets pass; such sides meet fewer runs than the finder's. A
    // move of less than a module is not worth the check.
    const double module = tracks.modulePitch();
    const bool small = length(xEnd - q.xEnd) < module && length(yEnd - q.yEnd) < module &&
                       length(opposite - q.opposite) < module;
    if (!small && foundRuns < 0) {
      ccClockTrackCheck found;
      foundRuns = idread_symbol_hasClockTracks(image, *symbol, &found) ? found.runs() : 0;
    }
    if (!small && tracks.runs() < foundRuns) return false;
    moved.pitch = module;
    *symbol = moved;
    return true;
  };
  line farX, farY;  // the side through the x-side end, and the one through the y-side end
  return (farSidesOnContour(contour, q, &farX, &farY) && movedOnto(farX, farY)) ||
         (farSidesOnImage(sampler, q, symbol->threshold, &farX, &farY) && movedOnto(farX, farY));
}
