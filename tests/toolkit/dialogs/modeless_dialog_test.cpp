// Modeless and semi-modeless dialogs shown through the headless backend:
// the user's actions in a script become events of the root window's queue,
// and the gets read what the user did while the dialog stays shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "headless_dialog_fixture.h"
#include "toolkit/core/event_queue.h"
#include "toolkit/core/window.h"
#include "toolkit/dialogs/dialog_manager.h"
#include "toolkit/platform/headless/headless_platform.h"

namespace dialog_tests {
namespace {

const std::string kFindScript = R"(
400 DIALOG 0, 0, 160, 80
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION "Find"
FONT 8, "MS Sans Serif"
BEGIN
    EDITTEXT        10, 10, 10, 80, 14
    CONTROL         "5", 11, "REALEDIT", WS_BORDER | WS_TABSTOP, 10, 30, 40, 14
    AUTOCHECKBOX    "Whole words", 12, 10, 50, 80, 10
    DEFPUSHBUTTON   "Apply", 3, 110, 10, 40, 14
    PUSHBUTTON      "Close", 2, 110, 30, 40, 14
END
)";

class ModelessTest : public HeadlessDialogTest {
 protected:
  void start(std::string_view script) { HeadlessDialogTest::start(script, {{"test.rc", &resources}}); }

  // Loads and shows the find dialog with the focus in field 10.
  void show(int mode = 2, int identifier = 400) {
    WDialogLoad(400, &identifier);
    WDialogShow(-1, -1, 10, mode);
  }
  static float real(int field) {
    float v = 0;
    WDialogGetReal(field, v);
    return v;
  }

  std::string resources = kFindScript;
};

TEST_F(ModelessTest, PushButtonsEscAndCloseBoxQueueCommandsAndLeaveTheDialogShown) {
  start(
      "dialog 400\n"
      "type 11 7.5\n"
      "press 3\n"
      "esc\n"
      "closebox\n");
  show();
  EXPECT_EQ(zarv::InfoStatus(1), 0);
  EXPECT_TRUE(has("dialog 400 show"));
  EXPECT_TRUE(has("field 11 \"5\""));

  EXPECT_EQ(next(), (Event{zarv::EvDialogCommand, 400, 3, 11}));
  // Esc and the close box are the Cancel command; the Apply button had the
  // focus when they came.
  EXPECT_EQ(next(), (Event{zarv::EvDialogCommand, 400, 2, 3}));
  EXPECT_EQ(next(), (Event{zarv::EvDialogCommand, 400, 2, 3}));
  EXPECT_EQ(zarv::dialogs::FindDialog(400)->record.shown, 1);
  EXPECT_FALSE(has_prefix("dialog 400 end"));
  // The model reads what the user typed, reformatted when the field was left.
  EXPECT_FLOAT_EQ(real(11), 7.5f);
  EXPECT_EQ(zarv::dialogs::FindDialog(400)->field(11)->text, "7.5000");
  EXPECT_EQ(next().kind, zarv::EvCloseAsked);  // the script is used up
}

TEST_F(ModelessTest, FocusAndSelectionEventsOnlyWhileEnabled) {
  start(
      "dialog 400\n"
      "focus 11\n"
      "press 3\n"
      "dialog 400\n"
      "focus 10\n"
      "press 12\n");
  show();
  EXPECT_EQ(next(), (Event{zarv::EvDialogCommand, 400, 3, 11}));  // no focus events
  WindowEventEnable(zarv::EvFieldFocus, true);
  EXPECT_EQ(next(), (Event{zarv::EvFieldFocus, 400, 3, 10}));
  EXPECT_EQ(next(), (Event{zarv::EvFieldFocus, 400, 10, 12}));
  EXPECT_EQ(next(), (Event{zarv::EvFieldFocus, 400, 12, 12}));  // the check box changed
  EXPECT_EQ(zarv::dialogs::FindDialog(400)->field(12)->check, 1);
}

TEST_F(ModelessTest, NumericFieldRulesHoldInModelessDialogs) {
  start(
      "dialog 400\n"
      "type 11 95\n"
      "tab\n"
      "press 2\n"
      "dialog 400\n"
      "type 11 8\n"
      "tab\n");
  show();
  const int low = 0, high = 10;
  WDialogRangeInteger(11, &low, &high);
  WindowEventEnable(zarv::EvFieldFocus, true);
  // Tab out of 95 is refused with a beep and no focus event; a click on
  // Close leaves the field deferred and the button works, putting the field
  // back to its last valid entry.
  EXPECT_EQ(next(), (Event{zarv::EvFieldFocus, 400, 10, 11}));
  EXPECT_EQ(next(), (Event{zarv::EvFieldFocus, 400, 11, 2}));
  EXPECT_EQ(next(), (Event{zarv::EvDialogCommand, 400, 2, 11}));
  EXPECT_TRUE(has("beep"));
  EXPECT_FLOAT_EQ(real(11), 5.0f);
  // A valid entry moves on and is read.
  EXPECT_EQ(next(), (Event{zarv::EvFieldFocus, 400, 2, 11}));
  EXPECT_EQ(next(), (Event{zarv::EvFieldFocus, 400, 11, 12}));
  EXPECT_FLOAT_EQ(real(11), 8.0f);
}

TEST_F(ModelessTest, PutsWhileShownAreShownAndNotLostToTheNextAction) {
  start("dialog 400\npress 3\n");
  show();
  WDialogPutReal(11, 3.25f, "(F6.2)");
  EXPECT_EQ(next(), (Event{zarv::EvDialogCommand, 400, 3, 10}));
  EXPECT_FLOAT_EQ(real(11), 3.25f);
  EXPECT_EQ(zarv::dialogs::FindDialog(400)->field(11)->text, "3.25");
}

TEST_F(ModelessTest, UnloadClosesTheDialogAndLaterLinesForItAreScriptErrors) {
  start("dialog 400\npress 3\n");
  show();
  WDialogUnload();
  EXPECT_TRUE(has("dialog 400 hide"));
  EXPECT_EQ(next().kind, zarv::EvCloseAsked);
  EXPECT_TRUE(has_prefix("note \"script line 1: dialog answers a dialog"));
}

TEST_F(ModelessTest, ModelessWhileSemiModelessIsShownBecomesSemiModeless) {
  start(
      "menu 30001\n"
      "dialog 2\n"
      "press 3\n");
  show(3, 1);
  show(2, 2);
  EXPECT_EQ(zarv::InfoStatus(1), 1014);
  EXPECT_EQ(zarv::dialogs::FindDialog(2)->record.show_mode, 3);
  EXPECT_TRUE(has("dialog 1 show"));
  EXPECT_TRUE(has("dialog 2 show"));
  // The main window is disabled: its menu pick never arrives.
  EXPECT_EQ(next(), (Event{zarv::EvDialogCommand, 2, 3, 10}));
  WDialogUnload();
  WDialogSelect(1);
  WDialogUnload();
  EXPECT_TRUE(zarv::ToolkitWindowsEnabled());
  EXPECT_EQ(next().kind, zarv::EvCloseAsked);
}

}  // namespace
}  // namespace dialog_tests
