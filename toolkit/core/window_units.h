// Window units: 0..9999 across the client area in each direction, whatever
// its size in pixels. Both conversions truncate, in integer arithmetic.
#pragma once

#include <cstdint>

namespace zarv {

inline constexpr int kUnitsAcross = 9999;

// Results outside +-2^30 (units far beyond the client, which callers may
// pass) are clamped there, so that adding to them cannot overflow either.
inline constexpr std::int64_t kPositionLimit = std::int64_t{1} << 30;

constexpr int UnitsToPixels(int units, int client_size) {
  if (client_size < 1) return 0;
  const std::int64_t pixels = static_cast<std::int64_t>(client_size - 1) * units / kUnitsAcross;
  return static_cast<int>(pixels < -kPositionLimit ? -kPositionLimit
                          : pixels > kPositionLimit ? kPositionLimit
                                                    : pixels);
}

constexpr int PixelsToUnits(int pixels, int client_size) {
  if (client_size < 2) return 0;
  const double units = (static_cast<double>(pixels) + 0.5) * kUnitsAcross / client_size;
  const double limit = static_cast<double>(kPositionLimit);
  return static_cast<int>(units < -limit ? -limit : units > limit ? limit : units);
}

}  // namespace zarv
