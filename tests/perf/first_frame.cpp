// Starts a program and reports the time from just before its start to the
// moment it has painted its first complete frame, in milliseconds.
//
//   first_frame PROGRAM [ARG...]
//
// The program learns through ZARVFIRSTFRAME the file into which to write the
// system's monotonic clock (nanoseconds) once its window is on screen and
// painted. Exit status 1 when it never wrote it: the work was not done.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

long long Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000000LL + t.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: first_frame PROGRAM [ARG...]\n");
    return 2;
  }
  char path[] = "/tmp/first-frame-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) {
    std::perror("first_frame: mkstemp");
    return 1;
  }
  close(fd);
  setenv("ZARVFIRSTFRAME", path, 1);

  const long long start = Now();
  pid_t child = 0;
  const int err = posix_spawn(&child, argv[1], nullptr, nullptr, argv + 1, environ);
  if (err != 0) {
    std::fprintf(stderr, "first_frame: cannot start %s: %s\n", argv[1], std::strerror(err));
    unlink(path);
    return 1;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  long long painted = 0;
  std::ifstream(path) >> painted;
  unlink(path);
  if (painted <= start) {
    std::fprintf(stderr, "first_frame: %s painted no frame (status %d)\n", argv[1], status);
    return 1;
  }
  std::printf("%.2f\n", static_cast<double>(painted - start) / 1e6);
  return 0;
}
