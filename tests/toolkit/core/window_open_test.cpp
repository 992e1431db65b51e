#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "tests/toolkit/core/window_fixture.h"

namespace zarv::testing {
namespace {

using RootWindowOpen = RootWindowTest;

TEST_F(RootWindowOpen, TakesTheStyleRecordAsTheProgramPassesIt) {
  zarv::WindowStyle style;
  style.Flags = 103;
  style.X = -7;
  style.Y = -1;
  style.Width = 512;
  style.Height = 256;
  style.MenuId = 30001;
  style.Title.assign("Nodalux   ");
  WindowOpenStyle(style);
  ASSERT_TRUE(fake().window);
  const WindowSpec& w = *fake().window;
  EXPECT_EQ(w.title, "Nodalux");
  EXPECT_EQ(w.client.w, 512);
  EXPECT_EQ(w.client.h, 256);
  EXPECT_EQ(w.x, -1);  // any negative value centres
  EXPECT_EQ(w.y, -1);
  EXPECT_TRUE(w.system_menu && w.minimise_box && w.maximise_box);
  EXPECT_TRUE(w.status_bar && w.fixed_border);
  EXPECT_FALSE(w.maximised || w.hidden || w.topmost);
  EXPECT_FALSE(w.icon.empty());
  EXPECT_EQ(ClientWidth(), 512);
  EXPECT_EQ(ClientHeight(), 256);
}

TEST_F(RootWindowOpen, GivesPopUpHeadersTheirIdentifiers) {
  OpenProgramWindow();
  const auto& menu = fake().window->menu;
  ASSERT_EQ(menu.size(), 3u);
  EXPECT_EQ(menu[0].text, "&File");
  EXPECT_EQ(menu[0].id, 40001);
  EXPECT_EQ(menu[1].id, 40008);
  EXPECT_EQ(menu[2].id, 40006);
  ASSERT_EQ(menu[0].items.size(), 4u);
  EXPECT_EQ(menu[0].items[3].id, 40005);
  EXPECT_EQ(menu[1].items[0].id, 40009);
}

TEST_F(RootWindowOpen, ZeroOrNegativeSizesTakeEightyPercentOfTheScreen) {
  WindowOpen2(0, 10, 20, 0, -3, 0, {0, 0, 0, 0}, nullptr, "x", 16);
  const WindowSpec& w = *fake().window;
  EXPECT_EQ(w.client.w, 1024);
  EXPECT_EQ(w.client.h, 819);
  EXPECT_EQ(w.x, 10);
  EXPECT_EQ(w.y, 20);
  EXPECT_TRUE(w.menu.empty());
  EXPECT_FALSE(w.status_bar || w.system_menu || w.fixed_border);
}

TEST_F(RootWindowOpen, WindowThatCannotBeMadeEndsTheProcessAfterSayingSo) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        FakePlatform& f = InstallFake();
        f.open_fails = true;
        f.echo_boxes_on_exit = true;
        OpenProgramWindow();
        std::fputs("not reached\n", stderr);
      },
      ::testing::ExitedWithCode(0),
      "^\\[0 0 0 Zarvane Window\\|Failed to create window - aborting.\\]$");
}

// ------------------------------------------------------------------ toolbar

TEST_F(RootWindowOpen, ToolbarFollowsItsDescriptionAndTheMenu) {
  OpenProgramWindow();
  WMenuToolbar(30101);
  EXPECT_EQ(InfoStatus(1), 0);
  ASSERT_EQ(fake().toolbars.count(1), 1u);
  const ToolbarSpec& t = fake().toolbars.at(1);
  EXPECT_EQ(t.id, 30101);
  EXPECT_EQ(t.image.w, 16);
  EXPECT_EQ(t.image.h, 16);
  EXPECT_FALSE(t.bitmap.empty());
  struct Row {
    int id, image;
    const char* tooltip;
  };
  const Row rows[] = {{40002, 0, "Open"}, {40102, 1, "Append"}, {40003, 2, "Save"}, {0, -1, ""},
                      {40009, 3, "Define circular area for group"}, {0, -1, ""}, {40005, 4, "Exit"}};
  ASSERT_EQ(t.buttons.size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(t.buttons[i].id, rows[i].id);
    EXPECT_EQ(t.buttons[i].image, rows[i].image);
    EXPECT_EQ(t.buttons[i].tooltip, rows[i].tooltip);
    EXPECT_TRUE(t.buttons[i].enabled);
    EXPECT_FALSE(t.buttons[i].checked);
  }
}

TEST_F(RootWindowOpen, ToolbarErrorsLeaveTheWindowAsItWas) {
  WMenuToolbar(30101);  // no window yet
  EXPECT_EQ(InfoStatus(1), 1003);
  OpenProgramWindow();
  WMenuToolbar(30101);
  const int child = 5, out_of_range = 21;
  WMenuToolbar(30101, &child);
  EXPECT_EQ(InfoStatus(1), 1003);
  WMenuToolbar(30101, &out_of_range);
  EXPECT_EQ(InfoStatus(1), 1003);
  WMenuToolbar(30102);  // no such description
  EXPECT_EQ(InfoStatus(1), 1002);
  EXPECT_TRUE(fake().removed.empty());
  EXPECT_EQ(fake().toolbars.count(1), 1u);

  const int bottom = 4, nonsense = 9, none = 0;
  WMenuToolbar(30101, &none, &bottom);
  EXPECT_EQ(fake().toolbars.count(4), 1u);
  WMenuToolbar(0, &none, &nonsense);  // out-of-range positions mean the top
  EXPECT_EQ(fake().toolbars.count(1), 0u);
  EXPECT_EQ(InfoStatus(1), 0);
}

// A resource script of our own, for what the program's does not have.
constexpr char kScript[] =
    "7 MENU\nBEGIN\n"
    "  POPUP \"&A\"\n  BEGIN\n"
    "    MENUITEM \"One\", 101, GRAYED\n"
    "    POPUP \"Deeper\"\n    BEGIN\n      MENUITEM \"Two\", 102, CHECKED\n    END\n"
    "  END\n"
    "  POPUP \"&B\"\n  BEGIN\n    MENUITEM \"Three\", 103\n  END\n"
    "END\n"
    "7 RCDATA\nBEGIN\n 501, 1, 2, 0,  502, 9, 0,  503, 1, 1, 1, 0,  504, 2, 0,  0\nEND\n"
    "8 RCDATA\nBEGIN\n 24, 20, 0, 101, 102, 0, 103, 104\nEND\n"
    "STRINGTABLE\nBEGIN\n"
    " 103 \"" "0123456789012345678901234567890123456789"
    "0123456789012345678901234567890123456789" "TOO LONG\"\n"
    "END\n";
const zarv::EmbeddedFile kFiles[] = {
    {"test.rc", reinterpret_cast<const unsigned char*>(kScript), sizeof kScript - 1}};

TEST_F(RootWindowOpen, IdentifierTableAndToolbarStatesFromAMenuOfOurOwn) {
  zarv::RegisterResourceFiles(kFiles);
  ASSERT_EQ(zarv::ResourceError(), "");
  WindowOpen2(1, -1, -1, 300, 200, 7, {0, 0, 0, 0}, nullptr, "t", 16);
  const auto& menu = fake().window->menu;
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_EQ(menu[0].items[1].id, 501);  // the "Deeper" pop-up, two levels down
  EXPECT_EQ(menu[1].id, 504);
  EXPECT_EQ(menu[0].items[0].id, 101);  // paths that lead nowhere change nothing
  EXPECT_EQ(menu[0].id, 0);

  zarv::WindowSetTooltip(104, "Own tip   ");
  WMenuToolbar(8);
  const ToolbarSpec& t = fake().toolbars.at(1);
  EXPECT_EQ(t.image.w, 24);
  EXPECT_EQ(t.image.h, 20);
  EXPECT_TRUE(t.bitmap.empty());
  // A leading separator, then the entries; the description just stops.
  ASSERT_EQ(t.buttons.size(), 6u);
  EXPECT_EQ(t.buttons[0].id, 0);
  EXPECT_FALSE(t.buttons[1].enabled);  // grayed menu item
  EXPECT_EQ(t.buttons[1].image, 0);
  EXPECT_TRUE(t.buttons[2].checked);   // checked, in a nested pop-up
  EXPECT_TRUE(t.buttons[2].enabled);
  EXPECT_EQ(t.buttons[4].image, 2);
  EXPECT_EQ(t.buttons[4].tooltip.size(), 80u);
  EXPECT_EQ(t.buttons[5].tooltip, "Own tip");
  EXPECT_TRUE(t.buttons[5].enabled);  // no menu item: enabled
}

TEST_F(RootWindowOpen, ShutdownClosesTheWindowAndForgetsIt) {
  OpenProgramWindow();
  WindowShutdown();
  EXPECT_TRUE(fake().closed);
  WindowStatusText(1, "after");
  WindowTextAt(0, 0, "after");
  EXPECT_TRUE(fake().status.empty());
  EXPECT_TRUE(fake().texts.empty());
}

}  // namespace
}  // namespace zarv::testing
