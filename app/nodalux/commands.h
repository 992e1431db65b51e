// The program and its menu commands.
#pragma once

#include <cstdint>

namespace nodalux {
void NODALUX();
void PROCESSMENU(std::int32_t ID);
void OPEN(std::int32_t MODE);
void SAVE();
void ABOUT();
void OPTIONS();
}  // namespace nodalux
