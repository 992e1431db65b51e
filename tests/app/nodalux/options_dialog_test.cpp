#include "app/shared/program_state.h"
#include "app/nodalux/commands.h"
#include "app/shared/list_view.h"
#include "app/nodalux/poi_files.h"
#include "tests/toolkit/dialogs/dialog_test_support.h"
#include "toolkit/core/window.h"
#include "toolkit/dialogs/dialog_status.h"

namespace dialog_tests {
namespace {

using namespace nodalux;

class OptionsDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    OpenProgramWindowWithDefaultCircle();
  }
  void TearDown() override {
    WindowShutdown();
    DialogTest::TearDown();
  }
  void RunOptions(Script user) {
    platform->scripts.push_back(std::move(user));
    OPTIONS();
    ASSERT_EQ(platform->shown.size(), 1u);
    EXPECT_EQ(platform->shown[0].id, 102);
    EXPECT_TRUE(zarv::dialogs::Table().slots.empty());  // unloaded again
  }
  std::string LastLine() { return LIST_COUNT ? LIST_LINES[LIST_COUNT].str() : ""; }
};

TEST_F(OptionsDialogTest, OpensWithTheCircleAndConfirmingItChangesNothing) {
  std::map<int, Control> shown;
  RunOptions([&](User& u, FakeView& view) {
    shown = view.controls;
    u.press(1);
  });
  EXPECT_EQ(shown[1009].text, "N");
  EXPECT_EQ(shown[1003].text, "51.47604");
  EXPECT_EQ(shown[1010].text, "E");
  EXPECT_EQ(shown[1004].text, "0.00000");
  EXPECT_EQ(shown[1005].text, "30.00");
  EXPECT_EQ(CENTRE_LATITUDE, 51.47604f);
  EXPECT_EQ(LIST_COUNT, 0);  // no change, no line
  EXPECT_EQ(platform->status[2], " Centre: N  51.47604, E  0.00000, Radius: 30.00");
  EXPECT_FALSE(platform->status[1].empty());  // the group was rebuilt all the same
}

TEST_F(OptionsDialogTest, HemispheresAndChanges) {
  struct Case {
    const char* name;
    float lat, lon, radius;
    Script user;
    float want_lat, want_lon, want_radius;
    const char* status;  // status part 2, or nullptr
    bool line;
  };
  const Case cases[] = {
      {"south", 33.86f, 151.25f, 12.5f,
       [](User& u, FakeView&) { u.pick(1009, 2); u.press(1); },
       -33.86f, 151.25f, 12.5f, " Centre: S  33.86000, E151.25000, Radius: 12.50", true},
      {"stored west opens as W", 51.0f, -0.78157f, 5.0f,
       [](User& u, FakeView& v) {
         EXPECT_EQ(v.controls[1010].text, "W");
         EXPECT_EQ(v.controls[1004].text, "0.78157");
         u.press(1);
       },
       51.0f, -0.78157f, 5.0f, nullptr, false},
      {"west of zero is no change", 51.0f, 0.0f, 5.0f,
       [](User& u, FakeView&) { u.pick(1010, 2); u.press(1); },
       51.0f, -0.0f, 5.0f, nullptr, false},
      {"lower-case s stays north", 10.0f, 1.0f, 5.0f,
       [](User& u, FakeView&) { u.type(1009, "s"); u.press(1); },
       10.0f, 1.0f, 5.0f, " Centre: s  10.00000, E  1.00000, Radius:  5.00", false},
      {"big radius shows asterisks", 10.0f, 1.0f, 5.0f,
       [](User& u, FakeView&) { u.type(1005, "1000"); u.press(1); },
       10.0f, 1.0f, 1000.0f, " Centre: N  10.00000, E  1.00000, Radius:******", true},
      {"close box applies the values", 10.0f, 1.0f, 5.0f,
       [](User& u, FakeView&) { u.type(1003, "20"); u.type(1005, "-1"); },
       20.0f, 1.0f, -1.0f, nullptr, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    CENTRE_LATITUDE = c.lat;
    CENTRE_LONGITUDE = c.lon;
    RADIUS_MILES = c.radius;
    RunOptions(c.user);
    EXPECT_EQ(CENTRE_LATITUDE, c.want_lat);
    EXPECT_EQ(CENTRE_LONGITUDE, c.want_lon);
    EXPECT_EQ(RADIUS_MILES, c.want_radius);
    if (c.status) {
      EXPECT_EQ(platform->status[2], c.status);
    }
    EXPECT_EQ(LIST_COUNT, c.line ? 1 : 0);
    if (c.line) {
      EXPECT_EQ(LastLine(), "Group definition changed.        0 in new group");
    }
  }
}

TEST_F(OptionsDialogTest, AStoredCentreOutOfRangeShowsEmptyFieldsAndIsKeptByOk) {
  CENTRE_LATITUDE = -95.0f;
  CENTRE_LONGITUDE = 200.0f;
  for (int run = 0; run < 2; ++run) {  // confirming twice changes nothing either
    std::string latitude = "?", longitude = "?";
    RunOptions([&](User& u, FakeView& view) {
      latitude = view.controls[1003].text;
      longitude = view.controls[1004].text;
      u.press(1);
    });
    platform->shown.clear();
    EXPECT_EQ(latitude, "");
    EXPECT_EQ(longitude, "");
    EXPECT_EQ(CENTRE_LATITUDE, -95.0f);
    EXPECT_EQ(CENTRE_LONGITUDE, 200.0f);
    EXPECT_EQ(LIST_COUNT, 0);
  }
  EXPECT_EQ(platform->status[2], " Centre: S  95.00000, E200.00000, Radius: 30.00");
  ASSERT_EQ(platform->notes.size(), 4u);
  EXPECT_NE(platform->notes[0].find("latitude"), std::string::npos);
  EXPECT_NE(platform->notes[1].find("longitude"), std::string::npos);

  // A value typed into the empty field replaces the stored one; the
  // hemisphere letter still applies to a field left empty.
  RunOptions([&](User& u, FakeView&) {
    u.type(1003, "45");
    u.pick(1010, 2);
    u.press(1);
  });
  EXPECT_EQ(CENTRE_LATITUDE, -45.0f);
  EXPECT_EQ(CENTRE_LONGITUDE, -200.0f);
}

TEST_F(OptionsDialogTest, NoNaNOrInfinityReachesTheCircle) {
  for (const char* text : {"nan", "inf", "-inf", "1E400", "1e39", "3*7"}) {
    SCOPED_TRACE(text);
    TearDown();
    SetUp();
    RunOptions([&](User& u, FakeView&) {
      u.paste(1005, text);
      u.press(1);
    });
    EXPECT_EQ(RADIUS_MILES, 30.0f);  // the text is no number: the value stays
    EXPECT_EQ(platform->status[2], " Centre: N  51.47604, E  0.00000, Radius: 30.00");
  }
}

TEST_F(OptionsDialogTest, AboutShowsItsFourLines) {
  platform->scripts.push_back([](User& u, FakeView& view) {
    EXPECT_EQ(view.controls[1001].text, "\rNodalux v1.00 7/3/2005\r-\r(c) 2005 Quorvath");
    u.press(1);
  });
  ABOUT();
  ASSERT_EQ(platform->shown.size(), 1u);
  EXPECT_EQ(platform->shown[0].id, 101);
  EXPECT_EQ(WDialogStatus(1), 1);
  EXPECT_TRUE(zarv::dialogs::Table().slots.empty());
}

}  // namespace
}  // namespace dialog_tests
