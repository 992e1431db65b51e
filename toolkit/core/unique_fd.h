// A file descriptor closed when it goes out of scope.
#pragma once

#include <unistd.h>

namespace zarv {

struct UniqueFd {
  int fd = -1;
  explicit UniqueFd(int f) : fd(f) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace zarv
