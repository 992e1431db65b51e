// The POSIX implementation of the door: each primitive is one system call
// (EINTR retried), with errno turned into the result.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "toolkit/os/os.h"
#include "toolkit/os/posix_process.h"

namespace zarv::os {
namespace {

Kind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return Kind::kRegular;
  if (S_ISDIR(mode)) return Kind::kDirectory;
  if (S_ISLNK(mode)) return Kind::kSymlink;
  if (S_ISFIFO(mode)) return Kind::kFifo;
  if (S_ISCHR(mode)) return Kind::kCharDevice;
  if (S_ISBLK(mode)) return Kind::kBlockDevice;
  if (S_ISSOCK(mode)) return Kind::kSocket;
  return Kind::kOther;
}

void Fill(const struct stat& st, FileInfo* info) {
  info->kind = KindOf(st.st_mode);
  info->size = static_cast<std::uint64_t>(st.st_size);
  info->mode = st.st_mode & 07777;
  info->device = st.st_dev;
  info->inode = st.st_ino;
  info->modified_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

class PosixOs final : public Os {
 public:
  int open(const std::string& path, int flags, unsigned mode, int* fd) override {
    int result;
    do {
      result = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    } while (result < 0 && errno == EINTR);
    *fd = result;
    return result < 0 ? errno : 0;
  }

  int read(int fd, void* buffer, std::size_t size, std::size_t* got) override {
    ssize_t n;
    do {
      n = ::read(fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    *got = n < 0 ? 0 : static_cast<std::size_t>(n);
    return n < 0 ? errno : 0;
  }

  int write(int fd, const void* bytes, std::size_t size, std::size_t* written) override {
    ssize_t n;
    do {
      n = ::write(fd, bytes, size);
    } while (n < 0 && errno == EINTR);
    *written = n < 0 ? 0 : static_cast<std::size_t>(n);
    return n < 0 ? errno : 0;
  }

  int sync(int fd) override { return ::fsync(fd) == 0 ? 0 : errno; }

  // The descriptor is gone afterwards whatever the result (Linux), so EINTR
  // must not be retried.
  int close(int fd) override { return ::close(fd) == 0 ? 0 : errno; }

  int stat(const std::string& path, bool follow_links, FileInfo* info) override {
    *info = {};
    struct stat st {};
    const int r = follow_links ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    if (r != 0) return errno;
    Fill(st, info);
    return 0;
  }

  int fstat(int fd, FileInfo* info) override {
    *info = {};
    struct stat st {};
    if (::fstat(fd, &st) != 0) return errno;
    Fill(st, info);
    return 0;
  }

  int chmod(int fd, unsigned mode) override {
    return ::fchmod(fd, static_cast<mode_t>(mode)) == 0 ? 0 : errno;
  }

  int make_temp(std::string* pattern, int* fd) override {
    *fd = ::mkostemp(pattern->data(), O_CLOEXEC);
    return *fd < 0 ? errno : 0;
  }

  int rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }

  int unlink(const std::string& path) override {
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
  }

  int list_folder(const std::string& path, std::vector<std::string>* names) override {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return errno;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name = entry->d_name;
      if (name != "." && name != "..") names->emplace_back(name);
    }
    const int error = errno;
    ::closedir(dir);
    return error;
  }

  int read_link(const std::string& path, std::string* target) override {
    std::string buffer(256, '\0');
    while (true) {
      const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
      if (n < 0) return errno;
      if (static_cast<std::size_t>(n) < buffer.size()) {
        buffer.resize(static_cast<std::size_t>(n));
        *target = std::move(buffer);
        return 0;
      }
      if (buffer.size() >= (1u << 20)) return ENAMETOOLONG;
      buffer.resize(buffer.size() * 2);
    }
  }

  int current_folder(std::string* folder) override {
    std::string buffer(256, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
      if (errno != ERANGE || buffer.size() >= (1u << 20)) return errno;
      buffer.resize(buffer.size() * 2);
    }
    buffer.resize(buffer.find('\0'));
    *folder = std::move(buffer);
    return 0;
  }

  int change_folder(const std::string& path) override {
    return ::chdir(path.c_str()) == 0 ? 0 : errno;
  }

  int make_folder(const std::string& path, unsigned mode) override {
    return ::mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0 ? 0 : errno;
  }

  int probe_in_child(const std::function<int()>& body, int timeout_seconds,
                     int* exit_status) override {
    return ProbeInChild(body, timeout_seconds, exit_status);
  }

  int access(const std::string& path, int how) override {
    return ::access(path.c_str(), how) == 0 ? 0 : errno;
  }

  int start(const std::vector<std::string>& argv, const StartOptions& options,
            std::unique_ptr<Process>* process) override {
    return StartPosixProcess(argv, options, process);
  }

  std::int64_t now_ms() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

  unsigned umask() override {
    // Reading the mask means setting it; put it straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
  }
};

Os* g_door = nullptr;

}  // namespace

Os& Posix() {
  static PosixOs posix;
  return posix;
}

Os& Door() { return g_door != nullptr ? *g_door : Posix(); }

void SetDoor(Os* os) { g_door = os; }

}  // namespace zarv::os
