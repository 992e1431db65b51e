#include "toolkit/platform/qt/qt_template_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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
    WaitUntil([this] { return isActiveWindow(); }, 5000);
  }
}

void TemplateDialog::hide_modeless() {
  hide();
  context_.transcript.line("dialog " + std::to_string(spec_.id) + " hide");
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
