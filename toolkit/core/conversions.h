// Number <-> text conversions with the toolkit's conventions: formats are
// Fortran edit descriptors; text is read by the toolkit's own parser, which
// reads the first blank-delimited word and reports failures (codes 4, 10,
// 11, 12, 18) instead of stopping the program.
#pragma once

#include <string_view>

#include "toolkit/core/text.h"

void IntegerToString(int value, zarv::TextSpan text, std::string_view format);
void IRealToString(float value, zarv::TextSpan text, std::string_view format);
void IDoubleToString(double value, zarv::TextSpan text, std::string_view format);
void IStringToInteger(std::string_view text, int& value);
void IStringToReal(std::string_view text, float& value);
void IStringToReal8(std::string_view text, double& value);
void StringLower(zarv::TextSpan text);
void StringUpper(zarv::TextSpan text);
void StringJustify(zarv::TextSpan text, char mode);

namespace zarv {
// The locale-decimal option: off by default. When on, `separator` is written
// instead of "." by IRealToString/IDoubleToString and accepted beside "." by
// IStringToReal/IStringToReal8.
void SetLocaleDecimal(bool on, char separator);

// The text read by the rules of IStringToReal8 without reporting anything:
// 0 and the value, or the error code (4, 10, 11, 12) and 0. With `single`
// the value must also fit a 32-bit float, as IStringToReal requires; it is
// still given in double precision. The value is always finite, and never
// a negative zero.
int ParseRealText(std::string_view text, bool single, double& value);
}  // namespace zarv
