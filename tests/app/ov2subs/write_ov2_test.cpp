// WRITE_OV2: the temporary file and the command line, and whole saves that
// run the built converter from a program folder the way start-up sets it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "app/shared/program_state.h"
#include "app/shared/list_view.h"
#include "app/nodalux/poi_files.h"
#include "app/ov2subs/ov2_files.h"
#include "app/ov2subs/temp_file.h"
#include "tests/app/ov2subs/ov2_screen_test.h"
#include "toolkit/core/command_line.h"
#include "toolkit/core/errors.h"
#include "toolkit/os/faulty_os.h"
#include "app/shared/file_names.h"
#include "toolkit/platform/transcript.h"

namespace nodalux {
namespace {

namespace fs = std::filesystem;
using testing::BoxLine;
using zarv::platform::Quote;

POI_RECORD Poi(float lon, float lat, std::string_view name) {
  POI_RECORD poi;
  poi.LONGITUDE = lon;
  poi.LATITUDE = lat;
  poi.NAME.assign(name);
  return poi;
}

TEST(Ov2Command, FolderUnquotedOutputQuoted) {
  EXPECT_EQ(ov2::ConverterCommand("/opt/my apps/nodalux/", "/home/u/maps/pubs.ov2"),
            "/opt/my apps/nodalux/MakeOV2_v1-1 makeov2.tmp \"/home/u/maps/pubs.ov2\"");
  // Quotes and the backslashes before them are escaped, so that the
  // converter gets this very name and not "/m/ab.ov2".
  EXPECT_EQ(ov2::ConverterCommand("/p/", "/m/a\"b\\.ov2\\"),
            "/p/MakeOV2_v1-1 makeov2.tmp \"/m/a\\\"b\\.ov2\\\\\"");
  EXPECT_EQ(ov2::SymbolFileName("/home/u/maps/pubs"), "/home/u/maps/pubs.bmp");
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string RunCapture(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::string out;
  char buffer[4096];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
  return out;
}

// A saved group of two, with the program folder made the way start-up
// expects it: the converter and the default symbol side by side.
class WriteOv2 : public testing::Ov2ScreenTest {
 protected:
  void SetUp() override {
    Ov2ScreenTest::SetUp();
    UseProgramFolder("program");
    fs::create_directories(temp_dir_ / "out files");
    UseOutput(temp_dir_ / "out files" / "pubs.ov2");
    GROUP_TABLE.put(1, Poi(-0.12345f, 51.5f, "Kew"));
    GROUP_TABLE.put(2, Poi(2.35f, 48.85f, "Paris, \"Nord\""));
    GROUP_COUNT = 2;
  }

  enum class Converter { kBuilt, kMissing, kWritesNothing, kComplains, kKilled };

  void UseProgramFolder(const std::string& name, Converter converter = Converter::kBuilt) {
    program_ = temp_dir_ / name;
    fs::create_directories(program_);
    const fs::path exe = program_ / "MakeOV2_v1-1.exe";
    if (converter == Converter::kBuilt) fs::copy_file(MAKEOV2_EXE, exe, fs::copy_options::overwrite_existing);
    const char* script = converter == Converter::kWritesNothing ? "#!/bin/sh\nexit 0\n"
                         : converter == Converter::kComplains
                             ? "#!/bin/sh\necho 'makeov2: first' >&2\necho 'makeov2: the disk is full' >&2\nexit 3\n"
                         : converter == Converter::kKilled ? "#!/bin/sh\nkill -9 $$\n"
                                                           : nullptr;
    if (script != nullptr) {
      WriteBytes(exe, script);
      fs::permissions(exe, fs::perms::owner_all);
    }
    WriteBytes(program_ / "default_symbol.bmp", "BM default");
    PROGRAM_FOLDER.assign(program_.string() + "/");
    DEFAULT_SYMBOL_PATH.assign((program_ / "default_symbol.bmp").string());
  }

  void UseOutput(const fs::path& output) {
    output_ = output;
    OUTPUT_FILE.assign(output.string());
  }

  std::string RunLine(int result) const {
    return "run " + Quote(program_.string() + "/MakeOV2_v1-1 makeov2.tmp " + zarv::QuoteArgument(output_.string())) +
           " 3 -> " + std::to_string(result);
  }

  std::string NotWritten(const std::string& why) const {
    return BoxLine(0, 3, "Converter Error", "The OV2 file was not written:\r" + output_.string() + "\r" + why);
  }

  static std::string SymbolLine(const fs::path& symbol) {
    return ListLine("Default symbol file copied to ... " +
                    std::string(FIT(symbol.string(), 50).trimmed()));
  }

  // The group as READ_OV2 finds it in `overlay`; the screen is left as it was.
  std::vector<POI_RECORD> ReadBack(const fs::path& overlay) {
    const auto screen_before = Screen().size();
    POI_COUNT = 0;
    INPUT_FILE.assign(overlay.string());
    READ_OV2();
    EXPECT_EQ(Screen().size(), screen_before) << "reading " << overlay << " showed something";
    std::vector<POI_RECORD> read;
    for (std::int32_t i = 1; i <= POI_COUNT; ++i) read.push_back(std::as_const(POI_TABLE)[i]);
    return read;
  }

  void ExpectTheGroupIn(const fs::path& overlay) {
    const auto pois = ReadBack(overlay);
    ASSERT_EQ(pois.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(pois[i].NAME.trimmed(), GROUP_TABLE[i + 1].NAME.trimmed());
      EXPECT_NEAR(pois[i].LONGITUDE, GROUP_TABLE[i + 1].LONGITUDE, 1e-5f);
      EXPECT_NEAR(pois[i].LATITUDE, GROUP_TABLE[i + 1].LATITUDE, 1e-5f);
    }
  }

  fs::path program_;
  fs::path output_;
};

// Program folders with and without blanks: the command line leaves the
// folder unquoted, and the converter must still be found.
class WriteOv2FromFolder : public WriteOv2, public ::testing::WithParamInterface<const char*> {};

TEST_P(WriteOv2FromFolder, SavesOverlayAndSymbolAndRemovesTheTempFile) {
  UseProgramFolder(GetParam());
  WRITE_OV2();

  const fs::path symbol = temp_dir_ / "out files" / "pubs.bmp";
  EXPECT_EQ(Events(), (std::vector<std::string>{ListLine("Running TomTom MakeOV2 utility"),
                                                RunLine(32), SymbolLine(symbol),
                                                ListLine("2 points written")}));
  EXPECT_EQ(ReadFileBytes(symbol), "BM default");
  EXPECT_FALSE(fs::exists(temp_dir_ / "makeov2.tmp"));
  EXPECT_EQ(zarv::InfoStatus(1), 0);
  ExpectTheGroupIn(output_);

  if (std::system("command -v gpsbabel >/dev/null 2>&1") != 0) return;
  const std::string csv =
      RunCapture("gpsbabel -i tomtom -f '" + output_.string() + "' -o unicsv -F - 2>&1");
  EXPECT_NE(csv.find("51.500000,-0.123450,\"Kew\""), std::string::npos) << csv;
  EXPECT_NE(csv.find("48.850000,2.350000,\"Paris, \"\"Nord\"\"\""), std::string::npos) << csv;
}

INSTANTIATE_TEST_SUITE_P(Folders, WriteOv2FromFolder,
                         ::testing::Values("program", "my program files", "pro\"gram", "a \\ b\\",
                                           "-tab\there \xe9"));

TEST_F(WriteOv2, SavingAgainReplacesOverlayAndKeepsTheUsersSymbol) {
  WriteBytes(output_, "old overlay");
  const fs::path symbol = temp_dir_ / "out files" / "pubs.bmp";
  WriteBytes(symbol, "BM mine");
  WRITE_OV2();
  EXPECT_EQ(Events(), (std::vector<std::string>{ListLine("Running TomTom MakeOV2 utility"),
                                                RunLine(32), ListLine("2 points written")}));
  EXPECT_EQ(ReadFileBytes(symbol), "BM mine");
  ExpectTheGroupIn(output_);
}

// The chosen name is never a pattern: saving as p?.ov2 replaces that file
// alone, whatever else the folder holds.
TEST_F(WriteOv2, AWildcardInTheNameReplacesOnlyThatFile) {
  const fs::path folder = temp_dir_ / "out files";
  for (const char* name : {"p1.ov2", "pa.ov2", "pz.ov2", "p?.ov2", "p[a].ov2", "p1.bmp"}) {
    WriteBytes(folder / name, std::string("the user's ") + name);
  }
  for (const char* name : {"p?.ov2", "p*.ov2", "p[a].ov2"}) {
    SCOPED_TRACE(name);
    UseOutput(folder / name);
    WRITE_OV2();
    ExpectTheGroupIn(output_);
    for (const char* other : {"p1.ov2", "pa.ov2", "pz.ov2", "p1.bmp"}) {
      EXPECT_EQ(ReadFileBytes(folder / other), std::string("the user's ") + other);
    }
  }
  EXPECT_EQ(ReadFileBytes(folder / "p?.bmp"), "BM default");
  EXPECT_EQ(ScreenLines("box "), std::vector<std::string>{});
}

TEST_F(WriteOv2, SymbolRootIsCutAtTheLastDotOfThePath) {
  fs::create_directories(temp_dir_ / "data.ov2");
  UseOutput(temp_dir_ / "data.ov2" / "pubs");
  WRITE_OV2();
  EXPECT_EQ(ReadFileBytes(temp_dir_ / "data.bmp"), "BM default");
  EXPECT_EQ(ScreenLines("box "), std::vector<std::string>{});
  ExpectTheGroupIn(output_);
}

// The box says why: the converter's own messages and how it ended.
TEST_F(WriteOv2, FailedConverterIsReportedNotCountedAsWritten) {
  struct Failure {
    const char* what;
    Converter converter;
    const char* output_folder;
    int run_result;  // 32: the converter ran and ended
    std::string why;
  };
  const Failure failures[] = {
      {"converter missing", Converter::kMissing, "out files", 2,
       "MakeOV2_v1-1 could not be started: No such file or directory."},
      {"converter ends without writing", Converter::kWritesNothing, "out files", 32,
       "MakeOV2_v1-1 wrote no file."},
      {"converter complains", Converter::kComplains, "out files", 32,
       "makeov2: first\rmakeov2: the disk is full\rMakeOV2_v1-1 ended with exit status 3."},
      {"converter killed", Converter::kKilled, "out files", 32, "MakeOV2_v1-1 was stopped by signal 9."},
      {"output folder missing", Converter::kBuilt, "no such folder", 32,
       "makeov2: cannot write " + (temp_dir_ / "no such folder" / "pubs.ov2").string() +
           ": No such file or directory\rMakeOV2_v1-1 ended with exit status 1."},
  };
  for (const Failure& failure : failures) {
    SCOPED_TRACE(failure.what);
    UseProgramFolder(std::string("program for ") + failure.what, failure.converter);
    UseOutput(temp_dir_ / failure.output_folder / "pubs.ov2");
    if (fs::exists(output_.parent_path())) WriteBytes(output_, "old overlay");
    ForgetScreen();
    WRITE_OV2();

    // No "points written", and the old overlay is still there as it was.
    EXPECT_EQ(Events(),
              (std::vector<std::string>{
                  ListLine("Running TomTom MakeOV2 utility"), RunLine(failure.run_result),
                  BoxLine(0, 3, "Converter Error",
                          "The OV2 file was not written:\r" + output_.string() + "\r" + failure.why)}));
    if (fs::exists(output_.parent_path())) {
      EXPECT_EQ(ReadFileBytes(output_), "old overlay");
    }
    EXPECT_FALSE(fs::exists(output_.parent_path() / "pubs.bmp"));
    EXPECT_FALSE(fs::exists(temp_dir_ / "makeov2.tmp"));
    EXPECT_EQ(zarv::InfoStatus(1), 0);
  }
}

TEST_F(WriteOv2, TempFileThatCannotBeCreatedStopsTheSave) {
  fs::create_directory("makeov2.tmp");  // the name is taken by a folder, which stays
  WRITE_OV2();
  EXPECT_EQ(Events(), std::vector<std::string>{BoxLine(
                          0, 3, "File Error",
                          "Cannot create file:\r" + (fs::current_path() / "makeov2.tmp").string() +
                              "\rIs a directory")});
  EXPECT_TRUE(fs::is_directory("makeov2.tmp"));
}

// The fixed temporary file is never written through a link of that name.
TEST_F(WriteOv2, ALinkNamedLikeTheTempFileIsLeftAlone) {
  WriteBytes(temp_dir_ / "precious.txt", "the user's");
  fs::create_symlink("precious.txt", "makeov2.tmp");
  WriteBytes(output_, "old overlay");
  WRITE_OV2();
  EXPECT_EQ(Events(), std::vector<std::string>{BoxLine(
                          0, 3, "File Error",
                          "Cannot create file:\r" + (fs::current_path() / "makeov2.tmp").string() +
                              "\rIt is a symbolic link, which is left alone.")});
  EXPECT_TRUE(fs::is_symlink("makeov2.tmp"));
  EXPECT_EQ(ReadFileBytes(temp_dir_ / "precious.txt"), "the user's");
  EXPECT_EQ(ReadFileBytes(output_), "old overlay");
}

// Every regular file below `folder` with its bytes.
std::map<fs::path, std::string> FilesBelow(const fs::path& folder) {
  std::map<fs::path, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_symlink() && entry.is_regular_file()) {
      std::ifstream in(entry.path(), std::ios::binary);
      files[entry.path()].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  return files;
}

// Names Linux allows that a command line could turn into another name: the
// converter writes exactly the chosen file, and every other file stays.
TEST_F(WriteOv2, HostileNamesSaveExactlyThatFile) {
  const fs::path q = temp_dir_ / "q";
  fs::create_directories(q / "trail.ov2");
  for (const char* name : {"ab.ov2", "a.ov2", "b.ov2", "a\\b.ov2", "ab.bmp", "x.ov2"}) {
    WriteBytes(q / name, std::string("the user's ") + name);
  }
  const std::vector<fs::path> outputs = {
      q / "a\"b.ov2",      q / "a\\\"b.ov2",    q / "a\\\\\"b.ov2", q / "\"\".ov2",
      q / "back\\.ov2",    q / "two  blanks .ov2", q / "tab\tand\nfeed.ov2",
      q / "\xe9t\xe9 \xff.ov2", q / "$(x) `y`;|&.ov2", q / "trail.ov2" / "end\\",
      "-dash.ov2",  // relative to the current folder, as a name may be
  };
  for (const fs::path& output : outputs) {
    SCOPED_TRACE(output.string());
    UseOutput(output);
    const auto before = FilesBelow(temp_dir_);
    ForgetScreen();
    WRITE_OV2();
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
    ExpectTheGroupIn(output_);
    // Nothing else was touched, and the bitmap (if new) is the default.
    auto after = FilesBelow(temp_dir_);
    after.erase(fs::absolute(output_));
    zarv::Text<256> root;
    zarv::Text<3> extension;
    EXTN(output_.string(), root, extension);
    const fs::path symbol = fs::absolute(ov2::SymbolFileName(root.trimmed()));
    if (!before.contains(symbol)) {
      EXPECT_EQ(after[symbol], "BM default");
      after.erase(symbol);
    }
    auto unchanged = before;
    unchanged.erase(fs::absolute(output_));
    EXPECT_EQ(after, unchanged);
  }
  EXPECT_EQ(ReadFileBytes(q / "ab.ov2"), "the user's ab.ov2");
}

// The overlay holds only what devices and peer tools take for a place on
// the earth; a group with anything else is not written at all, and the box
// says which POI and why.
TEST_F(WriteOv2, ValuesAnOverlayCannotHoldFailTheSave) {
  struct Case {
    POI_RECORD poi;
    std::string complaint;
  };
  const Case cases[] = {
      {Poi(200.0f, 51.0f, "Far east"), "longitude is outside -180..180 (200.00000) in POI \"Far east\""},
      {Poi(-180.00002f, 51.0f, "Just west"), "longitude is outside -180..180 (-180.00002) in POI \"Just west\""},
      {Poi(0.0f, -91.0f, "South"), "latitude is outside -90..90 (-91.00000) in POI \"South\""},
      {Poi(12345.6f, 1.0f, "Wide"), "longitude overflowed its field (**********) in POI \"Wide\""},
      {Poi(1.0f, -1000.0f, "Deep"), "latitude overflowed its field (**********) in POI \"Deep\""},
      {Poi(1.0f, 2.0f, std::string_view("nul\0name", 8)),
       "the name contains a NUL byte, which an OV2 name cannot hold in POI \"nul?name\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.complaint);
    GROUP_TABLE.put(2, c.poi);
    WriteBytes(output_, "old overlay");
    ForgetScreen();
    WRITE_OV2();
    EXPECT_EQ(Events(), (std::vector<std::string>{
                            ListLine("Running TomTom MakeOV2 utility"), RunLine(32),
                            NotWritten("makeov2: makeov2.tmp:4: " + c.complaint +
                                       "\rmakeov2: makeov2.tmp: 1 line cannot be converted; no OV2 "
                                       "file written\rMakeOV2_v1-1 ended with exit status 1.")}));
    EXPECT_EQ(ReadFileBytes(output_), "old overlay");
    EXPECT_FALSE(fs::exists(temp_dir_ / "out files" / "pubs.bmp"));
    EXPECT_FALSE(fs::exists("makeov2.tmp"));
  }

  // The limits themselves are places.
  GROUP_TABLE.put(1, Poi(-180.0f, 90.0f, "North-west corner"));
  GROUP_TABLE.put(2, Poi(180.0f, -90.0f, "South-east corner"));
  ForgetScreen();
  WRITE_OV2();
  EXPECT_EQ(Boxes(), std::vector<std::string>{});
  ExpectTheGroupIn(output_);
}

// Many bad POI: the box shows the first few and how many there were.
TEST_F(WriteOv2, ManyBadPoiAreCountedNotAllListed) {
  for (int i = 1; i <= 40; ++i) GROUP_TABLE.put(i, Poi(static_cast<float>(180 + i), 0.0f, "P" + std::to_string(i)));
  GROUP_COUNT = 40;
  WRITE_OV2();
  EXPECT_EQ(Boxes(), std::vector<std::string>{NotWritten(
                         "makeov2: makeov2.tmp:3: longitude is outside -180..180 (181.00000) in POI \"P1\"\r"
                         "makeov2: makeov2.tmp:4: longitude is outside -180..180 (182.00000) in POI \"P2\"\r"
                         "makeov2: makeov2.tmp:5: longitude is outside -180..180 (183.00000) in POI \"P3\"\r"
                         "makeov2: makeov2.tmp: 40 lines cannot be converted; no OV2 file written\r"
                         "MakeOV2_v1-1 ended with exit status 1.")});
  EXPECT_FALSE(fs::exists(output_));
}

// A line break in a name would cut its line of the temporary file in two:
// the group is refused before anything is written or run.
TEST_F(WriteOv2, ALineBreakInANameIsRefusedBeforeTheConverterRuns) {
  GROUP_TABLE.put(2, Poi(1.0f, 2.0f, "Kew\nGardens"));
  WriteBytes(output_, "old overlay");
  WRITE_OV2();
  EXPECT_EQ(Events(), std::vector<std::string>{NotWritten(
                          "The name of POI 2 (\"Kew...\") holds a line break,\rwhich the "
                          "converter's input cannot carry.")});
  EXPECT_EQ(ReadFileBytes(output_), "old overlay");
  EXPECT_FALSE(fs::exists("makeov2.tmp"));
}

// The longest names a folder takes: the converter's own temporary name and
// the bitmap's name fit beside them.
TEST_F(WriteOv2, NamesOf249To255BytesSave) {
  for (std::size_t length = 249; length <= 255; ++length) {
    SCOPED_TRACE(length);
    const std::string stem(length - 4, 'n');
    UseOutput(stem + ".ov2");
    ForgetScreen();
    WRITE_OV2();
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
    ExpectTheGroupIn(output_);
    EXPECT_EQ(ReadFileBytes(stem + ".bmp"), "BM default");
    EXPECT_TRUE(ScreenLines("text ").back().ends_with("\"2 points written\""));
  }
}

// A file of the temporary file's name (left by an earlier run, say) is
// replaced and removed; anything else of that name stays as it is.
TEST_F(WriteOv2, TheTempFileNameTakenByAFileOrSomethingElse) {
  WriteBytes("makeov2.tmp", "left from an earlier run");
  WRITE_OV2();
  EXPECT_EQ(Boxes(), std::vector<std::string>{});
  ExpectTheGroupIn(output_);
  EXPECT_FALSE(fs::exists("makeov2.tmp"));

  ASSERT_EQ(::mkfifo("makeov2.tmp", 0600), 0);
  WriteBytes(output_, "old overlay");
  ForgetScreen();
  WRITE_OV2();  // must not wait for a writer on the pipe
  EXPECT_EQ(Events(), std::vector<std::string>{BoxLine(
                          0, 3, "File Error",
                          "Cannot create file:\r" + (fs::current_path() / "makeov2.tmp").string() +
                              "\rIt is a named pipe, which is left alone.")});
  EXPECT_EQ(fs::status("makeov2.tmp").type(), fs::file_type::fifo);
  EXPECT_EQ(ReadFileBytes(output_), "old overlay");
}

TEST_F(WriteOv2, ASymbolThatCannotBeCopiedIsNamedAndTheOverlayStands) {
  fs::remove(DEFAULT_SYMBOL_PATH.str());
  WRITE_OV2();
  const fs::path symbol = temp_dir_ / "out files" / "pubs.bmp";
  EXPECT_EQ(Events(), (std::vector<std::string>{
                          ListLine("Running TomTom MakeOV2 utility"), RunLine(32),
                          BoxLine(0, 3, "File Error",
                                  "Cannot copy the default symbol file to:\r" + symbol.string() +
                                      "\rNo such file or directory"),
                          ListLine("2 points written")}));
  ExpectTheGroupIn(output_);
  EXPECT_FALSE(fs::exists(symbol));
}

// Every call the save makes failing in turn: whatever fails, the old
// overlay is whole or the new one is, the user's bitmap and other files
// stay, no temporary file is left, a box names the file concerned, and the
// points are counted as written only when they were.
TEST_F(WriteOv2, EveryFailingCallLosesNothingAndNamesTheFile) {
  const fs::path folder = temp_dir_ / "out files";
  const fs::path symbol = folder / "pubs.bmp";
  WriteBytes(folder / "other.ov2", "another overlay");
  zarv::os::FaultyOs faulty;
  int fired = 0;
  for (const bool users_symbol : {false, true}) {
    for (int kind = 0; kind < static_cast<int>(zarv::os::Call::kCount); ++kind) {
      const auto call = static_cast<zarv::os::Call>(kind);
      for (int nth = 1;; ++nth) {
        SCOPED_TRACE("call kind " + std::to_string(kind) + ", number " + std::to_string(nth) +
                     (users_symbol ? ", the user's bitmap there" : ""));
        WriteBytes(output_, "old overlay");
        fs::remove(symbol);
        if (users_symbol) WriteBytes(symbol, "BM mine");
        ForgetScreen();
        faulty.reset();
        faulty.fail(call, nth, EIO);
        {
          zarv::os::DoorScope scope(faulty);
          WRITE_OV2();
        }
        if (!faulty.fired()) break;
        ++fired;

        const std::string overlay = ReadFileBytes(output_);
        const bool replaced = overlay != "old overlay";
        if (replaced) ExpectTheGroupIn(output_);
        const auto texts = ScreenLines("text ");
        const bool counted = !texts.empty() && texts.back().ends_with("\"2 points written\"");
        EXPECT_TRUE(!counted || replaced);
        for (const std::string& box : Boxes()) {
          EXPECT_TRUE(box.find(output_.string()) != std::string::npos ||
                      box.find(symbol.string()) != std::string::npos ||
                      box.find("makeov2.tmp") != std::string::npos)
              << box;
        }
        if (!counted) {
          EXPECT_EQ(Boxes().size(), 1u);
        }
        if (users_symbol) {
          EXPECT_EQ(ReadFileBytes(symbol), "BM mine");
        }
        EXPECT_EQ(ReadFileBytes(folder / "other.ov2"), "another overlay");
        for (const auto& entry : fs::recursive_directory_iterator(temp_dir_)) {
          EXPECT_FALSE(entry.path().filename().string().starts_with(".zarv-")) << entry.path();
        }
      }
    }
  }
  EXPECT_GE(fired, 40);
}

}  // namespace
}  // namespace nodalux
