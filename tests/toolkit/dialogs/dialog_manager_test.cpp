#include "dialog_test_support.h"
#include "toolkit/dialogs/dialog_manager.h"
#include "toolkit/dialogs/dialog_status.h"

namespace dialog_tests {
namespace {

const std::string kTabbedScript = R"(
200 DIALOG 0, 0, 100, 60
STYLE WS_POPUP | WS_CAPTION
CAPTION "Tabs"
FONT 8, "MS Sans Serif"
BEGIN
    CONTROL "", 10, "SysTabControl32", 0, 5, 5, 90, 40
END
201 DIALOG 0, 0, 80, 30
STYLE WS_POPUP
BEGIN
    EDITTEXT 11, 5, 5, 50, 12
END
202 DIALOG 0, 0, 80, 30
STYLE WS_POPUP
BEGIN
    EDITTEXT 12, 5, 5, 50, 12
END
300 DIALOG 0, 0, 80, 30
STYLE WS_CHILD
BEGIN
    EDITTEXT 13, 5, 5, 50, 12
END
200 RCDATA "tabs.dat"
)";
const std::string kTabsData = "[Tabs] \n 10 2 202 \n201 First \n202 Second \n";

using DialogManagerTest = DialogTest;

TEST_F(DialogManagerTest, LoadingAnIdentifierTwiceOnlyMakesItCurrent) {
  WDialogLoad(102);
  WDialogPutReal(1005, 7.5f, "(F6.2)");
  WDialogLoad(101);
  EXPECT_EQ(WDialogStatus(3), 101);
  WDialogLoad(102);
  EXPECT_EQ(LastError(), 0);
  EXPECT_EQ(WDialogStatus(3), 102);
  EXPECT_EQ(zarv::dialogs::Table().slots.size(), 2u);
  float radius = 0;
  WDialogGetReal(1005, radius);
  EXPECT_EQ(radius, 7.5f);  // the same dialog, not a fresh copy
}

TEST_F(DialogManagerTest, TheHundredAndFirstLoadFailsAndChangesNothing) {
  for (int id = 1; id <= 100; ++id) WDialogLoad(102, &id);
  ASSERT_EQ(LastError(), 0);
  const int extra = 101;
  WDialogLoad(102, &extra);
  EXPECT_EQ(LastError(), 1007);
  EXPECT_EQ(zarv::dialogs::Table().slots.size(), 100u);
  EXPECT_EQ(WDialogStatus(3), 100);
  const int again = 50;
  WDialogLoad(102, &again);  // already loaded: still fine
  EXPECT_EQ(LastError(), 0);
  EXPECT_EQ(WDialogStatus(3), 50);
}

TEST_F(DialogManagerTest, SelectUnloadAndTheCurrentDialogRule) {
  WDialogLoad(999);
  EXPECT_EQ(LastError(), 1007);
  WDialogUnload();
  EXPECT_EQ(LastError(), 1005);
  WDialogLoad(101);
  WDialogLoad(102);
  WDialogSelect(5);
  EXPECT_EQ(LastError(), 1008);
  EXPECT_EQ(WDialogStatus(3), 102);
  WDialogSelect(101);
  EXPECT_EQ(WDialogStatus(3), 101);
  WDialogUnload();
  EXPECT_EQ(WDialogStatus(3), 0);
  WDialogShow(-1, -1, 0, 1);
  EXPECT_EQ(LastError(), 1005);
  WDialogPutString(1001, "x");
  EXPECT_EQ(LastError(), 1005);
  // The later slot moved down; 102 is still loaded and selectable.
  ASSERT_EQ(zarv::dialogs::Table().slots.size(), 1u);
  WDialogSelect(102);
  EXPECT_EQ(LastError(), 0);
  EXPECT_EQ(zarv::dialogs::Table().current_slot, 1);
}

TEST_F(DialogManagerTest, ModalShowIsCentredAndEscEndsWithButtonTwo) {
  WDialogLoad(101);
  platform->scripts.push_back([](User& u, FakeView&) { u.esc(); });
  WDialogShow(-1, -1, 0, 1);
  ASSERT_EQ(platform->shown.size(), 1u);
  const auto& spec = platform->shown[0];
  // 120 x 87 dialog units at 6 x 13 pixels per 4 x 8 units.
  EXPECT_EQ(spec.x, (1024 - 120 * 6 / 4) / 2);
  EXPECT_EQ(spec.y, (768 - 87 * 13 / 8) / 2);
  EXPECT_EQ(spec.caption, "About");
  ASSERT_EQ(spec.controls.size(), 2u);
  EXPECT_EQ(spec.controls[0].kind, zarv::platform::ControlKind::kStatic);
  EXPECT_EQ(spec.controls[0].align, 1);
  EXPECT_TRUE(spec.controls[0].sunken);
  EXPECT_EQ(spec.controls[1].kind, zarv::platform::ControlKind::kDefPushButton);
  EXPECT_EQ(WDialogStatus(1), 2);
  EXPECT_EQ(WDialogStatus(5), 101);

  WDialogShow(30, 40, 0, 1);
  EXPECT_EQ(platform->shown[1].x, 30);
  EXPECT_EQ(platform->shown[1].y, 40);
}

TEST_F(DialogManagerTest, ModeRules) {
  std::string tabs = kTabsData;
  std::string script = kTabbedScript;
  UseResources({{"test.rc", &script}, {"tabs.dat", &tabs}});
  WDialogLoad(300);
  WDialogShow(-1, -1, 0, 1);  // child style: shown modeless, reported
  EXPECT_EQ(LastError(), 1014);
  EXPECT_TRUE(platform->shown.empty());
  EXPECT_EQ(zarv::dialogs::FindDialog(300)->record.show_mode, 2);

  const int semi = 1;
  WDialogLoad(201, &semi);
  WDialogShow(-1, -1, 0, 3);
  EXPECT_EQ(LastError(), 0);
  const int later = 2;
  WDialogLoad(202, &later);
  WDialogShow(-1, -1, 0, 2);  // modeless while a semi-modeless one is up
  EXPECT_EQ(LastError(), 1014);
  EXPECT_EQ(zarv::dialogs::FindDialog(2)->record.show_mode, 3);
  EXPECT_EQ(zarv::dialogs::Table().semi_modeless_shown, 2);
  WDialogUnload();
  EXPECT_EQ(zarv::dialogs::Table().semi_modeless_shown, 1);
}

TEST_F(DialogManagerTest, TabPagesAreLoadedWithTheirDialogAndCannotBeUnloadedAlone) {
  std::string tabs = kTabsData;
  std::string script = kTabbedScript;
  UseResources({{"test.rc", &script}, {"tabs.dat", &tabs}});
  WDialogLoad(200);
  EXPECT_EQ(WDialogStatus(3), 200);  // current again after loading the pages
  auto* field = zarv::dialogs::FindDialog(200)->field(10);
  ASSERT_EQ(field->tabs.size(), 2u);
  EXPECT_EQ(field->tabs[0].label, "First");
  EXPECT_EQ(field->tabs[1].page, 202);
  EXPECT_EQ(field->tab_selection, 1);
  ASSERT_NE(zarv::dialogs::FindDialog(201), nullptr);

  WDialogSelect(201);
  WDialogUnload();
  EXPECT_EQ(LastError(), 1069);
  WDialogSelect(200);
  WDialogUnload(1);  // pages stay
  EXPECT_NE(zarv::dialogs::FindDialog(202), nullptr);
  WDialogLoad(200);  // the pages are reused
  WDialogUnload();
  EXPECT_TRUE(zarv::dialogs::Table().slots.empty());
}

}  // namespace
}  // namespace dialog_tests
