// Hands script lines to the backend at the moments they belong to: events to
// waits, answers to the modal interaction they answer. Lines that do not fit
// where they stand are noted and skipped, so a bad script never stops a run.
#include "toolkit/platform/script.h"

#include <cstdlib>
#include <cstring>

#include "toolkit/os/files.h"

namespace zarv::platform {

namespace {

// No script is longer; /dev/zero named as one must not eat the machine.
constexpr std::size_t kScriptLimit = 64 << 20;

std::vector<ScriptLine> ParseScript(std::string_view text) {
  std::vector<ScriptLine> lines;
  int number = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    lines.push_back(ParseScriptLine(line, number));
  }
  return lines;
}

}  // namespace

ScriptDriver::ScriptDriver(std::vector<ScriptLine> lines, Transcript& transcript)
    : lines_(std::move(lines)), transcript_(transcript) {}

std::unique_ptr<ScriptDriver> ScriptDriver::FromText(std::string_view text,
                                                     Transcript& transcript) {
  return std::unique_ptr<ScriptDriver>(new ScriptDriver(ParseScript(text), transcript));
}

std::unique_ptr<ScriptDriver> ScriptDriver::FromEnvironment(Transcript& transcript) {
  const char* name = std::getenv("ZARVSCRIPT");
  if (name == nullptr || *name == '\0') return FromText({}, transcript);
  std::string content;
  const int err = os::ReadWholeFile(os::Posix(), name, &content, kScriptLimit);
  if (err != 0) {
    transcript.note(std::string("cannot read the script ") + name + ": " + std::strerror(err) +
                    "; running without one");
    return FromText({}, transcript);
  }
  return FromText(content, transcript);
}

bool ScriptDriver::used_up() const { return next_ >= lines_.size(); }

int ScriptDriver::next_line_number() const { return used_up() ? 0 : lines_[next_].number; }

const ScriptLine& ScriptDriver::take() {
  const ScriptLine& line = lines_[next_++];
  last_taken_ = line.number;
  return line;
}

void ScriptDriver::note_line(const ScriptLine& line, std::string_view what) {
  transcript_.note("script line " + std::to_string(line.number) + ": " + std::string(what));
}

void ScriptDriver::skip_bad_lines() {
  while (!used_up() && lines_[next_].kind == ScriptLine::Kind::kBad) {
    const ScriptLine& line = take();
    note_line(line, line.error + "; skipped");
  }
}

void ScriptDriver::note_default(std::string_view interaction, std::string_view default_used) {
  std::string text;
  if (used_up()) {
    text = "script used up: no answer for the " + std::string(interaction);
  } else {
    text = "script line " + std::to_string(lines_[next_].number) + " (" + lines_[next_].verb +
           ") does not answer the " + std::string(interaction);
  }
  transcript_.note(text + "; " + std::string(default_used));
}

Input ScriptDriver::next_event() {
  while (true) {
    skip_bad_lines();
    if (used_up()) return Input{InputKind::kCloseAsked};
    const ScriptLine& line = take();
    if (line.kind == ScriptLine::Kind::kEvent) return line.event;
    note_line(line, line.verb + " answers a dialog, but the program waits for an event; skipped");
  }
}

std::optional<int> ScriptDriver::box_answer() {
  skip_bad_lines();
  if (!used_up() && lines_[next_].kind == ScriptLine::Kind::kBox) return take().value;
  note_default("message box", "default button used");
  return std::nullopt;
}

std::optional<FileAnswer> ScriptDriver::file_answer() {
  skip_bad_lines();
  if (!used_up() && lines_[next_].kind == ScriptLine::Kind::kFile) return take().file;
  note_default("file dialog", "cancelled");
  return std::nullopt;
}

bool ScriptDriver::dialog_begins(int id) {
  skip_bad_lines();
  if (!used_up() && lines_[next_].kind == ScriptLine::Kind::kDialog &&
      lines_[next_].value == id) {
    take();
    return true;
  }
  note_default("dialog " + std::to_string(id), "close box used");
  return false;
}

std::optional<DialogAction> ScriptDriver::next_dialog_action() {
  while (true) {
    skip_bad_lines();
    if (used_up()) return std::nullopt;
    const ScriptLine& line = lines_[next_];
    if (line.kind == ScriptLine::Kind::kAction) return take().action;
    if (line.kind != ScriptLine::Kind::kEvent) return std::nullopt;
    note_line(take(), line.verb + " is an event, but a dialog is still open; skipped");
  }
}

std::optional<int> ScriptDriver::next_dialog_line() {
  skip_bad_lines();
  if (!used_up() && lines_[next_].kind == ScriptLine::Kind::kDialog) return lines_[next_].value;
  return std::nullopt;
}

bool ScriptDriver::play_modeless_block(const std::function<bool(int)>& shown,
                                       const std::function<bool(int, const DialogAction&)>& act) {
  const std::optional<int> id = next_dialog_line();
  if (!id || !shown(*id)) return false;  // noted by next_event
  dialog_begins(*id);
  while (const auto action = next_modeless_action()) {
    if (!act(*id, *action)) break;
  }
  return true;
}

std::optional<DialogAction> ScriptDriver::next_modeless_action() {
  skip_bad_lines();
  if (!used_up() && lines_[next_].kind == ScriptLine::Kind::kAction) return take().action;
  return std::nullopt;
}

}  // namespace zarv::platform
