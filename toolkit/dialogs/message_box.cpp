#include <string>

#include "toolkit/core/errors.h"
#include "toolkit/core/text.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/dialogs/common_dialogs.h"
#include "toolkit/dialogs/dialog_status.h"
#include "toolkit/platform/platform.h"

namespace {

enum ButtonSet { kOk, kOkCancel, kRetryCancel, kYesNo, kYesNoCancel, kAbortRetryIgnore };

// The default button is named by the result it gives; this is its position.
int DefaultPosition(int buttons, int default_result) {
  switch (buttons) {
    case kOk:
      return 0;
    case kOkCancel:
    case kRetryCancel:
    case kYesNo:
      return default_result == 1 ? 0 : 1;
    case kYesNoCancel:
      return default_result == 1 ? 0 : default_result == 2 ? 1 : 2;
    case kAbortRetryIgnore:  // Abort gives 2, Retry 1, Ignore 0
      return default_result == 1 ? 1 : default_result == 2 ? 0 : 2;
    default:
      return 0;
  }
}

bool IsAnswer(int result) { return result == 0 || result == 1 || result == 2; }

}  // namespace

void WMessageBox(int buttons, int icon, int default_button, std::string_view message,
                 std::string_view title) {
  zarv::platform::MessageBoxSpec box;
  box.buttons = buttons >= kOk && buttons <= kAbortRetryIgnore ? buttons : kOk;
  box.icon = icon >= 1 && icon <= 4 ? icon : 0;
  box.default_button = DefaultPosition(box.buttons, default_button);
  box.title = std::string(zarv::Trimmed(title));
  box.text = std::string(zarv::Trimmed(message));

  int result = zarv::ThePlatform().message_box(box);
  if (!IsAnswer(result)) result = -1;
  zarv::SetCommonDialogResult(result);
  if (result == -1) zarv::ReportError(1004, "WMessageBox");
}
