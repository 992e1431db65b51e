#include "tools/makeov2/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace makeov2 {
namespace {

// Owns the temporary file until it has been renamed into place.
class TempFile {
 public:
  explicit TempFile(const std::string& target) : name_(target + ".XXXXXX") {
    std::vector<char> pattern(name_.begin(), name_.end());
    pattern.push_back('\0');
    fd_ = ::mkstemp(pattern.data());
    created_ = fd_ >= 0;
    if (created_) name_.assign(pattern.data());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (created_ && !committed_) ::unlink(name_.c_str());
  }

  bool created() const { return created_; }
  int fd() const { return fd_; }
  const std::string& name() const { return name_; }

  bool close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0;
  }
  void commit() { committed_ = true; }

 private:
  std::string name_;
  int fd_ = -1;
  bool created_ = false;
  bool committed_ = false;
};

std::string Failure(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

std::string WriteFileAtomically(const std::string& path, std::string_view bytes) {
  TempFile temp(path);
  if (!temp.created()) return Failure("cannot create a file beside " + path);

  while (!bytes.empty()) {
    const ssize_t written = ::write(temp.fd(), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return Failure("cannot write " + temp.name());
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  // mkstemp makes the file private; give it the mode a new file would get.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(temp.fd(), 0666 & ~mask);
  if (::fsync(temp.fd()) != 0) return Failure("cannot write " + temp.name());
  if (!temp.close()) return Failure("cannot write " + temp.name());
  if (::rename(temp.name().c_str(), path.c_str()) != 0) return Failure("cannot write " + path);
  temp.commit();
  return {};
}

}  // namespace makeov2
