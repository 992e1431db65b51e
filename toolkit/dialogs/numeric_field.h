// The rules of the toolkit's numeric edit fields that do not depend on a
// running dialog: which characters they take, when their text is valid, how
// a value is shown.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/dialogs/dialog_model.h"

namespace zarv::dialogs {

inline constexpr std::string_view kDefaultRealFormat = "(G15.5E2)";
inline constexpr std::string_view kIntegerFormat = "(I11)";
inline constexpr std::size_t kFormatLength = 50;

// The text read as a number by the toolkit's own parser (the rules of
// IStringToReal8: the first word only, no "nan", "inf", "1-2" or "12,5");
// nothing when it is blank or not a number. A real field also refuses what
// a 32-bit float cannot hold. The value is finite and never a negative
// zero. Never records a library error.
std::optional<double> ReadNumber(std::string_view text, NumberKind number = NumberKind::kDouble);

enum class Keystroke { kAccept, kPass, kDrop };
// Control characters that editing needs pass; digits, signs and (for real
// fields) the point and the exponent letter are accepted; anything else is
// dropped.
Keystroke FilterKey(NumberKind number, char32_t ch);

// Whether the field may be left with this text: a number inside the range
// (or any number when there is no range), or a blank text when the field
// held no value or has no range.
bool TextIsValid(const FieldRecord& record, std::string_view text,
                 NumberKind number = NumberKind::kDouble);
// True when the text is a number outside the field's range.
bool OutOfRange(const FieldRecord& record, std::string_view text,
                NumberKind number = NumberKind::kDouble);

// The value in the field's display format, left-justified, trailing blanks
// removed.
std::string DisplayText(const Field& field, double value);
std::string FormatReal(float value, std::string_view format);
std::string FormatDouble(double value, std::string_view format);
std::string FormatInteger(int value);

}  // namespace zarv::dialogs
