// Shown instances of a loaded dialog. A modal show builds one from the
// template, copies the model in and, when a push button ends it, the user's
// input back; a modeless show keeps one for as long as the dialog is shown
// (modeless_dialog.h).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "toolkit/dialogs/dialog_model.h"
#include "toolkit/platform/platform.h"

namespace zarv::dialogs {

// The controls of a dialog as the backend makes them, at pixel position
// (x, y) of the screen (-1: centred by the backend). Its tab pages are not
// included; a DialogInstance adds them (DialogInstance::spec).
platform::DialogSpec BuildDialogSpec(const Dialog& dialog, int x, int y);

// One control as the backend makes it.
platform::ControlSpec BuildControlSpec(const Field& f, const ControlTemplate& t);

// A shown instance of a loaded dialog: built by the backend from a
// DialogSpec, filled from the loaded dialog's model when it opens, driven by
// the user through DialogEvents. It carries the field rules (typing filter,
// validation, deferred invalid field, default button, tab switches) that
// modal and modeless instances share; what a pressed push button does is
// theirs.
//
// The pages of the dialog's tab controls (loaded dialogs of their own) are
// part of the instance: their fields follow the dialog's own in `fields_`,
// under page keys (platform::kPageKeyBase + position in `fields_`), and go
// back to their own dialogs with the rest.
class DialogInstance : public platform::DialogEvents {
 public:
  DialogInstance(Dialog& model, int focus);

  // What the backend shows: the dialog with the pages of its tab controls.
  platform::DialogSpec spec(int x, int y) const;

  void opened(platform::DialogView& view) override;
  bool key_typed(int id, char32_t ch, bool ctrl, bool alt) override;
  void text_changed(int id) override;
  void focus_changing(int from, int to, platform::FocusCause cause) override;
  void button_pressed(int id) override;
  void enter_pressed(int id, bool ctrl, bool alt) override;
  void cancel() override;
  void selection_changed(int id) override;
  bool tab_switching(int id, int from_index, int to_index) override;
  void help_requested() override {}  // only modeless dialogs report the help key

  // A put changed field `id` of page dialog `dialog` shown in this instance;
  // false when the page is not part of it.
  bool refresh_page_field(int dialog, int id);

 protected:
  // Identifiers given to the application are the fields' own: `window` is
  // the dialog (this one or a tab page) the field belongs to.
  //
  // A push button (or the Cancel command, 2) acted, the field that had the
  // focus when it was pressed being `focus_field`; the record is up to date.
  virtual void button_acted(int window, int button, int focus_field) = 0;
  // The focus moved from one field to another of this dialog.
  virtual void focus_moved(int window, int from, int to) {
    (void)window, (void)from, (void)to;
  }
  // A check box, radio button, list or combo box selection changed.
  virtual void selection_made(int window, int id) { (void)window, (void)id; }
  // A tab control of dialog `window` went from page `from_page` to
  // `to_page` (dialog identifiers).
  virtual void tab_switched(int window, int from_page, int to_page) {
    (void)window, (void)from_page, (void)to_page;
  }

  // Copies the instance's fields back into the loaded dialog and its pages.
  void store_back();

  // Reads what the view shows back into the instance's fields.
  void read_view();
  // Shows one field's model state in the view (as when the dialog opened).
  void show_field(const Field& f);
  Field* field(int id);
  int focused_field() const { return focus_; }
  bool has_view() const { return view_ != nullptr; }

  Dialog& model_;
  std::vector<Field> fields_;  // the instance's own copy while it is shown
  platform::DialogView* view_ = nullptr;

 private:
  // The fields of one tab page inside the instance.
  struct PagePart {
    int dialog = 0;       // the page's dialog identifier
    int tab_control = 0;  // identifier or page key of the tab control showing it
    int tab_index = 0;
    std::size_t first = 0;  // its fields: fields_[first, first + ids.size())
    std::vector<int> ids;   // their own identifiers on the page
  };

  void add_pages(std::size_t first, std::size_t count, int depth, std::vector<int>& seen);
  void append_controls(std::vector<platform::ControlSpec>& out, std::size_t first,
                       std::size_t count, const Dialog& layout, const PagePart* part) const;
  const PagePart* part_of(int id) const;
  int own_id(int id) const;     // a field's identifier on its own dialog
  int dialog_of(int id) const;  // the dialog identifier a field belongs to
  DialogRecord* record_of(int id);
  int first_stop_on_page(int tab_control, int index);
  bool invalid_numeric(int id);

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

  std::size_t own_count_ = 0;  // the dialog's own fields come first
  std::vector<PagePart> pages_;
  int requested_focus_ = 0;
  int focus_ = 0;         // control that has the focus, as we last saw it
  int before_focus_ = 0;  // the one that had it before
  int deferred_ = 0;      // numeric field left invalid for a push button
  int refused_for_ = 0;   // button a focus move was just refused for (it beeped)
  std::string last_valid_text_;
  double last_valid_value_ = 0.0;
  std::int32_t last_valid_defined_ = 0;
  bool adjusting_ = false;  // our own changes: not user input

 protected:
  bool ended_ = false;  // modal: a push button ended it
};

// The modal instance: the first push button that acts ends it, and every
// field is copied back into the loaded dialog.
class ModalDialog final : public DialogInstance {
 public:
  using DialogInstance::DialogInstance;

  bool ended() const { return ended_; }
  int exit_button() const { return exit_button_; }
  int focus_field() const { return focus_field_; }

 private:
  void button_acted(int window, int button, int focus_field) override;

  int exit_button_ = 0;
  int focus_field_ = 0;
};

}  // namespace zarv::dialogs
