// The script that stands in for a user: events taken when the program waits
// for its next event, and answers to modal interactions. Shared by both
// backends, so that they take the same line at the same moment.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/platform/platform.h"
#include "toolkit/platform/transcript.h"

namespace zarv::platform {

// One action inside a `dialog ID` answer.
struct DialogAction {
  enum Kind { kType, kClear, kPick, kFocus, kTab, kEnter, kPress, kEsc, kCloseBox } kind;
  int field = 0;      // type, clear, pick, focus, press
  std::string text;   // type
  int option = 0;     // pick (1-based, as written)
  int line = 0;       // script line number, for notes
};

struct FileAnswer {
  bool chosen = false;
  std::string path;
  std::optional<int> index;
};

class ScriptDriver {
 public:
  // ZARVSCRIPT=FILE; without it the driver has no lines (the first wait for
  // an event gets a close request). Problems go to the transcript as notes.
  static std::unique_ptr<ScriptDriver> FromEnvironment(Transcript& transcript);
  static std::unique_ptr<ScriptDriver> FromText(std::string_view text, Transcript& transcript);

  // The next event for a wait: the first line if it is an event (lines that
  // are not are noted and skipped); a close request once the script is used
  // up. Each call after the end gives another close request.
  Input next_event();

  // Answers to modal interactions. Each takes the next line if it is its
  // answer; otherwise it leaves the line, notes that the default is used,
  // and returns nothing.
  std::optional<int> box_answer();
  std::optional<FileAnswer> file_answer();
  // True when the next line is `dialog ID` for this dialog (taken).
  bool dialog_begins(int id);
  // The next action for the dialog now being answered; nothing when the next
  // line is not a dialog action (the caller then uses the close box, noted).
  std::optional<DialogAction> next_dialog_action();

  bool used_up() const;

 private:
  struct Line {
    int number = 0;
    std::vector<std::string> words;  // unquoted
  };
  ScriptDriver(std::vector<Line> lines, Transcript& transcript);
  std::vector<Line> lines_;
  std::size_t next_ = 0;
  Transcript& transcript_;
};

}  // namespace zarv::platform
