// A modeless dialog's callbacks, counted on their way to the toolkit, so
// that the backend's wait for input can end once the user acted in it.
#pragma once

#include "toolkit/platform/platform.h"

namespace zarv::platform::qt {

class CountedDialogEvents final : public DialogEvents {
 public:
  CountedDialogEvents(DialogEvents& to, long long& count) : to_(to), count_(count) {}

  void opened(DialogView& view) override { to_.opened(view); }
  bool key_typed(int id, char32_t ch, bool ctrl, bool alt) override {
    ++count_;
    return to_.key_typed(id, ch, ctrl, alt);
  }
  void text_changed(int id) override { ++count_; to_.text_changed(id); }
  void focus_changing(int from, int to, FocusCause cause) override {
    ++count_;
    to_.focus_changing(from, to, cause);
  }
  void button_pressed(int id) override { ++count_; to_.button_pressed(id); }
  void enter_pressed(int id, bool ctrl, bool alt) override {
    ++count_;
    to_.enter_pressed(id, ctrl, alt);
  }
  void cancel() override { ++count_; to_.cancel(); }
  void selection_changed(int id) override { ++count_; to_.selection_changed(id); }
  void help_requested() override { ++count_; to_.help_requested(); }
  bool tab_switching(int id, int from_index, int to_index) override {
    ++count_;
    return to_.tab_switching(id, from_index, to_index);
  }

 private:
  DialogEvents& to_;
  long long& count_;
};

}  // namespace zarv::platform::qt
