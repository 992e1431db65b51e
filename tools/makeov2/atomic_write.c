/* A file written so that whoever looks at it sees the old file or the whole
 * new one, never a part: the bytes go to a temporary file beside it, which
 * is flushed to the disk and renamed over it. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/makeov2/makeov2.h"

static int SystemMakeTemp(char *pattern) { return mkostemp(pattern, O_CLOEXEC); }

static long SystemWrite(int fd, const void *bytes, size_t size) {
  ssize_t n;
  do {
    n = write(fd, bytes, size);
  } while (n < 0 && errno == EINTR);
  return (long)n;
}

/* The descriptor is gone afterwards whatever the result (Linux), so EINTR
 * must not be retried. */
static int SystemClose(int fd) { return close(fd); }

const struct mkov2_file_calls mkov2_system_calls = {SystemMakeTemp, SystemWrite, fsync, SystemClose, rename};
const struct mkov2_file_calls *mkov2_calls = &mkov2_system_calls;

enum { MAX_LINKS = 40 };
/* Short on purpose: it must fit beside a name of 255 bytes. */
static const char kTempName[] = ".zarv-XXXXXX";

/* The length of everything up to and including the last '/'. */
static size_t FolderLength(const char *path) {
  const char *slash = strrchr(path, '/');
  return slash == NULL ? 0 : (size_t)(slash - path) + 1;
}

/* What the symbolic link `path` holds, from malloc. */
static int ReadLink(const char *path, char **target) {
  for (size_t size = 256;; size *= 2) {
    char *buffer = malloc(size);
    if (buffer == NULL) return ENOMEM;
    const ssize_t n = readlink(path, buffer, size);
    if (n < 0) {
      const int error = errno;
      free(buffer);
      return error;
    }
    if ((size_t)n < size) {
      buffer[n] = '\0';
      *target = buffer;
      return 0;
    }
    free(buffer);
    if (size >= (1u << 20)) return ENAMETOOLONG;
  }
}

/* The file a write to `path` reaches, from malloc: links in its last
 * component followed. */
static int FollowLinks(const char *path, char **target) {
  char *at = strdup(path);
  if (at == NULL) return ENOMEM;
  for (int hops = 0; hops < MAX_LINKS; ++hops) {
    struct stat info;
    const int error = lstat(at, &info) == 0 ? 0 : errno;
    if (error == ENOENT || (error == 0 && !S_ISLNK(info.st_mode))) {
      *target = at;
      return 0;
    }
    char *link = NULL;
    const int failed = error != 0 ? error : ReadLink(at, &link);
    if (failed != 0) {
      free(at);
      return failed;
    }
    /* A relative link is relative to the folder the link stands in. */
    const size_t folder = link[0] == '/' ? 0 : FolderLength(at);
    char *next = malloc(folder + strlen(link) + 1);
    if (next != NULL) {
      memcpy(next, at, folder);
      strcpy(next + folder, link);
    }
    free(link);
    free(at);
    if (next == NULL) return ENOMEM;
    at = next;
  }
  free(at);
  return ELOOP;
}

static int WriteAll(int fd, const char *bytes, size_t size) {
  while (size > 0) {
    const long n = mkov2_calls->write(fd, bytes, size);
    if (n < 0) return errno;
    if (n == 0) return EIO;
    bytes += n;
    size -= (size_t)n;
  }
  return 0;
}

/* Writes the new content to the open temporary file `fd`, gives it its
 * permissions, flushes it to the disk and closes it. */
static int FillTemp(int fd, const char *bytes, size_t size, mode_t mode) {
  int error = WriteAll(fd, bytes, size);
  if (error == 0 && fchmod(fd, mode) != 0) error = errno;
  if (error == 0 && mkov2_calls->fsync(fd) != 0) error = errno;
  const int closed = mkov2_calls->close(fd) == 0 ? 0 : errno;
  return error != 0 ? error : closed;
}

int mkov2_write_atomically(const char *path, const char *bytes, size_t size) {
  if (path[0] == '\0') return ENOENT;
  char *target = NULL;
  int error = FollowLinks(path, &target);
  if (error != 0) return error;

  struct stat existing;
  const int looked = stat(target, &existing) == 0 ? 0 : errno;
  mode_t mode = 0;
  if (looked != 0 && looked != ENOENT) {
    error = looked;
  } else if (looked == 0 && S_ISDIR(existing.st_mode)) {
    error = EISDIR;
  } else if (looked == 0 && !S_ISREG(existing.st_mode)) {
    error = EINVAL;
  } else if (looked == 0) {
    mode = existing.st_mode & 07777;
  } else {
    /* Reading the mask means setting it; put it straight back. */
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask & 07777;
  }

  char *temp = NULL;
  if (error == 0) {
    const size_t folder = FolderLength(target);
    temp = malloc(folder + sizeof kTempName);
    if (temp == NULL) {
      error = ENOMEM;
    } else {
      memcpy(temp, target, folder);
      memcpy(temp + folder, kTempName, sizeof kTempName);
    }
  }
  if (error == 0) {
    const int fd = mkov2_calls->make_temp(temp);
    if (fd < 0) {
      error = errno;
      free(temp);
      temp = NULL;
    } else {
      error = FillTemp(fd, bytes, size, mode);
    }
  }
  if (error == 0 && mkov2_calls->rename(temp, target) != 0) error = errno;
  /* A failure leaves the old file as it was and no temporary file behind. */
  if (error != 0 && temp != NULL) unlink(temp);
  free(temp);
  free(target);
  return error;
}
