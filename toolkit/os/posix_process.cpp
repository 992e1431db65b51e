#include "toolkit/os/posix_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <chrono>
#include <climits>
#include <thread>

extern char** environ;

namespace zarv::os {
namespace {

int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

class PosixProcess final : public Process {
 public:
  PosixProcess(pid_t pid, int pidfd, int errors_fd, bool echo)
      : pid_(pid), pidfd_(pidfd), errors_fd_(errors_fd), echo_(echo) {}
  PosixProcess(const PosixProcess&) = delete;
  PosixProcess& operator=(const PosixProcess&) = delete;

  ~PosixProcess() override {
    if (pidfd_ >= 0) ::close(pidfd_);
    if (reaped_) {
      if (errors_fd_ >= 0) ::close(errors_fd_);
      return;
    }
    // Still running: what it still writes on its standard error is taken
    // and dropped (it must not die of a closed pipe), and no zombie is left
    // behind when it ends.
    std::thread([pid = pid_, errors = errors_fd_]() mutable {
      while (true) {
        const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR)) break;
        pollfd p{errors, POLLIN, 0};
        ::poll(&p, errors >= 0 ? 1 : 0, 100);
        char buffer[4096];
        if (errors >= 0 && p.revents != 0 && ::read(errors, buffer, sizeof buffer) == 0) {
          ::close(errors);
          errors = -1;
        }
      }
      if (errors >= 0) ::close(errors);
    }).detach();
  }

  bool wait_for(std::int64_t ms) override {
    const std::int64_t deadline = NowMs() + std::max<std::int64_t>(ms, 0);
    while (true) {
      drain();
      if (reap()) {
        drain();
        return true;
      }
      const std::int64_t left = deadline - NowMs();
      if (left <= 0) return false;
      const int slice = static_cast<int>(std::min<std::int64_t>(left, INT_MAX));
      pollfd fds[2];
      nfds_t count = 0;
      if (pidfd_ >= 0) fds[count++] = {pidfd_, POLLIN, 0};
      if (errors_fd_ >= 0) fds[count++] = {errors_fd_, POLLIN, 0};
      // Without a pidfd nothing tells us it ended: look again soon.
      ::poll(fds, count, pidfd_ >= 0 ? slice : std::min(slice, 5));
    }
  }

  int exit_status() const override { return status_; }
  const std::string& errors() const override { return errors_; }

 private:
  // Takes what its standard error holds now, without waiting: a program it
  // started itself may keep the pipe open long after it has ended.
  void drain() {
    char buffer[4096];
    while (errors_fd_ >= 0) {
      const ssize_t n = ::read(errors_fd_, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0 || errno != EAGAIN) {
          ::close(errors_fd_);
          errors_fd_ = -1;
        }
        return;
      }
      const std::size_t got = static_cast<std::size_t>(n);
      errors_.append(buffer, std::min(got, kErrorBytes - std::min(kErrorBytes, errors_.size())));
      if (echo_) {
        for (std::size_t done = 0; done < got;) {
          const ssize_t w = ::write(2, buffer + done, got - done);
          if (w < 0 && errno == EINTR) continue;
          if (w <= 0) break;
          done += static_cast<std::size_t>(w);
        }
      }
    }
  }

  bool reap() {
    if (reaped_) return true;
    int status = 0;
    const pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      reaped_ = true;
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? -WTERMSIG(status) : 0;
      return true;
    }
    if (r < 0 && errno == ECHILD) {  // reaped elsewhere: its status is gone
      reaped_ = true;
      return true;
    }
    return false;
  }

  pid_t pid_;
  int pidfd_;
  int errors_fd_;
  bool echo_;
  bool reaped_ = false;
  int status_ = 0;
  std::string errors_;
};

// Owns the spawn attributes and file actions while they are in use.
struct SpawnSetup {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
};

}  // namespace

int StartPosixProcess(const std::vector<std::string>& argv, const StartOptions& options,
                      std::unique_ptr<Process>* process) {
  if (argv.empty() || argv[0].empty()) return ENOENT;
  std::vector<char*> args;
  std::vector<std::string> copies = argv;
  for (std::string& a : copies) args.push_back(a.data());
  args.push_back(nullptr);

  int pipe_fds[2] = {-1, -1};
  if (options.capture_errors) {
    if (::pipe2(pipe_fds, O_CLOEXEC) != 0) return errno;
    ::fcntl(pipe_fds[0], F_SETFL, O_NONBLOCK);
  }
  const int errors_read = pipe_fds[0];
  const int errors_write = pipe_fds[1];

  SpawnSetup setup;
  if (options.standard_input >= 0) {
    posix_spawn_file_actions_adddup2(&setup.actions, options.standard_input, 0);
  } else {
    posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
  }
  if (options.discard_output) {
    posix_spawn_file_actions_addopen(&setup.actions, 1, "/dev/null", O_WRONLY, 0);
  } else {
    // Its output goes to our standard error, so it never mixes into a
    // transcript written on standard output.
    posix_spawn_file_actions_adddup2(&setup.actions, 2, 1);
  }
  if (errors_write >= 0) {
    posix_spawn_file_actions_adddup2(&setup.actions, errors_write, 2);
  } else if (options.discard_output) {
    posix_spawn_file_actions_addopen(&setup.actions, 2, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3);

  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&setup.attributes, &none);
  posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
  posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t pid = -1;
  const int error = ::posix_spawn(&pid, args[0], &setup.actions, &setup.attributes, args.data(), environ);
  if (errors_write >= 0) ::close(errors_write);
  if (error != 0) {
    if (errors_read >= 0) ::close(errors_read);
    return error;
  }
  *process = std::make_unique<PosixProcess>(pid, OpenPidFd(pid), errors_read, options.echo_errors);
  return 0;
}

}  // namespace zarv::os

namespace zarv::os {

int ProbeInChild(const std::function<int()>& body, int timeout_seconds, int* exit_status) {
  std::fflush(nullptr);  // nothing buffered is written twice
  const pid_t child = ::fork();
  if (child < 0) return errno;
  if (child == 0) {
    const int null_fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null_fd >= 0) {
      ::dup2(null_fd, STDOUT_FILENO);
      ::dup2(null_fd, STDERR_FILENO);
    }
    if (timeout_seconds > 0) ::alarm(static_cast<unsigned>(timeout_seconds));
    ::_exit(body());
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return errno;
  }
  *exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? -WTERMSIG(status) : 0;
  return 0;
}

}  // namespace zarv::os
