#include "toolkit/dialogs/dialog_status.h"

namespace zarv {
namespace {
struct DialogResults {
  int exit_button = 0;
  int focus_field = 0;
  int current_dialog = 0;
  int common_result = 0;
  int last_modal_dialog = 0;
};
DialogResults& R() {
  static DialogResults r;
  return r;
}
}  // namespace

void SetCommonDialogResult(int result) {
  R().common_result = result;
  R().focus_field = 0;
}

void SetModalDialogResults(int exit_button, int focus_field, int dialog_id) {
  R().exit_button = exit_button;
  R().focus_field = focus_field;
  R().last_modal_dialog = dialog_id;
}

void SetCurrentDialogId(int id) { R().current_dialog = id; }

}  // namespace zarv

int WDialogStatus(int code) {
  const zarv::DialogResults& r = zarv::R();
  switch (code) {
    case 1: return r.exit_button;
    case 2: return r.focus_field;
    case 3: return r.current_dialog;
    case 4: return r.common_result;
    case 5: return r.last_modal_dialog;
    default: return 0;
  }
}
