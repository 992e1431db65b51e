// The transcript: what the screen shows, one line per happening, written by
// either backend in the same words so that one script checks both.
//
// Strings are double-quoted with the escapes \\ \" \r \n \t and \xHH for any
// other byte below 32 or above 126.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/platform/platform.h"

namespace zarv::platform {

std::string Quote(std::string_view s);

// The note both backends write when a scripted repaint misses the client.
inline constexpr std::string_view kExposeMissesClient =
    "the area to repaint lies outside the client area; nothing repainted";

class Transcript {
 public:
  // ZARVTRANSCRIPT=FILE ("-" = standard output); unset: lines go nowhere.
  static std::unique_ptr<Transcript> FromEnvironment();
  // For tests: collect lines in memory.
  static std::unique_ptr<Transcript> InMemory();
  ~Transcript();

  void window(std::string_view title, Size client);
  void toolbar(int id, const std::vector<ToolbarButton>& buttons);  // entries: ids, "-" for separators
  void statusparts(const std::vector<int>& edges);
  void status(int part, std::string_view text);  // trailing blanks removed
  void text(int x, int y, std::string_view text);
  void clear(int left, int top, int right, int bottom);
  // `default_result` is the result code of the default button.
  void box(int buttons, int icon, int default_result, std::string_view title,
           std::string_view text, int result);
  void file(bool save, std::string_view title, std::string_view filter, int flags,
            std::string_view name, const std::optional<std::string>& path, int index);
  void dialog_show(int id);
  void field(int id, std::string_view text);
  void dialog_end(int id, int button, int focus);
  void beep();
  void help(std::string_view file);
  void help_close();
  void run(std::string_view command, int flags, int result);
  void exit(int status);
  void note(std::string_view text);
  void line(std::string_view raw);  // any other line, written as it is

  const std::vector<std::string>& lines() const { return lines_; }  // in-memory only

 private:
  Transcript() = default;
  int fd_ = -1;  // where the lines go, if anywhere
  bool owns_fd_ = false;
  bool in_memory_ = false;
  std::vector<std::string> lines_;
};

}  // namespace zarv::platform
