#include <filesystem>
#include <string>
#include <vector>
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

// A dot after the first character of the name marks an extension, an
// empty one included: "out." is a name the user finished with a dot, and it
// gets no second one.
bool HasExtension(const std::string& path) {
  const std::string name = fs::path(path).filename().string();
  const std::size_t dot = name.rfind('.');
  return dot != std::string::npos && dot > 0;
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

// The name the dialog gives back for what was typed or picked: absolute,
// and with the selected filter's extension where flag 32 asks for one.
// Applying it twice changes nothing.
std::string NameTaken(std::string_view typed, int filter_index, int flags,
                      const std::string& directory, const std::vector<zarv::platform::FileFilter>& filters) {
  const int count = static_cast<int>(filters.size());
  fs::path path{std::string(typed)};
  if (path.is_relative()) path = fs::path(directory) / path;
  std::string taken = path.lexically_normal().string();
  if ((flags & kDefaultExtension) && filter_index >= 1 && filter_index <= count &&
      !HasExtension(taken)) {
    taken += zarv::DefaultExtension(filters[static_cast<std::size_t>(filter_index - 1)].pattern);
  }
  return taken;
}

// Whether the flags let the dialog end with this path; asks the user where
// they say so. False shows the dialog again.
bool Acceptable(const std::string& path, int flags, const std::string& title,
                std::size_t capacity) {
  // The program's texts are padded with blanks, so a name that ends in
  // blanks would reach the disk as another name without them.
  if (!path.empty() && path.back() == ' ') {
    Ask(0, kExclamation, 1,
        "\"" + path + "\"\rThe file name ends in a blank, which this program cannot keep.\r"
        "Remove the blank and try again.",
        title);
    return false;
  }
  // A cut path would name another file.
  if (path.size() > capacity) {
    Ask(0, kExclamation, 1,
        path + "\rThe path is too long: it has " + std::to_string(path.size()) +
            " characters, this program takes at most " + std::to_string(capacity) +
            ".\rChoose a shorter name or folder.",
        title);
    return false;
  }
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
    // Relative names are taken in the folder this showing starts in.
    spec.resolve = [flags, directory = spec.directory, filters = spec.filters](std::string_view typed,
                                                                              int index) {
      return NameTaken(typed, index, flags, directory, filters);
    };
    platform::FileDialogAnswer answer = p.file_dialog(spec);
    if (!answer.chosen || answer.path.empty()) break;
    const bool several = spec.multiple && answer.path.find('\0') != std::string::npos;
    if (!several) {
      const int index = answer.filter_index;
      answer.path = spec.resolve(answer.path, index);
      if (!Acceptable(answer.path, flags, spec.title, file_name.size())) {
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
    // Several names that the caller's text cannot hold: a cut list would
    // name other files, so this ends like a failed dialog.
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
