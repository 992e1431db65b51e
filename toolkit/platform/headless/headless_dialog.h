// A dialog without a screen: the controls of a template held as plain
// values, driven by the `dialog ID` lines of the script. Each action is
// turned into the raw input a user would give (a focus move, keys, a click),
// reported to the toolkit, and the toolkit's answers are carried out. A
// modal one plays its whole answer in run(); a modeless one stays open and
// takes actions one by one while the program waits for events.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "toolkit/platform/platform.h"
#include "toolkit/platform/script.h"
#include "toolkit/platform/transcript.h"

namespace zarv::platform {

class HeadlessDialog final : public DialogView {
 public:
  HeadlessDialog(const DialogSpec& spec, DialogEvents& events, ScriptDriver& script,
                 Transcript& transcript);

  // Modal: shows the dialog, plays its script answer, returns once it ended.
  void run();

  // Modeless: shows the dialog and keeps its controls; act() performs one
  // script action on them; hide() writes that the dialog went away.
  void open();
  void act(const DialogAction& action) { perform(action); }
  void hide();

  // DialogView
  std::string text(int id) override;
  void set_text(int id, std::string_view text) override;
  std::vector<std::string> options(int id) override;
  void set_options(int id, const std::vector<std::string>& options) override;
  int selection(int id) override;
  void set_selection(int id, int index) override;
  int check(int id) override;
  void set_check(int id, int state) override;
  int focus() override { return focus_; }
  void set_focus(int id) override;
  void select_all(int id) override;
  void set_enabled(int id, bool enabled) override;
  void beep() override;
  void select_tab(int id, int index) override;
  void end(int exit_button, int focus_field) override;

 private:
  struct Control {
    ControlSpec spec;
    std::string text;  // caption, edit text, or a combo box's edit text
    std::vector<std::string> options;
    int selection = -1;
    int check = 0;
    std::size_t sel_start = 0, sel_end = 0;  // edit selection in bytes; caret at sel_end
  };

  Control* find(int id);
  // The control a script line means by `id`: one of the dialog's own, else
  // a control of a tab page now on screen that has that identifier.
  Control* resolve(int id);
  // Whether the control shows: visible itself, and on a page that is shown.
  bool on_screen(const Control& c);
  // The text the control shows: a list's selected option, else its text.
  std::string shown_text(const Control& c) const;
  void write_fields();

  void perform(const DialogAction& action);
  void type(const DialogAction& action);
  void type_key(int id, const TypedKey& key);
  void clear(const DialogAction& action);
  void pick(const DialogAction& action);
  void pick_tab(Control& tabs, const DialogAction& action);
  void focus_action(const DialogAction& action);
  void tab();
  void enter();
  void press(const DialogAction& action);

  // A control the user can reach for this action, or nullptr after a note.
  Control* reachable(const DialogAction& action, const char* verb);
  // Asks the toolkit, then moves the focus unless it put it elsewhere.
  // True when the focus is now on `to`.
  bool move_focus(int to, FocusCause cause);
  void skip(const DialogAction& action, const std::string& why);
  void note(const std::string& text);

  const DialogSpec spec_;
  DialogEvents& events_;
  ScriptDriver& script_;
  Transcript& transcript_;
  std::vector<Control> controls_;
  int focus_ = 0;
  bool focus_changing_ = false;  // inside DialogEvents::focus_changing
  bool focus_redirected_ = false;
  std::optional<std::pair<int, int>> ended_;  // exit button, focus field
};

// Whether the user can type into a control of this kind.
bool IsTypeable(ControlKind kind);
// Whether the control may hold the keyboard focus.
bool IsFocusable(ControlKind kind);

}  // namespace zarv::platform
