// A dialog with a tab control whose two pages are dialogs of their own,
// and the fixture that loads it, for the tests of tab pages on either
// backend.
#pragma once

#include <string>
#include <string_view>

#include "headless_dialog_fixture.h"
#include "toolkit/dialogs/dialog_fields.h"
#include "toolkit/dialogs/dialog_manager.h"

namespace dialog_tests {

// Both pages have a field 10; the owner's own fields are 30 and the buttons.
inline const std::string kTabbedScript = R"(
500 DIALOG 0, 0, 200, 120
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION "Settings"
FONT 8, "MS Sans Serif"
BEGIN
    EDITTEXT        30, 5, 5, 80, 12
    CONTROL         "", 20, "SysTabControl32", WS_TABSTOP, 5, 22, 190, 70
    DEFPUSHBUTTON   "OK", 1, 100, 100, 40, 14
    PUSHBUTTON      "Cancel", 2, 150, 100, 40, 14
END
501 DIALOG 0, 0, 180, 50
STYLE WS_CHILD
FONT 8, "MS Sans Serif"
BEGIN
    LTEXT           "Radius", -1, 5, 7, 30, 8
    CONTROL         "5", 10, "REALEDIT", WS_BORDER | WS_TABSTOP, 40, 5, 50, 12
    EDITTEXT        11, 40, 20, 50, 12
END
502 DIALOG 0, 0, 180, 50
STYLE WS_CHILD
FONT 8, "MS Sans Serif"
BEGIN
    EDITTEXT        10, 5, 5, 80, 12
END
500 RCDATA "tabs500.dat"
501 RCDATA "tabs501.dat"
)";
inline const std::string kOwnerData = "[Tabs] \n 20 2 501 \n501 Distance \n502 Name \n";
inline const std::string kPageData = "[Ranges] \n 10 0.0 90.0 \n";

class TabbedDialogTest : public HeadlessDialogTest {
 protected:
  void start(std::string_view script) {
    HeadlessDialogTest::start(
        script, {{"test.rc", &resources}, {"tabs500.dat", &owner_data}, {"tabs501.dat", &page_data}});
    WDialogLoad(500);
  }
  static zarv::dialogs::Dialog& dialog(int id) { return *zarv::dialogs::FindDialog(id); }
  static float real(int dialog_id, int field) {
    WDialogSelect(dialog_id);
    float v = 0;
    WDialogGetReal(field, v);
    return v;
  }

  std::string resources = kTabbedScript;
  std::string owner_data = kOwnerData;
  std::string page_data = kPageData;
};

}  // namespace dialog_tests
