#include "toolkit/dialogs/extra_data.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "toolkit/core/conversions.h"
#include "toolkit/dialogs/dialog_table.h"
#include "toolkit/dialogs/numeric_field.h"

namespace zarv::dialogs {
namespace {

constexpr std::size_t kWorkBuffer = 1024;
constexpr std::size_t kFaceLength = 999;
constexpr std::uint32_t kTbsEnableSelRange = 0x20;

enum class Section {
  kNone, kRanges, kMenus, kChecks, kTabs, kGrids, kColours, kTrackbars, kLengths,
  kDialog, kFormats, kTreeviews, kFonts,
};

constexpr std::array<std::pair<std::string_view, Section>, 12> kSections = {{
    {"[Ranges]", Section::kRanges}, {"[Menus]", Section::kMenus},
    {"[Checks]", Section::kChecks}, {"[Tabs]", Section::kTabs},
    {"[Grids]", Section::kGrids}, {"[Colours]", Section::kColours},
    {"[Trackbars]", Section::kTrackbars}, {"[Lengths]", Section::kLengths},
    {"[Dialog]", Section::kDialog}, {"[Formats]", Section::kFormats},
    {"[Treeviews]", Section::kTreeviews}, {"[Fonts]", Section::kFonts},
}};

int Saturate(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(std::trunc(v), -2147483648.0, 2147483647.0));
}

// Walks the text the way the format is defined: every token ends at the
// next blank (a line feed does not end it), lines are skipped by moving past
// the next line feed.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool at_end() const { return pos_ >= text_.size(); }

  void skip_blanks() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }
  bool at_line_end() const { return !at_end() && text_[pos_] == '\n'; }

  std::string_view token() {
    skip_blanks();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ' ') ++pos_;
    return text_.substr(start, pos_ - start);
  }

  // Optional minus and digits, up to the first character that is not a digit.
  int integer() {
    const std::string_view t = token();
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && t[i] == '-') {
      negative = true;
      ++i;
    }
    long long v = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
      v = std::min<long long>(v * 10 + (t[i] - '0'), 2147483648LL);
    }
    if (negative) v = -v;
    return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
  }

  double real() {
    const std::string_view t = token();
    double v = 0.0;
    if (!t.empty()) IStringToReal8(t, v);
    return v;
  }

  // The rest of the line from here, cut to the work buffer; the cursor moves
  // past its line feed.
  std::string_view rest_of_line() {
    const std::size_t end = std::min(text_.find('\n', pos_), text_.size());
    std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end < text_.size() ? end + 1 : end;
    return line.substr(0, kWorkBuffer);
  }

  // Text up to (not including) `stop` on this line, at most `limit` characters.
  std::string_view up_to(char stop, std::size_t limit) {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != stop && text_[pos_] != '\n' &&
           pos_ - start < limit) {
      ++pos_;
    }
    std::string_view s = text_.substr(start, pos_ - start);
    if (pos_ < text_.size() && text_[pos_] == stop) ++pos_;
    return s;
  }

  void skip_one_blank() {
    if (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }

  void next_line() {
    const std::size_t lf = text_.find('\n', pos_);
    pos_ = lf == std::string_view::npos ? text_.size() : lf + 1;
  }

  std::string_view peek_line() const {
    return text_.substr(pos_, std::min(text_.find('\n', pos_), text_.size()) - pos_);
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

std::string TrailingBlanksRemoved(std::string_view s) { return std::string(Trimmed(s)); }

void ReadRanges(Cursor& in, Field* f) {
  const double minimum = in.real();
  const double maximum = in.real();
  if (!f) return;
  if (f->kind == FieldClass::kProgress || f->kind == FieldClass::kTrackbar) {
    f->range_low = Saturate(minimum);
    f->range_high = Saturate(maximum);
    std::optional<double> position = ReadNumber(f->text);
    f->position = position ? Saturate(*position) : 0;
    if (f->kind == FieldClass::kTrackbar && f->range_low <= f->range_high) {
      f->position = std::clamp(f->position, f->range_low, f->range_high);
    }
  } else {
    f->record.range_minimum = minimum;
    f->record.range_maximum = maximum;
  }
}

void ReadMenus(Cursor& in, Field* f) {
  const int count = in.integer();
  const int initial = in.integer();
  in.next_line();
  std::vector<std::string> options;
  for (int i = 0; i < count && !in.at_end(); ++i) {
    options.push_back(TrailingBlanksRemoved(in.rest_of_line()));
  }
  if (!f || !f->is_menu()) return;
  f->options = std::move(options);
  f->selection = (initial >= 1 && initial <= static_cast<int>(f->options.size())) ? initial - 1 : -1;
  if (f->kind == FieldClass::kComboBox) {
    f->text = f->selection >= 0 ? f->options[static_cast<std::size_t>(f->selection)] : "";
  }
}

bool IsAncestorOrSelf(int candidate, const Dialog& dialog) {
  int id = dialog.record.identifier;
  for (int depth = 0; id != 0 && depth <= kMaxDialogs; ++depth) {
    if (id == candidate) return true;
    const Dialog* d = FindDialog(id);
    id = d ? d->tab_owner : 0;
  }
  return false;
}

void ReadTabs(Cursor& in, Field* f, Dialog& dialog) {
  const int count = in.integer();
  const int initial = in.integer();
  in.next_line();
  std::vector<TabItem> tabs;
  for (int i = 0; i < count && !in.at_end(); ++i) {
    Cursor line(in.rest_of_line());
    TabItem tab;
    tab.page = line.integer();
    line.skip_one_blank();
    std::string_view label = line.rest_of_line();
    tab.label = std::string(label.substr(0, label.empty() ? 0 : label.size() - 1));
    tabs.push_back(std::move(tab));
  }
  if (!f || f->kind != FieldClass::kTabControl) return;

  const int owner = dialog.record.identifier;
  f->tabs.clear();
  for (TabItem& tab : tabs) {
    if (IsAncestorOrSelf(tab.page, dialog)) continue;  // a page cannot hold its own owner
    Dialog* page = FindDialog(tab.page);
    if (!page) page = LoadDialog(tab.page, tab.page);
    if (!page) continue;
    if (page->tab_owner == 0) page->tab_owner = owner;
    f->tabs.push_back(std::move(tab));
  }
  MakeCurrent(owner);
  f->tab_selection = f->tabs.empty() ? -1 : 0;
  for (std::size_t i = 0; i < f->tabs.size(); ++i) {
    if (f->tabs[i].page == initial) f->tab_selection = static_cast<int>(i);
  }
}

int Colour(int r, int g, int b, int old) {
  if (r == -1) return old;
  if (r == 256) return -1;
  auto c = [](int v) { return std::clamp(v, 0, 255); };
  return c(r) + 256 * c(g) + 65536 * c(b);
}

void ReadColours(Cursor& in, Field* f) {
  int v[6];
  for (int& x : v) x = in.integer();
  if (!f) return;
  f->record.text_colour = Colour(v[0], v[1], v[2], f->record.text_colour);
  f->record.background_colour = Colour(v[3], v[4], v[5], f->record.background_colour);
}

void ReadTrackbars(Cursor& in, Field* f) {
  int v[5];
  for (int& x : v) x = in.integer();
  if (!f || f->kind != FieldClass::kTrackbar) return;
  f->tic_frequency = v[0];
  f->line_size = v[1];
  f->page_size = v[2];
  if (f->style & kTbsEnableSelRange) {
    f->selection_start = v[3] == v[4] ? 0 : v[3];
    f->selection_end = v[3] == v[4] ? 0 : v[4];
  }
}

void ReadLengths(Cursor& in, Field* f) {
  const int length = in.integer();
  if (!f || !(f->is_edit() || f->kind == FieldClass::kComboBox)) return;
  f->record.length_limit = length > 0 ? length : kDefaultLengthLimit;
}

void ReadFormat(Cursor& in, Field* f) {
  in.skip_one_blank();
  const std::string_view rest = in.peek_line().substr(0, kFormatLength);
  if (f && !IsBlank(rest)) f->record.format = std::string(rest);
}

void ReadFont(Cursor& in, Field* f) {
  FontChoice font;
  font.points = in.integer();
  in.skip_blanks();
  font.face = std::string(in.up_to(',', kFaceLength));
  font.weight = in.integer();
  font.italic = in.integer() == 1;
  if (f) f->font = std::move(font);
}

Section SectionOf(std::string_view line) {
  for (const auto& [name, section] : kSections) {
    if (line.starts_with(name)) return section;
  }
  return Section::kNone;
}

}  // namespace

void ApplyExtraData(Dialog& dialog, std::string_view data) {
  data = data.substr(0, std::min(data.find('\0'), data.size()));
  Cursor in(data);
  Section section = Section::kNone;
  while (!in.at_end()) {
    in.skip_blanks();
    if (in.at_end()) break;
    if (in.at_line_end()) {  // an empty line is no data line
      in.next_line();
      continue;
    }
    if (const Section named = SectionOf(in.peek_line()); named != Section::kNone) {
      section = named;
      in.next_line();
      continue;
    }
    if (section == Section::kNone) {
      in.next_line();
      continue;
    }
    if (section == Section::kDialog) {
      dialog.record.shortcut_flag = in.integer() != 0 ? 1 : 0;
      in.next_line();
      continue;
    }
    Field* f = dialog.field(in.integer());
    switch (section) {
      case Section::kRanges: ReadRanges(in, f); break;
      case Section::kMenus: ReadMenus(in, f); continue;  // has moved past its lines
      case Section::kChecks: {
        const int state = in.integer();
        if (f && (f->kind == FieldClass::kCheckBox || f->kind == FieldClass::kRadioButton)) {
          f->check = std::clamp(state, 0, 2);
        }
        break;
      }
      case Section::kTabs: ReadTabs(in, f, dialog); continue;
      case Section::kColours: ReadColours(in, f); break;
      case Section::kTrackbars: ReadTrackbars(in, f); break;
      case Section::kLengths: ReadLengths(in, f); break;
      case Section::kFormats: ReadFormat(in, f); break;
      case Section::kFonts: ReadFont(in, f); break;
      case Section::kGrids:      // no grid fields in this toolkit: read past
      case Section::kTreeviews:  // tree views show no menu items yet
      default: break;
    }
    in.next_line();
  }
}

}  // namespace zarv::dialogs
