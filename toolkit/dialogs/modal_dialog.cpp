#include "toolkit/dialogs/modal_dialog.h"

#include <algorithm>
#include <cctype>

#include "toolkit/core/resource_script.h"
#include "toolkit/core/text.h"
#include "toolkit/dialogs/dialog_status.h"
#include "toolkit/dialogs/dialog_table.h"
#include "toolkit/dialogs/numeric_field.h"

namespace zarv::dialogs {
namespace {

using platform::ControlKind;
using platform::FocusCause;

ControlKind KindOf(const Field& f) {
  switch (f.kind) {
    case FieldClass::kPushButton:
      return (f.style & style::kBsTypeMask) == style::kBsDefPushButton
                 ? ControlKind::kDefPushButton
                 : ControlKind::kPushButton;
    case FieldClass::kCheckBox: return ControlKind::kCheckBox;
    case FieldClass::kRadioButton: return ControlKind::kRadioButton;
    case FieldClass::kGroupBox: return ControlKind::kGroupBox;
    case FieldClass::kStatic: return ControlKind::kStatic;
    case FieldClass::kEdit:
    case FieldClass::kNumeric: return ControlKind::kEdit;
    case FieldClass::kListBox: return ControlKind::kListBox;
    case FieldClass::kTabControl: return ControlKind::kTabControl;
    case FieldClass::kComboBox:
      switch (f.style & style::kCbsTypeMask) {
        case style::kCbsSimple: return ControlKind::kComboSimple;
        case style::kCbsDropDownList: return ControlKind::kComboList;
        default: return ControlKind::kComboEdit;
      }
    default: return ControlKind::kOther;
  }
}

int AlignOf(const Field& f) {
  if (f.kind == FieldClass::kStatic) {
    const std::uint32_t t = f.style & style::kSsTypeMask;
    return t == style::kSsCenter ? 1 : t == style::kSsRight ? 2 : 0;
  }
  if (f.is_edit()) {
    return (f.style & style::kEsCenter) ? 1 : (f.style & style::kEsRight) ? 2 : 0;
  }
  return 0;
}

}  // namespace

platform::ControlSpec BuildControlSpec(const Field& f, const ControlTemplate& t) {
  platform::ControlSpec c;
  c.id = f.id;
  c.kind = KindOf(f);
  c.cls = t.cls;
  c.text = f.text;
  c.x = t.x;
  c.y = t.y;
  c.cx = t.cx;
  c.cy = t.cy;
  c.visible = f.record.initial_state != 3;
  c.enabled = f.record.initial_state != 0;
  c.read_only = f.record.initial_state == 2;
  c.tab_stop = (f.style & style::kTabStop) != 0;
  c.numeric = f.kind == FieldClass::kNumeric;
  c.multiline = f.kind == FieldClass::kEdit && (f.style & style::kEsMultiLine);
  c.sunken = (f.kind == FieldClass::kStatic && (f.style & style::kSsSunken)) ||
             (t.exstyle & (style::kExClientEdge | style::kExStaticEdge));
  c.border = (f.style & style::kBorder) != 0;
  c.align = AlignOf(f);
  if (f.is_edit() || f.kind == FieldClass::kComboBox) c.length_limit = f.record.length_limit;
  if (f.kind == FieldClass::kTabControl) {
    for (const TabItem& tab : f.tabs) c.tabs.push_back(tab.label);
    c.tab_selection = f.tab_selection;
  }
  return c;
}

platform::DialogSpec BuildDialogSpec(const Dialog& dialog, int x, int y) {
  platform::DialogSpec spec;
  spec.id = dialog.record.identifier;
  spec.caption = std::string(Trimmed(dialog.layout.caption));
  spec.font_points = dialog.layout.font_points > 0 ? dialog.layout.font_points : 8;
  spec.font_face = dialog.layout.font_face;
  spec.cx = dialog.layout.cx;
  spec.cy = dialog.layout.cy;
  spec.x = x;
  spec.y = y;
  spec.close_box = (dialog.layout.style & style::kSysMenu) != 0;
  for (std::size_t i = 0; i < dialog.fields.size() && i < dialog.layout.controls.size(); ++i) {
    spec.controls.push_back(BuildControlSpec(dialog.fields[i], dialog.layout.controls[i]));
  }
  return spec;
}

DialogInstance::DialogInstance(Dialog& model, int focus)
    : model_(model), fields_(model.fields), own_count_(model.fields.size()),
      requested_focus_(focus) {
  std::vector<int> seen{model.record.identifier};
  add_pages(0, own_count_, 0, seen);
}

Field* DialogInstance::field(int id) {
  if (id == 0) return nullptr;
  for (Field& f : fields_) {
    if (f.id == id) return &f;
  }
  return nullptr;
}

Field* DialogInstance::numeric(int id) {
  Field* f = field(id);
  return f && f->kind == FieldClass::kNumeric ? f : nullptr;
}

void DialogInstance::beep() {
  if (BeepEnabled()) view_->beep();
}

void DialogInstance::set_text(Field& f, const std::string& text) {
  adjusting_ = true;
  view_->set_text(f.id, text);
  adjusting_ = false;
  f.text = text;
}

void DialogInstance::save_last_valid(const Field& f) {
  last_valid_text_ = view_->text(f.id).substr(0, 255);
  last_valid_value_ = f.record.value;
  last_valid_defined_ = f.record.defined;
}

void DialogInstance::restore_last_valid(Field& f) {
  set_text(f, last_valid_text_);
  f.record.value = last_valid_value_;
  f.record.defined = last_valid_defined_;
  f.modified = false;
}

void DialogInstance::refuse_focus(Field& f, bool beep_too) {
  adjusting_ = true;
  view_->set_focus(f.id);
  view_->select_all(f.id);
  adjusting_ = false;
  focus_ = f.id;
  if (beep_too) beep();
}

void DialogInstance::commit(Field& f) {
  f.text = view_->text(f.id);
  if (!f.modified) return;
  if (IsBlank(f.text)) {
    f.record.value = 0.0;
    f.record.defined = 0;
  } else if (const auto v = ReadNumber(f.text, f.number)) {
    f.record.value = *v;
    f.record.defined = 1;
    set_text(f, DisplayText(f, *v));
  } else {
    return;  // not a number: left as typed, still marked modified
  }
  f.modified = false;
}

void DialogInstance::show_field(const Field& f) {
  const bool was_adjusting = adjusting_;
  adjusting_ = true;
  switch (f.kind) {
    case FieldClass::kListBox:
    case FieldClass::kComboBox:
      view_->set_options(f.id, f.options);
      view_->set_selection(f.id, f.selection);
      if (f.kind == FieldClass::kComboBox &&
          (f.selection < 0 || static_cast<std::size_t>(f.selection) >= f.options.size() ||
           f.options[static_cast<std::size_t>(f.selection)] != f.text)) {
        view_->set_text(f.id, f.text);
      }
      break;
    case FieldClass::kCheckBox:
    case FieldClass::kRadioButton:
      view_->set_text(f.id, f.text);
      view_->set_check(f.id, f.check);
      break;
    case FieldClass::kUpDown:
    case FieldClass::kTrackbar:
    case FieldClass::kProgress:
    case FieldClass::kTreeView:
    case FieldClass::kTabControl:
    case FieldClass::kOther:
      break;
    default:
      view_->set_text(f.id, f.text);
      break;
  }
  adjusting_ = was_adjusting;
}

void DialogInstance::copy_in() {
  for (const Field& f : fields_) show_field(f);
}

void DialogInstance::read_view() {
  for (Field& f : fields_) {
    switch (f.kind) {
      case FieldClass::kEdit:
      case FieldClass::kNumeric: {
        std::string shown = view_->text(f.id);
        if (shown != f.text) f.modified = true;
        f.text = std::move(shown);
        break;
      }
      case FieldClass::kStatic:
        f.text = view_->text(f.id);
        break;
      case FieldClass::kListBox:
        f.selection = view_->selection(f.id);
        if (f.selection >= static_cast<int>(f.options.size())) f.selection = -1;
        break;
      case FieldClass::kComboBox: {
        f.text = view_->text(f.id);
        f.selection = view_->selection(f.id);
        const bool matches = f.selection >= 0 &&
                             f.selection < static_cast<int>(f.options.size()) &&
                             f.options[static_cast<std::size_t>(f.selection)] == f.text;
        // Text typed into the edit part is not a selection of the list.
        if (!matches && f.menu_kind() == 3) f.selection = -1;
        if (f.selection >= static_cast<int>(f.options.size())) f.selection = -1;
        break;
      }
      case FieldClass::kCheckBox:
      case FieldClass::kRadioButton:
        f.check = view_->check(f.id);
        break;
      default:
        break;
    }
  }
}

void DialogInstance::opened(platform::DialogView& view) {
  view_ = &view;
  copy_in();
  if (requested_focus_ != 0 && field(requested_focus_)) {
    adjusting_ = true;
    view_->set_focus(requested_focus_);
    adjusting_ = false;
  }
  focus_ = view_->focus();
  model_.record.current_field = own_id(focus_);
  for (const Field& f : fields_) {
    if (f.kind == FieldClass::kTabControl && f.tab_selection >= 0) {
      if (DialogRecord* r = record_of(f.id)) {
        r->current_tab = f.tabs[static_cast<std::size_t>(f.tab_selection)].page;
      }
    }
  }
  if (Field* f = numeric(focus_)) save_last_valid(*f);
}

bool DialogInstance::key_typed(int id, char32_t ch, bool ctrl, bool alt) {
  (void)ctrl;
  (void)alt;
  refused_for_ = 0;
  Field* f = numeric(id);
  if (!f) return true;
  if (ch == U'\t') f->record.tab_pressed = 1;
  if (FilterKey(f->number, ch) != Keystroke::kDrop) return true;
  beep();
  return false;
}

void DialogInstance::text_changed(int id) {
  if (adjusting_) return;
  Field* f = field(id);
  if (!f) return;
  f->modified = true;
  if (f->kind != FieldClass::kNumeric) return;
  // The exponent letter is always shown in capitals.
  std::string text = view_->text(id);
  if (text.find('e') != std::string::npos) {
    std::replace(text.begin(), text.end(), 'e', 'E');
    set_text(*f, text);
  }
}

void DialogInstance::focus_changing(int from, int to, FocusCause cause) {
  if (adjusting_ || ended_) return;
  refused_for_ = 0;
  if (to == 0) return;  // leaving the dialog: nothing is checked

  if (Field* f = numeric(from); f && from != to) {
    if (cause == FocusCause::kTab) f->record.tab_pressed = 1;
    if (!TextIsValid(f->record, view_->text(from), f->number)) {
      if (is_push_button(to) && to != 1 && cause != FocusCause::kTab) {
        deferred_ = from;
      } else {
        refuse_focus(*f, true);
        if (is_push_button(to)) refused_for_ = to;
        return;
      }
    } else {
      deferred_ = 0;
      commit(*f);
    }
  } else if (deferred_ != 0 && from != deferred_ && to != deferred_ && is_push_button(from)) {
    // The push button the invalid field was left for lost the focus without
    // being pressed: the field has to be put right first.
    if (Field* d = numeric(deferred_)) {
      deferred_ = 0;
      refuse_focus(*d, true);
      return;
    }
  }

  before_focus_ = from;
  focus_ = to;
  model_.record.previous_field = own_id(from);
  model_.record.current_field = own_id(to);
  if (Field* entered = field(to)) {
    entered->record.tab_pressed = 0;
    if (entered->kind == FieldClass::kNumeric) save_last_valid(*entered);
  }
  if (from != to) focus_moved(dialog_of(to), own_id(from), own_id(to));
}

bool DialogInstance::is_push_button(int id) {
  const Field* f = field(id);
  return f && f->kind == FieldClass::kPushButton;
}

int DialogInstance::default_button() {
  // The dialog's own default button; a page's does not count.
  for (std::size_t i = 0; i < own_count_; ++i) {
    const Field& f = fields_[i];
    if (f.kind == FieldClass::kPushButton &&
        (f.style & style::kBsTypeMask) == style::kBsDefPushButton) {
      return f.id;
    }
  }
  return 1;
}

void DialogInstance::button_pressed(int id) {
  if (ended_) return;
  // The click that tried to take the focus to this button was refused: the
  // button never got the focus, so its release does not press it.
  if (refused_for_ != 0 && refused_for_ == id) return;
  // The Cancel and OK commands exist even when no button carries them.
  if (!is_push_button(id) && !(id <= 2 && id >= 1 && !field(id))) return;
  press(id);
}

void DialogInstance::press(int id) {
  refused_for_ = 0;
  if (deferred_ != 0) {
    if (Field* d = numeric(deferred_)) restore_last_valid(*d);
    deferred_ = 0;
  }
  if (const int shown = view_->focus(); shown != 0 && shown != focus_) {
    before_focus_ = focus_;
    focus_ = shown;
  }
  // The field that has the focus is checked where it stands.
  if (Field* f = numeric(focus_)) {
    f->text = view_->text(f->id);
    if (OutOfRange(f->record, f->text, f->number)) {
      if (id == 1) {
        refuse_focus(*f, true);
        return;
      }
      restore_last_valid(*f);
    } else {
      commit(*f);
    }
  }

  const int focus_field = own_id(focus_ == id ? before_focus_ : focus_);
  model_.record.current_field = own_id(id);
  model_.record.previous_field = focus_field;
  button_acted(dialog_of(id), own_id(id), focus_field);
}

void DialogInstance::enter_pressed(int id, bool ctrl, bool alt) {
  (void)id;
  if (ended_ || ctrl || alt) return;
  refused_for_ = 0;
  const int button = default_button();
  if (const Field* b = field(button); b && b->record.initial_state == 0) return;
  press(button);
}

void DialogInstance::cancel() {
  if (ended_) return;
  refused_for_ = 0;
  press(2);
}

void DialogInstance::selection_changed(int id) {
  if (adjusting_) return;
  refused_for_ = 0;
  Field* f = field(id);
  if (!f) return;
  if (f->kind == FieldClass::kComboBox) f->selection = view_->selection(id);
  selection_made(dialog_of(id), own_id(id));
}

void ModalDialog::button_acted(int window, int button, int focus_field) {
  (void)window;  // a page's button ends the dialog that shows the page
  exit_button_ = button;
  focus_field_ = focus_field;
  read_view();
  store_back();
  ended_ = true;
  SetModalDialogResults(exit_button_, focus_field_, model_.record.identifier);
  view_->end(exit_button_, focus_field_);
}

}  // namespace zarv::dialogs
