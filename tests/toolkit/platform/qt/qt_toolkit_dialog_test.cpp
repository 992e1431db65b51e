// The toolkit's dialog rules on the Qt backend, with real input: the same
// tabbed dialog as the headless tests, shown modal and modeless. Every call
// a dialog makes reaches the toolkit, the tab switch included.
#include <gtest/gtest.h>

#include "tests/toolkit/dialogs/tabbed_dialog.h"
#include "toolkit/core/event_queue.h"
#include "toolkit/dialogs/dialog_manager.h"
#include "toolkit/dialogs/dialog_status.h"
#include "toolkit/platform/qt/qt_platform.h"

namespace dialog_tests {
namespace {

class QtTabbedDialogTest : public TabbedDialogTest {
 protected:
  std::unique_ptr<zarv::platform::Platform> make_platform(std::string_view script) override {
    std::string error;
    auto platform = zarv::platform::CreateQtPlatform(script, *transcript, &error);
    EXPECT_TRUE(platform) << error;
    return platform;
  }
  static int current_tab() { return dialog(500).record.current_tab; }
};

// A number out of the page field's range refuses the switch with a beep, in
// a modeless dialog as in a modal one.
TEST_F(QtTabbedDialogTest, InvalidNumberRefusesTheTabSwitchInAModelessDialog) {
  start(
      "dialog 500\n"
      "type 10 95\n"
      "pick 20 2\n"
      "press 2\n");
  WDialogShow(-1, -1, 0, 2);
  EXPECT_EQ(next().kind, zarv::EvDialogCommand);
  EXPECT_EQ(count("beep"), 1u);
  EXPECT_TRUE(has("note \"script line 3: pick 20 2: the tab switch was refused; skipped\""));
  EXPECT_EQ(current_tab(), 501);
}

TEST_F(QtTabbedDialogTest, InvalidNumberRefusesTheTabSwitchInAModalDialog) {
  start(
      "dialog 500\n"
      "type 10 95\n"
      "pick 20 2\n"
      "type 10 12.5\n"
      "pick 20 2\n"
      "press 1\n");
  WDialogShow(-1, -1, 0, 1);
  EXPECT_EQ(count("beep"), 1u);
  EXPECT_TRUE(has("note \"script line 3: pick 20 2: the tab switch was refused; skipped\""));
  EXPECT_EQ(WDialogStatus(1), 1);
  EXPECT_EQ(current_tab(), 502);
}

}  // namespace
}  // namespace dialog_tests
