// The door's file and process services, on the real file system and with
// failures injected call by call.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "toolkit/os/faulty_os.h"
#include "toolkit/os/files.h"
#include "toolkit/os/os.h"

namespace zarv::os {
namespace {

namespace fs = std::filesystem;

class DoorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device seed;
    dir_ = fs::temp_directory_path() / ("zarv_door_" + std::to_string(seed()) + std::to_string(seed()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    SetDoor(nullptr);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string Path(std::string_view name) const { return (dir_ / std::string(name)).string(); }
  void Write(std::string_view name, std::string_view bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Read(std::string_view name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

// Fails every call of every kind an atomic write makes, one at a time: the
// old file is never touched and no temporary file is left behind.
TEST_F(DoorTest, AFailedAtomicWriteLeavesTheOldFileAndNoTemporaryFile) {
  Write("keep.csv", "old content");
  ::chmod(Path("keep.csv").c_str(), 0640);
  const std::string big(200000, 'x');  // several writes
  FaultyOs faulty;
  int failures = 0;
  for (const Call kind : {Call::kStat, Call::kReadLink, Call::kMakeTemp, Call::kWrite, Call::kChmod,
                          Call::kSync, Call::kClose, Call::kRename}) {
    for (int nth = 1;; ++nth) {
      Write("keep.csv", "old content");  // the run without a failure replaced it
      faulty.reset();
      faulty.fail(kind, nth, ENOSPC);
      int error = 0;
      {
        DoorScope scope(faulty);
        AtomicFile file;
        error = file.create(Path("keep.csv"));
        for (int i = 0; i < 4 && error == 0; ++i) error = file.write(big);
        if (error == 0) error = file.commit();
      }
      if (!faulty.fired()) break;
      ++failures;
      EXPECT_EQ(error, ENOSPC) << static_cast<int>(kind) << " #" << nth;
      EXPECT_TRUE(Read("keep.csv") == "old content") << static_cast<int>(kind) << " #" << nth;
      EXPECT_EQ(Names(), std::vector<std::string>{"keep.csv"});
    }
  }
  EXPECT_GT(failures, 8);  // every kind failed at least once

  ASSERT_EQ(WriteFileAtomically(Path("keep.csv"), "new"), 0);
  EXPECT_EQ(Read("keep.csv"), "new");
  EXPECT_EQ(fs::status(Path("keep.csv")).permissions(), fs::perms(0640));
  EXPECT_EQ(Names(), std::vector<std::string>{"keep.csv"});
}

TEST_F(DoorTest, AtomicWriteFollowsLinksAndRefusesWhatIsNotAFile) {
  Write("real.csv", "old");
  fs::create_symlink("real.csv", Path("link.csv"));
  ASSERT_EQ(WriteFileAtomically(Path("link.csv"), "through the link"), 0);
  EXPECT_TRUE(fs::is_symlink(Path("link.csv")));
  EXPECT_EQ(Read("real.csv"), "through the link");

  fs::create_directory(Path("folder.csv"));
  EXPECT_EQ(WriteFileAtomically(Path("folder.csv"), "x"), EISDIR);
  ASSERT_EQ(::mkfifo(Path("pipe.csv").c_str(), 0600), 0);
  EXPECT_EQ(WriteFileAtomically(Path("pipe.csv"), "x"), EINVAL);
  EXPECT_EQ(WriteFileAtomically("/dev/full", "x"), EINVAL);
  EXPECT_EQ(KindOf("/dev/full"), Kind::kCharDevice);
  EXPECT_EQ(WriteFileAtomically(Path("no/such/folder.csv"), "x"), ENOENT);

  // The temporary name fits beside the longest name a folder can hold.
  const std::string longest(255, 'n');
  ASSERT_EQ(WriteFileAtomically(Path(longest), "long"), 0);
  EXPECT_EQ(Read(longest), "long");
  EXPECT_EQ(Names(), (std::vector<std::string>{"folder.csv", "link.csv", longest, "pipe.csv", "real.csv"}));
}

// Another program writes the new content by name (here: replaces the
// temporary file, as an atomic writer does); the commit puts it in place
// with the old file's permissions, or leaves the old file when what it
// left is not a file.
TEST_F(DoorTest, AnAtomicFileHandedOverToAnotherWriter) {
  Write("keep.ov2", "old");
  ::chmod(Path("keep.ov2").c_str(), 0640);
  {
    AtomicFile file;
    ASSERT_EQ(file.create(Path("keep.ov2")), 0);
    const std::string temp = file.hand_over();
    ASSERT_EQ(WriteFileAtomically(temp, "written by another"), 0);
    ASSERT_EQ(file.commit(), 0);
  }
  EXPECT_EQ(Read("keep.ov2"), "written by another");
  EXPECT_EQ(fs::status(Path("keep.ov2")).permissions(), fs::perms(0640));
  EXPECT_EQ(Names(), std::vector<std::string>{"keep.ov2"});

  for (const bool removed : {true, false}) {
    AtomicFile file;
    ASSERT_EQ(file.create(Path("keep.ov2")), 0);
    const std::string temp = file.hand_over();
    fs::remove(temp);
    if (!removed) fs::create_symlink(Path("keep.ov2"), temp);
    EXPECT_NE(file.commit(), 0);
    EXPECT_EQ(Read("keep.ov2"), "written by another");
    EXPECT_EQ(Names(), std::vector<std::string>{"keep.ov2"});
  }
  // The commit flushes what the other writer left, unless that writer is
  // known to have flushed it itself.
  for (const bool writer_flushes : {false, true}) {
    AtomicFile file;
    ASSERT_EQ(file.create(Path("keep.ov2")), 0);
    ASSERT_EQ(WriteFileAtomically(file.hand_over(writer_flushes), "again"), 0);
    FaultyOs counting;
    DoorScope scope(counting);
    ASSERT_EQ(file.commit(), 0);
    EXPECT_EQ(counting.calls(Call::kSync), writer_flushes ? 0 : 1);
  }
  EXPECT_EQ(Read("keep.ov2"), "again");
  EXPECT_EQ(fs::status(Path("keep.ov2")).permissions(), fs::perms(0640));
  {
    AtomicFile dropped;  // handed over, never committed: nothing stays
    ASSERT_EQ(dropped.create(Path("keep.ov2")), 0);
    ASSERT_EQ(WriteFileAtomically(dropped.hand_over(), "x"), 0);
  }
  EXPECT_EQ(Names(), std::vector<std::string>{"keep.ov2"});
}

TEST_F(DoorTest, ANamedPipeOpensAtOnceAndFilesAreReadInChunks) {
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  InputFile pipe;
  ASSERT_EQ(pipe.open(Path("pipe")), 0);  // no writer: it must not wait for one
  EXPECT_EQ(pipe.info().kind, Kind::kFifo);

  Write("data", "0123456789");
  InputFile file;
  ASSERT_EQ(file.open(Path("data")), 0);
  EXPECT_EQ(file.info().kind, Kind::kRegular);
  EXPECT_EQ(file.info().size, 10u);
  std::string all;
  char chunk[4];
  for (std::size_t got = 1; got != 0;) {
    ASSERT_EQ(file.read(chunk, sizeof chunk, &got), 0);
    all.append(chunk, got);
  }
  EXPECT_EQ(all, "0123456789");

  EXPECT_EQ(InputFile().open(Path("missing")), ENOENT);
  FaultyOs faulty;
  faulty.fail(Call::kRead, 2, EIO);
  DoorScope scope(faulty);
  ASSERT_EQ(file.open(Path("data")), 0);
  std::size_t got = 0;
  EXPECT_EQ(file.read(chunk, sizeof chunk, &got), 0);
  EXPECT_EQ(file.read(chunk, sizeof chunk, &got), EIO);
  EXPECT_EQ(got, 0u);
}

TEST_F(DoorTest, DeletingAFileTakesItsNameLiterallyPatternsOnlyWhenAsked) {
  for (const char* name : {"p?.ov2", "p1.ov2", "pa.ov2", "pz.ov2", "p[1].ov2", "p*.ov2"}) Write(name, name);
  EXPECT_EQ(DeleteFile(Path("p?.ov2")), 0);
  EXPECT_EQ(DeleteFile(Path("p[1].ov2")), 0);
  EXPECT_EQ(DeleteFile(Path("p*.ov2")), 0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"p1.ov2", "pa.ov2", "pz.ov2"}));
  EXPECT_EQ(Read("pa.ov2"), "pa.ov2");
  EXPECT_EQ(DeleteFile(Path("p?.ov2")), ENOENT);
  fs::create_directory(Path("d"));
  EXPECT_EQ(DeleteFile(Path("d")), EISDIR);

  std::vector<std::string> names;
  ASSERT_EQ(FindMatches(Path("p?.ov2"), &names), 0);
  EXPECT_EQ(names, (std::vector<std::string>{"p1.ov2", "pa.ov2", "pz.ov2"}));
  names.clear();
  EXPECT_EQ(FindMatches(Path("q*"), &names), ENOENT);
}

TEST_F(DoorTest, ACopyKeepsTheSourcesModeAndAFailedOneLeavesTheTarget) {
  Write("from", std::string(100000, 'a'));
  ::chmod(Path("from").c_str(), 0751);
  Write("to", "old target");
  FaultyOs faulty;
  for (int nth = 1;; ++nth) {
    faulty.reset();
    faulty.fail(Call::kWrite, nth, EIO);
    int error = 0;
    {
      DoorScope scope(faulty);
      error = CopyFile(Path("from"), Path("to"));
    }
    if (!faulty.fired()) {
      EXPECT_EQ(error, 0);
      break;
    }
    EXPECT_EQ(error, EIO);
    EXPECT_EQ(Read("to"), "old target");
    EXPECT_EQ(Names(), (std::vector<std::string>{"from", "to"}));
  }
  EXPECT_EQ(Read("to"), std::string(100000, 'a'));
  EXPECT_EQ(fs::status(Path("to")).permissions(), fs::perms(0751));
}

TEST(ProcessTest, ExitStatusSignalAndStandardErrorComeBack) {
  std::unique_ptr<Process> child;
  StartOptions quiet;
  quiet.discard_output = true;
  ASSERT_EQ(Door().start({"/bin/sh", "-c", "echo out; echo 'it went wrong' >&2; exit 3"}, quiet, &child), 0);
  ASSERT_TRUE(child->wait_for(10000));
  EXPECT_EQ(child->exit_status(), 3);
  EXPECT_EQ(child->errors(), "it went wrong\n");

  ASSERT_EQ(Door().start({"/bin/sh", "-c", "kill -9 $$"}, quiet, &child), 0);
  ASSERT_TRUE(child->wait_for(10000));
  EXPECT_EQ(child->exit_status(), -9);

  // Far more than a pipe holds: the program is never stuck writing it, and
  // the start of it is kept.
  ASSERT_EQ(Door().start({"/bin/sh", "-c", "head -c 300000 /dev/zero | tr '\\0' e >&2; exit 0"}, quiet,
                         &child),
            0);
  ASSERT_TRUE(child->wait_for(20000));
  EXPECT_EQ(child->exit_status(), 0);
  EXPECT_EQ(child->errors(), std::string(Process::kErrorBytes, 'e'));

  EXPECT_EQ(Door().start({"/no/such/program"}, quiet, &child), ENOENT);
  FaultyOs faulty;
  faulty.fail(Call::kStart, 1, EAGAIN);
  DoorScope scope(faulty);
  EXPECT_EQ(Door().start({"/bin/true"}, quiet, &child), EAGAIN);
  EXPECT_EQ(Door().start({"/bin/true"}, quiet, &child), 0);
  EXPECT_EQ(faulty.calls(Call::kStart), 2);
}

// A program can read its standard input from a pipe of ours; what it
// reads is all we wrote, and nothing else of ours reaches it.
TEST_F(DoorTest, AStartedProgramReadsThePipeGivenAsItsStandardInput) {
  int ends[2];
  ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
  std::unique_ptr<Process> child;
  StartOptions options;
  options.standard_input = ends[0];
  ASSERT_EQ(Door().start({"/bin/sh", "-c", "cat > '" + Path("got") + "'"}, options, &child), 0);
  ::close(ends[0]);
  EXPECT_EQ(WriteAll(Door(), ends[1], "through the pipe\n"), 0);
  ::close(ends[1]);  // its end of input
  ASSERT_TRUE(child->wait_for(10000));
  EXPECT_EQ(child->exit_status(), 0);
  EXPECT_EQ(Read("got"), "through the pipe\n");

  // And a descriptor taken as an input file reads the same way.
  ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
  ASSERT_EQ(::write(ends[1], "abc", 3), 3);
  ::close(ends[1]);
  InputFile piped;
  ASSERT_EQ(piped.adopt(ends[0]), 0);
  EXPECT_EQ(piped.info().kind, Kind::kFifo);
  char buffer[8];
  std::size_t got = 0;
  ASSERT_EQ(piped.read(buffer, sizeof buffer, &got), 0);
  EXPECT_EQ(std::string(buffer, got), "abc");
  EXPECT_EQ(InputFile().adopt(-1), EBADF);
}

// A program left running when nobody waits any longer (a time-out) goes on
// writing its standard error without dying of a closed pipe.
TEST_F(DoorTest, AProgramLeftRunningIsNotKilledByItsMessages) {
  const std::string done = Path("done");
  {
    std::unique_ptr<Process> child;
    ASSERT_EQ(Door().start({"/bin/sh", "-c", "sleep 0.3; echo late >&2; echo finished > '" + done + "'"},
                           StartOptions{}, &child),
              0);
    EXPECT_FALSE(child->wait_for(0));
  }
  for (int i = 0; i < 100 && Read("done").empty(); ++i) ::usleep(50000);
  EXPECT_EQ(Read("done"), "finished\n");
}

TEST(FaultyOsTest, APersistentFailureGoesOnUntilReset) {
  FaultyOs faulty;
  faulty.fail(Call::kStat, 2, EIO, true);
  DoorScope scope(faulty);
  FileInfo info;
  EXPECT_EQ(Door().stat("/", true, &info), 0);
  EXPECT_EQ(Door().stat("/", true, &info), EIO);
  EXPECT_EQ(Door().stat("/", true, &info), EIO);
  EXPECT_TRUE(faulty.fired());
  faulty.reset();
  EXPECT_EQ(Door().stat("/", true, &info), 0);
  EXPECT_EQ(info.kind, Kind::kDirectory);
}

// The channels beside the program's work: a script read whole (a pipe
// waited for, /dev/zero cut off), notes appended or written afresh, all
// through the Os they are given and not the one in force.
TEST_F(DoorTest, WholeFilesAndNotesGoThroughTheOsTheyAreGiven) {
  Write("script", "menu 40002\n");
  std::string bytes;
  EXPECT_EQ(ReadWholeFile(Posix(), Path("script"), &bytes, 100), 0);
  EXPECT_EQ(bytes, "menu 40002\n");
  EXPECT_EQ(ReadWholeFile(Posix(), Path("script"), &bytes, 5), EFBIG);
  EXPECT_EQ(ReadWholeFile(Posix(), "/dev/zero", &bytes, 1 << 20), EFBIG);
  EXPECT_LE(bytes.size(), 1u << 20);
  EXPECT_EQ(ReadWholeFile(Posix(), dir_.string(), &bytes, 100), EISDIR);
  EXPECT_EQ(ReadWholeFile(Posix(), Path("missing"), &bytes, 100), ENOENT);

  FaultyOs faulty;
  faulty.fail(Call::kWrite, 1, ENOSPC, true);
  faulty.fail(Call::kOpen, 1, ENOSPC, true);
  DoorScope scope(faulty);
  EXPECT_EQ(AppendToFile(Posix(), Path("notes"), "one\n"), 0);
  EXPECT_EQ(AppendToFile(Posix(), Path("notes"), "two\n"), 0);
  EXPECT_EQ(Read("notes"), "one\ntwo\n");
  EXPECT_EQ(AppendToFile(Posix(), Path("notes"), "afresh\n", true), 0);
  EXPECT_EQ(Read("notes"), "afresh\n");
  EXPECT_EQ(AppendToFile(Door(), Path("notes"), "lost\n"), ENOSPC);
  EXPECT_EQ(Read("notes"), "afresh\n");
}

TEST_F(DoorTest, FoldersAreMadeAndEntered) {
  const std::string made = Path("made");
  EXPECT_EQ(Door().make_folder(made, 0700), 0);
  EXPECT_EQ(Door().make_folder(made, 0700), EEXIST);
  EXPECT_EQ(KindOf(made), Kind::kDirectory);
  std::string before, inside;
  ASSERT_EQ(Door().current_folder(&before), 0);
  ASSERT_EQ(Door().change_folder(made), 0);
  EXPECT_EQ(Door().current_folder(&inside), 0);
  EXPECT_EQ(inside, fs::canonical(made).string());
  EXPECT_EQ(Door().change_folder(Path("missing")), ENOENT);
  ASSERT_EQ(Door().change_folder(before), 0);

  FaultyOs faulty;
  faulty.fail(Call::kMakeFolder, 1, EROFS);
  DoorScope scope(faulty);
  EXPECT_EQ(Door().make_folder(Path("other"), 0700), EROFS);
  EXPECT_EQ(KindOf(Path("other")), Kind::kMissing);
}

TEST_F(DoorTest, MakingFoldersMakesTheMissingParentsAndStopsAtAFile) {
  EXPECT_EQ(MakeFolders(Path("a/b/c")), 0);
  EXPECT_EQ(KindOf(Path("a/b/c")), Kind::kDirectory);
  EXPECT_EQ(MakeFolders(Path("a/b/")), 0);  // there already
  EXPECT_EQ(MakeFolders(""), 0);            // the current folder
  std::ofstream(Path("file")) << "x";
  EXPECT_EQ(MakeFolders(Path("file/sub")), ENOTDIR);
  EXPECT_EQ(MakeFolders(Path("file")), ENOTDIR);

  // Every folder on the way is asked for; the one for "y" fails.
  const std::string deep = Path("x/y/z");
  const int y = static_cast<int>(std::count(deep.begin(), deep.end(), '/')) - 1;
  FaultyOs faulty;
  faulty.fail(Call::kMakeFolder, y, ENOSPC);
  DoorScope scope(faulty);
  EXPECT_EQ(MakeFolders(deep), ENOSPC);
  EXPECT_EQ(KindOf(Path("x")), Kind::kDirectory);
  EXPECT_EQ(KindOf(Path("x/y")), Kind::kMissing);
}

// A probe runs in a copy of the process: whatever it does there (print,
// end badly) stays there; its exit status comes back.
TEST(ProbeTest, AChildCopyRunsTheBodyAndItsEndComesBack) {
  int status = -100;
  testing::internal::CaptureStdout();
  EXPECT_EQ(Posix().probe_in_child([] { std::puts("not seen"); return 7; }, 5, &status), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(status, 7);
  EXPECT_EQ(Posix().probe_in_child([]() -> int { std::abort(); }, 5, &status), 0);
  EXPECT_EQ(status, -SIGABRT);
  EXPECT_EQ(Posix().probe_in_child([] { ::pause(); return 0; }, 1, &status), 0);
  EXPECT_EQ(status, -SIGALRM);

  FaultyOs faulty;
  faulty.fail(Call::kStart, 1, EAGAIN);
  EXPECT_EQ(faulty.probe_in_child([] { return 0; }, 5, &status), EAGAIN);
}

}  // namespace
}  // namespace zarv::os
