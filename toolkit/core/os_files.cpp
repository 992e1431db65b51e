// IOsCopyFile and IOsDeleteFile: one file, or every file that a wildcard
// (* and ? in the file-name part) matches; and the same for exactly one
// named file, for callers whose names must never be taken as patterns.
#include <cerrno>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/core/errors.h"
#include "toolkit/core/os_services.h"
#include "toolkit/os/files.h"

namespace {

namespace os = zarv::os;

bool HasWildcard(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

bool IsDirectory(const std::string& path) { return os::KindOf(path) == os::Kind::kDirectory; }

int CopyOne(const std::string& source, const std::string& target) {
  if (IsDirectory(target)) return EISDIR;
  return os::CopyFile(source, target);
}

void ReportOsFailure(int error, std::string_view routine) {
  zarv::SetLastOsError(error);
  zarv::ReportError(13, routine);
}

// A single file; a target ending in '/' is a folder that gets the source's
// name.
// A target ending in '/' is a folder that gets the source's name.
std::string CopyTarget(const std::string& source, std::string target) {
  if (target.empty() || target.back() == '/') target += os::NamePart(source);
  return target;
}

// The error code IOsCopyFile reports for copying a file onto itself.
constexpr int kSameFile = 55;

void CopySingle(const std::string& source, std::string target) {
  target = CopyTarget(source, std::move(target));
  if (os::SameFile(source, target)) {
    zarv::ReportError(kSameFile, "IOsCopyFile");
    return;
  }
  if (const int error = CopyOne(source, target)) ReportOsFailure(error, "IOsCopyFile");
}

}  // namespace

void IOsCopyFile(std::string_view source_text, std::string_view target_text) {
  const std::string source(zarv::Trimmed(source_text));
  std::string target(zarv::Trimmed(target_text));
  if (!HasWildcard(os::NamePart(source))) {
    CopySingle(source, target);
    return;
  }

  if (!target.empty() && target.back() != '/') target += '/';
  std::vector<std::string> names;
  if (const int error = os::FindMatches(source, &names)) {
    ReportOsFailure(error, "IOsCopyFile");
    return;
  }
  const std::string folder(os::FolderPart(source));
  for (const std::string& found : names) {
    const std::string from = folder + found;
    if (IsDirectory(from)) continue;
    const std::string to = target + found;
    if (os::SameFile(from, to)) {
      zarv::ReportError(55, "IOsCopyFile");
      return;
    }
    if (const int error = CopyOne(from, to)) {
      ReportOsFailure(error, "IOsCopyFile");
      return;
    }
  }
}

void IOsDeleteFile(std::string_view pattern_text) {
  const std::string pattern(zarv::Trimmed(pattern_text));
  std::vector<std::string> names;
  if (const int error = os::FindMatches(pattern, &names)) {
    ReportOsFailure(error, "IOsDeleteFile");
    return;
  }
  const std::string folder(os::FolderPart(pattern));
  for (const std::string& found : names) {
    const std::string path = folder + found;
    if (IsDirectory(path)) continue;
    if (const int error = os::Door().unlink(path)) {
      ReportOsFailure(error, "IOsDeleteFile");
      return;
    }
  }
}

namespace zarv {

void CopyOneFile(std::string_view source, std::string_view target) {
  CopySingle(std::string(Trimmed(source)), std::string(Trimmed(target)));
}

void DeleteOneFile(std::string_view name) {
  if (const int error = os::DeleteFile(std::string(Trimmed(name)))) {
    ReportOsFailure(error, "IOsDeleteFile");
  }
}

struct StagedCopy::Copy {
  os::AtomicFile file;
  bool same_file = false;
  int error = 0;
};

StagedCopy::StagedCopy() = default;
StagedCopy::~StagedCopy() = default;

void StagedCopy::stage(std::string_view source_text, std::string_view target_text) {
  copy_ = std::make_unique<Copy>();
  const std::string source(Trimmed(source_text));
  const std::string target = CopyTarget(source, std::string(Trimmed(target_text)));
  if (os::SameFile(source, target)) {
    copy_->same_file = true;
  } else if (IsDirectory(target)) {
    copy_->error = EISDIR;
  } else {
    copy_->error = os::StageCopy(source, target, &copy_->file);
  }
}

void StagedCopy::commit() {
  if (!copy_) return;
  const std::unique_ptr<Copy> copy = std::move(copy_);
  if (copy->same_file) {
    zarv::ReportError(kSameFile, "IOsCopyFile");
    return;
  }
  const int error = copy->error != 0 ? copy->error : copy->file.commit();
  if (error != 0) ReportOsFailure(error, "IOsCopyFile");
}

}  // namespace zarv
