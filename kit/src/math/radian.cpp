// Angles in radians: normalisation to one turn.
#include <cmath>
#include <numbers>

#include "kit/math.h"

extern "C" double cmath_radian_norm(double angle) {
  constexpr double turn = 2.0 * std::numbers::pi;
  double normalised = std::fmod(angle, turn);  // exact, in (-turn, turn)
  if (normalised < 0.0) normalised += turn;
  // -tiny + turn rounds up to turn itself, which is not in [0, turn).
  return normalised == turn ? 0.0 : normalised;
}
