#include "toolkit/platform/qt/qt_template_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTimer>
#include <algorithm>
#include <string>
#include <vector>

#include "toolkit/platform/qt/qt_input.h"
#include "toolkit/platform/qt/qt_text.h"
#include "toolkit/platform/qt/qt_visible.h"

namespace zarv::platform::qt {

QFont DialogFont(std::string_view face, int points) {
  const int size = points > 0 ? points : 8;
  if (!face.empty()) {
    QFont font(ToQt(face), size);
    if (QFontInfo(font).family().compare(font.family(), Qt::CaseInsensitive) == 0) return font;
  }
  QFont sans(QStringLiteral("Sans Serif"), size);
  sans.setStyleHint(QFont::SansSerif);
  return sans;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  DialogBaseUnits units;
  units.width = std::max((letters / 26 + 1) / 2, 1);
  units.height = std::max(metrics.height(), 1);
  return units;
}

int DialogUnitsToPixels(int value, int unit, int divisor) {
  const long long product = static_cast<long long>(value) * unit;
  return static_cast<int>((product >= 0 ? product + divisor / 2 : product - divisor / 2) / divisor);
}

namespace {

FocusCause CauseOf(Qt::FocusReason reason) {
  switch (reason) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason: return FocusCause::kTab;
    case Qt::MouseFocusReason: return FocusCause::kClick;
    default: return FocusCause::kOther;
  }
}

Qt::Alignment AlignmentOf(int align) {
  switch (align) {
    case 1: return Qt::AlignHCenter;
    case 2: return Qt::AlignRight;
    default: return Qt::AlignLeft;
  }
}

}  // namespace

TemplateDialog::TemplateDialog(const DialogSpec& spec, DialogEvents& events, ModalContext& context)
    : QDialog(context.owner), spec_(spec), events_(events), context_(context) {
  setObjectName(QString::number(spec.id));
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (spec.close_box) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  setWindowFlags(flags);
  setWindowTitle(ToQt(spec.caption));
  setFont(DialogFont(spec.font_face, spec.font_points));
  units_ = BaseUnitsOf(font());
  setFixedSize(std::max(DialogUnitsToPixels(spec.cx, units_.width, 4), 1),
               std::max(DialogUnitsToPixels(spec.cy, units_.height, 8), 1));
  build();
  place();
  if (spec.x >= 0 || spec.y >= 0) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 640, 480);
    move(spec.x >= 0 ? spec.x : (area.width() - width()) / 2,
         spec.y >= 0 ? spec.y : (area.height() - height()) / 2);
  }
}

// A dialog opened without a field to focus keeps the focus itself, as the
// toolkit and the headless backend have it, rather than letting Qt hand it
// to the first control when the window becomes active.
void TemplateDialog::keep_focus_unless_placed() {
  if (focus_id_ == 0) setFocus(Qt::OtherFocusReason);
}

void TemplateDialog::run() {
  events_.opened(*this);
  keep_focus_unless_placed();
  context_.transcript.dialog_show(spec_.id);
  write_fields();
  QTimer::singleShot(0, this, [this] { first_shown(); });
  exec();
  write_fields();
  context_.transcript.dialog_end(spec_.id, exit_button_, focus_field_);
}

void TemplateDialog::open_modeless() {
  setModal(false);
  events_.opened(*this);
  keep_focus_unless_placed();
  context_.transcript.dialog_show(spec_.id);
  write_fields();
  show();
  // Script actions act on it as a person would, in an active window.
  if (context_.script) {
    activateWindow();
    WaitUntil([this] { return isActiveWindow(); });
  }
}

void TemplateDialog::hide_modeless() {
  hide();
  context_.transcript.line("dialog " + std::to_string(spec_.id) + " hide");
}

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

void TemplateDialog::build() {
  for (const ControlSpec& spec : spec_.controls) {
    Control c;
    c.spec = spec;
    c.set_text = spec.text;
    c.widget = spec.kind == ControlKind::kTabControl ? make_tab_control(spec) : make_widget(spec);
    if (spec.tab_control != 0) put_on_page(c.widget, spec);
    c.widget->setObjectName(QString::number(spec.id));
    c.widget->setEnabled(spec.enabled);
    if (TakesFocus(spec.kind)) {
      if (spec.kind == ControlKind::kTabControl)
        c.widget->setFocusPolicy(spec.tab_stop ? Qt::TabFocus : Qt::NoFocus);
      else
        c.widget->setFocusPolicy(spec.tab_stop ? Qt::StrongFocus : Qt::ClickFocus);
      c.widget->installEventFilter(this);
      if (QLineEdit* edit = line_edit_of(c.widget)) {
        edit->installEventFilter(this);
        const int id = spec.id;
        connect(edit, &QLineEdit::textEdited, this, [this, id] {
          if (!quiet_ && !ending_) events_.text_changed(id);
        });
      }
    } else {
      c.widget->setFocusPolicy(Qt::NoFocus);
    }
    controls_.push_back(std::move(c));
  }
  QWidget* previous = nullptr;
  for (Control& c : controls_) {
    if (c.widget->focusPolicy() == Qt::NoFocus) continue;
    if (previous) setTabOrder(previous, c.widget);
    previous = c.widget;
  }
  // A static's mnemonic moves the focus to the next control, as a label's buddy.
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    auto* label = qobject_cast<QLabel*>(controls_[i].widget);
    if (!label || !label->text().contains(QLatin1Char('&'))) continue;
    for (std::size_t j = i + 1; j < controls_.size(); ++j)
      if (controls_[j].widget->focusPolicy() != Qt::NoFocus) {
        label->setBuddy(controls_[j].widget);
        break;
      }
  }
}

QWidget* TemplateDialog::make_widget(const ControlSpec& spec) {
  const QString text = ToQt(spec.text);
  const int id = spec.id;
  switch (spec.kind) {
    case ControlKind::kPushButton:
    case ControlKind::kDefPushButton: {
      auto* button = new QPushButton(text, this);
      button->setAutoDefault(false);
      button->setDefault(spec.kind == ControlKind::kDefPushButton);
      connect(button, &QPushButton::clicked, this, [this, id] {
        if (!ending_) events_.button_pressed(id);
      });
      return button;
    }
    case ControlKind::kCheckBox: {
      auto* box = new QCheckBox(text, this);
      connect(box, &QCheckBox::clicked, this, [this, id] {
        if (!quiet_ && !ending_) events_.selection_changed(id);
      });
      return box;
    }
    case ControlKind::kRadioButton: {
      auto* radio = new QRadioButton(text, this);
      connect(radio, &QRadioButton::clicked, this, [this, id] {
        if (!quiet_ && !ending_) events_.selection_changed(id);
      });
      return radio;
    }
    case ControlKind::kGroupBox: {
      auto* group = new QGroupBox(text, this);
      group->setAttribute(Qt::WA_TransparentForMouseEvents);
      return group;
    }
    case ControlKind::kStatic: {
      auto* label = new QLabel(LinesToQt(spec.text), this);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(AlignmentOf(spec.align) | Qt::AlignTop);
      label->setWordWrap(true);
      if (spec.sunken) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      else if (spec.border) label->setFrameStyle(QFrame::Box | QFrame::Plain);
      return label;
    }
    case ControlKind::kEdit: {
      auto* edit = new QLineEdit(text, this);
      edit->setAlignment(AlignmentOf(spec.align) | Qt::AlignVCenter);
      edit->setReadOnly(spec.read_only);
      if (spec.length_limit > 0) edit->setMaxLength(spec.length_limit);
      return edit;
    }
    case ControlKind::kComboEdit:
    case ControlKind::kComboSimple:
    case ControlKind::kComboList: {
      auto* combo = new QComboBox(this);
      if (spec.kind != ControlKind::kComboList) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);  // the toolkit's typing rules see every key
        combo->setEditText(text);
        if (spec.length_limit > 0) combo->lineEdit()->setMaxLength(spec.length_limit);
      }
      connect(combo, &QComboBox::activated, this, [this, id] {
        if (!quiet_ && !ending_) events_.selection_changed(id);
      });
      return combo;
    }
    case ControlKind::kListBox: {
      auto* list = new QListWidget(this);
      connect(list, &QListWidget::currentRowChanged, this, [this, id] {
        if (!quiet_ && !ending_) events_.selection_changed(id);
      });
      return list;
    }
    case ControlKind::kTabControl:  // made by make_tab_control
    case ControlKind::kOther: break;
  }
  auto* frame = new QFrame(this);
  frame->setFrameStyle(QFrame::Box | QFrame::Plain);
  return frame;
}

void TemplateDialog::place() {
  for (Control& c : controls_) {
    const ControlSpec& s = c.spec;
    QRect r(DialogUnitsToPixels(s.x, units_.width, 4), DialogUnitsToPixels(s.y, units_.height, 8),
            std::max(DialogUnitsToPixels(s.cx, units_.width, 4), 1), std::max(DialogUnitsToPixels(s.cy, units_.height, 8), 1));
    // A drop-down's template height includes its open list.
    if (s.kind == ControlKind::kComboEdit || s.kind == ControlKind::kComboList)
      r.setHeight(std::min(r.height(), c.widget->sizeHint().height()));
    c.widget->setGeometry(r);
    c.widget->setVisible(s.visible);
  }
  place_tab_pages();
  // Group boxes are frames behind the other controls, not containers.
  for (Control& c : controls_)
    if (c.spec.kind == ControlKind::kGroupBox) c.widget->lower();
}

TemplateDialog::Control* TemplateDialog::find(int id) {
  for (Control& c : controls_)
    if (c.spec.id == id) return &c;
  return nullptr;
}

TemplateDialog::Control* TemplateDialog::owner_of(QObject* object) {
  for (Control& c : controls_)
    if (c.widget == object || line_edit(c) == object || c.widget->focusProxy() == object) return &c;
  return nullptr;
}

QWidget* TemplateDialog::make_tab_control(const ControlSpec& spec) {
  auto* frame = new QFrame(this);
  frame->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  TabControl t;
  t.id = spec.id;
  t.bar = new QTabBar(frame);
  t.bar->setDrawBase(false);
  t.bar->setExpanding(false);
  for (const std::string& label : spec.tabs) t.bar->addTab(ToQt(label));
  t.bar->setCurrentIndex(spec.tab_selection);
  t.bar->installEventFilter(this);
  frame->setFocusProxy(t.bar);
  // Like the platform's tab controls, a click on a tab switches pages
  // without taking the focus; Tab reaches the row of tabs.
  t.bar->setFocusPolicy(Qt::TabFocus);
  for (std::size_t i = 0; i < spec.tabs.size(); ++i) {
    auto* page = new QWidget(frame);
    page->setVisible(static_cast<int>(i) == spec.tab_selection);
    t.pages.push_back(page);
  }
  tabs_.push_back(std::move(t));
  return frame;
}

void TemplateDialog::put_on_page(QWidget* widget, const ControlSpec& spec) {
  TabControl* t = tab_control(spec.tab_control);
  if (!t || spec.tab_index < 0 || spec.tab_index >= static_cast<int>(t->pages.size())) {
    widget->hide();  // a page the tab control does not have: never shown
    return;
  }
  widget->setParent(t->pages[static_cast<std::size_t>(spec.tab_index)]);
}

void TemplateDialog::place_tab_pages() {
  for (TabControl& t : tabs_) {
    auto* frame = t.bar->parentWidget();
    const int row = t.bar->sizeHint().height();
    t.bar->setGeometry(2, 0, std::max(frame->width() - 4, 1), row);
    for (QWidget* page : t.pages)
      page->setGeometry(2, row + 2, std::max(frame->width() - 4, 1), std::max(frame->height() - row - 4, 1));
  }
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

bool TemplateDialog::on_screen(const Control& c) {
  const Control* at = &c;
  for (int depth = 0; depth < 16; ++depth) {
    if (!at->spec.visible) return false;
    if (at->spec.tab_control == 0) return true;
    TabControl* t = tab_control(at->spec.tab_control);
    const Control* holder = find(at->spec.tab_control);
    if (!t || !holder || t->bar->currentIndex() != at->spec.tab_index) return false;
    at = holder;
  }
  return false;
}

TemplateDialog::Control* TemplateDialog::resolve(int id) {
  for (Control& c : controls_)
    if (c.spec.tab_control == 0 && c.spec.id == id) return &c;
  Control* hidden = nullptr;
  for (Control& c : controls_) {
    if (c.spec.tab_control == 0 || c.spec.page_field != id) continue;
    if (on_screen(c)) return &c;
    if (!hidden) hidden = &c;
  }
  return hidden;
}

QLineEdit* TemplateDialog::line_edit_of(QWidget* widget) {
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit;
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->lineEdit();
  return nullptr;
}

int TemplateDialog::option_count(Control& c) {
  if (auto* combo = qobject_cast<QComboBox*>(c.widget)) return combo->count();
  if (auto* list = qobject_cast<QListWidget*>(c.widget)) return list->count();
  return 0;
}

QString TemplateDialog::option_text(Control& c, int i) {
  if (auto* combo = qobject_cast<QComboBox*>(c.widget)) return combo->itemText(i);
  if (auto* list = qobject_cast<QListWidget*>(c.widget)) return list->item(i) ? list->item(i)->text() : QString();
  return {};
}

std::string TemplateDialog::option_bytes(Control& c, int i, const QString& shown) {
  if (i < 0) return {};
  if (std::size_t(i) < c.options.size()) return FromQt(shown, c.options[std::size_t(i)]);
  return FromQt(shown);
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

TemplateDialog::TabControl* TemplateDialog::tab_control(int id) {
  for (TabControl& t : tabs_)
    if (t.id == id) return &t;
  return nullptr;
}

void RunModalDialog(const DialogSpec& spec, DialogEvents& events, ModalContext& context) {
  TemplateDialog dialog(spec, events, context);
  dialog.run();
}

}  // namespace zarv::platform::qt
