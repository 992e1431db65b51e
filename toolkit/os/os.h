// The door to the operating system. Every file and process call that the
// program, the toolkit and the tools make goes through the Os in force:
// the POSIX one, or one a test put in its place to record calls and fail
// them (faulty_os.h). The primitives are one small table of operations, each
// returning 0 or an errno value; files.h and process.h build the everyday
// services (reading in chunks, atomic writes, copies, running a program) on
// top of them, so a failure injected here reaches every one of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zarv::os {

enum class Kind {
  kMissing,
  kRegular,
  kDirectory,
  kSymlink,  // only from stat() without following links
  kFifo,
  kCharDevice,
  kBlockDevice,
  kSocket,
  kOther,
};

struct FileInfo {
  Kind kind = Kind::kMissing;
  std::uint64_t size = 0;
  unsigned mode = 0;  // permission bits
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t modified_ns = 0;  // last modification, nanoseconds since the epoch
};

// What a started program does with its standard streams. Nothing of ours
// is inherited beyond them.
struct StartOptions {
  int standard_input = -1;      // a descriptor it reads as its standard input;
                                // /dev/null when negative
  bool discard_output = false;  // standard output (and standard error when not
                                // captured) to /dev/null, else to our standard error
  bool capture_errors = true;   // its standard error collected for errors(); only
                                // for a program somebody waits for
  bool echo_errors = false;     // what is collected also copied to our standard error
};

// A started program, owned. One that is still running when this is
// destroyed is reaped in the background when it ends.
class Process {
 public:
  // The first this many bytes of its standard error are kept.
  static constexpr std::size_t kErrorBytes = 4096;

  virtual ~Process() = default;
  // Waits up to `ms` milliseconds (0: only looks); true once it has ended.
  virtual bool wait_for(std::int64_t ms) = 0;
  // Once ended: its exit status (0..255), or -N when signal N ended it.
  virtual int exit_status() const = 0;
  // What it wrote on its standard error so far (at most kErrorBytes).
  virtual const std::string& errors() const = 0;
};

// The kinds of call, for counting and failing them.
enum class Call {
  kOpen,
  kRead,
  kWrite,
  kSync,
  kClose,
  kStat,
  kChmod,
  kMakeTemp,
  kRename,
  kUnlink,
  kListFolder,
  kReadLink,
  kCurrentFolder,
  kChangeFolder,
  kMakeFolder,
  kAccess,
  kStart,
  kCount,  // not a call: the number of kinds
};

class Os {
 public:
  virtual ~Os() = default;

  // open(2): `flags` as for open, O_CLOEXEC always added.
  virtual int open(const std::string& path, int flags, unsigned mode, int* fd) = 0;
  // One read(2) (EINTR retried): *got is 0 at the end of the file.
  virtual int read(int fd, void* buffer, std::size_t size, std::size_t* got) = 0;
  // One write(2) (EINTR retried): *written may be less than size.
  virtual int write(int fd, const void* bytes, std::size_t size, std::size_t* written) = 0;
  virtual int sync(int fd) = 0;
  virtual int close(int fd) = 0;
  // stat(2) or lstat(2); a missing file is ENOENT with kind kMissing.
  virtual int stat(const std::string& path, bool follow_links, FileInfo* info) = 0;
  virtual int fstat(int fd, FileInfo* info) = 0;
  virtual int chmod(int fd, unsigned mode) = 0;
  // mkostemp(3): `pattern` ends in XXXXXX, which becomes the name made.
  virtual int make_temp(std::string* pattern, int* fd) = 0;
  virtual int rename(const std::string& from, const std::string& to) = 0;
  virtual int unlink(const std::string& path) = 0;
  // The names in a folder, "." and ".." left out, in no particular order.
  virtual int list_folder(const std::string& path, std::vector<std::string>* names) = 0;
  virtual int read_link(const std::string& path, std::string* target) = 0;
  virtual int current_folder(std::string* folder) = 0;
  // chdir(2).
  virtual int change_folder(const std::string& path) = 0;
  // mkdir(2); an existing folder is EEXIST.
  virtual int make_folder(const std::string& path, unsigned mode) = 0;
  // access(2) with X_OK and the like.
  virtual int access(const std::string& path, int how) = 0;
  // Starts argv[0] (a path) with the arguments that follow, never through a
  // shell.
  virtual int start(const std::vector<std::string>& argv, const StartOptions& options,
                    std::unique_ptr<Process>* process) = 0;
  // Runs `body` in a copy of this process (fork, no exec) whose standard
  // output and error go to /dev/null, and waits for it to end, at most
  // `timeout_seconds` (then it is killed): *exit_status as for
  // Process::exit_status. For probes that may end the process they run in.
  // Counted and failed as a start.
  virtual int probe_in_child(const std::function<int()>& body, int timeout_seconds,
                             int* exit_status) = 0;
  // A steady clock in milliseconds.
  virtual std::int64_t now_ms() = 0;
  // The process's file-creation mask (it is left as it was).
  virtual unsigned umask() = 0;
};

// The Os in force: the POSIX one unless a test put another in its place.
Os& Door();
// Puts `os` in force (nullptr: the POSIX one again). The caller keeps it
// alive while it is in force.
void SetDoor(Os* os);
// The real one, for wrappers.
Os& Posix();

}  // namespace zarv::os
