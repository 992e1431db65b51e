// Stand-in for the dialog status words while they are written elsewhere.
#include "toolkit/dialogs/dialog_status.h"

namespace {
int g_words[6] = {};
}
int WDialogStatus(int code) { return code >= 1 && code <= 5 ? g_words[code] : 0; }
namespace zarv {
void SetCommonDialogResult(int result) { g_words[4] = result; g_words[2] = 0; }
void SetModalDialogResults(int exit_button, int focus_field, int dialog_id) {
  g_words[1] = exit_button;
  g_words[2] = focus_field;
  g_words[5] = dialog_id;
}
void SetCurrentDialogId(int id) { g_words[3] = id; }
}  // namespace zarv
