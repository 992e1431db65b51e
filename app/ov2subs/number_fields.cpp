#include "app/ov2subs/number_fields.h"

#include <cstdio>

namespace nodalux::ov2 {
namespace {

std::string Fitted(const char* text, int length, int width) {
  if (length < 0 || length > width) return std::string(static_cast<std::size_t>(width), '*');
  return std::string(static_cast<std::size_t>(width - length), ' ') + text;
}

}  // namespace

std::string IntegerField(long long value, int width) {
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%lld", value);
  return Fitted(text, length, width);
}

// printf rounds the exact binary value to nearest, ties to even, and keeps
// the sign of a negative value that rounds to zero: the same digits as a
// Fortran F descriptor.
std::string FixedField(double value, int width, int decimals) {
  char text[400];
  const int length = std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return Fitted(text, length, width);
}

}  // namespace nodalux::ov2
