#include "dialog_test_support.h"
#include "toolkit/dialogs/dialog_manager.h"

namespace dialog_tests {
namespace {

class DialogFieldsTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    WDialogLoad(102);
  }
  std::string Text(int id) { return zarv::dialogs::FindDialog(102)->field(id)->text; }
};

TEST_F(DialogFieldsTest, PutRealShowsTheFormattedValueLeftJustified) {
  const struct {
    int field;
    float value;
    const char* format;
    const char* shown;
  } cases[] = {
      {1003, 51.23804f, "(F10.5)", "51.23804"},
      {1004, 0.78157f, "(F10.5)", "0.78157"},
      {1005, 20.0f, "(F6.2)", "20.00"},
      {1003, 12.5f, " ", "12.50000"},  // blank: the field's [Formats] entry
  };
  for (const auto& c : cases) {
    WDialogPutReal(c.field, c.value, c.format);
    EXPECT_EQ(LastError(), 0);
    EXPECT_EQ(Text(c.field), c.shown) << c.field << " " << c.value;
  }
  // Too wide for its format: the conversion's overflow text, reported as 18.
  WDialogPutReal(1005, 1000.0f, "(F6.2)");
  EXPECT_EQ(LastError(), 18);
  EXPECT_EQ(Text(1005), "**********");
  WDialogPutReal(1006, 1.5f);  // a field without a format of its own
  EXPECT_EQ(zarv::dialogs::FindDialog(102)->field(1006)->record.format, "(G15.5E2)");
}

TEST_F(DialogFieldsTest, GetRealGivesTheStoredValueNotTheRoundedText) {
  WDialogPutReal(1003, 51.238037f, "(F10.5)");
  float v = 0;
  WDialogGetReal(1003, v);
  EXPECT_EQ(v, 51.238037f);
  int i = 0;
  WDialogGetInteger(1003, i);
  EXPECT_EQ(i, 51);

  WDialogPutString(1003, "12.5   ");  // a string drops the field's format
  WDialogGetReal(1003, v);
  EXPECT_EQ(v, 12.5f);
  EXPECT_FALSE(zarv::dialogs::FindDialog(102)->field(1003)->record.format.has_value());
  WDialogPutInteger(1005, -42);
  WDialogGetInteger(1005, i);
  EXPECT_EQ(i, -42);
  EXPECT_EQ(Text(1005), "-42");
}

TEST_F(DialogFieldsTest, RangesRefuseValuesAndLeaveTheField) {
  WDialogPutReal(1003, -5.0f, "(F10.5)");
  EXPECT_EQ(LastError(), 1009);
  EXPECT_EQ(Text(1003), "51.23804");
  WDialogPutReal(1004, 180.5f, "(F10.5)");
  EXPECT_EQ(LastError(), 1009);
  WDialogPutReal(1004, 180.0f, "(F10.5)");
  EXPECT_EQ(LastError(), 0);

  const int lo = 1, hi = 9;
  WDialogRangeInteger(1005, &lo, &hi);
  WDialogPutInteger(1005, 10);
  EXPECT_EQ(LastError(), 1009);
  WDialogRangeInteger(1005, nullptr, &hi);  // minimum -2147483647
  WDialogPutInteger(1005, -100000);
  EXPECT_EQ(LastError(), 0);
  WDialogRangeInteger(1005, &hi, &lo);  // reversed: no range
  WDialogPutInteger(1005, 100);
  EXPECT_EQ(LastError(), 0);
  WDialogRangeInteger(4242);
  EXPECT_EQ(LastError(), 1006);
}

TEST_F(DialogFieldsTest, UndefinedValuesAndUnknownFields) {
  float v = 1;
  WDialogPutString(1003, "   ");
  WDialogGetReal(1003, v);
  EXPECT_EQ(v, -999.0f);
  EXPECT_EQ(LastError(), 1010);
  int i = 1;
  WDialogGetInteger(1003, i);
  EXPECT_EQ(i, -999);
  EXPECT_EQ(LastError(), 1010);
  zarv::SetUndefinedValues(-1.0f, -2);
  WDialogGetReal(1003, v);
  EXPECT_EQ(v, -1.0f);

  WDialogGetReal(4242, v);
  EXPECT_EQ(LastError(), 1006);
  WDialogPutReal(4242, 1.0f);
  EXPECT_EQ(LastError(), 1006);
  WDialogGetReal(1006, v);  // a label reads as a number too: "Latitude" is none
  EXPECT_EQ(LastError(), 0);
}

TEST_F(DialogFieldsTest, OptionsOfMenuFields) {
  WDialogPutOption(1009, 2);
  int option = 0;
  zarv::Text<4> text;
  zarv::TextSpan span = text;
  WDialogGetMenu(1009, option, &span);
  EXPECT_EQ(option, 2);
  EXPECT_EQ(text.view(), "S   ");

  WDialogPutOption(1009, 3);
  EXPECT_EQ(LastError(), 1011);
  WDialogPutOption(1009, 0);
  EXPECT_EQ(LastError(), 1011);
  WDialogPutOption(1003, 1);  // not a menu field
  EXPECT_EQ(LastError(), 1006);
  WDialogGetMenu(1003, option);
  EXPECT_EQ(LastError(), 1006);

  // Typed text that is no selection: matched ignoring case, else 0.
  WDialogPutString(1009, "s");
  WDialogGetMenu(1009, option, &span);
  EXPECT_EQ(option, 2);
  EXPECT_EQ(text.view(), "s   ");
  WDialogPutString(1009, "x");
  WDialogGetMenu(1009, option);
  EXPECT_EQ(option, 0);
  WDialogPutString(1009, "");
  WDialogGetMenu(1009, option);
  EXPECT_EQ(option, -999);
  EXPECT_EQ(LastError(), 1010);
}

}  // namespace
}  // namespace dialog_tests
