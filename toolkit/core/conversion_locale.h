// The locale settings shared by the number/text conversions.
#pragma once

#include <locale.h>

#include <optional>

namespace zarv::conversion {

// The user's decimal separator when the option is on, else empty.
std::optional<char> LocaleDecimal();

// The "C" locale, for the C library's exactly rounded text-to-number
// conversions: a desktop locale with a decimal comma must change nothing.
locale_t CLocale();

}  // namespace zarv::conversion
