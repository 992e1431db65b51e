#include "toolkit/os/files.h"

#include <fcntl.h>
#include <fnmatch.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace zarv::os {
namespace {

constexpr int kMaxLinks = 40;
// Short on purpose: it must fit beside a name of 255 bytes.
constexpr std::string_view kTempName = ".zarv-XXXXXX";

bool HasWildcard(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

// The file a write to `path` reaches: links in its last component followed.
int FollowLinks(std::string path, std::string* target) {
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    FileInfo info;
    const int error = Door().stat(path, false, &info);
    if (error == ENOENT || (error == 0 && info.kind != Kind::kSymlink)) {
      *target = std::move(path);
      return 0;
    }
    if (error != 0) return error;
    std::string link;
    if (const int e = Door().read_link(path, &link)) return e;
    path = !link.empty() && link[0] == '/' ? link : std::string(FolderPart(path)) + link;
  }
  return ELOOP;
}

}  // namespace

Kind KindOf(const std::string& path) {
  FileInfo info;
  return Door().stat(path, true, &info) == 0 ? info.kind : Kind::kMissing;
}

bool IsRegularFile(const std::string& path) { return KindOf(path) == Kind::kRegular; }

std::string_view NotAFileName(Kind kind) {
  switch (kind) {
    case Kind::kFifo:
      return "a named pipe";
    case Kind::kCharDevice:
    case Kind::kBlockDevice:
      return "a device";
    case Kind::kSocket:
      return "a socket";
    case Kind::kSymlink:
      return "a symbolic link";
    case Kind::kDirectory:
      return "a folder";
    default:
      return "something that is not a file";
  }
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  FileInfo ia, ib;
  return Door().stat(a, true, &ia) == 0 && Door().stat(b, true, &ib) == 0 &&
         ia.device == ib.device && ia.inode == ib.inode;
}

std::string_view FolderPart(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view NamePart(std::string_view path) { return path.substr(FolderPart(path).size()); }

// ---- InputFile ----

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), info_(other.info_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    info_ = other.info_;
  }
  return *this;
}

InputFile::~InputFile() { close(); }

int InputFile::open(const std::string& path) {
  close();
  int fd = -1;
  if (const int error = Door().open(path, O_RDONLY | O_NONBLOCK, 0, &fd)) return error;
  fd_ = fd;
  if (const int error = Door().fstat(fd_, &info_)) {
    close();
    return error;
  }
  return 0;
}

int InputFile::adopt(int fd) {
  close();
  fd_ = fd;
  if (const int error = Door().fstat(fd_, &info_)) {
    close();
    return error;
  }
  return 0;
}

int InputFile::read(char* buffer, std::size_t size, std::size_t* got) {
  *got = 0;
  if (fd_ < 0) return EBADF;
  return Door().read(fd_, buffer, size, got);
}

void InputFile::close() {
  if (fd_ >= 0) Door().close(fd_);
  fd_ = -1;
}

int ReadSmallFile(const std::string& path, std::string* bytes, std::size_t limit) {
  bytes->clear();
  InputFile file;
  if (const int error = file.open(path)) return error;
  if (file.info().kind == Kind::kDirectory) return EISDIR;
  char buffer[4096];
  while (bytes->size() < limit) {
    std::size_t got = 0;
    if (const int error = file.read(buffer, sizeof buffer, &got)) return error;
    if (got == 0) break;
    bytes->append(buffer, std::min(got, limit - bytes->size()));
  }
  return 0;
}

int ReadWholeFile(Os& os, const std::string& path, std::string* bytes, std::size_t limit) {
  bytes->clear();
  int fd = -1;
  if (const int error = os.open(path, O_RDONLY, 0, &fd)) return error;
  FileInfo info;
  int error = os.fstat(fd, &info);
  if (!error && info.kind == Kind::kDirectory) error = EISDIR;
  char buffer[65536];
  while (!error) {
    std::size_t got = 0;
    if ((error = os.read(fd, buffer, sizeof buffer, &got)) != 0 || got == 0) break;
    if (got > limit - std::min(limit, bytes->size())) {
      error = EFBIG;
      break;
    }
    bytes->append(buffer, got);
  }
  os.close(fd);
  return error;
}

int WriteAll(Os& os, int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    std::size_t written = 0;
    if (const int error = os.write(fd, bytes.data(), bytes.size(), &written)) return error;
    if (written == 0) return EIO;
    bytes.remove_prefix(written);
  }
  return 0;
}

int AppendToFile(Os& os, const std::string& path, std::string_view bytes, bool truncate) {
  int fd = -1;
  const int flags = O_WRONLY | O_CREAT | (truncate ? O_TRUNC : O_APPEND);
  if (const int error = os.open(path, flags, 0666, &fd)) return error;
  const int error = WriteAll(os, fd, bytes);
  const int closed = os.close(fd);
  return error ? error : closed;
}

// ---- AtomicFile ----

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::discard() {
  if (fd_ >= 0) Door().close(fd_);
  fd_ = -1;
  if (!temp_.empty()) Door().unlink(temp_);
  temp_.clear();
  handed_over_ = false;
  flushed_ = false;
}

int AtomicFile::create(const std::string& path, const AtomicOptions& options) {
  discard();
  if (path.empty()) return ENOENT;
  durable_ = options.durable;
  if (options.follow_links) {
    if (const int error = FollowLinks(path, &target_)) return error;
  } else {
    FileInfo info;
    if (Door().stat(path, false, &info) == 0 && info.kind == Kind::kSymlink) return ELOOP;
    target_ = path;
  }
  FileInfo existing;
  const int looked = Door().stat(target_, true, &existing);
  if (looked != 0 && looked != ENOENT) return looked;
  if (looked == 0 && existing.kind == Kind::kDirectory) return EISDIR;
  if (looked == 0 && existing.kind != Kind::kRegular) return EINVAL;

  if (options.keep_mode) {
    mode_ = *options.keep_mode;
  } else if (looked == 0) {
    mode_ = existing.mode;
  } else {
    mode_ = options.mode & ~Door().umask() & 07777;
  }
  std::string temp = std::string(FolderPart(target_)).append(kTempName);
  int fd = -1;
  if (const int error = Door().make_temp(&temp, &fd)) return error;
  fd_ = fd;
  temp_ = std::move(temp);
  return 0;
}

int AtomicFile::write(std::string_view bytes) {
  if (fd_ < 0) return EBADF;
  const int error = WriteAll(Door(), fd_, bytes);
  if (error) discard();
  return error;
}

const std::string& AtomicFile::hand_over(bool writer_flushes) {
  if (fd_ >= 0) {
    Door().close(fd_);
    fd_ = -1;
    handed_over_ = true;
    if (writer_flushes) durable_ = false;
  }
  return temp_;
}

int AtomicFile::flush() {
  if (fd_ < 0) return flushed_ ? 0 : EBADF;
  int error = Door().chmod(fd_, mode_);
  if (!error && durable_) error = Door().sync(fd_);
  const int closed = Door().close(fd_);
  fd_ = -1;
  if (!error) error = closed;
  if (error) {
    discard();
    return error;
  }
  flushed_ = true;
  return 0;
}

int AtomicFile::commit() {
  if (handed_over_) {
    // What the other program left there, which must be a file.
    handed_over_ = false;
    int fd = -1;
    if (const int error = Door().open(temp_, O_RDONLY | O_NOFOLLOW | O_NONBLOCK, 0, &fd)) {
      discard();
      return error;
    }
    fd_ = fd;
    FileInfo info;
    const int looked = Door().fstat(fd_, &info);
    if (looked != 0 || info.kind != Kind::kRegular) {
      discard();
      return looked != 0 ? looked : EINVAL;
    }
  }
  int error = flushed_ ? 0 : flush();
  if (!error) error = Door().rename(temp_, target_);
  if (error) {
    discard();
    return error;
  }
  temp_.clear();
  return 0;
}

int WriteFileAtomically(const std::string& path, std::string_view bytes) {
  AtomicFile file;
  if (const int error = file.create(path)) return error;
  if (const int error = file.write(bytes)) return error;
  return file.commit();
}

int StageCopy(const std::string& source, const std::string& target, AtomicFile* out) {
  InputFile in;
  if (const int error = in.open(source)) return error;
  if (in.info().kind == Kind::kDirectory) return EISDIR;
  if (in.info().kind != Kind::kRegular) return EINVAL;
  AtomicOptions options;
  options.keep_mode = in.info().mode;
  if (const int error = out->create(target, options)) return error;
  std::string buffer(1 << 16, '\0');
  while (true) {
    std::size_t got = 0;
    if (const int error = in.read(buffer.data(), buffer.size(), &got)) return error;
    if (got == 0) break;
    if (const int error = out->write(std::string_view(buffer.data(), got))) return error;
  }
  return out->flush();
}

int CopyFile(const std::string& source, const std::string& target) {
  AtomicFile out;
  if (const int error = StageCopy(source, target, &out)) return error;
  return out.commit();
}

int DeleteFile(const std::string& path) {
  FileInfo info;
  if (const int error = Door().stat(path, false, &info)) return error;
  if (info.kind == Kind::kDirectory) return EISDIR;
  return Door().unlink(path);
}

int MakeFolders(const std::string& path) {
  std::size_t end = 0;
  while (end < path.size()) {
    end = path.find('/', end + 1);
    if (end == std::string::npos) end = path.size();
    const std::string folder = path.substr(0, end);
    const int made = Door().make_folder(folder, 0777);
    if (made == 0) continue;
    // Already there (EEXIST, or EACCES for a folder we may not write in).
    FileInfo info;
    if (Door().stat(folder, true, &info) != 0) return made;
    if (info.kind != Kind::kDirectory) return ENOTDIR;
  }
  return 0;
}

int FindMatches(std::string_view pattern, std::vector<std::string>* names) {
  const std::string_view name = NamePart(pattern);
  if (name.empty()) return ENOENT;
  if (!HasWildcard(name)) {
    FileInfo info;
    if (const int error = Door().stat(std::string(pattern), false, &info)) return error;
    names->emplace_back(name);
    return 0;
  }
  std::string glob;
  for (const char c : name) {
    if (c == '[' || c == ']' || c == '\\') glob += '\\';
    glob += c;
  }
  const std::string_view folder = FolderPart(pattern);
  std::vector<std::string> all;
  if (const int error = Door().list_folder(folder.empty() ? "." : std::string(folder), &all)) {
    return error;
  }
  for (std::string& found : all) {
    if (::fnmatch(glob.c_str(), found.c_str(), 0) == 0) names->push_back(std::move(found));
  }
  std::sort(names->begin(), names->end());
  return names->empty() ? ENOENT : 0;
}

}  // namespace zarv::os
