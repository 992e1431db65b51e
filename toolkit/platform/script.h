// The script that stands in for a user: events taken when the program waits
// for its next event, and answers to modal interactions. Shared by both
// backends, so that they take the same line at the same moment.
//
// One line, one step; `#` as the first non-blank character starts a comment
// line, blank lines are skipped. Words are separated by blanks; a word with
// blanks or quotes is written in double quotes with the escapes
// \\ \" \r \n \t and \xHH. A line that cannot be understood never stops the
// run: it becomes a `note` naming its line number and is skipped.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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

// One key of a `type` text, as both backends press it. Control characters
// are the editing keys they stand for: \b Backspace, \t Tab, \r or \n
// Enter, \x1B Esc. Any other control character, and any byte that starts no
// valid UTF-8 sequence, is no key a person can type: noted and skipped.
struct TypedKey {
  enum Kind { kCharacter, kBackspace, kTab, kEnter, kEsc, kNoKey } kind = kCharacter;
  char32_t ch = 0;         // kCharacter: the character; kNoKey: the byte
  std::string_view bytes;  // where it stands in the text
};
std::vector<TypedKey> KeysOfTypedText(std::string_view text);
// What the transcript's note says of a kNoKey: "byte 0x03 is no key".
std::string NoKeyText(const TypedKey& key);

struct FileAnswer {
  bool chosen = false;
  std::string path;
  std::optional<int> index;
};

// A word of a script line: its text with quotes and escapes removed, and
// whether it was quoted (`file "cancel"` names a file, `file cancel` does not).
struct ScriptWord {
  std::string text;
  bool quoted = false;
};

// Splits one script line into words. On a bad quote or escape returns false
// with a message in `error`.
bool SplitScriptLine(std::string_view line, std::vector<ScriptWord>& words, std::string& error);

// What one script line says, once understood.
struct ScriptLine {
  enum class Kind { kEvent, kBox, kFile, kDialog, kAction, kBad };
  int number = 0;
  Kind kind = Kind::kBad;
  std::string verb;     // the first word, for notes
  Input event;          // kEvent; see ScriptDriver::next_event for expose
  int value = 0;        // kBox: the result; kDialog: the dialog identifier
  FileAnswer file;      // kFile
  DialogAction action{DialogAction::kTab};  // kAction
  std::string error;    // kBad: what is wrong
};

// Understands one line (already known not to be blank or a comment).
ScriptLine ParseScriptLine(std::string_view text, int number);

class ScriptDriver {
 public:
  // ZARVSCRIPT=FILE; without it the driver has no lines (the first wait for
  // an event gets a close request). Problems go to the transcript as notes.
  static std::unique_ptr<ScriptDriver> FromEnvironment(Transcript& transcript);
  static std::unique_ptr<ScriptDriver> FromText(std::string_view text, Transcript& transcript);

  // The next event for a wait: the first line if it is an event (lines that
  // are not are noted and skipped); a close request once the script is used
  // up. Each call after the end gives another close request.
  // `expose` without a rectangle comes as kExpose with c = d = -1: the whole
  // client area, whose size only the backend knows. `minimize`, `restore`
  // and `resize` are raw input whatever the window's state; the toolkit
  // decides what they mean for a minimised window or a normal one.
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
  // Event lines met here are script errors: noted and skipped.
  std::optional<DialogAction> next_dialog_action();

  // The identifier of the next line when it is `dialog ID` (not taken);
  // nothing otherwise. Bad lines before it are noted and skipped.
  std::optional<int> next_dialog_line();
  // For a modeless dialog: the next line when it is a dialog action (taken);
  // nothing otherwise, the line left in place for the next wait.
  std::optional<DialogAction> next_modeless_action();
  // When the next line is `dialog ID` for a modeless dialog that `shown`
  // says is on screen, takes it and hands every action after it to `act`,
  // which returns false once that dialog is gone. True when a block was
  // taken, so the wait for an event can end.
  bool play_modeless_block(const std::function<bool(int)>& shown,
                           const std::function<bool(int, const DialogAction&)>& act);

  bool used_up() const;
  // Line number of the next line to be taken; 0 when the script is used up.
  int next_line_number() const;
  // Line number of the line taken last; 0 before the first.
  int last_line_number() const { return last_taken_; }

 private:
  ScriptDriver(std::vector<ScriptLine> lines, Transcript& transcript);
  // Notes and passes over lines that could not be understood.
  void skip_bad_lines();
  void note_line(const ScriptLine& line, std::string_view what);
  void note_default(std::string_view interaction, std::string_view default_used);

  std::vector<ScriptLine> lines_;
  // Takes the next line.
  const ScriptLine& take();

  std::size_t next_ = 0;
  int last_taken_ = 0;
  Transcript& transcript_;
};

}  // namespace zarv::platform
