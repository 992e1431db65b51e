#include "toolkit/core/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>
#include <utility>

#include "toolkit/core/unique_fd.h"

namespace zarv {
namespace {

int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

// Only async-signal-safe calls between fork and exec: the parent may have
// other threads (a GUI toolkit's, say).
[[noreturn]] void ExecChild(char* const* argv, int devnull, bool discard, int report_fd) {
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigaction(SIGPIPE, &dfl, nullptr);

  ::dup2(devnull, 0);
  if (discard) {
    ::dup2(devnull, 1);
    ::dup2(devnull, 2);
  } else {
    ::dup2(2, 1);
  }
  // Nothing else of ours goes to the program (the report pipe is
  // close-on-exec already).
  ::syscall(SYS_close_range, 3U, ~0U, 4U /* CLOSE_RANGE_CLOEXEC */);
  ::execv(argv[0], argv);
  const int error = errno;
  [[maybe_unused]] const ssize_t n = ::write(report_fd, &error, sizeof error);
  ::_exit(127);
}

}  // namespace

ChildProcess ChildProcess::Start(const std::vector<std::string>& argv, Output output, int* error) {
  *error = 0;
  if (argv.empty() || argv[0].empty()) {
    *error = ENOENT;
    return {};
  }
  std::vector<std::string> copies = argv;
  std::vector<char*> args;
  for (std::string& a : copies) args.push_back(a.data());
  args.push_back(nullptr);

  UniqueFd devnull(::open("/dev/null", O_RDWR | O_CLOEXEC));
  if (devnull.fd < 0) {
    *error = errno;
    return {};
  }
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    *error = errno;
    return {};
  }
  UniqueFd report_read(fds[0]);
  UniqueFd report_write(fds[1]);

  const pid_t pid = ::fork();
  if (pid < 0) {
    *error = errno;
    return {};
  }
  if (pid == 0) ExecChild(args.data(), devnull.fd, output == Output::kDiscarded, report_write.fd);

  ::close(report_write.fd);
  report_write.fd = -1;
  int exec_error = 0;
  ssize_t n;
  do {
    n = ::read(report_read.fd, &exec_error, sizeof exec_error);
  } while (n < 0 && errno == EINTR);
  if (n == sizeof exec_error) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    *error = exec_error;
    return {};
  }
  return ChildProcess(pid, OpenPidFd(pid));
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      pidfd_(std::exchange(other.pidfd_, -1)),
      reaped_(std::exchange(other.reaped_, false)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    release();
    pid_ = std::exchange(other.pid_, -1);
    pidfd_ = std::exchange(other.pidfd_, -1);
    reaped_ = std::exchange(other.reaped_, false);
  }
  return *this;
}

ChildProcess::~ChildProcess() { release(); }

void ChildProcess::release() {
  if (pidfd_ >= 0) ::close(pidfd_);
  pidfd_ = -1;
  if (pid_ > 0 && !reaped_) {
    std::thread([pid = pid_] {
      while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  }
  pid_ = -1;
}

bool ChildProcess::wait_for(long long ms) {
  if (!valid() || reaped_) return reaped_;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (true) {
    int status = 0;
    const pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_ || (r < 0 && errno == ECHILD)) {
      reaped_ = true;
      return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return false;
    const int slice = static_cast<int>(std::min<long long>(left, INT_MAX));
    if (pidfd_ >= 0) {
      pollfd p{pidfd_, POLLIN, 0};
      ::poll(&p, 1, slice);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min(slice, 5)));
    }
  }
}

}  // namespace zarv
