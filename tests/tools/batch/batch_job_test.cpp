// The batch job run in-process: what it reads, what it selects, what it
// writes, its messages, and what is left when a call to the operating
// system fails at any point of writing (through the fault-injecting door).
#include "tools/batch/batch_job.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "toolkit/core/registry_store.h"
#include "toolkit/os/faulty_os.h"
#include "tests/tools/batch/scratch_folder.h"

namespace nodalux::batch {
namespace {

namespace fs = std::filesystem;
namespace os = zarv::os;
using testing::Ov2Poi;

class BatchJobTest : public testing::ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    fs::create_directory(dir_ / "tmp");
    old_cwd_ = fs::current_path();
    fs::current_path(dir_);
    program_folder_ = std::string(NODALUX_DIST_DIR) + "/";
  }
  void TearDown() override {
    fs::current_path(old_cwd_);
    ScratchFolder::TearDown();
  }

  // Runs the job on a command line of blank-separated words.
  int Run(std::string_view line) {
    std::istringstream in{std::string(line)};
    std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
    const std::vector<std::string_view> args(words.begin(), words.end());
    const CommandLine parsed = ParseCommandLine(args);
    messages_.str("");
    if (!parsed.error.empty()) {
      messages_ << parsed.error << '\n';
      return kUsage;
    }
    const int out = ::open((dir_ / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    JobSetting setting;
    setting.program_folder = program_folder_;
    setting.settings_store = (dir_ / "registry.sqlite").string();
    setting.temp_folder = (dir_ / "tmp").string();
    setting.current_folder = dir_.string();
    setting.standard_output = out;
    setting.messages = &messages_;
    const int status = RunJob(parsed.options, setting);
    ::close(out);
    return status;
  }

  std::string Messages() const { return messages_.str(); }
  void StoreCircle(std::string text) const {
    text.resize(64, ' ');
    text += '\0';
    ASSERT_EQ(zarv::RegistryStore((dir_ / "registry.sqlite").string())
                  .put(2, "SOFTWARE\\Quorvath\\Nodalux", "circle", {1, text}),
              0);
  }
  // Every name in the folder, sorted (the scratch files of the test left out).
  std::vector<std::string> Files(const fs::path& folder = {}) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_ / folder)) {
      const std::string name = entry.path().filename().string();
      if (name != "tmp" && name != "stdout.txt" && !name.starts_with("registry.sqlite")) {
        names.push_back(name);
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path old_cwd_;
  std::string program_folder_;
  std::ostringstream messages_;
};

// --- Reading ------------------------------------------------------------------

TEST_F(BatchJobTest, ReadsEveryFormatInOrderIntoOneSet) {
  Write("a.csv",
        "Longitude,Latitude,Name\r\n"
        "; a comment\r\n"
        "\r\n"
        "-0.12345,51.5,\"Kew, the gardens\"\r\n"
        "  1.5  2.5 'Two words'\r\n"
        ",,\"no position\"\r\n"
        "3,4,one word\r\n");
  Write("b.ov2", Ov2Poi(-12345, 5150000, "Caf\xe9") + Ov2Poi(100, 200, "Pub   "));
  Write("c.GPX",
        "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        "<wpt lat=\"48.85\" lon=\"2.35\"><name>Caf\xc3\xa9 &amp; Zo\xc3\xab</name></wpt>\n"
        "<rte><rtept lat=\"1\" lon=\"2\"/></rte>\n"
        "<trk><trkseg><trkpt lat=\"0\" lon=\"0\"/></trkseg></trk></gpx>\n");
  ASSERT_EQ(Run("--all -o out.csv a.csv b.ov2 c.GPX"), kDone) << Messages();
  EXPECT_EQ(Read("out.csv"),
            "Longitude,Latitude,Name\r\n"
            "-0.12345,51.50000,\"Kew, the gardens\"\r\n"
            "1.50000,2.50000,\"Two words\"\r\n"
            "0.00000,0.00000,\"no position\"\r\n"
            "3.00000,4.00000,\"one\"\r\n"
            "-0.12345,51.50000,\"Caf\xe9\"\r\n"
            "0.00100,0.00200,\"Pub\"\r\n"
            "2.35000,48.85000,\"Caf\xc3\xa9 & Zo\xc3\xab\"\r\n"
            "2.00000,1.00000,\"\"\r\n");
  EXPECT_EQ(Messages(), "nodalux-batch: warning: c.GPX: 1 track points are not POI and are left out\n");

  // The same set as GPX: byte names become text in the chosen encoding.
  ASSERT_EQ(Run("--all --encoding cp1252 -o out.gpx b.ov2"), kDone) << Messages();
  const std::string gpx = Read("out.gpx");
  EXPECT_NE(gpx.find("<wpt lat=\"51.5\" lon=\"-0.12345\">\n    <name>Caf\xc3\xa9</name>"), std::string::npos) << gpx;
  EXPECT_NE(gpx.find("<name>Pub</name>"), std::string::npos) << gpx;
  ASSERT_EQ(Run("--all --encoding utf-8 -o out.gpx b.ov2"), kDone);
  EXPECT_NE(Read("out.gpx").find("<name>Caf\xef\xbf\xbd</name>"), std::string::npos);
  EXPECT_NE(Messages().find("1 name held bytes that are not UTF-8"), std::string::npos) << Messages();
}

TEST_F(BatchJobTest, NamesFromGpxInBytes) {
  const std::string long_name(130, 'x');
  Write("in.gpx",
        "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
        "<wpt lat=\"1\" lon=\"2\"><name>\xc5\x81\xc3\xb3""d\xc5\xba &#10;two lines</name></wpt>"
        "<wpt lat=\"1\" lon=\"2\"><name>" + long_name + "\xc3\xa9</name></wpt></gpx>");
  ASSERT_EQ(Run("--all --encoding cp1252 -o out.csv in.gpx"), kDone);
  EXPECT_EQ(Read("out.csv"), "Longitude,Latitude,Name\r\n2.00000,1.00000,\"L\xf3" "dz  two lines\"\r\n"
                             "2.00000,1.00000,\"" + std::string(128, 'x') + "\"\r\n");
  EXPECT_EQ(Messages(),
            "nodalux-batch: warning: out.csv: 1 name held characters that code page 1252 lacks, "
            "written as the nearest ones or '?'; 1 name longer than 128 bytes cut at 128; 1 name "
            "with line breaks written with blanks instead\n");
  // Written as UTF-8 (auto), a name is cut at the end of a character.
  ASSERT_EQ(Run("--all -o out.csv in.gpx"), kDone);
  EXPECT_NE(Read("out.csv").find("\"" + std::string(128, 'x') + "\""), std::string::npos);
}

TEST_F(BatchJobTest, TheStorageLimitCountsEveryInput) {
  std::string first = "Longitude,Latitude,Name\n";
  for (int i = 0; i < 29999; ++i) first += "1,2,\"p" + std::to_string(i) + "\"\n";
  Write("first.csv", first);
  Write("one.csv", "Longitude,Latitude,Name\n3,4,\"last\"\n");
  Write("two.csv", "Longitude,Latitude,Name\n3,4,\"last\"\n; note\n5,6,\"too many\"\n");
  Write("two.ov2", Ov2Poi(1, 2, "last") + Ov2Poi(3, 4, "too many"));

  ASSERT_EQ(Run("--all --count first.csv one.csv"), kDone) << Messages();
  EXPECT_EQ(Read("stdout.txt"), "30000\n");
  EXPECT_EQ(Run("--all -o out.csv first.csv two.csv"), kFailed);
  EXPECT_EQ(Messages(), "nodalux-batch: two.csv:4: Too many POI entries in file. Maximum is 30000\n");
  EXPECT_EQ(Run("--all -o out.csv first.csv two.ov2"), kFailed);
  EXPECT_EQ(Messages(), "nodalux-batch: two.ov2: byte 18: Too many POI entries in file. Maximum is 30000\n");
  EXPECT_FALSE(fs::exists(dir_ / "out.csv"));
}

TEST_F(BatchJobTest, TheCircleComesFromTheCommandLineThenTheStore) {
  // Three POI due north of 51.5,-0.1: at the centre, about 5 and 20 miles.
  Write("in.csv", "Longitude,Latitude,Name\n-0.1,51.5,\"centre\"\n-0.1,51.57236,\"5 miles\"\n"
                  "-0.1,51.78944,\"20 miles\"\n");
  const auto count = [&](std::string_view options) {
    EXPECT_EQ(Run(std::string(options) + " --count in.csv"), kDone) << Messages();
    return Read("stdout.txt");
  };
  // Nothing stored: the default circle, 30 miles around 51.47604,0.
  EXPECT_EQ(count(""), "3\n");
  EXPECT_EQ(count("-c 51.5,-0.1 -r 10"), "2\n");
  StoreCircle("  51.50000,  -0.10000,  1.00");
  EXPECT_EQ(count(""), "1\n");
  EXPECT_EQ(count("-r 6"), "2\n");                 // the stored centre
  EXPECT_EQ(count("-c N51.57236,W0.1"), "1\n");    // the stored radius
  StoreCircle("51.5, -0.1");                       // two numbers: the default circle
  EXPECT_EQ(count(""), "3\n");
  StoreCircle("51.5,,1");                          // an empty item keeps the built-in value
  EXPECT_EQ(count(""), "0\n");
  EXPECT_EQ(count("--all"), "3\n");
}

// --- Writing ------------------------------------------------------------------

TEST_F(BatchJobTest, OverlaysAreWrittenByTheConverterWithTheirSymbol) {
  Write("in.csv", "Longitude,Latitude,Name\n-0.1,51.5,\"a\"\n2.35,48.85,\"b\"\n");
  ASSERT_EQ(Run("--all -o Out.Ov2x in.csv"), kDone) << Messages();
  EXPECT_EQ(Files(), (std::vector<std::string>{"Out.Ov2x", "Out.bmp", "in.csv"}));
  EXPECT_EQ(Read("Out.bmp"), Read(program_folder_ + "default_symbol.bmp"));
  EXPECT_TRUE(Files("tmp").empty());
  ASSERT_EQ(Run("--all -o back.csv Out.Ov2x"), kDone) << Messages();
  EXPECT_EQ(Read("back.csv"), "Longitude,Latitude,Name\r\n-0.10000,51.50000,\"a\"\r\n"
                              "2.35000,48.85000,\"b\"\r\n");
  // A folder named like an overlay makes the file in it one; the symbol
  // goes where the desktop program puts it, before the last dot.
  fs::create_directory(dir_ / "maps.ov2");
  ASSERT_EQ(Run("--all -o maps.ov2/pubs in.csv"), kDone) << Messages();
  EXPECT_TRUE(fs::exists(dir_ / "maps.bmp"));
  EXPECT_EQ(Run("--all --format csv -o maps.ov2/pubs in.csv"), kUsage);
}

TEST_F(BatchJobTest, AConverterThatFailsChangesNothing) {
  // Converters that fail in each way, in a program folder of their own.
  struct Case {
    std::string script;
    std::string message;
  };
  const Case cases[] = {
      {"echo 'makeov2: no room' >&2; exit 3",
       "nodalux-batch: warning: MakeOV2_v1-1: makeov2: no room\n"
       "nodalux-batch: out.ov2: The OV2 file was not written: MakeOV2_v1-1 ended with exit status 3.\n"},
      {"kill -9 $$", "nodalux-batch: out.ov2: The OV2 file was not written: MakeOV2_v1-1 was stopped by signal 9.\n"},
      {"rm -f \"$2\"", "nodalux-batch: out.ov2: The OV2 file was not written: MakeOV2_v1-1 wrote no file (No such file or directory).\n"},
      {"printf '\\002\\021\\000\\000\\000\\001\\000\\000\\000\\001\\000\\000\\000ab\\000\\000' > \"$2\"",
       "nodalux-batch: out.ov2: The OV2 file was not written: MakeOV2_v1-1 wrote 1 of the 2 POI.\n"},
      {"printf '\\002\\021\\000' > \"$2\"",
       "nodalux-batch: out.ov2: The OV2 file was not written: MakeOV2_v1-1 wrote 0 of the 2 POI in a damaged overlay.\n"},
  };
  Write("in.csv", "Longitude,Latitude,Name\n-0.1,51.5,\"a\"\n2.35,48.85,\"b\"\n");
  fs::create_directory(dir_ / "folder");
  fs::copy_file(program_folder_ + "default_symbol.bmp", dir_ / "folder/default_symbol.bmp");
  program_folder_ = (dir_ / "folder").string() + "/";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    Write("folder/MakeOV2_v1-1.exe", "#!/bin/sh\n" + c.script + "\n");
    fs::permissions(dir_ / "folder/MakeOV2_v1-1.exe", fs::perms::owner_all);
    Write("out.ov2", "old");
    EXPECT_EQ(Run("--all -o out.ov2 in.csv"), kFailed);
    EXPECT_EQ(Messages(), c.message);
    EXPECT_EQ(Read("out.ov2"), "old");
    EXPECT_EQ(Files(), (std::vector<std::string>{"folder", "in.csv", "out.ov2"}));
    EXPECT_TRUE(Files("tmp").empty());
  }
  // One that cannot be started at all.
  fs::permissions(dir_ / "folder/MakeOV2_v1-1.exe", fs::perms::owner_read);
  if (::geteuid() != 0) {
    EXPECT_EQ(Run("--all -o out.ov2 in.csv"), kFailed);
    EXPECT_EQ(Messages(), "nodalux-batch: out.ov2: The OV2 file was not written: MakeOV2_v1-1 could "
                          "not be started: Permission denied.\n");
  }
}

// The converter starts before the inputs are read. When reading then fails,
// it is told nothing more, writes nothing and is waited for: the old
// overlay stands, no temporary file and no child process are left.
TEST_F(BatchJobTest, AConverterStartedBeforeAFailedReadWritesNothing) {
  Write("good.csv", "Longitude,Latitude,Name\n-0.1,51.5,\"a\"\n");
  Write("bad.csv", "Longitude,Latitude,Name\n-0.1,x,\"a\"\n");
  for (const std::string inputs : {"good.csv missing.csv", "good.csv bad.csv"}) {
    SCOPED_TRACE(inputs);
    Write("out.ov2", "old");
    EXPECT_EQ(Run("--all -o out.ov2 " + inputs), kFailed);
    EXPECT_EQ(Read("out.ov2"), "old");
    EXPECT_EQ(Files(), (std::vector<std::string>{"bad.csv", "good.csv", "out.ov2"}));
    EXPECT_TRUE(Files("tmp").empty());
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // no child, running or ended
  }
}

// A converter that ends without reading what it is given (more than a
// pipe holds): the program is not ended by the broken pipe; the converter
// is judged by how it ended.
TEST_F(BatchJobTest, AConverterThatStopsReadingIsJudgedByHowItEnded) {
  std::string text = "Longitude,Latitude,Name\n";
  for (int i = 0; i < 30000; ++i) text += "-0.1,51.5,\"a name to fill the pipe " + std::to_string(i) + "\"\n";
  Write("in.csv", text);
  fs::create_directory(dir_ / "folder");
  fs::copy_file(program_folder_ + "default_symbol.bmp", dir_ / "folder/default_symbol.bmp");
  program_folder_ = (dir_ / "folder").string() + "/";
  Write("folder/MakeOV2_v1-1.exe", "#!/bin/sh\nexec 0<&-\nexit 3\n");
  fs::permissions(dir_ / "folder/MakeOV2_v1-1.exe", fs::perms::owner_all);
  Write("out.ov2", "old");
  EXPECT_EQ(Run("--all -o out.ov2 in.csv"), kFailed);
  EXPECT_EQ(Messages(), "nodalux-batch: out.ov2: The OV2 file was not written: MakeOV2_v1-1 ended with exit status 3.\n");
  EXPECT_EQ(Read("out.ov2"), "old");
  EXPECT_EQ(Files(), (std::vector<std::string>{"folder", "in.csv", "out.ov2"}));
}

// Every call to the operating system that writing makes fails in turn (the
// first, the second, ... of each kind): the job then fails with a message,
// and every file is as it was before; or the job succeeds (the call did not
// matter) and every file is as a clean run leaves it. No temporary file is
// left, except where removing it was the call that failed.
TEST_F(BatchJobTest, AFailingCallAtAnyPointOfWritingLosesNothing) {
  Write("in.csv", "Longitude,Latitude,Name\n-0.1,51.5,\"a\"\n2.35,48.85,\"b\"\n0,0,\"c\"\n");
  const std::string commands[] = {
      "-c 51,0 -r 300 -o out.csv in.csv",
      "--all -o out.gpx in.csv",
      "-c 51,0 -r 300 -o out.ov2 in.csv",
      "--all --plot out.svg -o out.csv in.csv",
      "--all -o - in.csv",
  };
  const os::Call kinds[] = {os::Call::kOpen,      os::Call::kRead,     os::Call::kWrite,
                            os::Call::kSync,      os::Call::kClose,    os::Call::kStat,
                            os::Call::kChmod,     os::Call::kMakeTemp, os::Call::kRename,
                            os::Call::kUnlink,    os::Call::kStart,    os::Call::kReadLink,
                            os::Call::kAccess,    os::Call::kCurrentFolder};
  const std::vector<std::string> outputs = {"out.csv", "out.gpx", "out.ov2", "out.svg", "out.bmp"};
  const auto seed_old_files = [&] {
    for (const std::string& name : outputs) fs::remove(dir_ / name);
    for (const std::string_view name : {"out.csv", "out.gpx", "out.ov2", "out.svg"}) Write(std::string(name), "old " + std::string(name));
  };
  const auto snapshot = [&] {
    std::map<std::string, std::string> files;
    for (const std::string& name : Files()) files[name] = Read(name);
    files["stdout"] = Read("stdout.txt");
    return files;
  };

  os::FaultyOs faulty;
  for (const std::string& command : commands) {
    SCOPED_TRACE(command);
    // A clean run: what it leaves, and how many calls of each kind it makes.
    seed_old_files();
    const auto before = snapshot();
    faulty.reset();
    int status = 0;
    {
      os::DoorScope scope(faulty);
      status = Run(command);
    }
    ASSERT_EQ(status, kDone) << Messages();
    const auto after = snapshot();
    std::map<os::Call, int> calls;
    for (const os::Call kind : kinds) calls[kind] = faulty.calls(kind);
    ASSERT_GT(calls[os::Call::kWrite], 0);

    for (const os::Call kind : kinds) {
      for (int nth = 1; nth <= calls[kind]; ++nth) {
        SCOPED_TRACE("call kind " + std::to_string(static_cast<int>(kind)) + ", number " + std::to_string(nth));
        seed_old_files();
        Write("stdout.txt", "");
        faulty.reset();
        faulty.fail(kind, nth, kind == os::Call::kWrite ? ENOSPC : EIO);
        {
          os::DoorScope scope(faulty);
          status = Run(command);
        }
        ASSERT_TRUE(faulty.fired());
        auto files = snapshot();
        if (kind == os::Call::kUnlink) {
          // Only a temporary file whose removal failed may stay behind.
          std::erase_if(files, [](const auto& f) { return f.first.starts_with(".zarv-"); });
          for (const auto& entry : fs::directory_iterator(dir_ / "tmp")) fs::remove(entry.path());
        }
        EXPECT_TRUE(Files("tmp").empty());
        if (status == kDone) {
          EXPECT_EQ(files, after);
        } else {
          ASSERT_EQ(status, kFailed);
          EXPECT_NE(Messages().find("nodalux-batch: "), std::string::npos);
          if (command.find("-o -") == std::string::npos) {
            files.erase("stdout");
            auto old = before;
            old.erase("stdout");
            // The picture takes its place after the output: when that
            // fails, the output may be the new one already.
            if (Messages().find("out.svg: ") != std::string::npos &&
                files["out.csv"] == after.at("out.csv")) {
              old["out.csv"] = after.at("out.csv");
            }
            EXPECT_EQ(files, old) << Messages();
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace nodalux::batch
