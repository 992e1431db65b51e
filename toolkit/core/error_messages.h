// The fixed table of messages that go with the library error codes.
#pragma once

#include <string_view>

namespace zarv {
// The message for `code`; a single blank for codes without an entry.
std::string_view LookUpErrorMessage(int code);
}  // namespace zarv
