// WRITE_OV2: the temporary file, the command line, and a whole save with the
// converter run in-process in place of the child program.
#include <gtest/gtest.h>

#include "app/nodalux/app_state.h"
#include "app/nodalux/poi_data.h"
#include "app/nodalux/poi_files.h"
#include "app/ov2subs/ov2_decoder.h"
#include "app/ov2subs/temp_file.h"
#include "tests/ov2/fake_app.h"
#include "tests/ov2/temp_dir.h"
#include "tools/makeov2/converter.h"

namespace nodalux {
namespace {

namespace fs = std::filesystem;
using ov2test::ReadFile;
using ov2test::WriteFile;

POI_RECORD Poi(float lon, float lat, std::string_view name) {
  POI_RECORD poi;
  poi.LONGITUDE = lon;
  poi.LATITUDE = lat;
  poi.NAME.assign(name);
  return poi;
}

TEST(Ov2TempFile, LayoutKeepsLeadingBlanksAndEndsWithTheCount) {
  const std::vector<POI_RECORD> group = {Poi(-0.12345f, 51.5f, "Kew  "),
                                         Poi(-179.99999f, -89.5f, "A, \"b\"")};
  EXPECT_EQ(ov2::TempFileText(group),
            ";* Created by Nodalux\r\n"
            ";* Longitude, Latitude, \"Name\"\r\n"
            "  -0.12345,  51.50000,\"Kew\"\r\n"
            "-179.99998, -89.50000,\"A, \"b\"\"\r\n"
            ";*     2 POI records written.\r\n");
}

TEST(Ov2TempFile, TrailerHoldsCountsUpTo30000) {
  const std::vector<POI_RECORD> many(30000, Poi(1.0f, 2.0f, "x"));
  const std::string text = ov2::TempFileText(many);
  EXPECT_TRUE(text.ends_with("\r\n;* 30000 POI records written.\r\n"));
  const std::vector<POI_RECORD> twelve(12, Poi(1.0f, 2.0f, "x"));
  EXPECT_TRUE(ov2::TempFileText(twelve).ends_with(";*    12 POI records written.\r\n"));
}

TEST(Ov2Command, FolderUnquotedOutputQuoted) {
  EXPECT_EQ(ov2::ConverterCommand("/opt/my apps/nodalux/", "/home/u/maps/pubs.ov2"),
            "/opt/my apps/nodalux/MakeOV2_v1-1 makeov2.tmp \"/home/u/maps/pubs.ov2\"");
  EXPECT_EQ(ov2::SymbolFileName("/home/u/maps/pubs"), "/home/u/maps/pubs.bmp");
}

// Splits the command the way the writer builds it and runs the converter.
int RunConverterInProcess(const std::string& command) {
  const std::size_t quote = command.find('"');
  const std::string output = command.substr(quote + 1, command.size() - quote - 2);
  const char* argv[] = {"MakeOV2_v1-1", "makeov2.tmp", output.c_str()};
  std::ostringstream errors;
  makeov2::RunConverter(3, argv, errors);
  return 32;  // the program ran and ended, whatever it did
}

class WriteOv2 : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& fake = ov2test::ResetFakeApp();
    fake.run_program = RunConverterInProcess;
    WriteFile(dir_.path() / "default_symbol.bmp", "BM default");
    PROGRAM_FOLDER.assign("/opt/nodalux/");
    DEFAULT_SYMBOL_PATH.assign((dir_.path() / "default_symbol.bmp").string());
    OUTPUT_FILE.assign(output_.string());
    GROUP_TABLE[1] = Poi(-0.12345f, 51.5f, "Kew");
    GROUP_TABLE[2] = Poi(2.35f, 48.85f, "Paris");
    GROUP_COUNT = 2;
  }

  ov2test::ScratchDir dir_{"ov2_write"};
  fs::path output_ = dir_.path() / "pubs.ov2";
  fs::path symbol_ = dir_.path() / "pubs.bmp";
};

TEST_F(WriteOv2, SavesOverlayAndSymbolAndRemovesTheTempFile) {
  WRITE_OV2();
  const auto& fake = ov2test::Fake();
  ASSERT_EQ(fake.commands.size(), 1u);
  EXPECT_EQ(fake.commands[0], "/opt/nodalux/MakeOV2_v1-1 makeov2.tmp \"" + output_.string() + "\"");
  EXPECT_EQ(fake.command_flags, 3);
  EXPECT_TRUE(fake.boxes.empty());
  EXPECT_EQ(ReadFile(symbol_), "BM default");
  EXPECT_FALSE(fs::exists("makeov2.tmp"));
  EXPECT_EQ(fake.list_lines,
            (std::vector<std::string>{"Running TomTom MakeOV2 utility",
                                      "Default symbol file copied to ... " + symbol_.string(),
                                      "2 points written"}));
  EXPECT_GE(fake.info_status_reads, 1);

  const std::string bytes = ReadFile(output_);
  ov2::Decoder decoder(std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
  std::vector<std::string> names;
  while (const auto poi = decoder.next()) names.emplace_back(poi->name);
  EXPECT_EQ(names, (std::vector<std::string>{"Kew", "Paris"}));
}

TEST_F(WriteOv2, SavingAgainReplacesOverlayAndKeepsTheUsersSymbol) {
  WriteFile(output_, "old overlay");
  WriteFile(symbol_, "BM mine");
  bool old_gone_before_run = false;
  ov2test::Fake().run_program = [&](const std::string& command) {
    old_gone_before_run = !fs::exists(output_);
    return RunConverterInProcess(command);
  };
  WRITE_OV2();
  EXPECT_TRUE(old_gone_before_run);
  EXPECT_NE(ReadFile(output_), "old overlay");
  EXPECT_EQ(ReadFile(symbol_), "BM mine");
  for (const auto& line : ov2test::Fake().list_lines) EXPECT_FALSE(line.starts_with("Default symbol"));
}

TEST_F(WriteOv2, FailedConverterIsReportedNotCountedAsWritten) {
  // Ran but wrote nothing; could not start; the old overlay could not be
  // removed, so what is there is not the new one.
  for (const auto& [status, delete_fails] : {std::pair{32, false}, {2, false}, {32, true}}) {
    SCOPED_TRACE(status);
    auto& fake = ov2test::Fake();
    fake = ov2test::FakeApp{};
    fake.run_program = [status](const std::string&) { return status; };
    if (delete_fails) fake.undeletable = output_.string();
    WriteFile(output_, "old overlay");
    WRITE_OV2();
    EXPECT_EQ(fs::exists(output_), delete_fails);
    EXPECT_FALSE(fs::exists(symbol_));
    EXPECT_FALSE(fs::exists("makeov2.tmp"));
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].title, "Converter Error");
    EXPECT_EQ(fake.boxes[0].text,
              "The OV2 file was not written:\r" + output_.string() + "\rMakeOV2_v1-1 failed.");
    EXPECT_EQ(fake.boxes[0].icon, 3);
    EXPECT_EQ(fake.list_lines, std::vector<std::string>{"Running TomTom MakeOV2 utility"});
  }
}

TEST_F(WriteOv2, TempFileThatCannotBeCreatedStopsTheSave) {
  fs::create_directory("makeov2.tmp");  // the name is taken by a folder
  WRITE_OV2();
  const auto& fake = ov2test::Fake();
  EXPECT_TRUE(fake.commands.empty());
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_EQ(fake.boxes[0].title, "File Error");
  EXPECT_EQ(fake.boxes[0].text, "Cannot create file:\r" + (dir_.path() / "makeov2.tmp").string());
  EXPECT_TRUE(fake.list_lines.empty());
}

}  // namespace
}  // namespace nodalux
