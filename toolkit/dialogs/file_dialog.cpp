#include <filesystem>
#include <string>
#include <system_error>

#include "toolkit/core/errors.h"
#include "toolkit/core/text.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/dialogs/common_dialogs.h"
#include "toolkit/dialogs/dialog_status.h"
#include "toolkit/dialogs/file_filter.h"
#include "toolkit/platform/platform.h"

namespace {

namespace fs = std::filesystem;

enum Flags {
  kSave = 1,
  kPrompt = 2,
  kPathNeedNotExist = 4,
  kKeepDirectory = 8,
  kMultiple = 16,
  kDefaultExtension = 32,
  kMustExist = 128,
};

enum Answer { kNo = 2, kYes = 1 };
enum Icon { kQuestion = 2, kExclamation = 3 };

std::string CurrentDirectory() {
  std::error_code ec;
  const fs::path cwd = fs::current_path(ec);
  return ec ? std::string("/") : cwd.string();
}

void ChangeDirectory(const std::string& dir) {
  std::error_code ec;
  fs::current_path(dir, ec);  // a folder that vanished meanwhile is left as it is
}

// "dir/name" in, the dialog's starting folder and name box out.
void SplitInitialName(std::string_view given, zarv::platform::FileDialogSpec& spec) {
  const std::size_t slash = given.rfind('/');
  if (slash == std::string_view::npos) {
    spec.directory = CurrentDirectory();
    spec.name = std::string(given);
    return;
  }
  fs::path dir(std::string(given.substr(0, slash == 0 ? 1 : slash)));
  if (dir.is_relative()) dir = fs::path(CurrentDirectory()) / dir;
  spec.directory = dir.lexically_normal().string();
  spec.name = std::string(given.substr(slash + 1));
}

bool HasExtension(const std::string& path) {
  const std::string name = fs::path(path).filename().string();
  const std::size_t dot = name.rfind('.');
  return dot != std::string::npos && dot > 0 && dot + 1 < name.size();
}

fs::file_status StatusOf(const std::string& path) {
  std::error_code ec;
  return fs::status(path, ec);
}

int Ask(int buttons, int icon, int default_button, const std::string& text,
        const std::string& title) {
  WMessageBox(buttons, icon, default_button, text, title);
  return WDialogStatus(4);
}

// Whether the flags let the dialog end with this path; asks the user where
// they say so. False shows the dialog again.
bool Acceptable(const std::string& path, int flags, const std::string& title) {
  const bool save = (flags & kSave) != 0;
  const fs::path parent = fs::path(path).parent_path();
  if (!(flags & kPathNeedNotExist) && !fs::is_directory(StatusOf(parent.string()))) {
    Ask(0, kExclamation, 1, path + "\rThe folder does not exist.\rCheck the path and try again.",
        title);
    return false;
  }
  const bool exists = fs::exists(StatusOf(path));
  if (!save && (flags & kMustExist) && !exists) {
    Ask(0, kExclamation, 1, path + "\rFile not found.\rCheck the file name and try again.", title);
    return false;
  }
  if (!save && (flags & kPrompt) && !(flags & kMustExist) && !exists) {
    return Ask(3, kQuestion, kYes, path + "\rThis file does not exist.\rCreate the file?",
               title) == kYes;
  }
  if (save && (flags & kPrompt) && exists) {
    return Ask(3, kExclamation, kNo, path + " already exists.\rDo you want to replace it?",
               title) == kYes;
  }
  return true;
}

}  // namespace

void WFileDialog(std::string_view filter, int flags, zarv::TextSpan file_name,
                 std::string_view title, int* filter_index) {
  namespace platform = zarv::platform;
  const zarv::ParsedFilter parsed = zarv::ParseFileFilter(filter);
  const std::string_view initial = file_name.trimmed();

  platform::FileDialogSpec spec;
  spec.save = (flags & kSave) != 0;
  spec.multiple = (flags & kMultiple) != 0 && !spec.save;
  spec.title = std::string(zarv::Trimmed(title));
  if (spec.title.empty()) spec.title = "Select File";
  spec.filter_text = parsed.text;
  spec.filters = parsed.filters;
  const int count = static_cast<int>(parsed.filters.size());
  const int wanted = filter_index ? *filter_index : 1;
  spec.filter_index = wanted >= 1 && wanted <= count ? wanted : 1;
  SplitInitialName(initial, spec);
  spec.initial = std::string(initial);
  spec.flags = flags;

  const std::string saved_directory = CurrentDirectory();
  platform::Platform& p = zarv::ThePlatform();
  platform::FileDialogAnswer chosen;  // .chosen stays false unless one is taken
  for (;;) {
    platform::FileDialogAnswer answer = p.file_dialog(spec);
    if (!answer.chosen || answer.path.empty()) break;
    const bool several = spec.multiple && answer.path.find('\0') != std::string::npos;
    if (!several) {
      fs::path path(answer.path);
      if (path.is_relative()) path = fs::path(spec.directory) / path;
      answer.path = path.lexically_normal().string();
      const int index = answer.filter_index;
      if ((flags & kDefaultExtension) && index >= 1 && index <= count &&
          !HasExtension(answer.path)) {
        answer.path += zarv::DefaultExtension(parsed.filters[static_cast<std::size_t>(index - 1)].pattern);
      }
      if (!Acceptable(answer.path, flags, spec.title)) {
        // Open again where the refused name pointed, with that name.
        const fs::path refused(answer.path);
        if (fs::is_directory(StatusOf(refused.parent_path().string()))) {
          spec.directory = refused.parent_path().string();
        }
        spec.name = refused.filename().string();
        if (index >= 1 && index <= count) spec.filter_index = index;
        continue;
      }
    }
    chosen = std::move(answer);
    chosen.chosen = true;
    break;
  }

  int result = 0;
  if (chosen.chosen && chosen.path.size() > file_name.size()) {
    // The caller's text cannot hold the path: a cut path would name another
    // file, so this ends like a failed dialog, leaving the name as it was.
    zarv::ReportError(1004, "YYWSFILE");
    chosen.chosen = false;
  }
  if (chosen.chosen) {
    result = 1;
    file_name.assign(chosen.path);
    if (filter_index) *filter_index = chosen.filter_index >= 1 ? chosen.filter_index : 1;
  }
  if (chosen.chosen && (flags & kKeepDirectory)) {
    const std::string& path = chosen.path;
    const std::size_t cut = path.find('\0');
    const fs::path first(cut == std::string::npos ? path : path.substr(0, cut));
    // With several names the text starts with their folder itself.
    ChangeDirectory(cut == std::string::npos ? first.parent_path().string() : first.string());
  } else {
    ChangeDirectory(saved_directory);
  }
  zarv::SetCommonDialogResult(result);
}
