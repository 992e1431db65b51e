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

void ReportOsFailure(int error, std::string_view routine) {
  zarv::SetLastOsError(error);
  zarv::ReportError(13, routine);
}

// A target ending in '/' is a folder that gets the source's name.
std::string CopyTarget(const std::string& source, std::string target) {
  if (target.empty() || target.back() == '/') target += os::NamePart(source);
  return target;
}

// One file copied in two steps: the copy is made beside the target and
// flushed, reporting nothing; then it is put in place, and a failure of
// either step is reported as IOsCopyFile's.
struct StagedFile {
  os::AtomicFile file;
  bool same_file = false;
  int error = 0;
};

void Stage(const std::string& source, const std::string& target, StagedFile* staged) {
  if (os::SameFile(source, target)) {
    staged->same_file = true;
  } else if (IsDirectory(target)) {
    staged->error = EISDIR;
  } else {
    staged->error = os::StageCopy(source, target, &staged->file);
  }
}

bool PutInPlace(StagedFile& staged) {
  if (staged.same_file) {
    zarv::ReportError(55, "IOsCopyFile");
    return false;
  }
  const int error = staged.error != 0 ? staged.error : staged.file.commit();
  if (error != 0) ReportOsFailure(error, "IOsCopyFile");
  return error == 0;
}

// Exactly these names, both steps at once.
bool CopyExactly(const std::string& source, const std::string& target) {
  StagedFile staged;
  Stage(source, target, &staged);
  return PutInPlace(staged);
}

}  // namespace

void IOsCopyFile(std::string_view source_text, std::string_view target_text) {
  const std::string source(zarv::Trimmed(source_text));
  std::string target(zarv::Trimmed(target_text));
  if (!HasWildcard(os::NamePart(source))) {
    CopyExactly(source, CopyTarget(source, target));
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
    if (!CopyExactly(from, target + found)) return;
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

void CopyOneFile(std::string_view source_text, std::string_view target_text) {
  const std::string source(Trimmed(source_text));
  CopyExactly(source, CopyTarget(source, std::string(Trimmed(target_text))));
}

void DeleteOneFile(std::string_view name) {
  if (const int error = os::DeleteFile(std::string(Trimmed(name)))) {
    ReportOsFailure(error, "IOsDeleteFile");
  }
}

struct StagedCopy::Copy {
  StagedFile staged;
};

StagedCopy::StagedCopy() = default;
StagedCopy::~StagedCopy() = default;

void StagedCopy::stage(std::string_view source_text, std::string_view target_text) {
  copy_ = std::make_unique<Copy>();
  const std::string source(Trimmed(source_text));
  Stage(source, CopyTarget(source, std::string(Trimmed(target_text))), &copy_->staged);
}

void StagedCopy::commit() {
  if (!copy_) return;
  const std::unique_ptr<Copy> copy = std::move(copy_);
  PutInPlace(copy->staged);
}

}  // namespace zarv
