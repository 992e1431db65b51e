// A dialog's extra data: plain text beside its template that fills option
// lists and sets ranges, formats, check states, tabs, colours, length
// limits and fonts. The text is input like any file: damage is not
// diagnosed, but it never crashes the reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "toolkit/dialogs/dialog_model.h"

namespace zarv::dialogs {

// Applies `data` (up to its first NUL) to a loaded dialog. Tab pages named
// by a [Tabs] section are loaded as dialogs of their own; the current
// dialog is the same afterwards.
void ApplyExtraData(Dialog& dialog, std::string_view data);

// Fuzz entry: applies arbitrary bytes to a dialog holding one field of each
// kind. Always returns 0.
int FuzzExtraData(const std::uint8_t* data, std::size_t size);

}  // namespace zarv::dialogs
