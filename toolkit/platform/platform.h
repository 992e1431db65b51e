// The one door between the toolkit and whatever puts windows on a screen.
//
// A backend does what a windowing platform does and nothing more: it makes
// the root window and its controls, puts pixels and text on screen, runs
// native modal loops, reports raw input (a menu pick, a key, a click, a focus
// change, a close) back to the toolkit, and carries out what the toolkit
// decides (refuse a key, beep, put the focus back, select all). Every rule
// the user can observe lives in the toolkit; if two backends would need the
// same `if`, it belongs there.
//
// Backends: "headless" (scripted, deterministic; tests and automation) and
// "qt" (the desktop program). Both read the same script and write the same
// transcript (see script.h and transcript.h beside this file).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarv::platform {

struct Size {
  int w = 0;
  int h = 0;
};

// The largest side of a client area the toolkit works with (beyond four
// side-by-side 4K screens). Sizes are clamped to it where they enter, from
// a script, a backend or a caller, so that no pixel arithmetic overflows
// and no backend is asked for a window it cannot back with memory.
inline constexpr int kMaxClientSide = 16384;
constexpr int ClampSide(int side) {
  return side < 0 ? 0 : side > kMaxClientSide ? kMaxClientSide : side;
}
constexpr Size Clamped(Size s) { return {ClampSide(s.w), ClampSide(s.h)}; }

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
};

// ---------------------------------------------------------------- root window

struct MenuEntry {
  std::string text;  // with '&' marking the mnemonic
  int id = 0;        // command identifier; pop-ups carry one too
  bool popup = false;
  bool separator = false;
  bool grayed = false;
  bool checked = false;
  std::vector<MenuEntry> items;
};

struct WindowSpec {
  std::string title;     // trailing blanks already removed
  Size client;           // pixels, already resolved (no 0 or negative sizes)
  int x = -1, y = -1;    // top-left of the frame on the screen; -1 centres
  bool system_menu = true, minimise_box = true, maximise_box = true;
  bool maximised = false, hidden = false, topmost = false;
  bool fixed_border = false;  // no sizing by dragging, no size grip
  bool status_bar = false;
  std::vector<MenuEntry> menu;  // the menu bar's pop-ups; empty: no menu
  std::string icon;             // image file bytes (BMP); empty: default icon
};

struct ToolbarButton {
  int id = 0;  // 0: separator
  int image = -1;  // index into the strip; -1 for a separator
  bool enabled = true;
  bool checked = false;
  std::string tooltip;  // resolved by the toolkit
};

enum class ToolbarSide { kTop = 1, kLeft = 2, kRight = 3, kBottom = 4 };

struct ToolbarSpec {
  int id = 0;  // the toolbar's resource identifier
  ToolbarSide side = ToolbarSide::kTop;
  Size image;  // size of one image in the strip
  std::string bitmap;  // BMP file bytes: the images side by side
  std::vector<ToolbarButton> buttons;
};

// ---------------------------------------------------------------- raw input

enum class InputKind {
  kMenuPick,     // a = command identifier (menu item or toolbar button)
  kCloseAsked,   // the close box, Alt+F4, the system menu
  kExpose,       // a, b, c, d = x, y, w, h of the client area to repaint
  kResize,       // a, b = new client width, height
  kMinimise,
  kRestore,
  kKey,          // a = character code or key code, b = modifiers
  kButtonDown,   // a = button 1..3, b = modifiers, x, y = pixel position
  kButtonUp,
  kButtonDouble,
  kMotion,
  kFrameClick,   // a = button, on the frame outside the caption buttons
  kTimer,        // a = timer identifier
};

struct Input {
  InputKind kind = InputKind::kCloseAsked;
  int a = 0, b = 0, c = 0, d = 0;
  int x = 0, y = 0;
};

// The toolkit's side of the event stream. A backend calls it whenever raw
// input arrives, also while a modal dialog or a program start is running;
// the toolkit decides whether that completes a wait or goes to a deferred
// slot.
class InputSink {
 public:
  virtual ~InputSink() = default;
  virtual void input(const Input& in) = 0;
};

// ---------------------------------------------------------------- message box

struct MessageBoxSpec {
  int buttons = 0;   // 0 OK, 1 OK/Cancel, 2 Retry/Cancel, 3 Yes/No, 4 Yes/No/Cancel, 5 Abort/Retry/Ignore
  int icon = 0;      // 0 none, 1 stop, 2 question, 3 exclamation, 4 information
  int default_button = 0;  // 0-based position of the default button
  std::string title;  // trailing blanks removed
  std::string text;   // lines separated by carriage returns
};

// The answer as a result code: 1 OK/Yes/Retry, 0 Cancel/Ignore, 2 No/Abort,
// -1 when the box could not be shown.
using MessageBoxResult = int;

// ---------------------------------------------------------------- file dialog

struct FileFilter {
  std::string description;
  std::string pattern;  // may hold several patterns separated by ';'
};

struct FileDialogSpec {
  bool save = false;
  bool multiple = false;
  std::string title;
  std::string filter_text;           // as given (for the transcript)
  std::vector<FileFilter> filters;   // empty: all files, no filter list
  int filter_index = 1;              // 1-based
  std::string directory;             // initial directory (absolute)
  std::string name;                  // initial name in the name box
  std::string initial;               // the file-name argument as given (for the transcript)
  int flags = 0;                     // as given (for the transcript)
  // The name the dialog gives back for a path typed or picked with filter
  // `filter_index` selected, as the toolkit decides it (absolute, the
  // filter's extension added where the flags ask for it). The backend
  // answers with it and shows it in its transcript line; unset: as typed.
  std::function<std::string(std::string_view typed, int filter_index)> resolve;
};

struct FileDialogAnswer {
  bool chosen = false;
  std::string path;      // full path as typed or picked; the toolkit applies the flags
  int filter_index = 1;  // 1-based, the filter selected when the dialog ended
};

// ---------------------------------------------------------------- dialogs

enum class ControlKind {
  kPushButton,
  kDefPushButton,
  kCheckBox,
  kRadioButton,
  kGroupBox,
  kStatic,
  kEdit,         // plain edit field; numeric fields are kEdit with `numeric`
  kComboEdit,    // drop-down combo box with an edit field
  kComboList,    // drop-down list combo box (no edit field)
  kComboSimple,  // simple combo box: list always shown
  kListBox,
  kTabControl,   // a row of tabs over a display area showing one page
  kOther,        // anything the backend shows as an inert box
};

// Controls of tab pages keep their own identifiers, which may repeat across
// the pages and the dialog that holds them. Rather than widen every
// DialogView and DialogEvents call with a page argument, the toolkit gives
// each page control a key of its own, kPageKeyBase and up, and both sides
// address it by that key; a dialog without tab pages never sees one, so
// existing callers work as they did.
inline constexpr int kPageKeyBase = 0x40000000;
inline constexpr bool IsPageKey(int id) { return id >= kPageKeyBase; }

struct ControlSpec {
  int id = 0;
  ControlKind kind = ControlKind::kOther;
  std::string cls;  // template class name, for backends that want it
  std::string text;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  bool visible = true, enabled = true, read_only = false, tab_stop = false;
  bool numeric = false;              // one of the toolkit's numeric edit classes
  bool multiline = false, sunken = false, border = false;
  int align = 0;                     // 0 left, 1 centre, 2 right (statics, edits)
  int length_limit = 0;              // 0: none

  // kTabControl: the tab labels and the selected tab (0-based, -1 none).
  std::vector<std::string> tabs;
  int tab_selection = -1;

  // A control of a tab page (tab_control != 0): `id` is its page key, and it
  // is on screen only while tab `tab_index` of control `tab_control` is
  // selected (and that control is on screen). x and y are relative to the
  // page, whose top-left corner sits at the tab control's display area.
  int tab_control = 0;  // identifier or key of the tab control; 0: not on a page
  int tab_index = -1;   // 0-based tab showing the page
  int page = 0;         // the page's dialog identifier
  int page_field = 0;   // the control's own identifier on its page
};

struct DialogSpec {
  int id = 0;  // dialog identifier (for the transcript)
  std::string caption;
  int font_points = 8;
  std::string font_face;
  int cx = 0, cy = 0;  // dialog units
  int x = -1, y = -1;  // screen pixels of the top-left corner; -1: centre
  bool close_box = true;
  std::vector<ControlSpec> controls;  // in template (tab) order
};

// Average character width and height of a dialog font, for dialog units:
// pixels x = du * width / 4, y = du * height / 8.
struct DialogBaseUnits {
  int width = 6;
  int height = 13;
};

// How the focus is moving, as far as the toolkit's field rules care.
enum class FocusCause { kTab, kClick, kProgram, kOther };

// A shown dialog instance (modal, or modeless while it is shown), as the
// toolkit sees it. Indices of options are 0-based; -1 means no selection.
class DialogView {
 public:
  virtual ~DialogView() = default;
  virtual std::string text(int id) = 0;
  virtual void set_text(int id, std::string_view text) = 0;
  virtual std::vector<std::string> options(int id) = 0;
  virtual void set_options(int id, const std::vector<std::string>& options) = 0;
  virtual int selection(int id) = 0;
  virtual void set_selection(int id, int index) = 0;
  virtual int check(int id) = 0;  // 0 clear, 1 checked, 2 indeterminate
  virtual void set_check(int id, int state) = 0;
  virtual int focus() = 0;  // identifier of the focused control, 0 if none
  virtual void set_focus(int id) = 0;
  virtual void select_all(int id) = 0;
  virtual void set_enabled(int id, bool enabled) = 0;
  virtual void beep() = 0;
  // Shows tab `index` (0-based) of tab control `id` and its page, hiding the
  // other pages. The backend does the same itself after tab_switching()
  // allowed a switch; doing it twice is harmless.
  virtual void select_tab(int id, int index) = 0;
  // Ends the modal loop once the current input has been handled; the exit
  // button and the field that had the focus go into the transcript.
  virtual void end(int exit_button, int focus_field) = 0;
};

// What the user does in a dialog instance, reported by the backend. The
// toolkit answers through the DialogView it was given in opened(). A
// modeless instance never calls DialogView::end().
class DialogEvents {
 public:
  virtual ~DialogEvents() = default;
  // The instance exists, controls are made; copy the values in and focus.
  virtual void opened(DialogView& view) = 0;
  // A character typed into control `id` (an edit field or a combo box's edit
  // field). Return false to drop it; the toolkit beeps itself when it should.
  virtual bool key_typed(int id, char32_t ch, bool ctrl, bool alt) = 0;
  // The text of an edit field was changed by the user (typing, deleting,
  // pasting).
  virtual void text_changed(int id) = 0;
  // The focus is moving from `from` to `to` (0: outside the dialog). Called
  // before the move takes effect for kTab and kClick; the toolkit may put the
  // focus back with DialogView::set_focus.
  virtual void focus_changing(int from, int to, FocusCause cause) = 0;
  // A push button was pressed (clicked, or Space/Enter on the button).
  virtual void button_pressed(int id) = 0;
  // Enter in control `id` (not a push button).
  virtual void enter_pressed(int id, bool ctrl, bool alt) = 0;
  // Esc or the close box: the Cancel command, button 2.
  virtual void cancel() = 0;
  // The selection of a list or combo box, or a check box, changed.
  virtual void selection_changed(int id) = 0;
  // The help key (F1) in a modeless dialog. Modal dialogs ignore it.
  virtual void help_requested() = 0;
  // The user asks tab control `id` to go from tab `from_index` to tab
  // `to_index` (0-based), before anything changes on screen. False: the
  // switch is refused (the toolkit has beeped and put the focus where it
  // belongs); true: the backend shows the new page, the toolkit having
  // moved the focus into it.
  virtual bool tab_switching(int id, int from_index, int to_index) = 0;
};

// ---------------------------------------------------------------- platform

class Platform {
 public:
  virtual ~Platform() = default;

  virtual std::string_view name() const = 0;
  virtual Size screen_size() = 0;

  // Root window. Drawing goes to the client area's backing store and shows
  // at once.
  virtual bool open_window(const WindowSpec& spec, InputSink& sink) = 0;
  virtual void close_window() = 0;
  virtual void set_toolbar(const ToolbarSpec& spec) = 0;
  virtual void remove_toolbar(ToolbarSide side) = 0;
  // Right edges of the status bar parts in pixels; -1 for a part that runs to
  // the right edge.
  virtual void set_status_parts(const std::vector<int>& right_edges) = 0;
  virtual void set_status_text(int part, std::string_view text) = 0;  // 1-based part
  virtual Size client_size() = 0;
  virtual void fill_rect(int left, int top, int right, int bottom, Rgb colour) = 0;
  // Draws text with its baseline's left end at (x, y); returns the advance
  // width in pixels.
  virtual int draw_text(int x, int y, std::string_view text, Rgb fg, Rgb bg) = 0;
  virtual int text_width(std::string_view text) = 0;

  // Blocks until at least one raw input has been delivered to the sink, or
  // until the DialogEvents callbacks of a modeless dialog have run for one
  // user action (or, scripted, for one `dialog ID` block), so that the
  // toolkit can deliver the events they queued. When a script is used up
  // (or, headless, when there is none), delivers kCloseAsked.
  virtual void wait_input() = 0;
  // Lets the window repaint for up to `ms` milliseconds while a started
  // program runs; keyboard and mouse input is thrown away.
  virtual void pump_paints(int ms) = 0;

  // Modal interactions.
  virtual MessageBoxResult message_box(const MessageBoxSpec& spec) = 0;
  virtual FileDialogAnswer file_dialog(const FileDialogSpec& spec) = 0;
  virtual DialogBaseUnits dialog_base_units(std::string_view face, int points) = 0;
  // Runs a modal dialog; returns when the toolkit called DialogView::end().
  virtual void run_modal_dialog(const DialogSpec& spec, DialogEvents& events) = 0;
  // Shows a modeless dialog and returns at once; it stays on screen, its
  // controls reporting to `events` (which outlives it) while wait_input
  // runs, until close_modeless_dialog(spec.id). Showing an identifier that
  // is already shown replaces that dialog.
  virtual void show_modeless_dialog(const DialogSpec& spec, DialogEvents& events) = 0;
  // Takes a modeless dialog off the screen; unknown identifiers are ignored.
  virtual void close_modeless_dialog(int id) = 0;

  virtual void help_show(std::string_view path) = 0;  // an existing file
  virtual void help_close() = 0;
  virtual void beep() = 0;

  // Things the transcript reports that happen outside the backend.
  virtual void command_ran(std::string_view command, int flags, int result) = 0;
  virtual void note(std::string_view text) = 0;
  // The process is about to end with `status`.
  virtual void process_exit(int status) = 0;
};

// The backend chosen by ZARVPLATFORM ("qt", "headless"); nullptr with a
// message in `error` when it is unknown or cannot start (no display).
std::unique_ptr<Platform> CreatePlatform(std::string* error);

}  // namespace zarv::platform
