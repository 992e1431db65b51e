#include <cmath>

#include "dialog_test_support.h"
#include "toolkit/dialogs/dialog_manager.h"
#include "toolkit/dialogs/dialog_status.h"

namespace dialog_tests {
namespace {

const std::string kScript = R"(
400 DIALOG 0, 0, 100, 60
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION "Numbers"
BEGIN
    CONTROL "10", 1, "REALEDIT", WS_TABSTOP, 5, 5, 40, 12
    CONTROL "", 2, "INTEGEREDIT", WS_TABSTOP, 5, 20, 40, 12
    EDITTEXT 5, 5, 35, 40, 12
    DEFPUSHBUTTON "Go", 3, 50, 5, 40, 14
    PUSHBUTTON "Other", 4, 50, 20, 40, 14
END
400 RCDATA "numbers.dat"
)";
const std::string kData = "[Ranges] \n 1 0 90 \n[Formats] \n 1 (F10.5) \n";

class NumericValidationTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    UseResources({{"test.rc", &script_}, {"numbers.dat", &data_}});
  }
  // Runs dialog `id` modally with `user` acting in it; the finished view.
  FakeView Run(int id, Script user) {
    WDialogLoad(id);
    platform->scripts.push_back(std::move(user));
    WDialogShow(-1, -1, 0, 1);
    if (platform->views.empty()) {
      ADD_FAILURE() << "dialog " << id << " was not shown";
      return {};
    }
    return platform->views.back();
  }
  float Real(int field) {
    float v = 0;
    WDialogGetReal(field, v);
    return v;
  }
  std::string script_ = kScript, data_ = kData;
};

TEST_F(NumericValidationTest, OutOfRangeBlocksOkWithOneBeepAndTheTextSelected) {
  using zarv::platform::ControlKind;
  std::optional<FakeView> after_ok;
  FakeView v = Run(102, [&](User& u, FakeView& view) {
    u.type(1003, "95");
    u.press(1);
    after_ok = view;
    u.type(1003, "45");
    u.press(1);
  });
  ASSERT_TRUE(after_ok);
  EXPECT_FALSE(after_ok->ended);
  EXPECT_EQ(after_ok->beeps, 1);
  EXPECT_EQ(after_ok->focused, 1003);
  EXPECT_TRUE(after_ok->controls[1003].selected_all);
  EXPECT_EQ(after_ok->controls[1003].text, "95");
  EXPECT_TRUE(v.ended);
  EXPECT_EQ(Real(1003), 45.0f);
}

// A click on OK moves the focus first; when that move is refused the button
// never had the focus, and its release presses nothing, whatever the text.
TEST_F(NumericValidationTest, ClickOnOkWhoseFocusWasRefusedDoesNotEndTheDialog) {
  for (const char* invalid : {"1.2.3", "95", "1E", "--5"}) {
    SCOPED_TRACE(invalid);
    std::optional<FakeView> after_click, after_second;
    FakeView v = Run(102, [&](User& u, FakeView& view) {
      u.type(1003, invalid);
      u.press(1);  // focus refused, then the release
      after_click = view;
      u.press(1);  // clicked again: the same
      after_second = view;
      u.type(1003, "45");
      u.enter();
    });
    ASSERT_TRUE(after_click && after_second);
    EXPECT_FALSE(after_click->ended);
    EXPECT_EQ(after_click->beeps, 1) << "one beep per click";
    EXPECT_EQ(after_click->focused, 1003);
    EXPECT_FALSE(after_second->ended);
    EXPECT_EQ(after_second->beeps, 2);
    EXPECT_TRUE(v.ended);
    EXPECT_EQ(v.exit_button, 1);
    EXPECT_EQ(Real(1003), 45.0f);
    WDialogUnload();
  }
}

TEST_F(NumericValidationTest, TextsThatAreNoNumberAreRefusedLikeAWord) {
  // The field reads its text with the toolkit's own number parser: list
  // input forms, C forms and a comma for the point are no numbers.
  for (const char* text : {"abc", "1-2", "1+2", "1E400", "nan", "inf", "3*7", "1/2", "12,5",
                           "+-5", "90.00001"}) {
    SCOPED_TRACE(text);
    bool left = true;
    FakeView v = Run(102, [&](User& u, FakeView&) {
      u.paste(1003, text);
      left = u.focus(1004, zarv::platform::FocusCause::kTab);
      u.paste(1003, "45");
      u.press(1);
    });
    EXPECT_FALSE(left);
    EXPECT_TRUE(v.ended);
    EXPECT_EQ(Real(1003), 45.0f);
    WDialogUnload();
  }
}

TEST_F(NumericValidationTest, LimitsOfTheRangeAndMinusZero) {
  FakeView v = Run(102, [&](User& u, FakeView&) {
    u.type(1003, "90");
    EXPECT_TRUE(u.focus(1004, zarv::platform::FocusCause::kTab));
    u.type(1004, "180");
    EXPECT_TRUE(u.focus(1005, zarv::platform::FocusCause::kTab));
    u.press(1);
  });
  EXPECT_TRUE(v.ended);
  EXPECT_EQ(v.controls[1003].text, "90.00000");
  EXPECT_EQ(Real(1003), 90.0f);
  EXPECT_EQ(Real(1004), 180.0f);
  WDialogUnload();

  v = Run(102, [&](User& u, FakeView&) {
    u.type(1003, "-0");
    EXPECT_TRUE(u.focus(1004, zarv::platform::FocusCause::kTab));
    u.type(1004, "-0.0E5");
    u.press(1);
  });
  EXPECT_EQ(v.controls[1003].text, "0.00000");
  const float lat = Real(1003), lon = Real(1004);
  EXPECT_EQ(lat, 0.0f);
  EXPECT_FALSE(std::signbit(lat));
  EXPECT_FALSE(std::signbit(lon));
}

TEST_F(NumericValidationTest, LeavingAValidFieldReformatsIt) {
  FakeView v = Run(102, [](User& u, FakeView& view) {
    u.type(1003, "51.5");
    u.focus(1004, FocusCause::kTab);
    EXPECT_EQ(view.controls[1003].text, "51.50000");
    u.type(1004, "1e1");  // the exponent letter shows as a capital
    EXPECT_EQ(view.controls[1004].text, "1E1");
    u.enter();  // Enter in a numeric field presses the default button
  });
  EXPECT_EQ(v.exit_button, 1);
  EXPECT_EQ(v.focus_field, 1004);
  EXPECT_EQ(WDialogStatus(2), 1004);
  EXPECT_EQ(Real(1003), 51.5f);
  EXPECT_EQ(Real(1004), 10.0f);  // typed and confirmed without leaving the field
}

TEST_F(NumericValidationTest, TypingFilterDropsWithABeepUnlessBeepsAreOff) {
  FakeView v = Run(400, [](User& u, FakeView& view) {
    u.type(2, "1x2.5e");
    EXPECT_EQ(view.controls[2].text, "125");  // integers take no point or exponent
    zarv::SetBeep(false);
    u.type(1, "7a");
    EXPECT_EQ(view.controls[1].text, "7");
    EXPECT_EQ(view.beeps, 3);
    zarv::SetBeep(true);
    u.type(5, "free text");  // plain edit fields take anything
    EXPECT_EQ(view.controls[5].text, "free text");
    u.press(3);
  });
  int i = 0;
  WDialogGetInteger(2, i);
  EXPECT_EQ(i, 125);
}

TEST_F(NumericValidationTest, InvalidFieldRefusesTabAndOtherFields) {
  Run(400, [](User& u, FakeView& view) {
    u.type(1, "-3");
    EXPECT_FALSE(u.focus(2, FocusCause::kTab));
    EXPECT_EQ(view.beeps, 1);
    EXPECT_FALSE(u.focus(5));
    EXPECT_EQ(view.beeps, 2);
    u.type(1, "");  // blank is invalid once the field held a value
    EXPECT_FALSE(u.focus(5));
    u.type(1, "abc");  // dropped keys: still blank
    u.type(1, "1.2.3");  // not a number
    EXPECT_FALSE(u.focus(5));
    u.type(1, "9");
    EXPECT_TRUE(u.focus(5));
    u.press(3);
  });
  EXPECT_EQ(Real(1), 9.0f);
}

TEST_F(NumericValidationTest, DeferredInvalidFieldLetsAnotherButtonAct) {
  // Clicking a button other than 1 with an invalid entry: the button acts
  // on the last valid entry.
  FakeView v = Run(400, [](User& u, FakeView&) {
    u.type(1, "500");
    u.press(4);
  });
  EXPECT_EQ(v.exit_button, 4);
  EXPECT_EQ(Real(1), 10.0f);
  EXPECT_EQ(v.controls[1].text, "10");

  // The button loses the focus without being pressed: back to the field.
  Run(400, [](User& u, FakeView& view) {
    u.type(1, "500");
    EXPECT_TRUE(u.focus(4));
    EXPECT_FALSE(u.focus(5));
    EXPECT_EQ(view.focused, 1);
    EXPECT_EQ(view.beeps, 1);
    EXPECT_TRUE(view.controls[1].selected_all);
    u.type(1, "5");
    u.press(3);
  });
  EXPECT_EQ(Real(1), 5.0f);
}

TEST_F(NumericValidationTest, EscAndTheCloseBoxEndWithButtonTwoKeepingInput) {
  FakeView v = Run(102, [](User& u, FakeView&) {
    u.type(1005, "12.5");
    u.esc();
  });
  EXPECT_EQ(v.exit_button, 2);
  EXPECT_EQ(WDialogStatus(1), 2);
  EXPECT_EQ(Real(1005), 12.5f);

  // Esc on an out-of-range entry: the last valid entry is kept.
  Run(102, [](User& u, FakeView&) { u.type(1003, "99"); });  // then the close box
  EXPECT_EQ(WDialogStatus(1), 2);
  EXPECT_EQ(Real(1003), 51.23804f);
}

}  // namespace
}  // namespace dialog_tests
