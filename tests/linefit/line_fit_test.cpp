// Line fitting: exact lines, isotropic scatters, error sums, transformed fitters, outliers.
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

cxVector<cx2Vect> makePoints(std::initializer_list<cx2Vect> list) {
  cxVector<cx2Vect> points;
  for (const cx2Vect& p : list) points.pushBack(p);
  return points;
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

cidut_linefit_params makeParams(int32_t numIgnore, double maxError) {
  cidut_linefit_params params;
  EXPECT_EQ(cidut_linefit_params_set(&params, numIgnore, maxError), 0);
  return params;
}

TEST(Fitter, ExactLinesThroughCollinearPointsInEveryOrientation) {
  for (int step : {3, 4}) {  // 67.5 degrees, and the y axis exactly
    const double angle = step * pi / 8;
    const cx2Vect dir = step % 4 == 0
                            ? cx2Vect(std::round(std::cos(angle)), std::round(std::sin(angle)))
                            : cx2Vect(std::cos(angle), std::sin(angle));
    const cx2Vect origin(3.5, -2);
    cxVector<cx2Vect> points;
    cmath_vect array[4];
    for (int i = 0; i < 4; ++i) {
      points.pushBack(origin + dir * (3.0 * i - 2));
      array[i] = points[i].vect();
    }
    SCOPED_TRACE(step);
    cidut_line withError, plain;
    double error = -1;
    ASSERT_TRUE(ccCidLSLineFitter(points).fitAndError(&withError, &error));
    ASSERT_EQ(cidut_lineFitting(&plain, array, 4), 0);
    for (const cidut_line& fitted : {withError, plain}) {
      EXPECT_NEAR(fitted.dir.x * dir.y() - fitted.dir.y * dir.x(), 0, 1e-9);
      for (const cx2Vect& p : points) EXPECT_NEAR(distanceOf(fitted, p), 0, 1e-9);
      EXPECT_GT(distanceOf(fitted, cx2Vect()), 0);  // the origin on the normal's side
    }
    EXPECT_NEAR(error, 0, 1e-9);
    // pos at the foot of the perpendicular from the origin.
    EXPECT_NEAR(plain.pos.x * plain.dir.x + plain.pos.y * plain.dir.y, 0, 1e-9);
  }
}

TEST(Fitter, NoLineForTooFewPointsOrAnIsotropicScatter) {
  const cxVector<cx2Vect> square = makePoints({{0, 0}, {2, 0}, {2, 2}, {0, 2}});
  const cxVector<cx2Vect> one(1, cx2Vect(1, 1));
  for (const cxVector<cx2Vect>* points : {&square, &one}) {
    const ccCidLSLineFitter fitter(*points);
    cidut_line line{{7, 7}, {7, 7}};
    double error = 9;
    EXPECT_FALSE(fitter.fit(line) || fitter.fitAndError(&line, &error));
    EXPECT_TRUE(line.pos.x == 7 && error == 9);
  }
  try {
    ccCidLSLineFitter(square).fit();
    ADD_FAILURE() << "no exception";
  } catch (const cxException& e) {
    EXPECT_EQ(e.status(), CIDUT_ERR_NO_LINE_FIT);
  }
  const cmath_vect corners[4] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
  cidut_line line{{7, 7}, {7, 7}};
  EXPECT_EQ(cidut_lineFitting(&line, corners, 4), 0);
  EXPECT_EQ(line.dir.x, 7);
  EXPECT_CHECK_FAILS(cidut_lineFitting(&line, corners, 0));
}

TEST(Fitter, ErrorSumsAndTransformedSums) {
  std::mt19937 random(11);
  const cxVector<cx2Vect> points = noisyPoints(random, 25);
  const ccCidLSLineFitter all(points);
  cidut_line slanted, best;
  const cmath_vect through{1, -2};
  cidut_line_initAngPos(&slanted, 2.5, &through);
  EXPECT_NEAR(all.error(slanted) / sumOfSquaredDistances(slanted, points), 1.0, 1e-9);
  double error;
  ASSERT_TRUE(all.fitAndError(&best, &error));
  EXPECT_NEAR(error, sumOfSquaredDistances(best, points), 1e-9);


  const cx2Xform xform = cx2Xform(cx2Matrix::rotation(cxRadian(2.2)), cx2Vect(5, 40)) *
                         cx2Xform(cx2Matrix(1.5, 0.4, -0.2, 0.9), cx2Vect(-30, 12));
  cxVector<cx2Vect> mapped;
  for (const cx2Vect& p : points) mapped.pushBack(xform * p);
  const cidut_line expected = ccCidLSLineFitter(mapped).fit();
  const ccCidLSLineFitter transformed = xform * all;
  const cidut_line line = transformed.fit();
  EXPECT_NEAR(line.dir.x * expected.dir.y - line.dir.y * expected.dir.x, 0, 1e-9);
  EXPECT_NEAR(distanceOf(line, cx2Vect()), distanceOf(expected, cx2Vect()), 1e-7);
  EXPECT_NEAR(transformed.error(expected), sumOfSquaredDistances(expected, mapped), 1e-6);
}

TEST(LineFit, ResultsAcceptanceAndChoicesWithoutALine) {
  const cxVector<cx2Vect> points = makePoints({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {1.5, 5}});
  const cidut_linefit_params params = makeParams(1, 0.01);
  cidut_linefit_result result;
  ASSERT_EQ(cidut_line_fit(&params, &points, &result), 0);
  EXPECT_TRUE(result.ignored.size() == 1 && result.ignored[0] == 4);
  EXPECT_TRUE(result.rms < 1e-12 && result.accepted == 1 && result.msec >= 0);

  // Every point: accepted only below maxError.
  const cidut_linefit_params all = makeParams(0, 2.0);
  ASSERT_EQ(cidut_line_fit(&all, &points, &result), 0);
  EXPECT_NEAR(result.rms, std::sqrt(ccCidLSLineFitter(points).error(result.line) / 5), 1e-12);
  const cidut_linefit_params atTheLimit = makeParams(0, result.rms);
  ASSERT_EQ(cidut_line_fit(&atTheLimit, &points, &result), 0);
  EXPECT_EQ(result.accepted, 0);

  // Without the far point a square has no line: a corner goes instead.
  const cxVector<cx2Vect> farAndSquare = makePoints({{100, 37}, {0, 0}, {1, 0}, {1, 1}, {0, 1}});
  ASSERT_EQ(cidut_line_fit(&params, &farAndSquare, &result), 0);
  EXPECT_TRUE(result.ignored.size() == 1 && result.ignored[0] != 0);
}

TEST(LineFit, RefusedFitsAndArgumentChecks) {
  const cxVector<cx2Vect> four = makePoints({{0, 0}, {1, 0}, {2, 1}, {3, 1}});
  const cidut_linefit_params tooMany = makeParams(3, 1.0), negative = makeParams(-1, 1.0);
  cidut_linefit_result result;
  result.rms = 42;
  EXPECT_EQ(cidut_line_fit(&tooMany, &four, &result), CIDUT_ERR_LINE_FIT_FAILED);
  EXPECT_EQ(result.rms, 42);  // untouched
  const cxVector<cx2Vect> same(5, cx2Vect(2, 3));  // equal points have no line
  const cidut_linefit_params leaveTwo = makeParams(2, 1.0);
  EXPECT_EQ(cidut_line_fit(&leaveTwo, &same, &result), CIDUT_ERR_LINE_FIT_FAILED);
  EXPECT_CHECK_FAILS(cidut_line_fit(&negative, &four, &result));

}

}  // namespace
