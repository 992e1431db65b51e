// The file services built on the door's primitives: reading in chunks,
// writing atomically, copying, deleting one file or what a pattern matches.
// Each returns 0 or an errno value.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/os/os.h"

namespace zarv::os {

// What `path` names, links followed; kMissing when nothing does (or it
// cannot be looked at).
Kind KindOf(const std::string& path);
bool IsRegularFile(const std::string& path);
// What something that is not a file is, for a message: "a named pipe",
// "a device", "a socket", "a symbolic link", "a folder", or "something
// that is not a file".
std::string_view NotAFileName(Kind kind);
// True when both names reach the same file.
bool SameFile(const std::string& a, const std::string& b);

// Everything up to and including the last '/'; empty for a bare name.
std::string_view FolderPart(std::string_view path);
std::string_view NamePart(std::string_view path);

// A file open for reading, read in chunks of the caller's size. Opening
// never waits: a named pipe without a writer, say, opens at once.
class InputFile {
 public:
  InputFile() = default;
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  int open(const std::string& path);
  // Reads the descriptor `fd` (standard input, say), which it then owns.
  int adopt(int fd);
  // What was opened (a folder opens too: look at the kind).
  const FileInfo& info() const { return info_; }
  // Up to `size` bytes; *got is 0 at the end of the file.
  int read(char* buffer, std::size_t size, std::size_t* got);
  void close();

 private:
  int fd_ = -1;
  FileInfo info_;
};

// The whole of a small file (at most `limit` bytes are kept).
int ReadSmallFile(const std::string& path, std::string* bytes, std::size_t limit = 1 << 20);

// The channels a program keeps beside its work (a script it follows, a
// transcript or report it writes) go through `os` as given, so that a test
// that fails the program's own calls never fails them too.
//
// The whole of `path`, waiting for a pipe's writer as a plain read does;
// EFBIG when it holds more than `limit` bytes.
int ReadWholeFile(Os& os, const std::string& path, std::string* bytes, std::size_t limit);
// Writes all of `bytes` to the open descriptor `fd`.
int WriteAll(Os& os, int fd, std::string_view bytes);
// Writes `bytes` at the end of `path` (made when missing; emptied first
// with `truncate`), as they stand: never for the user's files, which are
// written atomically.
int AppendToFile(Os& os, const std::string& path, std::string_view bytes, bool truncate = false);

// How an AtomicFile is made.
struct AtomicOptions {
  unsigned mode = 0666;                // for a new file, less the creation mask
  std::optional<unsigned> keep_mode;   // exactly these permissions instead
  bool follow_links = true;            // else a symbolic link is refused (ELOOP)
  bool durable = true;                 // flushed to the disk before the rename
};

// A file written so that whoever looks at it sees the old file or the whole
// new one, never a part: the bytes go to a temporary file beside it, which
// is flushed to the disk and renamed over it at commit(). Dropped without a
// commit, it leaves the old file as it was and no temporary file behind.
class AtomicFile {
 public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  // Starts the new content of `path`. A symbolic link is followed (the file
  // it names gets the new content) unless the options refuse it. An
  // existing file keeps its permissions. A folder, a device or a named pipe
  // of that name is refused (EISDIR, EINVAL).
  int create(const std::string& path, const AtomicOptions& options = {});
  // Writes all of `bytes`.
  int write(std::string_view bytes);
  // For a new content that another program writes: the temporary file is
  // closed and left to it by name (it may rewrite it or replace it, as a
  // program that writes atomically does), and commit() takes whatever
  // stands under that name then. A writer known to flush its file to the
  // disk before it renames it into place spares the commit a second flush.
  const std::string& hand_over(bool writer_flushes = false);
  // Gives the new content its permissions and flushes it to the disk now,
  // so that commit() only has to rename it.
  int flush();
  int commit();
  // The file the commit replaces (the target of a link).
  const std::string& target() const { return target_; }

 private:
  void discard();

  std::string target_;
  std::string temp_;
  int fd_ = -1;
  unsigned mode_ = 0;
  bool durable_ = true;
  bool handed_over_ = false;
  bool flushed_ = false;
};

int WriteFileAtomically(const std::string& path, std::string_view bytes);

// Copies one file, through a temporary file renamed into place; the copy
// gets the source's permissions.
int CopyFile(const std::string& source, const std::string& target);
// The same up to the rename: the copy is in `out`, flushed, for the
// caller to commit (or drop).
int StageCopy(const std::string& source, const std::string& target, AtomicFile* out);

// Deletes exactly the file `path` names (no wildcards); a folder is refused.
int DeleteFile(const std::string& path);

// Makes the folder `path` and any of its parents that are missing (mode
// 0777 less the umask); 0 when it is there already, ENOTDIR when something
// on the way is not a folder.
int MakeFolders(const std::string& path);

// The names that `pattern` stands for, sorted: itself when its file-name
// part holds no wildcard, else the names in its folder that the wildcards
// * and ? match (every other character stands for itself). ENOENT when
// there is none.
int FindMatches(std::string_view pattern, std::vector<std::string>* names);

}  // namespace zarv::os
