// What the toolkit asks of a shown template dialog (DialogView), and the
// raw input the dialog's widgets report to it (DialogEvents).
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>
#include <string>
#include <vector>

#include "toolkit/platform/qt/qt_template_dialog.h"
#include "toolkit/platform/qt/qt_text.h"
#include "toolkit/platform/qt/qt_visible.h"

namespace zarv::platform::qt {
namespace {

FocusCause CauseOf(Qt::FocusReason reason) {
  switch (reason) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason: return FocusCause::kTab;
    case Qt::MouseFocusReason: return FocusCause::kClick;
    default: return FocusCause::kOther;
  }
}

}  // namespace

std::string TemplateDialog::text(int id) {
  Control* c = find(id);
  if (!c) return {};
  if (auto* edit = qobject_cast<QLineEdit*>(c->widget)) return FromQt(edit->text(), c->set_text);
  if (auto* combo = qobject_cast<QComboBox*>(c->widget)) {
    if (combo->isEditable()) return FromQt(combo->currentText(), c->set_text);
    return option_bytes(*c, combo->currentIndex(), combo->currentText());
  }
  if (auto* list = qobject_cast<QListWidget*>(c->widget)) {
    const int row = list->currentRow();
    return option_bytes(*c, row, list->currentItem() ? list->currentItem()->text() : QString());
  }
  if (auto* label = qobject_cast<QLabel*>(c->widget)) {
    // Shown with its carriage returns as line breaks; read back as set.
    if (label->text() == LinesToQt(c->set_text)) return c->set_text;
    return FromQt(label->text());
  }
  if (TabControl* t = tab_control(id)) {
    const int i = t->bar->currentIndex();
    return i >= 0 && i < static_cast<int>(c->spec.tabs.size()) ? c->spec.tabs[static_cast<std::size_t>(i)]
                                                             : std::string();
  }
  if (auto* group = qobject_cast<QGroupBox*>(c->widget)) return FromQt(group->title(), c->set_text);
  if (auto* button = qobject_cast<QAbstractButton*>(c->widget)) return FromQt(button->text(), c->set_text);
  return c->set_text;
}

void TemplateDialog::set_text(int id, std::string_view bytes) {
  Control* c = find(id);
  if (!c) return;
  c->set_text = std::string(bytes);
  const QString shown = ToQt(bytes);
  const Quiet quiet(*this);
  if (auto* edit = qobject_cast<QLineEdit*>(c->widget)) {
    edit->setText(shown);
  } else if (auto* combo = qobject_cast<QComboBox*>(c->widget)) {
    if (combo->isEditable()) combo->setEditText(shown);
    else combo->setCurrentIndex(combo->findText(shown, Qt::MatchExactly));
  } else if (auto* label = qobject_cast<QLabel*>(c->widget)) {
    label->setText(LinesToQt(bytes));
  } else if (auto* group = qobject_cast<QGroupBox*>(c->widget)) {
    group->setTitle(shown);
  } else if (auto* button = qobject_cast<QAbstractButton*>(c->widget)) {
    button->setText(shown);
  }
}

std::vector<std::string> TemplateDialog::options(int id) {
  Control* c = find(id);
  std::vector<std::string> out;
  if (!c) return out;
  const int n = option_count(*c);
  for (int i = 0; i < n; ++i) out.push_back(option_bytes(*c, i, option_text(*c, i)));
  return out;
}

void TemplateDialog::set_options(int id, const std::vector<std::string>& options) {
  Control* c = find(id);
  if (!c) return;
  c->options = options;
  QStringList shown;
  for (const std::string& option : options) shown << ToQt(option);
  const Quiet quiet(*this);
  if (auto* combo = qobject_cast<QComboBox*>(c->widget)) {
    const QString edit_text = combo->isEditable() ? combo->currentText() : QString();
    combo->clear();
    combo->addItems(shown);
    combo->setCurrentIndex(-1);
    if (combo->isEditable()) combo->setEditText(edit_text);
  } else if (auto* list = qobject_cast<QListWidget*>(c->widget)) {
    list->clear();
    list->addItems(shown);
    list->setCurrentRow(-1);
  }
}

int TemplateDialog::selection(int id) {
  Control* c = find(id);
  if (!c) return -1;
  if (auto* combo = qobject_cast<QComboBox*>(c->widget)) return combo->currentIndex();
  if (auto* list = qobject_cast<QListWidget*>(c->widget)) return list->currentRow();
  return -1;
}

void TemplateDialog::set_selection(int id, int index) {
  Control* c = find(id);
  if (!c) return;
  const Quiet quiet(*this);
  const int n = option_count(*c);
  if (index < 0 || index >= n) index = -1;
  if (auto* combo = qobject_cast<QComboBox*>(c->widget)) combo->setCurrentIndex(index);
  else if (auto* list = qobject_cast<QListWidget*>(c->widget)) list->setCurrentRow(index);
}

int TemplateDialog::check(int id) {
  Control* c = find(id);
  auto* box = c ? qobject_cast<QAbstractButton*>(c->widget) : nullptr;
  if (!box) return 0;
  if (auto* tri = qobject_cast<QCheckBox*>(box)) {
    switch (tri->checkState()) {
      case Qt::Checked: return 1;
      case Qt::PartiallyChecked: return 2;
      default: return 0;
    }
  }
  return box->isChecked() ? 1 : 0;
}

void TemplateDialog::set_check(int id, int state) {
  Control* c = find(id);
  if (!c) return;
  const Quiet quiet(*this);
  if (auto* tri = qobject_cast<QCheckBox*>(c->widget)) {
    if (state == 2) tri->setTristate(true);
    tri->setCheckState(state == 1 ? Qt::Checked : state == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
  } else if (auto* radio = qobject_cast<QRadioButton*>(c->widget)) {
    radio->setChecked(state != 0);
  }
}

int TemplateDialog::focus() {
  if (QWidget* w = QApplication::focusWidget(); w && isAncestorOf(w) && isActiveWindow())
    if (Control* c = owner_of(w)) return c->spec.id;
  return focus_id_;
}

void TemplateDialog::set_focus(int id) {
  Control* c = find(id);
  if (!c) return;
  if (in_focus_callback_) {  // applied once the toolkit's callback returns
    pending_focus_ = id;
    return;
  }
  move_focus(*c, Qt::OtherFocusReason);
}

void TemplateDialog::select_all(int id) {
  Control* c = find(id);
  if (!c) return;
  if (QLineEdit* edit = line_edit(*c)) edit->selectAll();
}

void TemplateDialog::set_enabled(int id, bool enabled) {
  if (Control* c = find(id)) c->widget->setEnabled(enabled);
}

void TemplateDialog::beep() {
  QApplication::beep();
  context_.transcript.beep();
}

void TemplateDialog::select_tab(int id, int index) {
  TabControl* t = tab_control(id);
  if (!t || index < 0 || index >= t->bar->count()) return;
  if (index == t->bar->currentIndex() && t->pages[static_cast<std::size_t>(index)]->isVisibleTo(t->bar->parentWidget()))
    return;  // already shown: the focus the toolkit gave stays
  const Quiet quiet(*this);
  // Hiding the page that holds the focus would send Qt looking for another
  // home for it; it waits on the tabs instead until the toolkit places it.
  ++quiet_focus_;
  QWidget* focused = QApplication::focusWidget();
  if (focused && t->bar->parentWidget()->isAncestorOf(focused) && focused != t->bar) {
    t->bar->setFocus(Qt::OtherFocusReason);
    focus_id_ = id;
  }
  t->bar->setCurrentIndex(index);
  for (std::size_t i = 0; i < t->pages.size(); ++i) t->pages[i]->setVisible(static_cast<int>(i) == index);
  --quiet_focus_;
}

void TemplateDialog::end(int exit_button, int focus_field) {
  if (ending_) return;
  ending_ = true;
  exit_button_ = exit_button;
  focus_field_ = focus_field;
  // After the input now being handled, not inside it.
  QTimer::singleShot(0, this, [this] { done(0); });
}

bool TemplateDialog::eventFilter(QObject* watched, QEvent* event) {
  if (on_tab_bar(watched, event)) return true;
  if (event->type() == QEvent::KeyPress) return on_key(watched, static_cast<QKeyEvent*>(event));
  if (event->type() == QEvent::FocusIn) on_focus_in(watched, static_cast<QFocusEvent*>(event));
  return QDialog::eventFilter(watched, event);
}

void TemplateDialog::keyPressEvent(QKeyEvent* event) {
  // Keys that reach the dialog itself (no control has the focus).
  if (ending_) return;
  if (event->key() == Qt::Key_Escape) {
    events_.cancel();
  } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    events_.enter_pressed(focus_id_, event->modifiers() & Qt::ControlModifier,
                          event->modifiers() & Qt::AltModifier);
  } else {
    QDialog::keyPressEvent(event);
  }
}

void TemplateDialog::closeEvent(QCloseEvent* event) {
  event->ignore();  // only the toolkit ends the dialog
  if (!ending_) events_.cancel();
}

void TemplateDialog::reject() {
  if (!ending_) events_.cancel();
}

bool TemplateDialog::on_tab_bar(QObject* watched, QEvent* event) {
  TabControl* t = nullptr;
  for (TabControl& candidate : tabs_)
    if (candidate.bar == watched) t = &candidate;
  if (!t) return false;
  int to = -1;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      to = t->bar->tabAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      break;
    case QEvent::Wheel:
      return true;
    case QEvent::KeyPress: {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Left) to = t->bar->currentIndex() - 1;
      else if (key == Qt::Key_Right) to = t->bar->currentIndex() + 1;
      else return false;
      break;
    }
    default:
      return false;
  }
  request_tab(*t, to);
  return true;
}

void TemplateDialog::request_tab(TabControl& t, int to) {
  if (ending_ || to < 0 || to >= t.bar->count() || to == t.bar->currentIndex()) return;
  if (events_.tab_switching(t.id, t.bar->currentIndex(), to)) select_tab(t.id, to);
}

void TemplateDialog::move_focus(Control& c, Qt::FocusReason reason) {
  ++quiet_focus_;
  c.widget->setFocus(reason);
  --quiet_focus_;
  focus_id_ = c.spec.id;
}

bool TemplateDialog::on_key(QObject* watched, QKeyEvent* key) {
  Control* c = owner_of(watched);
  if (!c) return false;
  if (ending_) return true;  // the dialog is closing; input goes nowhere
  const bool ctrl = key->modifiers() & Qt::ControlModifier;
  const bool alt = key->modifiers() & Qt::AltModifier;
  switch (key->key()) {
    case Qt::Key_Escape:
      events_.cancel();
      return true;
    case Qt::Key_F1:
      events_.help_requested();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // Qt's own default-button handling is bypassed: the toolkit decides.
      if (IsButton(c->spec.kind)) events_.button_pressed(c->spec.id);
      else events_.enter_pressed(c->spec.id, ctrl, alt);
      return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
      return false;
    default: break;
  }
  if (!line_edit(*c) || key->text().isEmpty()) return false;
  for (char32_t ch : key->text().toUcs4())
    if (!events_.key_typed(c->spec.id, ch, ctrl, alt)) return true;  // refused
  return false;
}

void TemplateDialog::on_focus_in(QObject* watched, QFocusEvent* event) {
  Control* c = owner_of(watched);
  if (!c) return;
  const int from = focus_id_;
  focus_id_ = c->spec.id;
  const Qt::FocusReason reason = event->reason();
  if (quiet_focus_ || ending_ || from == focus_id_) return;
  // Coming back from another window is not a move between fields.
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
  in_focus_callback_ = true;
  pending_focus_ = 0;
  events_.focus_changing(from, focus_id_, CauseOf(reason));
  in_focus_callback_ = false;
  if (pending_focus_ != 0) {
    Control* back = find(pending_focus_);
    pending_focus_ = 0;
    if (back) move_focus(*back, Qt::OtherFocusReason);
  }
}

void TemplateDialog::write_fields() {
  for (Control& c : controls_) {
    const ControlKind k = c.spec.kind;
    if (k != ControlKind::kEdit && k != ControlKind::kStatic && !IsCombo(k) &&
        k != ControlKind::kTabControl)
      continue;
    const bool shown = c.spec.tab_control == 0 || on_screen(c);
    if (!shown) continue;
    const int id = c.spec.tab_control == 0 ? c.spec.id : c.spec.page_field;
    context_.transcript.field(id, text(c.spec.id));
    CheckWidgetText(*c.widget, "dialog " + std::to_string(spec_.id) + " field " + std::to_string(id));
  }
}

}  // namespace zarv::platform::qt
