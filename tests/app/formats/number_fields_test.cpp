// The coordinates of every record are written by a quick "(Fw.d)" of their
// own; it must give, character for character, what the general formatter
// (held to gfortran by the format vectors) gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "app/formats/number_fields.h"
#include "toolkit/core/fortran_io.h"

namespace nodalux {
namespace {

std::string General(double value, int width, int decimals) {
  return zarv::fortran::WriteReal(value, "(F" + std::to_string(width) + "." + std::to_string(decimals) + ")", true)
      .value_or("<none>");
}

void ExpectSameField(float value, int width, int decimals) {
  const std::string expected = General(value, width, decimals);
  ASSERT_EQ(FixedField(value, width, decimals), expected) << value << " F" << width << "." << decimals;
  char put[kMaxPutWidth + 1];
  const std::size_t lead = std::min(expected.find_first_not_of(' '), expected.size());
  ASSERT_EQ(std::string(put, PutFixedField(put, value, width, decimals, true)), expected.substr(lead));
  ASSERT_EQ(std::string(put, PutFixedField(put, value, width, decimals, false)), expected);
}

TEST(FixedField, EdgesGiveWhatTheGeneralFormatterGives) {
  const float values[] = {0.0f,       -0.0f,      0.000005f,  -0.000005f, 0.0000049f, 0.5f,
                          -0.5f,      1.5f,       2.5f,       0.125f,     -0.12345f,  51.5f,
                          -180.0f,    180.0f,     9999.99999f, 99999.999f, -9999.9999f, -999.999999f,
                          1e-30f,     -1e-30f,    0.99999f,   0.999995f,  -0.999995f, 123456.7f,
                          1e8f,       9.9e8f,     1e9f,       3.0e38f,    std::numeric_limits<float>::denorm_min(),
                          std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                          std::numeric_limits<float>::quiet_NaN()};
  for (const float value : values) {
    for (const auto& [width, decimals] : {std::pair{10, 5}, std::pair{9, 5}, std::pair{6, 2},
                                          std::pair{7, 5}, std::pair{8, 0}, std::pair{1, 0},
                                          std::pair{3, 1}, std::pair{20, 9}}) {
      ExpectSameField(value, width, decimals);
    }
  }
}

// Floats across every exponent, and floats at and beside the ties of five
// decimals up to +-200 degrees.
TEST(FixedField, ManyFloatsGiveWhatTheGeneralFormatterGives) {
  for (std::uint64_t bits = 0; bits < 0x100000000ull; bits += 0x1F3F3) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
    ExpectSameField(value, 10, 5);
  }
  for (int i = -20000000; i <= 20000000; i += 997) {
    const float tie = static_cast<float>((i + 0.5) / 100000.0);
    ExpectSameField(tie, 10, 5);
    ExpectSameField(std::nextafter(tie, 1e9f), 10, 5);
    ExpectSameField(std::nextafter(tie, -1e9f), 10, 5);
  }
}

TEST(FixedField, ValuesThatAreNotFloatsTakeTheGeneralWay) {
  for (const double value : {0.1, 51.123456789, -1e300, 2.0000000000000004}) {
    EXPECT_EQ(FixedField(value, 10, 5), zarv::fortran::WriteReal(value, "(F10.5)", true).value());
  }
}

}  // namespace
}  // namespace nodalux
