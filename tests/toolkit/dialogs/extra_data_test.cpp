#include <random>

#include "dialog_test_support.h"
#include "toolkit/dialogs/extra_data.h"

namespace dialog_tests {
namespace {

using zarv::dialogs::Dialog;
using zarv::dialogs::Field;

// A dialog model with fields 1..7: list box, drop-down combo, REALEDIT,
// check box, trackbar (selection range), progress bar, EDIT.
Dialog Model() {
  const struct {
    const char* cls;
    std::uint32_t style;
    const char* text;
  } controls[] = {
      {"LISTBOX", 1, ""},         {"COMBOBOX", 2, ""},        {"REALEDIT", 0, "3"},
      {"BUTTON", 2, "Check"},     {"msctls_trackbar32", 0x20, "4"},
      {"msctls_progress32", 0, "7"}, {"EDIT", 0, ""},
  };
  Dialog d;
  d.record.identifier = 900;
  int id = 1;
  for (const auto& c : controls) {
    zarv::ControlTemplate t;
    t.cls = c.cls;
    t.id = id++;
    t.style = c.style | zarv::style::kVisible;
    t.text = c.text;
    d.fields.push_back(zarv::dialogs::MakeField(t));
  }
  return d;
}

TEST(ExtraData, TheGroupDialogsOwnData) {
  zarv::RegisterResourceFiles(nodalux::ResourceFiles());
  zarv::dialogs::ResetDialogTable();
  auto* d = zarv::dialogs::LoadDialog(102, 102);
  ASSERT_NE(d, nullptr);
  const Field* ns = d->field(1009);
  EXPECT_EQ(ns->options, (std::vector<std::string>{"N", "S"}));
  EXPECT_EQ(ns->selection, 0);
  EXPECT_EQ(d->field(1010)->selection, 1);
  EXPECT_EQ(d->field(1010)->text, "W");
  EXPECT_EQ(d->field(1003)->record.range_minimum, 0.0);
  EXPECT_EQ(d->field(1003)->record.range_maximum, 90.0);
  EXPECT_EQ(d->field(1004)->record.range_maximum, 180.0);
  EXPECT_FALSE(d->field(1005)->record.has_range());
  EXPECT_EQ(zarv::Trimmed(*d->field(1003)->record.format), "(F10.5)");
  EXPECT_EQ(zarv::Trimmed(*d->field(1005)->record.format), "(F6.2)");
  // Fields start from their template texts.
  EXPECT_EQ(d->field(1003)->record.value, 51.23804);
  EXPECT_EQ(d->field(1003)->record.defined, 1);
  EXPECT_EQ(d->field(1002)->record.initial_state, 1);
  EXPECT_EQ(d->field(1002)->record.text_colour, -1);
  zarv::dialogs::ResetDialogTable();
}

TEST(ExtraData, EachSection) {
  Dialog d = Model();
  zarv::dialogs::ApplyExtraData(d,
      "stray line before any section \n"
      "[Menus] \n 1 3 0 \n  one  \ntwo \nthree \n 2 2 2 \nA \nB \n"
      "[Ranges] \n 3 -1.5 2.5 \n 5 0.9 10.9 \n 6 2 50 \n 99 1 2 \n"
      "[Checks] \n 4 2 \n"
      "[Colours] \n 3 255 0 0 256 0 0 \n 7 -1 9 9 1 2 3 \n"
      "[Trackbars] \n 5 2 3 4 6 6 \n"
      "[Lengths] \n 7 12 \n 2 3 \n"
      "[Dialog] \n1 \n"
      "[Grids] \n 1 anything at all \n"
      "[Treeviews] \n 1 30001 0 \n"
      "[Fonts] \n 7 10 Courier New,700 1 \n"
      "[Formats] \n 3 (F8.3)  \n 7 \n");
  EXPECT_EQ(d.field(1)->options, (std::vector<std::string>{"  one", "two", "three"}));
  EXPECT_EQ(d.field(1)->selection, -1);  // initial 0: no selection
  EXPECT_EQ(d.field(2)->text, "B");
  EXPECT_EQ(d.field(3)->record.range_minimum, -1.5);
  EXPECT_EQ(d.field(3)->record.range_maximum, 2.5);
  EXPECT_EQ(d.field(5)->range_low, 0);  // truncated
  EXPECT_EQ(d.field(5)->range_high, 10);
  EXPECT_EQ(d.field(5)->position, 4);
  EXPECT_EQ(d.field(6)->range_high, 50);
  EXPECT_EQ(d.field(6)->position, 7);
  EXPECT_EQ(d.field(4)->check, 2);
  EXPECT_EQ(d.field(3)->record.text_colour, 255);
  EXPECT_EQ(d.field(3)->record.background_colour, -1);  // red 256: default
  EXPECT_EQ(d.field(7)->record.text_colour, -1);        // red -1: unchanged
  EXPECT_EQ(d.field(7)->record.background_colour, 1 + 2 * 256 + 3 * 65536);
  EXPECT_EQ(d.field(5)->tic_frequency, 2);
  EXPECT_EQ(d.field(5)->page_size, 4);
  EXPECT_EQ(d.field(5)->selection_start, 0);  // equal ends clear the selection
  EXPECT_EQ(d.field(7)->record.length_limit, 12);
  EXPECT_EQ(d.field(2)->record.length_limit, 3);
  EXPECT_EQ(d.record.shortcut_flag, 1);
  ASSERT_TRUE(d.field(7)->font.has_value());
  EXPECT_EQ(d.field(7)->font->face, "Courier New");
  EXPECT_EQ(d.field(7)->font->weight, 700);
  EXPECT_TRUE(d.field(7)->font->italic);
  EXPECT_EQ(*d.field(3)->record.format, "(F8.3)  ");
  EXPECT_FALSE(d.field(7)->record.format.has_value());  // empty rest: unset
}

TEST(ExtraData, ANumberRunsOnWhenNoBlankEndsIt) {
  Dialog d = Model();
  // "2.5" is followed directly by the line feed: the token runs into the
  // next line, and moving past the next line feed skips field 1's line.
  zarv::dialogs::ApplyExtraData(d, "[Ranges] \n 3 1 2.5\n 7 5 6 \n 5 0 8 \n");
  EXPECT_EQ(d.field(7)->record.range_minimum, 1000.0);
  EXPECT_EQ(d.field(5)->range_high, 8);
  // Options stop at the end of the data; the text ends at its first NUL.
  Dialog e = Model();
  zarv::dialogs::ApplyExtraData(e, std::string_view("[Menus] \n 1 5 1 \nx \ny \0z \n", 23));
  EXPECT_EQ(e.field(1)->options, (std::vector<std::string>{"x", "y"}));
}

TEST(ExtraData, LongOptionsAreCutToTheWorkBuffer) {
  Dialog d = Model();
  zarv::dialogs::ApplyExtraData(d, "[Menus] \n 1 1 1 \n" + std::string(3000, 'x') + " \n");
  ASSERT_EQ(d.field(1)->options.size(), 1u);
  EXPECT_EQ(d.field(1)->options[0].size(), 1024u);
}

// Random and mutated extra data never crashes the reader.
TEST(ExtraDataFuzz, RandomAndMutatedInputs) {
  const std::string seeds[] = {
      "[Menus] \n 9 2 1 \nN \nS \n[Ranges] \n 6 0.0 90.0 \n[Formats] \n 6 (F10.5) \n",
      "[Tabs] \n 13 3 5 \n5 A \n6 B \n7 C \n[Fonts] \n 1 8 Arial,400 0 \n",
      "[Colours] \n 1 256 0 0 -1 0 0 \n[Trackbars] \n 11 1 1 1 2 9 \n[Dialog] \n7 \n",
      "[Checks] \n 2 1 \n[Lengths] \n 5 99999999999999 \n[Grids] \n 1 \n",
  };
  std::mt19937 rng(20050703);
  const std::string alphabet = "[]MenusRangesFormatsTabsFonts0123456789-+.,E \n\0 ";
  for (int round = 0; round < 4000; ++round) {
    std::string input = seeds[round % 4];
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < edits && !input.empty(); ++e) {
      const std::size_t at = rng() % input.size();
      switch (rng() % 4) {
        case 0: input[at] = alphabet[rng() % alphabet.size()]; break;
        case 1: input.insert(at, 1, static_cast<char>(rng() % 256)); break;
        case 2: input.erase(at, 1 + rng() % 5); break;
        default: input.insert(at, input.substr(rng() % input.size(), rng() % 40)); break;
      }
    }
    if (round % 5 == 0) {
      input.resize(rng() % 200);
      for (char& c : input) c = static_cast<char>(rng() % 256);
    }
    zarv::dialogs::FuzzExtraData(reinterpret_cast<const std::uint8_t*>(input.data()),
                                 input.size());
  }
  SUCCEED();
}

}  // namespace
}  // namespace dialog_tests
