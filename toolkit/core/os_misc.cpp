// The program's own arguments, environment variables, the current folder
// and the help viewer.
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "toolkit/core/command_line.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/os_services.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/os/files.h"
#include "toolkit/platform/platform.h"

namespace {

constexpr std::size_t kPathLength = 260;

std::string g_help_file;  // the help file last shown

bool EndsWithHlp(std::string_view name) {
  if (name.size() < 4) return false;
  const std::string_view ext = name.substr(name.size() - 4);
  return ext[0] == '.' && std::tolower(static_cast<unsigned char>(ext[1])) == 'h' &&
         std::tolower(static_cast<unsigned char>(ext[2])) == 'l' &&
         std::tolower(static_cast<unsigned char>(ext[3])) == 'p';
}

bool IsFile(const std::string& path) { return zarv::os::IsRegularFile(path); }

}  // namespace

void IOsCommandArg(int n, zarv::TextSpan text) {
  if (n < 0) return;
  if (n == 0) {
    const std::string path = zarv::OwnProgramPath();
    text.assign(std::string_view(path).substr(0, std::min(path.size(), kPathLength)));
    return;
  }
  // Our arguments as one command line, split the way a Windows program
  // splits its own.
  std::string line = zarv::JoinArguments(zarv::OwnArguments());
  if (line.size() > zarv::kCommandLineLength) line.resize(zarv::kCommandLineLength);
  const std::vector<std::string> words = zarv::SplitArgumentWords(line);
  const auto index = static_cast<std::size_t>(n);
  text.assign(index < words.size() ? std::string_view(words[index]) : std::string_view());
}

void IOsVariable(std::string_view name, zarv::TextSpan value) {
  value.clear();
  const std::string key(zarv::Trimmed(zarv::LeftTrimmed(name)));
  if (key.empty() || key.find('=') != std::string::npos) return;
  const char* v = std::getenv(key.c_str());
  if (!v || !*v) return;
  const std::string_view s(v);
  if (s.size() > value.size()) {
    zarv::ReportError(1023, "IOsVariable");
    return;
  }
  value.assign(s);
}

void IOsDirName(zarv::TextSpan directory) {
  directory.clear();
  std::string folder;
  if (const int error = zarv::os::Door().current_folder(&folder)) {
    zarv::SetLastOsError(error);
    zarv::ReportError(13, "IOsDirName");
    return;
  }
  if (folder.size() > directory.size()) {
    zarv::ReportError(1023, "IOsDirName");
    return;
  }
  directory.assign(folder);
}

void WHelpShow(std::string_view file, int /*topic*/, int /*option*/) {
  const std::string name(zarv::Trimmed(zarv::LeftTrimmed(file)));
  if (name.empty()) {
    // Closing a viewer that was never opened needs no window either.
    if (zarv::HavePlatform()) zarv::ThePlatform().help_close();
    g_help_file.clear();
    return;
  }
  if (!EndsWithHlp(name)) {
    zarv::ReportError(1031, "WHelpShow");
    return;
  }
  const bool relative = name.front() != '/';
  std::string path = name;
  if (!IsFile(path) && relative) path = zarv::OwnProgramFolder() + name;
  if (!IsFile(path)) {
    zarv::ReportError(1030, "WHelpShow");
    return;
  }
  std::string folder;
  if (path.front() != '/' && zarv::os::Door().current_folder(&folder) == 0) {
    path = folder + "/" + path;
  }
  g_help_file = std::filesystem::path(path).lexically_normal().string();
  zarv::ThePlatform().help_show(g_help_file);
}

namespace zarv {
char PathSeparator() { return '/'; }
}  // namespace zarv
