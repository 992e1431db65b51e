#include "toolkit/dialogs/initialise.h"

#include "toolkit/core/conversions.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/window.h"
#include "toolkit/dialogs/common_dialogs.h"
#include "toolkit/dialogs/dialog_fields.h"
#include "toolkit/dialogs/dialog_status.h"

void WInitialise(std::string_view /*options*/) {
  zarv::SetReportingModeFromEnvironment();
  zarv::SetUndefinedValues(zarv::kUndefinedReal, zarv::kUndefinedInteger);
  zarv::SetBeep(true);
  zarv::SetLocaleDecimal(false, '.');
  zarv::SetReportSinks(zarv::ReportSinks{
      .status_bar = [](std::string_view line) { WindowStatusText(1, line); },
      .message_box =
          [](std::string_view line) {
            WMessageBox(1, 3, 1, line, "Library Error");
            return WDialogStatus(4) != 0;
          },
      .abnormal_box = [](std::string_view text) { WMessageBox(0, 1, 1, text, "Zarvane"); },
  });
}
