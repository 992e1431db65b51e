// Degree-argument sine and cosine.
#include "app/geo/degree_trig.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace nodalux::geo {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

float Radians(float degrees) {
  return static_cast<float>(static_cast<double>(degrees) * kRadiansPerDegree);
}

// sin and cos of an angle already folded into 0..90 degrees.
float FoldedSine(float x) {
  if (x == 0.0f) return 0.0f;
  if (x == 30.0f) return 0.5f;
  if (x == 90.0f) return 1.0f;
  return x <= 45.0f ? std::sin(Radians(x)) : std::cos(Radians(90.0f - x));
}

float FoldedCosine(float x) {
  if (x == 0.0f) return 1.0f;
  if (x == 60.0f) return 0.5f;
  if (x == 90.0f) return 0.0f;
  return x <= 45.0f ? std::cos(Radians(x)) : std::sin(Radians(90.0f - x));
}

}  // namespace

float SIND(float degrees) {
  if (!std::isfinite(degrees)) return std::numeric_limits<float>::quiet_NaN();
  float sign = std::copysign(1.0f, degrees);
  float x = std::fmod(std::fabs(degrees), 360.0f);
  if (x == 180.0f) return -sign * 0.0f;
  if (x > 180.0f) {
    x -= 180.0f;
    sign = -sign;
  }
  if (x > 90.0f) x = 180.0f - x;
  return sign * FoldedSine(x);
}

float COSD(float degrees) {
  if (!std::isfinite(degrees)) return std::numeric_limits<float>::quiet_NaN();
  float sign = 1.0f;
  float x = std::fmod(std::fabs(degrees), 360.0f);
  if (x > 180.0f) x = 360.0f - x;
  if (x > 90.0f) {
    x = 180.0f - x;
    sign = -1.0f;
  }
  return sign * FoldedCosine(x);
}

}  // namespace nodalux::geo
