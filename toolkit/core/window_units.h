// Window units: 0..9999 across the client area in each direction, whatever
// its size in pixels. Both conversions truncate, in integer arithmetic.
#pragma once

#include <cstdint>

namespace zarv {

inline constexpr int kUnitsAcross = 9999;

constexpr int UnitsToPixels(int units, int client_size) {
  if (client_size < 1) return 0;
  return static_cast<int>(static_cast<std::int64_t>(client_size - 1) * units / kUnitsAcross);
}

constexpr int PixelsToUnits(int pixels, int client_size) {
  if (client_size < 2) return 0;
  return static_cast<int>((static_cast<double>(pixels) + 0.5) * kUnitsAcross / client_size);
}

}  // namespace zarv
