// The toolkit's number/text routines: results, texts and error codes.
#include "toolkit/core/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "toolkit/core/errors.h"

namespace {

// Runs `body` with the error code cleared first, and returns the code it
// left.
template <typename Body>
int CodeAfter(Body body) {
  zarv::InfoStatus(1);
  body();
  return zarv::InfoStatus(1);
}

std::string Padded(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

struct IntegerCase {
  int value;
  const char* format;
  std::size_t length;
  const char* text;  // before blank padding to `length`
  int code;
};

TEST(IntegerToString, WritesTheFieldOrTheOverflowText) {
  const IntegerCase cases[] = {
      {-5, "(I11)", 20, "         -5", 0},
      {7, "(I2.2)", 2, "07", 0},
      {42, "( i 4 )", 4, "  42", 0},
      {-2147483647 - 1, "(I0)", 12, "-2147483648", 0},
      {123456, "(I4)", 20, "**********", 18},   // asterisks from the write
      {123456, "(I4)", 6, "******", 18},        // overflow text cut to the text
      {5, "(I11)", 5, "*****", 18},             // the field is wider than the text
      {5, "(F10.5)", 10, "**********", 18},     // a real format for an integer
      {5, "I11", 10, "**********", 18},         // not parenthesised
      {5, "(I11", 10, "**********", 18},
      {5, "(I11,I2)", 10, "**********", 18},
  };
  for (const auto& c : cases) {
    std::string text(c.length, '#');
    const int code = CodeAfter([&] { IntegerToString(c.value, zarv::TextSpan(text.data(), text.size()), c.format); });
    EXPECT_EQ(text, Padded(c.text, c.length)) << c.value << " " << c.format;
    EXPECT_EQ(code, c.code) << c.value << " " << c.format;
  }
}

struct RealCase {
  double value;
  const char* format;
  const char* text;
  int code;
};

TEST(RealToString, SingleAndDoubleWriteTheirOwnValue) {
  const RealCase cases[] = {
      {51.23804, "(F10.5)", "  51.23804", 0},
      {0.5, "(G15.5E2)", "    0.50000    ", 0},
      {-0.0, "(F8.5)", "-0.00000", 0},
      {-1e-9, "(F8.5)", "-0.00000", 0},
      {1e10, "(E12.4)", "  0.1000E+11", 0},
      {1e6, "(F6.2)", "**********", 18},
      {2.5, "(I5)", "**********", 18},
      {std::numeric_limits<double>::quiet_NaN(), "(F10.5)", "       NaN", 0},
      {std::numeric_limits<double>::infinity(), "(F2.0)", "**********", 18},
  };
  for (const auto& c : cases) {
    zarv::Text<16> single, wide;
    EXPECT_EQ(CodeAfter([&] { IRealToString(static_cast<float>(c.value), single, c.format); }), c.code);
    EXPECT_EQ(CodeAfter([&] { IDoubleToString(c.value, wide, c.format); }), c.code);
    EXPECT_EQ(single.str(), zarv::Trimmed(c.text)) << c.value << " " << c.format;
    EXPECT_EQ(wide.str(), zarv::Trimmed(c.text)) << c.value << " " << c.format;
  }
  // The single-precision routine writes the float's own value.
  zarv::Text<12> text;
  IRealToString(0.1f, text, "(F12.10)");
  EXPECT_EQ(text.str(), "0.1000000015");
  IDoubleToString(0.1, text, "(F12.10)");
  EXPECT_EQ(text.str(), "0.1000000000");
}

struct IntegerParseCase {
  const char* text;
  int value;
  int code;
};

TEST(IStringToInteger, ReadsTheFirstWord) {
  const IntegerParseCase cases[] = {
      {"  42  abc", 42, 0},
      {"+17", 17, 0},
      {"-0", 0, 0},
      {"2147483647", 2147483647, 0},
      {"-2147483647", -2147483647, 0},
      {"00000000000042", 42, 0},  // leading zeros are not size
      {"", 0, 10},
      {"      ", 0, 10},
      {"4x2", 0, 12},
      {"-", 0, 12},
      {"+-1", 0, 12},
      {"1.5", 0, 12},
      {"2147483648", 0, 4},
      {"-2147483648", 0, 4},
      {"3000000000", 0, 4},
      {"12345678901", 0, 4},
  };
  for (const auto& c : cases) {
    int value = -1;
    EXPECT_EQ(CodeAfter([&] { IStringToInteger(c.text, value); }), c.code) << '"' << c.text << '"';
    EXPECT_EQ(value, c.value) << '"' << c.text << '"';
  }
}

struct RealParseCase {
  const char* text;
  double value;  // as a double; compared after rounding to the result's width
  int code;
};

TEST(IStringToReal, ReadsTheFirstWordAsASingle) {
  const RealParseCase cases[] = {
      {"51.23804", 51.23804, 0},
      {"  -2.5  rest", -2.5, 0},
      {"1.5D3", 1500, 0},
      {"1.5e+3", 1500, 0},
      {"1.5-100", 0, 0},  // sign marker; 1.5e-100 underflows a float
      {"+.5", 0.5, 0},
      {"5.", 5, 0},
      {"0e99999", 0, 0},
      {"0.1", 0.1, 0},
      {"3.4e38", 3.4e38, 0},
      {"1.2.3", 0, 11},
      {"1e40", 0, 4},
      {"-1e40", 0, 4},
      {"3.5e38", 0, 4},
      {"1.5+300", 0, 4},
      {"", 0, 10},
      {"abc", 0, 12},
      {"1.5e3x", 0, 12},
      {"1.5e3.5", 0, 12},  // no decimal character in the exponent
      {"1.5-10", 0, 12},   // a sign marker needs three exponent digits
      {"1,5", 0, 12},      // a comma only with the locale option
      {".", 0, 12},
      {"-", 0, 12},
      {"e5", 0, 12},
      {"1.5e", 0, 12},
  };
  for (const auto& c : cases) {
    float value = -1;
    EXPECT_EQ(CodeAfter([&] { IStringToReal(c.text, value); }), c.code) << '"' << c.text << '"';
    EXPECT_EQ(value, static_cast<float>(c.value)) << '"' << c.text << '"';
  }
}

TEST(IStringToReal8, ReadsTheFirstWordAsADouble) {
  const RealParseCase cases[] = {
      {"1e40", 1e40, 0},
      {"1.5-100", 1.5e-100, 0},
      {"-0.1500-100", -1.5e-101, 0},  // what "(E12.4)" writes for -1.5e-101
      {"0.1", 0.1, 0},
      {"1.7976931348623157e308", 1.7976931348623157e308, 0},
      {"123456789012345678901234567890", 1.2345678901234568e29, 0},
      {"1e309", 0, 4},
      {"9e308", 0, 4},  // in range of the exponent rule, yet no double
      {"1.2.3", 0, 11},
      {"", 0, 10},
  };
  for (const auto& c : cases) {
    double value = -1;
    EXPECT_EQ(CodeAfter([&] { IStringToReal8(c.text, value); }), c.code) << '"' << c.text << '"';
    EXPECT_EQ(value, c.value) << '"' << c.text << '"';
  }
  double value = -1;
  EXPECT_EQ(CodeAfter([&] { IStringToReal8("1" + std::string(309, '0'), value); }), 4);
}

TEST(Conversions, OwnOutputReadsBack) {
  for (double v : {-1.5e-101, 2.5e-120, -0.001, 123456.75, 51.23804, -0.5}) {
    for (const char* format : {"(E12.4)", "(G15.5E2)", "(F12.5)", "(ES12.4)"}) {
      zarv::Text<16> text;
      IDoubleToString(v, text, format);
      if (text.str() == "**********") continue;  // an exponent too wide for E2
      double back = 0;
      EXPECT_EQ(CodeAfter([&] { IStringToReal8(text.view(), back); }), 0) << text.str();
      EXPECT_NEAR(back, v, std::fabs(v) * 5e-4 + 1e-5) << text.str();
    }
  }
}

TEST(Conversions, LocaleDecimalIsUsedOnlyWhenOn) {
  zarv::SetLocaleDecimal(true, ',');
  zarv::Text<6> text;
  IRealToString(2.5f, text, "(F6.2)");
  float value = 0;
  IStringToReal("2,5", value);
  const float comma = value;
  IStringToReal("2.5", value);
  const float point = value;
  const int two_decimals = CodeAfter([&] { IStringToReal("1,2.3", value); });
  zarv::Text<6> integer;
  IntegerToString(25, integer, "(I6)");
  zarv::SetLocaleDecimal(false, ',');

  EXPECT_EQ(text.str(), "  2,50");
  EXPECT_EQ(comma, 2.5f);
  EXPECT_EQ(point, 2.5f);
  EXPECT_EQ(two_decimals, 11);
  EXPECT_EQ(integer.str(), "    25");
  IRealToString(2.5f, text, "(F6.2)");
  EXPECT_EQ(text.str(), "  2.50");
}

TEST(StringCase, OnlyAsciiLettersChange) {
  std::string text = "Hello, World 42 \xC3\x84";
  StringUpper(zarv::TextSpan(text.data(), text.size()));
  EXPECT_EQ(text, "HELLO, WORLD 42 \xC3\x84");
  StringLower(zarv::TextSpan(text.data(), text.size()));
  EXPECT_EQ(text, "hello, world 42 \xC3\x84");
}

TEST(StringJustify, MovesTheBlockAsAWhole) {
  struct Case {
    const char* text;
    char mode;
    const char* want;
  };
  const Case cases[] = {
      {"  ab  c   ", 'L', "ab  c     "},
      {"  ab  c   ", 'R', "     ab  c"},
      {"  ab  c   ", 'C', "  ab  c   "},
      {"ab   ", 'x', " ab  "},  // the odd blank goes to the right
      {"ab    ", ' ', "  ab  "},
      {"abc", 'R', "abc"},
      {"     ", 'L', "     "},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    StringJustify(zarv::TextSpan(text.data(), text.size()), c.mode);
    EXPECT_EQ(text, c.want) << '"' << c.text << "\" " << c.mode;
  }
}

}  // namespace
