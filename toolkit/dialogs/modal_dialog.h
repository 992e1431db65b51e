// The modal instance of a loaded dialog: built by the backend from a
// DialogSpec, filled from the loaded dialog's model when it opens, driven by
// the user through DialogEvents, and copied back into the model when a push
// button ends it.
#pragma once

#include <string>
#include <vector>

#include "toolkit/dialogs/dialog_model.h"
#include "toolkit/platform/platform.h"

namespace zarv::dialogs {

// The controls of a dialog as the backend makes them, at pixel position
// (x, y) of the screen (-1: centred by the backend).
platform::DialogSpec BuildDialogSpec(const Dialog& dialog, int x, int y);

class ModalDialog final : public platform::DialogEvents {
 public:
  ModalDialog(Dialog& model, int focus);

  void opened(platform::DialogView& view) override;
  bool key_typed(int id, char32_t ch, bool ctrl, bool alt) override;
  void text_changed(int id) override;
  void focus_changing(int from, int to, platform::FocusCause cause) override;
  void button_pressed(int id) override;
  void enter_pressed(int id, bool ctrl, bool alt) override;
  void cancel() override;
  void selection_changed(int id) override;

  bool ended() const { return ended_; }
  int exit_button() const { return exit_button_; }
  int focus_field() const { return focus_field_; }

 private:
  Field* field(int id);
  Field* numeric(int id);
  void beep();
  void set_text(Field& f, const std::string& text);
  void save_last_valid(const Field& f);
  void restore_last_valid(Field& f);
  void refuse_focus(Field& f, bool beep_too);
  void commit(Field& f);  // a valid text left behind: value read, text reformatted
  bool is_push_button(int id);
  int default_button();
  void press(int id);
  void copy_in();
  void copy_back();

  Dialog& model_;
  std::vector<Field> fields_;  // the instance's own copy while it runs
  platform::DialogView* view_ = nullptr;
  int requested_focus_ = 0;
  int focus_ = 0;         // control that has the focus, as we last saw it
  int before_focus_ = 0;  // the one that had it before
  int deferred_ = 0;      // numeric field left invalid for a push button
  int refused_for_ = 0;   // button a focus move was just refused for (it beeped)
  std::string last_valid_text_;
  double last_valid_value_ = 0.0;
  std::int32_t last_valid_defined_ = 0;
  bool adjusting_ = false;  // our own changes: not user input
  bool ended_ = false;
  int exit_button_ = 0;
  int focus_field_ = 0;
};

}  // namespace zarv::dialogs
