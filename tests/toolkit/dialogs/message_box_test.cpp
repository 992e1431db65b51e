#include <gtest/gtest.h>

#include "tests/toolkit/platform/fake_platform.h"
#include "toolkit/core/errors.h"
#include "toolkit/dialogs/common_dialogs.h"
#include "toolkit/dialogs/dialog_status.h"

namespace zarv::testing {
namespace {

class MessageBox : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_ = &InstallFake();
    InfoStatus(1);
  }
  void TearDown() override { SetPlatform(nullptr); }
  FakePlatform& fake() { return *fake_; }
  FakePlatform* fake_ = nullptr;
};

TEST_F(MessageBox, ButtonSetsIconsAndDefaultsMapAsDocumented) {
  struct Row {
    int buttons, icon, default_result;    // as the program passes them
    int shown_buttons, shown_icon, position;  // what the backend is asked for
  };
  const Row rows[] = {
      {0, 1, 2, 0, 1, 0},  {9, 2, 1, 0, 2, 0},   {-1, 3, 0, 0, 3, 0},   // OK only
      {1, 4, 1, 1, 4, 0},  {1, 0, 2, 1, 0, 1},   {1, 5, 7, 1, 0, 1},    // OK/Cancel
      {2, -1, 1, 2, 0, 0}, {2, 3, 0, 2, 3, 1},                          // Retry/Cancel
      {3, 2, 1, 3, 2, 0},  {3, 2, 2, 3, 2, 1},   {3, 2, 0, 3, 2, 1},    // Yes/No
      {4, 1, 1, 4, 1, 0},  {4, 1, 2, 4, 1, 1},   {4, 1, 0, 4, 1, 2},  {4, 1, 9, 4, 1, 2},
      {5, 3, 1, 5, 3, 1},  {5, 3, 2, 5, 3, 0},   {5, 3, 0, 5, 3, 2},  {5, 3, -4, 5, 3, 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(::testing::Message() << r.buttons << "/" << r.icon << "/" << r.default_result);
    WMessageBox(r.buttons, r.icon, r.default_result, "m", "t");
    const MessageBoxSpec& b = fake().boxes.back();
    EXPECT_EQ(b.buttons, r.shown_buttons);
    EXPECT_EQ(b.icon, r.shown_icon);
    EXPECT_EQ(b.default_button, r.position);
  }
}

TEST_F(MessageBox, TextsLoseOnlyTheirTrailingBlanks) {
  WMessageBox(0, 4, 1, "  line one\rline two   ", "Title   ");
  EXPECT_EQ(fake().boxes.back().text, "  line one\rline two");
  EXPECT_EQ(fake().boxes.back().title, "Title");
}

TEST_F(MessageBox, AnswerIsReadThroughDialogStatus) {
  SetModalDialogResults(1, 1003, 102);
  struct Row {
    int buttons, default_result, answer, status, error;
  };
  const Row rows[] = {
      {3, 2, 2, 2, 0},       // Yes/No, No as default, answered No
      {5, 1, 0, 0, 0},       // Abort/Retry/Ignore: Ignore
      {1, 1, 1, 1, 0},
      {0, 1, -1, -1, 1004},  // the backend could not show it
      {0, 1, 7, -1, 1004},   // an answer no button gives
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.answer);
    fake().box_answers.push_back(r.answer);
    WMessageBox(r.buttons, 0, r.default_result, "m", "t");
    EXPECT_EQ(WDialogStatus(4), r.status);
    EXPECT_EQ(WDialogStatus(2), 0);
    EXPECT_EQ(InfoStatus(1), r.error);
  }
  EXPECT_EQ(WDialogStatus(1), 1);  // the modal dialog's own results stay
  EXPECT_EQ(WDialogStatus(5), 102);
}

TEST(DialogStatus, CodesReadTheirSetters) {
  SetModalDialogResults(2, 1004, 101);
  SetCurrentDialogId(102);
  SetCommonDialogResult(1);
  EXPECT_EQ(WDialogStatus(1), 2);
  EXPECT_EQ(WDialogStatus(2), 0);  // cleared by the common dialog
  EXPECT_EQ(WDialogStatus(3), 102);
  EXPECT_EQ(WDialogStatus(4), 1);
  EXPECT_EQ(WDialogStatus(5), 101);
  SetModalDialogResults(2, 1004, 101);
  EXPECT_EQ(WDialogStatus(2), 1004);
  for (int code : {0, 6, 10, 11, -1}) EXPECT_EQ(WDialogStatus(code), 0) << code;
  SetCurrentDialogId(0);
}

}  // namespace
}  // namespace zarv::testing
