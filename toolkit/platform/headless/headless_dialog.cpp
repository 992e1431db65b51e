#include "toolkit/platform/headless/headless_dialog.h"

#include <algorithm>

#include "toolkit/platform/utf8.h"

namespace zarv::platform {

namespace {

bool IsList(ControlKind k) {
  return k == ControlKind::kComboEdit || k == ControlKind::kComboList ||
         k == ControlKind::kComboSimple || k == ControlKind::kListBox;
}

// Combo boxes whose edit field is separate from the selected option.
bool HasEditField(ControlKind k) {
  return k == ControlKind::kComboEdit || k == ControlKind::kComboSimple;
}

bool IsPushButton(ControlKind k) {
  return k == ControlKind::kPushButton || k == ControlKind::kDefPushButton;
}

bool ShowsField(ControlKind k) {
  return k == ControlKind::kEdit || k == ControlKind::kStatic || k == ControlKind::kComboEdit ||
         k == ControlKind::kComboList || k == ControlKind::kComboSimple ||
         k == ControlKind::kTabControl;
}

// Tab pages nest only as deep as the toolkit lets them; this bounds the walk
// up from a control to the dialog even for a DialogSpec whose pages loop.
constexpr int kMaxPageDepth = 16;

}  // namespace

bool IsTypeable(ControlKind kind) { return kind == ControlKind::kEdit || HasEditField(kind); }

bool IsFocusable(ControlKind kind) {
  return kind != ControlKind::kStatic && kind != ControlKind::kGroupBox &&
         kind != ControlKind::kOther;
}

HeadlessDialog::HeadlessDialog(const DialogSpec& spec, DialogEvents& events, ScriptDriver& script,
                               Transcript& transcript)
    : spec_(spec), events_(events), script_(script), transcript_(transcript) {
  controls_.reserve(spec.controls.size());
  for (const auto& c : spec.controls) {
    Control control;
    control.spec = c;
    if (!IsList(c.kind) || HasEditField(c.kind)) control.text = c.text;
    if (c.kind == ControlKind::kTabControl) control.selection = c.tab_selection;
    controls_.push_back(std::move(control));
  }
}

void HeadlessDialog::run() {
  events_.opened(*this);
  transcript_.dialog_show(spec_.id);
  write_fields();
  if (!ended_) {
    if (script_.dialog_begins(spec_.id)) {
      while (!ended_) {
        const auto action = script_.next_dialog_action();
        if (!action) {
          note("dialog " + std::to_string(spec_.id) +
               " is still open where its script answer ends; close box used");
          events_.cancel();
          break;
        }
        perform(*action);
      }
    } else {
      events_.cancel();
    }
  }
  if (!ended_) {
    note("dialog " + std::to_string(spec_.id) + " did not end on the close box; closed");
    ended_.emplace(2, focus_);
  }
  write_fields();
  transcript_.dialog_end(spec_.id, ended_->first, ended_->second);
}

void HeadlessDialog::open() {
  events_.opened(*this);
  transcript_.dialog_show(spec_.id);
  write_fields();
}

void HeadlessDialog::hide() { transcript_.line("dialog " + std::to_string(spec_.id) + " hide"); }

// Controls of a tab page are written under their own identifiers, and only
// while their page is shown: the transcript tells what the screen shows.
void HeadlessDialog::write_fields() {
  for (auto& c : controls_) {
    if (!ShowsField(c.spec.kind)) continue;
    if (c.spec.tab_control == 0) {
      transcript_.field(c.spec.id, shown_text(c));
    } else if (on_screen(c)) {
      transcript_.field(c.spec.page_field, shown_text(c));
    }
  }
}

HeadlessDialog::Control* HeadlessDialog::find(int id) {
  for (auto& c : controls_) {
    if (c.spec.id == id) return &c;
  }
  return nullptr;
}

HeadlessDialog::Control* HeadlessDialog::resolve(int id) {
  for (auto& c : controls_) {
    if (c.spec.tab_control == 0 && c.spec.id == id) return &c;
  }
  Control* hidden = nullptr;
  for (auto& c : controls_) {
    if (c.spec.tab_control == 0 || c.spec.page_field != id) continue;
    if (on_screen(c)) return &c;
    if (!hidden) hidden = &c;
  }
  return hidden;  // a control of a page not shown: reported as hidden
}

bool HeadlessDialog::on_screen(const Control& c) {
  const Control* at = &c;
  for (int depth = 0; depth < kMaxPageDepth; ++depth) {
    if (!at->spec.visible) return false;
    if (at->spec.tab_control == 0) return true;
    const Control* tabs = find(at->spec.tab_control);
    if (!tabs || tabs->selection != at->spec.tab_index) return false;
    at = tabs;
  }
  return false;
}

std::string HeadlessDialog::shown_text(const Control& c) const {
  if (c.spec.kind == ControlKind::kTabControl) {
    return c.selection >= 0 && static_cast<std::size_t>(c.selection) < c.spec.tabs.size()
               ? c.spec.tabs[static_cast<std::size_t>(c.selection)]
               : std::string();
  }
  if (IsList(c.spec.kind) && !HasEditField(c.spec.kind)) {
    return c.selection >= 0 ? c.options[static_cast<std::size_t>(c.selection)] : std::string();
  }
  return c.text;
}

void HeadlessDialog::note(const std::string& text) { transcript_.note(text); }

void HeadlessDialog::skip(const DialogAction& action, const std::string& why) {
  note("script line " + std::to_string(action.line) + ": " + why + "; skipped");
}

// ------------------------------------------------------------ DialogView

std::string HeadlessDialog::text(int id) {
  const Control* c = find(id);
  return c ? shown_text(*c) : std::string();
}

void HeadlessDialog::set_text(int id, std::string_view text) {
  Control* c = find(id);
  if (!c) return;
  if (IsList(c->spec.kind) && !HasEditField(c->spec.kind)) {
    // A list shows only its options: setting the text selects the one that
    // reads the same, if any.
    const auto it = std::find(c->options.begin(), c->options.end(), text);
    if (it != c->options.end()) c->selection = static_cast<int>(it - c->options.begin());
    return;
  }
  c->text = std::string(text);
  c->sel_start = c->sel_end = c->text.size();  // the caret after the new text
}

std::vector<std::string> HeadlessDialog::options(int id) {
  const Control* c = find(id);
  return c ? c->options : std::vector<std::string>{};
}

void HeadlessDialog::set_options(int id, const std::vector<std::string>& options) {
  Control* c = find(id);
  if (!c || !IsList(c->spec.kind)) return;
  c->options = options;
  c->selection = -1;
}

int HeadlessDialog::selection(int id) {
  const Control* c = find(id);
  return c ? c->selection : -1;
}

void HeadlessDialog::set_selection(int id, int index) {
  Control* c = find(id);
  if (!c || !IsList(c->spec.kind)) return;
  c->selection = index >= 0 && static_cast<std::size_t>(index) < c->options.size() ? index : -1;
  if (HasEditField(c->spec.kind)) {
    c->text = c->selection >= 0 ? c->options[static_cast<std::size_t>(c->selection)] : std::string();
    c->sel_start = c->sel_end = 0;
  }
}

int HeadlessDialog::check(int id) {
  const Control* c = find(id);
  return c ? c->check : 0;
}

void HeadlessDialog::set_check(int id, int state) {
  if (Control* c = find(id)) c->check = std::clamp(state, 0, 2);
}

void HeadlessDialog::set_focus(int id) {
  const Control* c = find(id);
  if (id != 0 && (!c || !IsFocusable(c->spec.kind))) return;
  if (focus_changing_) focus_redirected_ = true;
  focus_ = id;
}

void HeadlessDialog::select_all(int id) {
  if (Control* c = find(id)) {
    c->sel_start = 0;
    c->sel_end = c->text.size();
  }
}

void HeadlessDialog::set_enabled(int id, bool enabled) {
  if (Control* c = find(id)) c->spec.enabled = enabled;
}

void HeadlessDialog::beep() { transcript_.beep(); }

void HeadlessDialog::select_tab(int id, int index) {
  Control* c = find(id);
  if (!c || c->spec.kind != ControlKind::kTabControl || index < 0 ||
      static_cast<std::size_t>(index) >= c->spec.tabs.size()) {
    return;
  }
  c->selection = index;
}

void HeadlessDialog::end(int exit_button, int focus_field) {
  ended_.emplace(exit_button, focus_field);
}

// ------------------------------------------------------------ user actions

bool HeadlessDialog::move_focus(int to, FocusCause cause) {
  if (focus_ == to) return true;
  focus_changing_ = true;
  focus_redirected_ = false;
  events_.focus_changing(focus_, to, cause);
  focus_changing_ = false;
  if (!focus_redirected_) focus_ = to;
  return focus_ == to;
}

HeadlessDialog::Control* HeadlessDialog::reachable(const DialogAction& action, const char* verb) {
  Control* c = resolve(action.field);
  const std::string what = std::string(verb) + ' ' + std::to_string(action.field);
  if (!c) {
    skip(action, what + ": dialog " + std::to_string(spec_.id) + " has no such control");
  } else if (!on_screen(*c) || !c->spec.enabled) {
    skip(action, what + ": the control is " + (on_screen(*c) ? "disabled" : "hidden"));
  } else {
    return c;
  }
  return nullptr;
}

void HeadlessDialog::perform(const DialogAction& action) {
  switch (action.kind) {
    case DialogAction::kType: type(action); break;
    case DialogAction::kClear: clear(action); break;
    case DialogAction::kPick: pick(action); break;
    case DialogAction::kFocus: focus_action(action); break;
    case DialogAction::kTab: tab(); break;
    case DialogAction::kEnter: enter(); break;
    case DialogAction::kPress: press(action); break;
    case DialogAction::kEsc:
    case DialogAction::kCloseBox: events_.cancel(); break;
  }
}

void HeadlessDialog::type(const DialogAction& action) {
  Control* c = reachable(action, "type");
  if (!c) return;
  const int id = c->spec.id;
  if (!IsTypeable(c->spec.kind) || c->spec.read_only) {
    skip(action, "type " + std::to_string(id) + ": the control takes no typing");
    return;
  }
  if (!move_focus(id, FocusCause::kClick)) {
    skip(action, "type " + std::to_string(id) + ": the focus stayed on " + std::to_string(focus_));
    return;
  }
  select_all(id);
  for (const TypedKey& key : KeysOfTypedText(action.text)) {
    if (ended_) return;
    if (focus_ != id) {
      skip(action, "type " + std::to_string(id) + ": the focus moved to " +
                       std::to_string(focus_) + " while typing; the rest");
      return;
    }
    switch (key.kind) {
      case TypedKey::kNoKey: skip(action, "type " + std::to_string(id) + ": " + NoKeyText(key)); break;
      case TypedKey::kTab: tab(); break;
      case TypedKey::kEnter: enter(); break;
      case TypedKey::kEsc: events_.cancel(); break;
      case TypedKey::kBackspace:
      case TypedKey::kCharacter: type_key(id, key); break;
    }
  }
}

// A key typed into edit control `id`: the toolkit may drop it; Backspace
// deletes the selection or the character before the caret, a character
// replaces the selection.
void HeadlessDialog::type_key(int id, const TypedKey& key) {
  if (!events_.key_typed(id, key.ch, false, false)) return;
  Control* c = find(id);
  const std::size_t start = std::min(std::min(c->sel_start, c->sel_end), c->text.size());
  const std::size_t stop = std::min(std::max(c->sel_start, c->sel_end), c->text.size());
  std::size_t from = start;
  std::string_view insert = key.bytes;
  if (key.kind == TypedKey::kBackspace) {
    insert = {};
    if (start == stop) {
      if (start == 0) return;  // nothing before the caret
      // Back over one character, as the screen shows them.
      std::size_t i = 0;
      while (i < start) {
        const std::size_t next = i + NextUtf8(c->text, i).length;
        if (next >= start) break;
        i = next;
      }
      from = i;
    }
  } else {
    const std::size_t limit = static_cast<std::size_t>(std::max(c->spec.length_limit, 0));
    if (limit > 0 && c->text.size() - (stop - start) + insert.size() > limit) return;
  }
  c->text.replace(from, stop - from, insert);
  c->sel_start = c->sel_end = from + insert.size();
  if (HasEditField(c->spec.kind)) c->selection = -1;
  events_.text_changed(id);
}

void HeadlessDialog::clear(const DialogAction& action) {
  Control* c = reachable(action, "clear");
  if (!c) return;
  const int id = c->spec.id;
  if (!IsTypeable(c->spec.kind) || c->spec.read_only) {
    skip(action, "clear " + std::to_string(id) + ": the control takes no typing");
    return;
  }
  if (!move_focus(id, FocusCause::kClick)) {
    skip(action, "clear " + std::to_string(id) + ": the focus stayed on " + std::to_string(focus_));
    return;
  }
  select_all(id);
  if (c->text.empty()) return;
  c->text.clear();
  c->sel_start = c->sel_end = 0;
  if (HasEditField(c->spec.kind)) c->selection = -1;
  events_.text_changed(id);
}

void HeadlessDialog::pick(const DialogAction& action) {
  Control* c = reachable(action, "pick");
  if (!c) return;
  const int id = c->spec.id;
  if (c->spec.kind == ControlKind::kTabControl) {
    pick_tab(*c, action);
    return;
  }
  if (!IsList(c->spec.kind)) {
    skip(action, "pick " + std::to_string(id) + ": the control has no options");
    return;
  }
  if (action.option < 1 || static_cast<std::size_t>(action.option) > c->options.size()) {
    skip(action, "pick " + std::to_string(id) + ' ' + std::to_string(action.option) +
                     ": the control has " + std::to_string(c->options.size()) + " options");
    return;
  }
  if (!move_focus(id, FocusCause::kClick)) {
    skip(action, "pick " + std::to_string(id) + ": the focus stayed on " + std::to_string(focus_));
    return;
  }
  c = find(id);
  if (static_cast<std::size_t>(action.option) > c->options.size()) return;  // changed meanwhile
  set_selection(id, action.option - 1);
  events_.selection_changed(id);
}

// A click on a tab: the toolkit decides whether the page may change, and
// moves the focus into the new page when it does.
void HeadlessDialog::pick_tab(Control& tabs, const DialogAction& action) {
  const int id = tabs.spec.id;
  const int count = static_cast<int>(tabs.spec.tabs.size());
  if (action.option < 1 || action.option > count) {
    skip(action, "pick " + std::to_string(action.field) + ' ' + std::to_string(action.option) +
                     ": the control has " + std::to_string(count) + " tabs");
    return;
  }
  const int to = action.option - 1;
  if (tabs.selection == to) return;
  if (!events_.tab_switching(id, tabs.selection, to)) {
    skip(action, "pick " + std::to_string(action.field) + ' ' + std::to_string(action.option) +
                     ": the tab switch was refused");
    return;
  }
  select_tab(id, to);
}

void HeadlessDialog::focus_action(const DialogAction& action) {
  Control* c = reachable(action, "focus");
  if (!c) return;
  if (!IsFocusable(c->spec.kind)) {
    skip(action, "focus " + std::to_string(action.field) + ": the control takes no focus");
    return;
  }
  // A click on a row of tabs switches pages without taking the focus; only
  // the Tab key reaches it.
  if (c->spec.kind == ControlKind::kTabControl || !move_focus(c->spec.id, FocusCause::kClick)) {
    note("script line " + std::to_string(action.line) + ": focus " +
         std::to_string(action.field) + ": the focus stayed on " + std::to_string(focus_));
  }
}

void HeadlessDialog::tab() {
  const auto n = controls_.size();
  std::size_t from = n;  // start before the first control when nothing has the focus
  for (std::size_t i = 0; i < n; ++i) {
    if (controls_[i].spec.id == focus_ && focus_ != 0) from = i;
  }
  for (std::size_t step = 1; step <= n; ++step) {
    const Control& c = controls_[(from + step) % n];
    if (c.spec.tab_stop && on_screen(c) && c.spec.enabled && IsFocusable(c.spec.kind)) {
      const int to = c.spec.id;
      if (move_focus(to, FocusCause::kTab) && IsTypeable(c.spec.kind)) select_all(to);
      return;
    }
  }
}

void HeadlessDialog::enter() {
  const Control* c = find(focus_);
  if (c && IsPushButton(c->spec.kind)) {
    events_.button_pressed(focus_);
  } else {
    events_.enter_pressed(focus_, false, false);
  }
}

void HeadlessDialog::press(const DialogAction& action) {
  Control* c = reachable(action, "press");
  if (!c) return;
  const int id = c->spec.id;
  const ControlKind kind = c->spec.kind;
  const bool checkable = kind == ControlKind::kCheckBox || kind == ControlKind::kRadioButton;
  if (!IsPushButton(kind) && !checkable) {
    skip(action, "press " + std::to_string(id) + ": the control is no button");
    return;
  }
  if (!move_focus(id, FocusCause::kClick)) {
    skip(action, "press " + std::to_string(id) + ": the focus stayed on " + std::to_string(focus_));
    return;
  }
  if (checkable) {
    c = find(id);
    c->check = kind == ControlKind::kRadioButton ? 1 : (c->check == 1 ? 0 : 1);
    events_.selection_changed(id);
  } else {
    events_.button_pressed(id);
  }
}

}  // namespace zarv::platform
