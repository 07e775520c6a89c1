// The least-squares fitter and cidut_lineFitting: exact lines through collinear points in
// every orientation, scatters without a direction, the error sums against direct sums,
// and transformed fitters against fitting the transformed points.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "ci_id/priv/ci_idut/linefit.h"
#include "support/hooks.h"

namespace {

constexpr double pi = std::numbers::pi;

double distanceOf(const cidut_line& line, const cx2Vect& p) {
  double distance;
  cidut_line_getDistToPoint(&line, &p.vect(), &distance);
  return distance;
}

double sumOfSquaredDistances(const cidut_line& line, const cxVector<cx2Vect>& points) {
  double sum = 0;
  for (const cx2Vect& p : points) sum += distanceOf(line, p) * distanceOf(line, p);
  return sum;
}

cxVector<cx2Vect> noisyPoints(std::mt19937& random, int count) {
  std::normal_distribution<double> noise(0.0, 0.3);
  std::uniform_real_distribution<double> along(-20.0, 20.0);
  cxVector<cx2Vect> points;
  for (int i = 0; i < count; ++i) {
    const double t = along(random);
    points.pushBack(cx2Vect(4 + 0.8 * t + noise(random), -3 + 0.6 * t + noise(random)));
  }
  return points;
}

TEST(Fitter, ExactLinesThroughCollinearPointsInEveryOrientation) {
  for (int step = 0; step < 48; ++step) {  // every 7.5 degrees; axis directions exactly
    const double angle = step * pi / 24;
    const cx2Vect dir = step % 12 == 0
                            ? cx2Vect(std::round(std::cos(angle)), std::round(std::sin(angle)))
                            : cx2Vect(std::cos(angle), std::sin(angle));
    const cx2Vect origin(3.5, -2);
    cxVector<cx2Vect> points;
    cmath_vect array[6];
    int count = 0;
    for (double t : {-3.0, -1.0, 0.0, 2.0, 5.0, 8.0}) {
      points.pushBack(origin + dir * t);
      array[count++] = (origin + dir * t).vect();
    }
    SCOPED_TRACE(step);
    const ccCidLSLineFitter fitter(points);
    cidut_line exact;
    cidut_line_initDirPos(&exact, &dir.vect(), &origin.vect());
    EXPECT_NEAR(fitter.error(exact), 0, 1e-9);

    cidut_line line, withError, plain;
    double error = -1;
    ASSERT_TRUE(fitter.fit(line));
    ASSERT_TRUE(fitter.fitAndError(&withError, &error));
    ASSERT_EQ(cidut_lineFitting(&plain, array, count), 0);
    for (const cidut_line& fitted : {line, withError, plain}) {
      EXPECT_NEAR(fitted.dir.x * dir.y() - fitted.dir.y * dir.x(), 0, 1e-9);
      for (const cx2Vect& p : points) EXPECT_NEAR(distanceOf(fitted, p), 0, 1e-9);
      EXPECT_GT(distanceOf(fitted, cx2Vect()), 0);  // the origin on the normal's side
    }
    EXPECT_NEAR(plain.dir.y, line.dir.y, 1e-12);
    EXPECT_NEAR(error, 0, 1e-9);
    // cidut_lineFitting places pos at the foot of the perpendicular from the origin.
    EXPECT_NEAR(plain.pos.x * plain.dir.x + plain.pos.y * plain.dir.y, 0, 1e-9);
  }
}

TEST(Fitter, AxisAlignedLinesTakeTheConventionalDirection) {
  const cmath_vect horizontal[3] = {{0, 1}, {1, 1}, {2, 1}};
  cidut_line line;
  ASSERT_EQ(cidut_lineFitting(&line, horizontal, 3), 0);
  EXPECT_DOUBLE_EQ(line.dir.x, 1);
  EXPECT_DOUBLE_EQ(line.dir.y, 0);
  EXPECT_DOUBLE_EQ(line.pos.x, 0);
  EXPECT_DOUBLE_EQ(line.pos.y, 1);
  // Principal axis (0, 1) leaves the origin at distance -1, so the direction turns round.
  const cmath_vect vertical[3] = {{1, 0}, {1, 1}, {1, 2}};
  ASSERT_EQ(cidut_lineFitting(&line, vertical, 3), 0);
  EXPECT_DOUBLE_EQ(line.dir.x, 0);
  EXPECT_DOUBLE_EQ(line.dir.y, -1);
  EXPECT_DOUBLE_EQ(line.pos.x, 1);
  EXPECT_DOUBLE_EQ(line.pos.y, 0);
}

TEST(Fitter, NoLineForTooFewPointsOrAnIsotropicScatter) {
  cxVector<cx2Vect> square;
  for (const cx2Vect& p : {cx2Vect(0, 0), cx2Vect(2, 0), cx2Vect(2, 2), cx2Vect(0, 2)})
    square.pushBack(p);
  cxVector<cx2Vect> one(1, cx2Vect(1, 1)), same(3, cx2Vect(5, 5));
  for (const cxVector<cx2Vect>* points : {&square, &one, &same}) {
    const ccCidLSLineFitter fitter(*points);
    cidut_line line{{7, 7}, {7, 7}};
    double error = 9;
    EXPECT_FALSE(fitter.fit(line));
    EXPECT_FALSE(fitter.fitAndError(&line, &error));
    EXPECT_EQ(line.pos.x, 7);
    EXPECT_EQ(error, 9);
    try {
      fitter.fit();
      ADD_FAILURE() << "no exception";
    } catch (const cxException& e) {
      EXPECT_EQ(e.status(), CIDUT_ERR_NO_LINE_FIT);
      EXPECT_STREQ(e.message(), "");
    }
  }
  const cmath_vect corners[4] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
  cidut_line line{{7, 7}, {7, 7}};
  EXPECT_EQ(cidut_lineFitting(&line, corners, 4), 0);
  EXPECT_EQ(line.dir.x, 7);
  EXPECT_CHECK_FAILS(cidut_lineFitting(nullptr, corners, 2));
  EXPECT_CHECK_FAILS(cidut_lineFitting(&line, nullptr, 2));
  EXPECT_CHECK_FAILS(cidut_lineFitting(&line, corners, 0));
}

TEST(Fitter, ErrorSumsMatchDirectSumsAndTheFitMinimisesThem) {
  std::mt19937 random(11);
  const cxVector<cx2Vect> points = noisyPoints(random, 40);
  const ccCidLSLineFitter fitter(points);
  for (double angle : {0.0, 0.4, pi / 2, 2.5, -1.2}) {
    cidut_line line;
    const cmath_vect through{1, -2};
    cidut_line_initAngPos(&line, angle, &through);
    const double direct = sumOfSquaredDistances(line, points);
    EXPECT_NEAR(fitter.error(line), direct, 1e-9 * direct);
  }
  cidut_line best;
  double error;
  ASSERT_TRUE(fitter.fitAndError(&best, &error));
  EXPECT_NEAR(error, sumOfSquaredDistances(best, points), 1e-9);
  for (double turn : {-0.01, 0.01}) {
    cidut_line turned;
    cidut_line_initAngPos(&turned, std::atan2(best.dir.y, best.dir.x) + turn, &best.pos);
    EXPECT_GT(sumOfSquaredDistances(turned, points), error);
  }
}

TEST(Fitter, SumsCombineAndReset) {
  std::mt19937 random(5);
  const cxVector<cx2Vect> points = noisyPoints(random, 20);
  ccCidLSLineFitter first, second;
  for (size_t i = 0; i < points.size(); ++i) (i < 7 ? first : second).update(points[i]);
  const ccCidLSLineFitter all(points);
  const cidut_line expected = all.fit();
  ccCidLSLineFitter merged = first + second;
  EXPECT_EQ(merged.numPoints(), 20);
  EXPECT_NEAR(merged.fit().dir.x, expected.dir.x, 1e-12);
  first += second;
  EXPECT_NEAR(first.error(expected), all.error(expected), 1e-9);
  merged.reset();
  EXPECT_EQ(merged.numPoints(), 0);
}

TEST(Fitter, TransformedFitterFitsTheTransformedPoints) {
  std::mt19937 random(3);
  const cxVector<cx2Vect> points = noisyPoints(random, 25);
  const cx2Xform shear(cx2Matrix(1.5, 0.4, -0.2, 0.9), cx2Vect(-30, 12));
  const cx2Xform turn(cx2Matrix::rotation(cxRadian(2.2)), cx2Vect(5, 40));
  for (const cx2Xform& xform : {shear, turn, turn * shear}) {
    cxVector<cx2Vect> mapped;
    for (const cx2Vect& p : points) mapped.pushBack(xform * p);
    const cidut_line expected = ccCidLSLineFitter(mapped).fit();
    const ccCidLSLineFitter transformed = xform * ccCidLSLineFitter(points);
    const cidut_line line = transformed.fit();
    EXPECT_NEAR(line.dir.x, expected.dir.x, 1e-9);
    EXPECT_NEAR(line.dir.y, expected.dir.y, 1e-9);
    EXPECT_NEAR(distanceOf(line, cx2Vect()), distanceOf(expected, cx2Vect()), 1e-7);
    EXPECT_NEAR(transformed.error(expected), sumOfSquaredDistances(expected, mapped), 1e-6);
  }
}

}  // namespace
