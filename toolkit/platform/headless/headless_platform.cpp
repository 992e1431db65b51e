// The scripted backend. It implements every Platform operation without a
// display and without a clock, so that a run repeats exactly:
//   - screen 1024x768; the client area is as opened, then as `resize` says;
//   - a fixed-pitch system font, 8 x 16 pixels per character; dialog base
//     units 6 x 13 whatever the font;
//   - events from the script, a close request once it is used up;
//   - message boxes, file dialogs and modal dialogs answered by the script,
//     or by their defaults (noted in the transcript);
//   - drawing, status texts and everything else the user would see written
//     to the transcript.
#include "toolkit/platform/headless/headless_platform.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <span>

#include "toolkit/platform/headless/headless_dialog.h"
#include "toolkit/platform/script.h"

namespace zarv::platform {

namespace {

constexpr Size kScreen{1024, 768};
constexpr int kCharWidth = 8;
// A program that keeps waiting for events after this many close requests
// past the end of its script would never end; it is stopped instead.
constexpr int kClosesBeforeStopping = 1000;

// Result codes of a message box's buttons, in the order they are shown.
std::span<const int> ButtonResults(int type) {
  static constexpr int kOk[] = {1};
  static constexpr int kOkCancel[] = {1, 0};
  static constexpr int kYesNo[] = {1, 2};
  static constexpr int kYesNoCancel[] = {1, 2, 0};
  static constexpr int kAbortRetryIgnore[] = {2, 1, 0};
  switch (type) {
    case 1: case 2: return kOkCancel;  // OK/Cancel, Retry/Cancel
    case 3: return kYesNo;
    case 4: return kYesNoCancel;
    case 5: return kAbortRetryIgnore;
    default: return kOk;
  }
}

std::string_view WithoutTrailingBlanks(std::string_view s) {
  const auto end = s.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view{} : s.substr(0, end + 1);
}

class HeadlessPlatform final : public Platform {
 public:
  HeadlessPlatform(std::unique_ptr<Transcript> owned, Transcript& transcript,
                   std::string_view script_text, bool from_environment, HeadlessFaults faults)
      : owned_transcript_(std::move(owned)),
        transcript_(transcript),
        script_(from_environment ? ScriptDriver::FromEnvironment(transcript)
                                 : ScriptDriver::FromText(script_text, transcript)),
        faults_(faults) {}

  std::string_view name() const override { return "headless"; }
  Size screen_size() override { return kScreen; }

  bool open_window(const WindowSpec& spec, InputSink& sink) override {
    if (faults_.open_window_fails) {
      transcript_.note("the window could not be opened (injected fault)");
      return false;
    }
    sink_ = &sink;
    client_ = spec.client;
    status_.clear();
    commands_.clear();
    AddCommands(spec.menu, commands_);
    transcript_.window(spec.title, client_);
    return true;
  }

  void close_window() override { sink_ = nullptr; }

  void set_toolbar(const ToolbarSpec& spec) override {
    toolbar_commands_[static_cast<int>(spec.side)].clear();
    for (const ToolbarButton& b : spec.buttons)
      if (b.id != 0 && b.enabled) toolbar_commands_[static_cast<int>(spec.side)].insert(b.id);
    transcript_.toolbar(spec.id, spec.buttons);
  }
  void remove_toolbar(ToolbarSide side) override { toolbar_commands_.erase(static_cast<int>(side)); }

  void set_status_parts(const std::vector<int>& right_edges) override {
    transcript_.statusparts(right_edges);
  }

  void set_status_text(int part, std::string_view text) override {
    const std::string shown(WithoutTrailingBlanks(text));
    auto [it, inserted] = status_.try_emplace(part);
    if (!inserted && it->second == shown) return;
    if (inserted && shown.empty()) return;  // a new part starts out empty
    it->second = shown;
    transcript_.status(part, shown);
  }

  Size client_size() override { return client_; }

  void fill_rect(int left, int top, int right, int bottom, Rgb) override {
    transcript_.clear(left, top, right, bottom);
  }

  int draw_text(int x, int y, std::string_view text, Rgb, Rgb) override {
    transcript_.text(x, y, text);
    return text_width(text);
  }

  int text_width(std::string_view text) override {
    return static_cast<int>(std::min<std::size_t>(text.size(), 1 << 20)) * kCharWidth;
  }

  void wait_input() override {
    if (play_modeless_block()) return;
    Input in = script_->next_event();
    if (in.kind == InputKind::kCloseAsked && script_->used_up() &&
        ++closes_past_end_ >= kClosesBeforeStopping) {
      transcript_.note("the program keeps waiting after its script ended; stopped");
      process_exit(70);
      std::exit(70);
    }
    switch (in.kind) {
      case InputKind::kExpose:
        if (in.c < 0) in = Input{InputKind::kExpose, 0, 0, client_.w, client_.h};
        deliver(in);
        break;
      case InputKind::kResize:
        client_ = {in.a, in.b};
        deliver(in);
        break;
      case InputKind::kMenuPick:
        // A person can only pick what the menu or a toolbar offers.
        if (sink_ != nullptr && !offers(in.a)) {
          transcript_.note("no enabled menu item or button " + std::to_string(in.a) + "; nothing picked");
          break;
        }
        deliver(in);
        break;
      default:
        deliver(in);
    }
  }

  void pump_paints(int) override {}

  MessageBoxResult message_box(const MessageBoxSpec& spec) override {
    const int type = spec.buttons >= 0 && spec.buttons <= 5 ? spec.buttons : 0;
    const int icon = spec.icon >= 0 && spec.icon <= 4 ? spec.icon : 0;
    const auto results = ButtonResults(type);
    const int position = std::clamp(spec.default_button, 0, static_cast<int>(results.size()) - 1);
    const int default_result = results[static_cast<std::size_t>(position)];
    if (faults_.message_box_fails) {
      transcript_.box(type, icon, default_result, spec.title, spec.text, -1);
      return -1;
    }
    int result = default_result;
    if (const auto answer = script_->box_answer()) {
      if (std::find(results.begin(), results.end(), *answer) != results.end()) {
        result = *answer;
      } else {
        transcript_.note("script line " + std::to_string(script_->last_line_number()) + ": box " +
                         std::to_string(*answer) + ": this box has no button for it; default button used");
      }
    }
    transcript_.box(type, icon, default_result, spec.title, spec.text, result);
    return result;
  }

  FileDialogAnswer file_dialog(const FileDialogSpec& spec) override {
    FileDialogAnswer out;
    out.filter_index = spec.filter_index;
    const auto answer = script_->file_answer();
    if (answer && answer->chosen) {
      out.chosen = true;
      out.path = absolute(answer->path);
      if (answer->index) {
        const int count = std::max<int>(1, static_cast<int>(spec.filters.size()));
        if (*answer->index <= count) {
          out.filter_index = *answer->index;
        } else {
          transcript_.note("script line " + std::to_string(script_->last_line_number()) + ": filter " +
                           std::to_string(*answer->index) + " does not exist; filter " +
                           std::to_string(spec.filter_index) + " kept");
        }
      }
      if (spec.resolve) out.path = spec.resolve(out.path, out.filter_index);
    }
    transcript_.file(spec.save, spec.title, spec.filter_text, spec.flags, spec.initial,
                     out.chosen ? std::optional<std::string>(out.path) : std::nullopt,
                     out.filter_index);
    return out;
  }

  DialogBaseUnits dialog_base_units(std::string_view, int) override { return {6, 13}; }

  void run_modal_dialog(const DialogSpec& spec, DialogEvents& events) override {
    HeadlessDialog dialog(spec, events, *script_, transcript_);
    dialog.run();
  }

  void show_modeless_dialog(const DialogSpec& spec, DialogEvents& events) override {
    close_modeless_dialog(spec.id);
    auto dialog = std::make_unique<HeadlessDialog>(spec, events, *script_, transcript_);
    HeadlessDialog& shown = *dialog;
    modeless_[spec.id] = std::move(dialog);
    shown.open();
  }

  void close_modeless_dialog(int id) override {
    const auto it = modeless_.find(id);
    if (it == modeless_.end()) return;
    it->second->hide();
    modeless_.erase(it);
  }

  void help_show(std::string_view path) override { transcript_.help(path); }
  void help_close() override { transcript_.help_close(); }
  void beep() override { transcript_.beep(); }

  void command_ran(std::string_view command, int flags, int result) override {
    transcript_.run(command, flags, result);
  }
  void note(std::string_view text) override { transcript_.note(text); }
  void process_exit(int status) override { transcript_.exit(status); }

 private:
  void deliver(const Input& in) {
    if (sink_ != nullptr) {
      sink_->input(in);
    } else if (in.kind != InputKind::kCloseAsked) {
      transcript_.note("no window is open: script line " +
                       std::to_string(script_->last_line_number()) + " has nothing to act on");
    }
  }

  // When the next script line is `dialog ID` for a shown modeless dialog,
  // takes it and the actions after it, and acts on that dialog. True when
  // it did: the toolkit then delivers what the dialog queued.
  bool play_modeless_block() {
    return script_->play_modeless_block(
        [this](int id) { return modeless_.contains(id); },
        [this](int id, const DialogAction& action) {
          // The toolkit closes modeless dialogs only from the program's own
          // code, never from inside an action; look it up each time anyway.
          const auto it = modeless_.find(id);
          if (it == modeless_.end()) return false;
          it->second->act(action);
          return true;
        });
  }

  // The enabled menu items of the window (pop-up headers are no commands).
  static void AddCommands(const std::vector<MenuEntry>& entries, std::set<int>& ids) {
    for (const MenuEntry& e : entries) {
      if (e.separator || e.grayed) continue;
      if (e.popup) AddCommands(e.items, ids);
      else ids.insert(e.id);
    }
  }

  bool offers(int id) const {
    if (commands_.contains(id)) return true;
    for (const auto& [side, ids] : toolbar_commands_)
      if (ids.contains(id)) return true;
    return false;
  }

  // A path typed into a file dialog is taken relative to the current folder.
  std::string absolute(const std::string& path) {
    const std::filesystem::path p(path);
    if (p.is_absolute()) return path;
    std::error_code ec;
    const auto here = std::filesystem::current_path(ec);
    if (ec) {
      transcript_.note("the current folder is unknown (" + ec.message() + "); path kept as given");
      return path;
    }
    return (here / p).lexically_normal().string();
  }

  std::unique_ptr<Transcript> owned_transcript_;
  Transcript& transcript_;
  std::unique_ptr<ScriptDriver> script_;
  HeadlessFaults faults_;
  InputSink* sink_ = nullptr;
  Size client_{};
  std::map<int, std::string> status_;  // shown text per 1-based part
  std::set<int> commands_;                       // enabled menu items
  std::map<int, std::set<int>> toolbar_commands_;  // enabled buttons, by side
  std::map<int, std::unique_ptr<HeadlessDialog>> modeless_;  // shown, by identifier
  int closes_past_end_ = 0;
};

}  // namespace

std::unique_ptr<Platform> CreateHeadlessPlatform() {
  auto transcript = Transcript::FromEnvironment();
  Transcript& ref = *transcript;
  return std::make_unique<HeadlessPlatform>(std::move(transcript), ref, std::string_view{}, true,
                                            HeadlessFaults{});
}

std::unique_ptr<Platform> CreateHeadlessPlatform(std::string_view script_text,
                                                 Transcript& transcript, HeadlessFaults faults) {
  return std::make_unique<HeadlessPlatform>(nullptr, transcript, script_text, false, faults);
}

}  // namespace zarv::platform
