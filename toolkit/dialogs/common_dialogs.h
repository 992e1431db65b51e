// The message box and the file open/save dialog.
#pragma once

#include <string_view>

#include "toolkit/core/text.h"

// Button type 0 OK, 1 OK/Cancel, 2 Retry/Cancel, 3 Yes/No, 4 Yes/No/Cancel,
// 5 Abort/Retry/Ignore; icon 1 stop, 2 question, 3 exclamation,
// 4 information; default button named by its result code. The answer is
// read with WDialogStatus(4): 1 OK/Yes/Retry, 0 Cancel/Ignore, 2 No/Abort.
void WMessageBox(int buttons, int icon, int default_button, std::string_view message,
                 std::string_view title);

// Flags: 1 save, 2 prompt (overwrite / create), 4 path need not exist,
// 8 keep the current directory, 16 multiple selection, 32 default extension,
// 128 file must exist. `file_name` is in and out; `filter_index` (1-based)
// too, when given. WDialogStatus(4) is 1 when a file was chosen.
void WFileDialog(std::string_view filter, int flags, zarv::TextSpan file_name,
                 std::string_view title = {}, int* filter_index = nullptr);
