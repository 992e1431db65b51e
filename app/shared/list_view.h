// The main window's list of message lines, newest at the bottom.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/shared/program_state.h"
#include "toolkit/core/text.h"

namespace nodalux {

inline constexpr std::int32_t LIST_X = 100;
inline constexpr std::int32_t LIST_STEP = 800;

void SCROLL(std::string_view TEXT);
void REFRESH();
// PATH shortened to about MAXLEN characters for display.
zarv::Text<256> FIT(std::string_view PATH, std::int32_t MAXLEN);

}  // namespace nodalux
