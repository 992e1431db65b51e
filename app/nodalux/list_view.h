// The main window's list of message lines, newest at the bottom.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "toolkit/core/text.h"

namespace nodalux {

inline constexpr std::int32_t LIST_CAPACITY = 12;
inline constexpr std::int32_t LIST_X = 100;
inline constexpr std::int32_t LIST_STEP = 800;

extern std::array<zarv::Text<128>, LIST_CAPACITY + 1> LIST_LINES;  // 1-based
extern std::int32_t LIST_COUNT;

void SCROLL(std::string_view TEXT);
void REFRESH();
// PATH shortened to about MAXLEN characters for display.
zarv::Text<256> FIT(std::string_view PATH, std::int32_t MAXLEN);

}  // namespace nodalux
