// IOsCopyFile and IOsDeleteFile: one file, or every file that a wildcard
// (* and ? in the file-name part) matches.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/unique_fd.h"
#include "toolkit/core/errors.h"
#include "toolkit/core/os_services.h"

namespace {

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};

bool HasWildcard(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

// Everything up to and including the last '/'; empty for a bare name.
std::string_view FolderPart(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view NamePart(std::string_view path) { return path.substr(FolderPart(path).size()); }

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// The names in `folder` that `pattern` matches, sorted. Only * and ? are
// wildcards; every other character stands for itself. Returns the error
// number when the folder cannot be read.
int MatchNames(std::string_view folder, std::string_view pattern, std::vector<std::string>* names) {
  std::string glob;
  for (char c : pattern) {
    if (c == '[' || c == ']' || c == '\\') glob += '\\';
    glob += c;
  }
  const std::string dir = folder.empty() ? std::string(".") : std::string(folder);
  std::unique_ptr<DIR, DirCloser> d(::opendir(dir.c_str()));
  if (!d) return errno;
  while (const dirent* e = ::readdir(d.get())) {
    const std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    if (::fnmatch(glob.c_str(), e->d_name, 0) == 0) names->emplace_back(name);
  }
  std::sort(names->begin(), names->end());
  return 0;
}

// The files a name or pattern stands for; ENOENT when there is none.
int FindMatches(std::string_view pattern, std::vector<std::string>* names) {
  const std::string_view name = NamePart(pattern);
  if (!HasWildcard(name)) {
    struct stat st {};
    const std::string path(pattern);
    if (name.empty() || ::lstat(path.c_str(), &st) != 0) return name.empty() ? ENOENT : errno;
    names->emplace_back(name);
    return 0;
  }
  if (const int error = MatchNames(FolderPart(pattern), name, names)) return error;
  return names->empty() ? ENOENT : 0;
}

// Copies through a temporary file beside the target, renamed into place at
// the end, so a failed copy never leaves a half-written target behind.
int CopyOneFile(const std::string& source, const std::string& target) {
  zarv::UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.fd < 0) return errno;
  struct stat st {};
  if (::fstat(in.fd, &st) != 0) return errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (IsDirectory(target)) return EISDIR;

  std::string temp = std::string(FolderPart(target)) + ".zarv-copy-XXXXXX";
  zarv::UniqueFd out(::mkostemp(temp.data(), O_CLOEXEC));
  if (out.fd < 0) return errno;
  const auto fail = [&temp](int error) {
    ::unlink(temp.c_str());
    return error;
  };
  std::vector<char> buffer(1 << 16);
  while (true) {
    const ssize_t n = ::read(in.fd, buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    if (n == 0) break;
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::write(out.fd, buffer.data() + done, static_cast<std::size_t>(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return fail(errno);
      }
      done += w;
    }
  }
  ::fchmod(out.fd, st.st_mode & 07777);
  if (::close(out.fd) != 0) {
    out.fd = -1;
    return fail(errno);
  }
  out.fd = -1;
  if (::rename(temp.c_str(), target.c_str()) != 0) return fail(errno);
  return 0;
}

void ReportOsFailure(int error, std::string_view routine) {
  zarv::SetLastOsError(error);
  zarv::ReportError(13, routine);
}

}  // namespace

void IOsCopyFile(std::string_view source_text, std::string_view target_text) {
  const std::string source(zarv::Trimmed(source_text));
  std::string target(zarv::Trimmed(target_text));
  const std::string_view name = NamePart(source);

  if (!HasWildcard(name)) {
    if (target.empty() || target.back() == '/') target += name;
    if (SameFile(source, target)) {
      zarv::ReportError(55, "IOsCopyFile");
      return;
    }
    if (const int error = CopyOneFile(source, target)) ReportOsFailure(error, "IOsCopyFile");
    return;
  }

  if (!target.empty() && target.back() != '/') target += '/';
  std::vector<std::string> names;
  if (const int error = FindMatches(source, &names)) {
    ReportOsFailure(error, "IOsCopyFile");
    return;
  }
  const std::string folder(FolderPart(source));
  for (const std::string& found : names) {
    const std::string from = folder + found;
    if (IsDirectory(from)) continue;
    const std::string to = target + found;
    if (SameFile(from, to)) {
      zarv::ReportError(55, "IOsCopyFile");
      return;
    }
    if (const int error = CopyOneFile(from, to)) {
      ReportOsFailure(error, "IOsCopyFile");
      return;
    }
  }
}

void IOsDeleteFile(std::string_view pattern_text) {
  const std::string pattern(zarv::Trimmed(pattern_text));
  std::vector<std::string> names;
  if (const int error = FindMatches(pattern, &names)) {
    ReportOsFailure(error, "IOsDeleteFile");
    return;
  }
  const std::string folder(FolderPart(pattern));
  for (const std::string& found : names) {
    const std::string path = folder + found;
    if (IsDirectory(path)) continue;
    if (::unlink(path.c_str()) != 0) {
      ReportOsFailure(errno, "IOsDeleteFile");
      return;
    }
  }
}
