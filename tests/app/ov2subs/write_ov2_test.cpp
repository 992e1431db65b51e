// WRITE_OV2: the temporary file and the command line, and whole saves that
// run the built converter from a program folder the way start-up sets it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/shared/program_state.h"
#include "app/shared/list_view.h"
#include "app/nodalux/poi_files.h"
#include "app/ov2subs/ov2_files.h"
#include "app/ov2subs/temp_file.h"
#include "tests/app/ov2subs/ov2_screen_test.h"
#include "toolkit/core/errors.h"
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
    return "run " +
           Quote(program_.string() + "/MakeOV2_v1-1 makeov2.tmp \"" + output_.string() + "\"") +
           " 3 -> " + std::to_string(result);
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
                         ::testing::Values("program", "my program files"));

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

    // No "points written": the old overlay is gone and no new one came.
    EXPECT_EQ(Events(),
              (std::vector<std::string>{
                  ListLine("Running TomTom MakeOV2 utility"), RunLine(failure.run_result),
                  BoxLine(0, 3, "Converter Error",
                          "The OV2 file was not written:\r" + output_.string() + "\r" + failure.why)}));
    EXPECT_FALSE(fs::exists(output_)) << "the old overlay must not pass for the new one";
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

}  // namespace
}  // namespace nodalux
