// Script lines acted out on a template dialog the way a person does it:
// clicks at the controls' positions and keys pressed and released, so that
// Qt moves the focus, opens popups and reports to the toolkit exactly as for
// a person. Where that person could not reach a control, or the toolkit kept
// the focus elsewhere, the line is noted and skipped, in the words the
// headless backend uses.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTimer>
#include <QWindow>

#include "toolkit/platform/qt/qt_input.h"
#include "toolkit/platform/qt/qt_template_dialog.h"

namespace zarv::platform::qt {
namespace {

// The key a person presses for a character (the text says what it types).
int KeyOf(char32_t ch) {
  if (ch >= 'a' && ch <= 'z') return Qt::Key_A + int(ch - 'a');
  if (ch >= 0x20 && ch < 0x7F) return int(ch);  // Qt's key codes for ASCII
  return Qt::Key_unknown;
}

QPoint Centre(const QWidget& w) { return w.rect().center(); }

// Where a click opens a combo box's list: its arrow.
QPoint ArrowOf(QComboBox& combo) {
  QStyleOptionComboBox option;
  option.initFrom(&combo);
  option.editable = combo.isEditable();
  const QRect arrow =
      combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, &combo);
  return arrow.isValid() ? arrow.center() : QPoint(combo.width() - 4, combo.height() / 2);
}

}  // namespace

void TemplateDialog::note(const std::string& text) { context_.transcript.note(text); }

void TemplateDialog::skip(const DialogAction& action, const std::string& why) {
  note("script line " + std::to_string(action.line) + ": " + why + "; skipped");
}

void TemplateDialog::first_shown() {
  if (!isVisible()) {  // not mapped yet: try again once events have run
    QTimer::singleShot(10, this, [this] { first_shown(); });
    return;
  }
  SaveScreenshot(*this, context_, QStringLiteral("dialog-%1").arg(spec_.id));
  if (!context_.script || ending_) return;
  // Keys go to the active window; a person acts in the dialog once it is.
  activateWindow();
  if (!WaitUntil([this] { return isActiveWindow(); }, kActivePatienceMs))
    note("dialog " + std::to_string(spec_.id) + " did not become the active window");
  if (ending_) return;
  // The driver notes it when the script does not answer this dialog.
  if (!context_.script->dialog_begins(spec_.id)) {
    script_close();
    return;
  }
  step();
}

void TemplateDialog::step() {
  if (ending_) return;
  std::optional<DialogAction> action = context_.script->next_dialog_action();
  if (!action) {
    note("dialog " + std::to_string(spec_.id) + " is still open where its script answer ends; close box used");
    script_close();
    return;
  }
  perform(*action);
  if (!ending_) QTimer::singleShot(0, this, [this] { step(); });
}

// The close box; if even that does not end the dialog, end it as cancelled
// so a scripted run always finishes.
void TemplateDialog::script_close() {
  if (QWindow* window = windowHandle()) window->close();
  else close();
  if (!ending_) {
    note("dialog " + std::to_string(spec_.id) + " did not end on the close box; closed");
    end(2, focus_id_);
  }
}

void TemplateDialog::key(int code, const QString& text, Qt::KeyboardModifiers modifiers) {
  Key(*this, code, modifiers, text);
}

// The control an action names, when a person could reach it.
TemplateDialog::Control* TemplateDialog::reachable(const DialogAction& action, const char* verb) {
  Control* c = resolve(action.field);
  const std::string what = std::string(verb) + ' ' + std::to_string(action.field);
  if (!c) skip(action, what + ": dialog " + std::to_string(spec_.id) + " has no such control");
  else if (!c->widget->isVisible() || !c->widget->isEnabled() || !on_screen(*c))
    skip(action, what + ": the control is " + (c->widget->isVisible() && on_screen(*c) ? "disabled" : "hidden"));
  else return c;
  return nullptr;
}

// Gives a control the focus the way a person does, without changing it:
// a click into a text, a press that slides off a button, a click that opens
// a list and Esc that closes it again.
void TemplateDialog::focus_gesture(Control& c) {
  if (focus_id_ == c.spec.id && c.widget->hasFocus()) return;
  if (QLineEdit* edit = line_edit(c)) {
    Click(*edit, Centre(*edit));
  } else if (auto* combo = qobject_cast<QComboBox*>(c.widget)) {
    Click(*combo, Centre(*combo));
    if (combo->view()->isVisible()) Key(*combo->view(), Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
  } else if (auto* list = qobject_cast<QListWidget*>(c.widget)) {
    const QRect row = list->currentItem() ? list->visualItemRect(list->currentItem()) : QRect();
    PressAndLeave(*list->viewport(), row.isValid() ? row.center() : QPoint(1, 1));
  } else {
    PressAndLeave(*c.widget, Centre(*c.widget));
  }
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// A click into `c`; false (noted) when the toolkit kept the focus elsewhere.
bool TemplateDialog::focus_by_click(Control& c, const DialogAction& action, const char* verb) {
  focus_gesture(c);
  if (focus_id_ == c.spec.id) return true;
  skip(action, std::string(verb) + ' ' + std::to_string(c.spec.id) + ": the focus stayed on " +
                   std::to_string(focus_id_));
  return false;
}

void TemplateDialog::type(Control& c, const DialogAction& action) {
  const int id = c.spec.id;
  // Select all, then the keys one by one.
  key(Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
  for (const TypedKey& k : KeysOfTypedText(action.text)) {
    if (ending_) return;
    if (focus_id_ != id) {
      skip(action, "type " + std::to_string(id) + ": the focus moved to " + std::to_string(focus_id_) +
                       " while typing; the rest");
      return;
    }
    switch (k.kind) {
      case TypedKey::kNoKey: skip(action, "type " + std::to_string(id) + ": " + NoKeyText(k)); break;
      case TypedKey::kBackspace: key(Qt::Key_Backspace, QStringLiteral("\b")); break;
      case TypedKey::kTab: key(Qt::Key_Tab, QStringLiteral("\t")); break;
      case TypedKey::kEnter: key(Qt::Key_Return, QStringLiteral("\r")); break;
      case TypedKey::kEsc: key(Qt::Key_Escape, QStringLiteral("\x1b")); break;
      case TypedKey::kCharacter: key(KeyOf(k.ch), QString::fromUcs4(&k.ch, 1)); break;
    }
  }
}

void TemplateDialog::pick(Control& c, const DialogAction& action) {
  const int id = c.spec.id;
  const int index = action.option - 1;
  if (auto* combo = qobject_cast<QComboBox*>(c.widget)) {
    // A click on the arrow opens the list; a click on the option takes it.
    Click(*combo, ArrowOf(*combo));
    QAbstractItemView* view = combo->view();
    WaitUntil([view] { return view->isVisible(); }, 3000);
    if (focus_id_ != id) {
      if (view->isVisible()) Key(*view, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
      skip(action, "pick " + std::to_string(id) + ": the focus stayed on " + std::to_string(focus_id_));
      return;
    }
    if (!view->isVisible()) {
      note("script line " + std::to_string(action.line) + ": pick " + std::to_string(id) +
           ": the list did not open");
      return;
    }
    const QModelIndex option = combo->model()->index(index, combo->modelColumn(), combo->rootModelIndex());
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);  // the list laid out
    view->scrollTo(option);
    // The option's row may be wider than the list shows.
    Click(*view->viewport(), view->visualRect(option).intersected(view->viewport()->rect()).center());
    WaitUntil([view] { return !view->isVisible(); }, 3000);
    return;
  }
  if (auto* list = qobject_cast<QListWidget*>(c.widget)) {
    QListWidgetItem* item = list->item(index);
    list->scrollToItem(item);
    Click(*list->viewport(), list->visualItemRect(item).center());
    if (focus_id_ != id)
      skip(action, "pick " + std::to_string(id) + ": the focus stayed on " + std::to_string(focus_id_));
  }
}

void TemplateDialog::pick_tab(Control& c, const DialogAction& action) {
  TabControl* t = tab_control(c.spec.id);
  const int n = t ? t->bar->count() : 0;
  if (action.option < 1 || action.option > n) {
    skip(action, "pick " + std::to_string(action.field) + ' ' + std::to_string(action.option) +
                     ": the control has " + std::to_string(n) + " tabs");
    return;
  }
  const int to = action.option - 1;
  if (to == t->bar->currentIndex()) return;
  Click(*t->bar, t->bar->tabRect(to).center());
  if (t->bar->currentIndex() != to)
    skip(action, "pick " + std::to_string(action.field) + ' ' + std::to_string(action.option) +
                     ": the tab switch was refused");
}

void TemplateDialog::perform(const DialogAction& action) {
  switch (action.kind) {
    case DialogAction::kType:
    case DialogAction::kClear: {
      const char* verb = action.kind == DialogAction::kType ? "type" : "clear";
      Control* c = reachable(action, verb);
      if (!c) return;
      QLineEdit* edit = line_edit(*c);
      if (!edit || edit->isReadOnly()) {
        skip(action, std::string(verb) + ' ' + std::to_string(action.field) + ": the control takes no typing");
        return;
      }
      if (!focus_by_click(*c, action, verb)) return;
      if (action.kind == DialogAction::kType) {
        type(*c, action);
      } else {
        key(Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
        key(Qt::Key_Delete);
      }
      break;
    }
    case DialogAction::kPick: {
      Control* c = reachable(action, "pick");
      if (!c) return;
      if (c->spec.kind == ControlKind::kTabControl) {
        pick_tab(*c, action);
        return;
      }
      if (!qobject_cast<QComboBox*>(c->widget) && !qobject_cast<QListWidget*>(c->widget)) {
        skip(action, "pick " + std::to_string(action.field) + ": the control has no options");
        return;
      }
      const int n = option_count(*c);
      if (action.option < 1 || action.option > n) {
        skip(action, "pick " + std::to_string(action.field) + ' ' + std::to_string(action.option) +
                         ": the control has " + std::to_string(n) + " options");
        return;
      }
      pick(*c, action);
      break;
    }
    case DialogAction::kFocus: {
      Control* c = reachable(action, "focus");
      if (!c) return;
      if (!TakesFocus(c->spec.kind)) {
        skip(action, "focus " + std::to_string(action.field) + ": the control takes no focus");
        return;
      }
      focus_gesture(*c);
      if (focus_id_ != c->spec.id)
        note("script line " + std::to_string(action.line) + ": focus " + std::to_string(action.field) +
             ": the focus stayed on " + std::to_string(focus_id_));
      break;
    }
    case DialogAction::kTab: key(Qt::Key_Tab, QStringLiteral("\t")); break;
    case DialogAction::kEnter: key(Qt::Key_Return, QStringLiteral("\r")); break;
    case DialogAction::kEsc: key(Qt::Key_Escape, QStringLiteral("\x1b")); break;
    case DialogAction::kCloseBox:
      if (QWindow* window = windowHandle()) window->close();
      break;
    case DialogAction::kPress: {
      Control* c = reachable(action, "press");
      if (!c) return;
      auto* button = qobject_cast<QAbstractButton*>(c->widget);
      if (!button || qobject_cast<QGroupBox*>(c->widget)) {
        skip(action, "press " + std::to_string(action.field) + ": the control is no button");
        return;
      }
      Click(*button, Centre(*button));
      QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      if (!ending_ && focus_id_ != c->spec.id)
        skip(action, "press " + std::to_string(action.field) + ": the focus stayed on " +
                         std::to_string(focus_id_));
      break;
    }
  }
}

}  // namespace zarv::platform::qt
