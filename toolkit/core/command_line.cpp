#include "toolkit/core/command_line.h"

#include "toolkit/os/files.h"

namespace zarv {
namespace {

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitArgumentWords(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  const std::size_t n = line.size();
  while (true) {
    while (i < n && IsBlankChar(line[i])) ++i;
    if (i >= n) break;
    if (line[i] == '"') {
      const std::size_t close = line.find('"', i + 1);
      const std::size_t end = close == std::string_view::npos ? n : close;
      words.emplace_back(line.substr(i + 1, end - i - 1));
      i = close == std::string_view::npos ? n : close + 1;
    } else {
      std::size_t end = i;
      while (end < n && !IsBlankChar(line[end])) ++end;
      words.emplace_back(line.substr(i, end - i));
      i = end;
    }
  }
  return words;
}

std::vector<std::string> SplitCommandArguments(std::string_view args) {
  std::vector<std::string> words;
  std::size_t i = 0;
  const std::size_t n = args.size();
  while (true) {
    while (i < n && IsBlankChar(args[i])) ++i;
    if (i >= n) break;
    std::string word;
    bool in_quotes = false;
    while (i < n && (in_quotes || !IsBlankChar(args[i]))) {
      const char c = args[i];
      if (c == '\\') {
        std::size_t slashes = 0;
        while (i < n && args[i] == '\\') ++slashes, ++i;
        if (i < n && args[i] == '"') {
          word.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            word += '"';
            ++i;
          }
          // An even count leaves the quote to act below.
        } else {
          word.append(slashes, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (in_quotes && i + 1 < n && args[i + 1] == '"') {
          word += '"';
          i += 2;
          continue;
        }
        in_quotes = !in_quotes;
        ++i;
        continue;
      }
      word += c;
      ++i;
    }
    words.push_back(std::move(word));
  }
  return words;
}

CommandHead SplitCommandHead(std::string_view line) {
  CommandHead head;
  std::size_t i = 0;
  while (i < line.size() && IsBlankChar(line[i])) ++i;
  line.remove_prefix(i);
  if (!line.empty() && line[0] == '"') {
    const std::size_t close = line.find('"', 1);
    const std::size_t end = close == std::string_view::npos ? line.size() : close;
    head.program = std::string(line.substr(1, end - 1));
    head.rest = close == std::string_view::npos ? std::string() : std::string(line.substr(close + 1));
    head.quoted = true;
    return head;
  }
  std::size_t end = 0;
  while (end < line.size() && !IsBlankChar(line[end])) ++end;
  head.program = std::string(line.substr(0, end));
  head.rest = std::string(line.substr(end));
  return head;
}

std::string QuoteArgument(std::string_view argument) {
  std::string quoted;
  quoted.reserve(argument.size() + 2);
  quoted += '"';
  std::size_t slashes = 0;  // backslashes seen and not yet written
  for (const char c : argument) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    // Before a quote each backslash is doubled and one more escapes it;
    // before anything else they stand as they are.
    quoted.append(c == '"' ? 2 * slashes + 1 : slashes, '\\');
    quoted += c;
    slashes = 0;
  }
  quoted.append(2 * slashes, '\\');
  quoted += '"';
  return quoted;
}

std::string JoinArguments(const std::vector<std::string>& argv) {
  std::string line;
  for (std::size_t k = 0; k < argv.size(); ++k) {
    const std::string& a = argv[k];
    if (k > 0) line += ' ';
    const bool needs_quotes =
        a.empty() || (a.find_first_of(" \t") != std::string::npos && a.front() != '"');
    if (needs_quotes) {
      line += '"';
      line += a;
      line += '"';
    } else {
      line += a;
    }
  }
  return line;
}

std::vector<std::string> OwnArguments() {
  std::string all;
  os::ReadSmallFile("/proc/self/cmdline", &all);
  std::vector<std::string> argv;
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    argv.emplace_back(all.substr(start, end - start));
    start = end + 1;
  }
  return argv;
}

std::string OwnProgramPath() {
  // Asked for several times at start-up, and each first look at /proc
  // makes the kernel build the entry for a new process: the first answer
  // is kept (a failure is not).
  static std::string kept;
  if (kept.empty()) {
    std::string path;
    if (os::Door().read_link("/proc/self/exe", &path) == 0) kept = std::move(path);
  }
  return kept;
}

std::string OwnProgramFolder() {
  const std::string path = OwnProgramPath();
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace zarv
