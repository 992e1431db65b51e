// Writes the transcript: one line per happening, flushed at once so that a
// crash of the program never loses what it had already shown.
#include "toolkit/platform/transcript.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "toolkit/os/files.h"

namespace zarv::platform {

std::string Quote(std::string_view s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size() + 2);
  out += '"';
  for (const char c : s) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 32 || byte > 126) {
          out += "\\x";
          out += kHex[byte >> 4];
          out += kHex[byte & 15];
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

namespace {

std::string_view WithoutTrailingBlanks(std::string_view s) {
  const auto end = s.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view{} : s.substr(0, end + 1);
}

}  // namespace

std::unique_ptr<Transcript> Transcript::FromEnvironment() {
  std::unique_ptr<Transcript> t(new Transcript());  // private constructor
  const char* name = std::getenv("ZARVTRANSCRIPT");
  if (name == nullptr || *name == '\0') return t;
  if (std::strcmp(name, "-") == 0) {
    std::fflush(stdout);  // what the program printed before comes first
    t->fd_ = STDOUT_FILENO;
    return t;
  }
  // Opening for writing empties the file: never do that to the script.
  const char* script = std::getenv("ZARVSCRIPT");
  if (script != nullptr && *script != '\0' && os::SameFile(name, script)) {
    std::fprintf(stderr, "The transcript %s is the script itself; no transcript is written\n",
                 name);
    return t;
  }
  // The transcript records what the screen shows, so it is written past any
  // door a test has put in place.
  if (const int error = os::Posix().open(name, O_WRONLY | O_CREAT | O_TRUNC, 0666, &t->fd_)) {
    std::fprintf(stderr, "Cannot write the transcript %s: %s\n", name, std::strerror(error));
    t->fd_ = -1;
  } else {
    t->owns_fd_ = true;
  }
  return t;
}

std::unique_ptr<Transcript> Transcript::InMemory() {
  std::unique_ptr<Transcript> t(new Transcript());
  t->in_memory_ = true;
  return t;
}

Transcript::~Transcript() {
  if (owns_fd_) os::Posix().close(fd_);
}

void Transcript::line(std::string_view raw) {
  if (in_memory_) lines_.emplace_back(raw);
  if (fd_ >= 0) {
    if (fd_ == STDOUT_FILENO) std::fflush(stdout);  // in order with what was printed
    std::string whole;
    whole.reserve(raw.size() + 1);
    whole.append(raw).push_back('\n');
    os::WriteAll(os::Posix(), fd_, whole);
  }
}

void Transcript::window(std::string_view title, Size client) {
  line("window " + Quote(title) + ' ' + std::to_string(client.w) + 'x' + std::to_string(client.h));
}

void Transcript::toolbar(int id, const std::vector<ToolbarButton>& buttons) {
  std::string s = "toolbar " + std::to_string(id);
  for (const auto& b : buttons) s += b.id == 0 ? std::string(" -") : ' ' + std::to_string(b.id);
  line(s);
}

void Transcript::statusparts(const std::vector<int>& edges) {
  std::string s = "statusparts";
  for (const int e : edges) s += ' ' + std::to_string(e);
  line(s);
}

void Transcript::status(int part, std::string_view text) {
  line("status " + std::to_string(part) + ' ' + Quote(WithoutTrailingBlanks(text)));
}

void Transcript::text(int x, int y, std::string_view text) {
  line("text " + std::to_string(x) + ' ' + std::to_string(y) + ' ' + Quote(text));
}

void Transcript::clear(int left, int top, int right, int bottom) {
  line("clear " + std::to_string(left) + ' ' + std::to_string(top) + ' ' + std::to_string(right) +
       ' ' + std::to_string(bottom));
}

void Transcript::box(int buttons, int icon, int default_result, std::string_view title,
                     std::string_view text, int result) {
  line("box " + std::to_string(buttons) + ' ' + std::to_string(icon) + ' ' +
       std::to_string(default_result) + ' ' + Quote(title) + ' ' + Quote(text) + " -> " +
       std::to_string(result));
}

void Transcript::file(bool save, std::string_view title, std::string_view filter, int flags,
                      std::string_view name, const std::optional<std::string>& path, int index) {
  std::string s = std::string("file ") + (save ? "save " : "open ") + Quote(title) + ' ' +
                  Quote(filter) + ' ' + std::to_string(flags) + ' ' + Quote(name) + " -> ";
  s += path ? Quote(*path) + ' ' + std::to_string(index) : std::string("cancel");
  line(s);
}

void Transcript::dialog_show(int id) { line("dialog " + std::to_string(id) + " show"); }

void Transcript::field(int id, std::string_view text) {
  line("field " + std::to_string(id) + ' ' + Quote(text));
}

void Transcript::dialog_end(int id, int button, int focus) {
  line("dialog " + std::to_string(id) + " end " + std::to_string(button) + ' ' +
       std::to_string(focus));
}

void Transcript::beep() { line("beep"); }
void Transcript::help(std::string_view file) { line("help " + Quote(file)); }
void Transcript::help_close() { line("help close"); }

void Transcript::run(std::string_view command, int flags, int result) {
  line("run " + Quote(command) + ' ' + std::to_string(flags) + " -> " + std::to_string(result));
}

void Transcript::exit(int status) { line("exit " + std::to_string(status)); }
void Transcript::note(std::string_view text) { line("note " + Quote(text)); }

}  // namespace zarv::platform
