// A dialog template made of real Qt widgets, shown modal or modeless. The
// toolkit decides everything (typing rules, focus rules, which button ends
// it); this class reports raw input through DialogEvents and carries out
// DialogView.
//
//   qt_template_dialog.cpp  building the widgets from the template
//   qt_dialog_view.cpp      DialogView, and raw input to the toolkit
//   qt_dialog_script.cpp    acting out script lines with real input
//   qt_modeless_dialog.cpp  the modeless window around it
#pragma once

#include <QDialog>
#include <QFont>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/platform/platform.h"
#include "toolkit/platform/qt/qt_modal_dialog.h"
#include "toolkit/platform/script.h"

class QFocusEvent;
class QKeyEvent;
class QLineEdit;
class QTabBar;

namespace zarv::platform::qt {

class TemplateDialog final : public QDialog, public DialogView {
 public:
  TemplateDialog(const DialogSpec& spec, DialogEvents& events, ModalContext& context);

  // Modal: shown in its own loop until the toolkit ends it; a script answers
  // it from timers once it is on screen.
  void run();
  // Modeless: shown without a loop of its own; the script acts on it one
  // action at a time from the backend's wait for input.
  void open_modeless();
  void act(const DialogAction& action) { perform(action); }
  void hide_modeless();

  // ------------------------------------------------------------ DialogView
  std::string text(int id) override;
  void set_text(int id, std::string_view bytes) override;
  std::vector<std::string> options(int id) override;
  void set_options(int id, const std::vector<std::string>& options) override;
  int selection(int id) override;
  void set_selection(int id, int index) override;
  int check(int id) override;
  void set_check(int id, int state) override;
  int focus() override;
  void set_focus(int id) override;
  void select_all(int id) override;
  void set_enabled(int id, bool enabled) override;
  void beep() override;
  void select_tab(int id, int index) override;
  void end(int exit_button, int focus_field) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  struct Control {
    ControlSpec spec;
    QWidget* widget = nullptr;  // owned by the dialog
    std::string set_text;       // the bytes last put in, for exact read-back
    std::vector<std::string> options;
  };

  // A tab control: a tab bar over a frame holding one container per page;
  // the page controls are children of their page's container.
  struct TabControl {
    int id = 0;
    QTabBar* bar = nullptr;
    std::vector<QWidget*> pages;
  };

  // Suppresses the callbacks that our own changes to the widgets cause.
  struct Quiet {
    explicit Quiet(TemplateDialog& d) : dialog(d) { ++dialog.quiet_; }
    ~Quiet() { --dialog.quiet_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;
    TemplateDialog& dialog;
  };

  // Building (qt_template_dialog.cpp).
  void build();
  QWidget* make_widget(const ControlSpec& spec);
  QWidget* make_tab_control(const ControlSpec& spec);
  void put_on_page(QWidget* widget, const ControlSpec& spec);
  void place();
  void place_tab_pages();

  // Looking things up.
  Control* find(int id);
  Control* owner_of(QObject* object);
  TabControl* tab_control(int id);
  bool on_screen(const Control& c);
  // The control a script line means: one of the dialog's own, else one of a
  // shown tab page with that identifier.
  Control* resolve(int id);
  static QLineEdit* line_edit_of(QWidget* widget);
  QLineEdit* line_edit(Control& c) { return line_edit_of(c.widget); }
  int option_count(Control& c);
  QString option_text(Control& c, int i);
  std::string option_bytes(Control& c, int i, const QString& shown);

  void keep_focus_unless_placed();

  // Raw input to the toolkit.
  bool on_tab_bar(QObject* watched, QEvent* event);
  void request_tab(TabControl& t, int to);
  bool on_key(QObject* watched, QKeyEvent* key);
  void on_focus_in(QObject* watched, QFocusEvent* event);
  void move_focus(Control& c, Qt::FocusReason reason);
  // The fields as shown, into the transcript (and the visible-text check).
  void write_fields();

  // Acting out the script (qt_dialog_script.cpp).
  void first_shown();
  void step();
  void script_close();
  void perform(const DialogAction& action);
  void type(Control& c, const DialogAction& action);
  void pick(Control& c, const DialogAction& action);
  void pick_tab(Control& c, const DialogAction& action);
  void focus_gesture(Control& c);
  bool focus_by_click(Control& c, const DialogAction& action, const char* verb);
  void key(int key, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
  Control* reachable(const DialogAction& action, const char* verb);
  void note(const std::string& text);
  void skip(const DialogAction& action, const std::string& why);

  DialogSpec spec_;
  DialogEvents& events_;
  ModalContext& context_;
  DialogBaseUnits units_;
  std::vector<Control> controls_;
  std::vector<TabControl> tabs_;
  int focus_id_ = 0;
  int pending_focus_ = 0;
  int quiet_ = 0;
  int quiet_focus_ = 0;
  bool in_focus_callback_ = false;
  bool ending_ = false;
  int exit_button_ = 2;
  int focus_field_ = 0;
};

// Dialog units to pixels, rounded like the platform's multiply-divide.
int DialogUnitsToPixels(int value, int unit, int divisor);

inline bool IsCombo(ControlKind kind) {
  return kind == ControlKind::kComboEdit || kind == ControlKind::kComboList ||
         kind == ControlKind::kComboSimple;
}

inline bool IsButton(ControlKind kind) {
  return kind == ControlKind::kPushButton || kind == ControlKind::kDefPushButton;
}

inline bool TakesFocus(ControlKind kind) {
  return kind != ControlKind::kGroupBox && kind != ControlKind::kStatic && kind != ControlKind::kOther;
}

}  // namespace zarv::platform::qt
