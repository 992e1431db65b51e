// The locale-decimal option shared by the number/text conversions.
#pragma once

#include <optional>

namespace zarv::conversion {

// The user's decimal separator when the option is on, else empty.
std::optional<char> LocaleDecimal();

}  // namespace zarv::conversion
