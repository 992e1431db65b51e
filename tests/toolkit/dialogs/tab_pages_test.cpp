// Dialogs with a tab control whose pages are loaded dialogs of their own,
// shown modal and modeless through the headless backend: the pages show
// inside the dialog, a switch is refused while a number on the old page is
// invalid, the page fields come back to their own dialogs, and modeless
// switches are reported only while their event kind is enabled.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "headless_dialog_fixture.h"
#include "tabbed_dialog.h"
#include "toolkit/core/event_queue.h"
#include "toolkit/core/window.h"
#include "toolkit/dialogs/dialog_manager.h"
#include "toolkit/dialogs/dialog_status.h"
#include "toolkit/platform/headless/headless_platform.h"

namespace dialog_tests {
namespace {

using TabPagesTest = TabbedDialogTest;

TEST_F(TabPagesTest, ModalPagesShowInsideAndTheirFieldsComeBackToTheirOwnDialogs) {
  start(
      "dialog 500\n"
      "type 30 Home\n"
      "type 10 45\n"
      "pick 20 2\n"
      "type 10 Bob\n"
      "press 1\n");
  WDialogShow(-1, -1, 0, 1);
  EXPECT_EQ(zarv::InfoStatus(1), 0);
  // The tab control shows the initial page's label, and only that page.
  EXPECT_TRUE(has("field 20 \"Distance\""));
  EXPECT_TRUE(has("field 10 \"5\""));
  EXPECT_TRUE(has("field 20 \"Name\""));
  EXPECT_TRUE(has("field 10 \"Bob\""));
  EXPECT_TRUE(has("dialog 500 end 1 10"));
  EXPECT_FALSE(has("beep"));

  EXPECT_EQ(dialog(500).field(30)->text, "Home");
  EXPECT_EQ(dialog(502).field(10)->text, "Bob");
  EXPECT_FLOAT_EQ(real(501, 10), 45.0f);
  EXPECT_EQ(dialog(500).field(20)->tab_selection, 1);
  EXPECT_EQ(dialog(500).record.current_tab, 502);
  EXPECT_EQ(dialog(500).record.previous_tab, 501);
  // The exit button and the field that had the focus, by their own numbers.
  EXPECT_EQ(WDialogStatus(1), 1);
  EXPECT_EQ(WDialogStatus(2), 10);
  EXPECT_EQ(WDialogStatus(5), 500);
}

TEST_F(TabPagesTest, InvalidNumberOnThePageRefusesTheSwitchWithABeep) {
  start(
      "dialog 500\n"
      "type 10 95\n"
      "pick 20 2\n"
      "type 10 12.5\n"
      "pick 20 2\n"
      "pick 20 1\n"
      "press 1\n");
  WDialogShow(-1, -1, 0, 1);
  EXPECT_EQ(count("beep"), 1u);
  EXPECT_TRUE(has("note \"script line 3: pick 20 2: the tab switch was refused; skipped\""));
  // The second try is allowed; back on the first page the focus lands in
  // its first tab stop, the number, which is committed.
  EXPECT_EQ(dialog(500).record.current_tab, 501);
  EXPECT_EQ(dialog(500).record.previous_tab, 502);
  EXPECT_FLOAT_EQ(real(501, 10), 12.5f);
  EXPECT_TRUE(has("dialog 500 end 1 10"));
}

TEST_F(TabPagesTest, TheTabKeyEntersTheShownPageAndHiddenFieldsAreOutOfReach) {
  start(
      "dialog 500\n"
      "focus 30\n"
      "tab\n"
      "tab\n"
      "tab\n"
      "esc\n"
      "dialog 500\n"
      "type 11 x\n"
      "pick 20 2\n"
      "type 11 y\n"
      "press 1\n");
  // From 30 the Tab key goes to the tabs, then through the shown page.
  WDialogShow(-1, -1, 0, 1);
  EXPECT_TRUE(has("dialog 500 end 2 11"));
  // Field 11 is on the page left: the script cannot reach it any more.
  WDialogShow(-1, -1, 0, 1);
  EXPECT_TRUE(has("note \"script line 10: type 11: the control is hidden; skipped\""));
  EXPECT_EQ(dialog(501).field(11)->text, "x");
  EXPECT_TRUE(has("dialog 500 end 1 10"));
}

TEST_F(TabPagesTest, ModelessSwitchesQueueEventElevenOnlyWhileEnabled) {
  start(
      "dialog 500\n"
      "pick 20 2\n"
      "press 1\n"
      "dialog 500\n"
      "pick 20 1\n"
      "press 1\n");
  WDialogShow(-1, -1, 0, 2);
  EXPECT_EQ(next(), (Event{zarv::EvDialogCommand, 500, 1, 10}));
  WindowEventEnable(zarv::EvTabSwitch, true);
  EXPECT_EQ(next(), (Event{zarv::EvTabSwitch, 500, 502, 501}));
  EXPECT_EQ(next(), (Event{zarv::EvDialogCommand, 500, 1, 10}));
  EXPECT_EQ(dialog(500).record.current_tab, 501);
}

TEST_F(TabPagesTest, ModelessPagesKeepTheModelUpToDateAndShowPuts) {
  start(
      "dialog 500\n"
      "type 10 33\n"
      "pick 20 2\n"
      "type 10 Ann\n"
      "press 1\n");
  WindowEventEnable(zarv::EvTabSwitch, true);
  WDialogShow(-1, -1, 0, 2);
  WDialogSelect(501);
  WDialogPutReal(11, 2.5f, "(F6.2)");  // a put on a shown page shows at once
  EXPECT_EQ(next(), (Event{zarv::EvTabSwitch, 500, 501, 502}));
  EXPECT_EQ(next(), (Event{zarv::EvDialogCommand, 500, 1, 10}));
  EXPECT_FLOAT_EQ(real(501, 10), 33.0f);
  EXPECT_EQ(dialog(502).field(10)->text, "Ann");
  EXPECT_EQ(dialog(501).field(11)->text, "2.50");
  // A page cannot be unloaded on its own; its owner takes it along.
  WDialogSelect(502);
  WDialogUnload();
  EXPECT_EQ(zarv::InfoStatus(1), 1069);
  WDialogSelect(500);
  WDialogUnload();
  EXPECT_EQ(zarv::dialogs::FindDialog(501), nullptr);
}

TEST_F(TabPagesTest, ModalSwitchesQueueNoEvents) {
  start(
      "dialog 500\n"
      "pick 20 2\n"
      "press 1\n");
  WindowEventEnable(zarv::EvTabSwitch, true);
  WDialogShow(-1, -1, 0, 1);
  EXPECT_EQ(dialog(500).record.current_tab, 502);
  EXPECT_EQ(next().kind, zarv::EvCloseAsked);
}

}  // namespace
}  // namespace dialog_tests
