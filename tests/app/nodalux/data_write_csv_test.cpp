// Writing the group as AutoRoute CSV, and reading it back.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "app/shared/program_state.h"
#include "app/nodalux/poi_files.h"
#include "tests/app/shared/data_test_support.h"
#include "toolkit/os/faulty_os.h"

namespace nodalux {
namespace {

using testing::BoxLine;
using testing::ScreenTest;
using testing::TextLine;

class WriteCsv : public ScreenTest {
 protected:
  void AddToGroup(float lon, float lat, std::string_view name) {
    GROUP_TABLE.put(++GROUP_COUNT, lon, lat, name);
  }
  std::string Write() {
    OUTPUT_FILE.assign(TempFile("output.csv").string());
    WRITE_CSV();
    return ReadFileBytes(TempFile("output.csv"));
  }
};

TEST_F(WriteCsv, WritesHeaderAndRecordsByteForByte) {
  AddToGroup(-0.1234567f, 51.5f, "Kew");
  AddToGroup(0.0f, 0.0f, "");
  AddToGroup(-180.0f, 90.0f, " leading blank   ");
  AddToGroup(1.000005f, -0.000004f, "Pub, \"The Swan\"");
  AddToGroup(123456.0f, -99999.99f, "too wide");
  EXPECT_EQ(Write(),
            "Longitude,Latitude,Name\r\n"
            "-0.12346,51.50000,\"Kew\"\r\n"
            "0.00000,0.00000,\"\"\r\n"
            "-180.00000,90.00000,\" leading blank\"\r\n"
            "1.00001,-0.00000,\"Pub, \"\"The Swan\"\"\"\r\n"
            "**********,**********,\"too wide\"\r\n");
  EXPECT_EQ(Screen(), std::vector<std::string>{TextLine(5, 20, "5 points written")});
}

TEST_F(WriteCsv, EmptyGroupWritesTheHeaderAlone) {
  EXPECT_EQ(Write(), "Longitude,Latitude,Name\r\n");
  EXPECT_EQ(Screen(), std::vector<std::string>{TextLine(5, 20, "0 points written")});
}

TEST_F(WriteCsv, ReplacesALongerExistingFile) {
  WriteTempFile("output.csv", std::string(1000, 'z'));
  AddToGroup(1.0f, 2.0f, "a");
  EXPECT_EQ(Write(), "Longitude,Latitude,Name\r\n1.00000,2.00000,\"a\"\r\n");
}

TEST_F(WriteCsv, FileThatCannotBeCreatedIsNamedAndNothingIsCounted) {
  AddToGroup(1.0f, 2.0f, "a");
  const std::string path = (temp_dir_ / "no such folder" / "out.csv").string();
  OUTPUT_FILE.assign(path);
  WRITE_CSV();
  EXPECT_EQ(Screen(), std::vector<std::string>{BoxLine(
                          0, 3, "File Error", "Cannot create file:\r" + path + "\rNo such file or directory")});
  EXPECT_FALSE(std::filesystem::exists(path));
}

// A disk that fills up, or any other failure of a call the save makes, at
// every point in turn: the old file stays whole, nothing else is left
// behind, and the message names the file and says why.
TEST_F(WriteCsv, AFailedSaveLeavesTheOldFileWhole) {
  for (int i = 0; i < 3000; ++i) AddToGroup(1.0f, 2.0f, "filler " + std::to_string(i));  // several chunks
  const std::string path = TempFile("output.csv").string();
  OUTPUT_FILE.assign(path);
  zarv::os::FaultyOs faulty;
  int failures = 0;
  for (const zarv::os::Call call : {zarv::os::Call::kStat, zarv::os::Call::kMakeTemp, zarv::os::Call::kWrite,
                                    zarv::os::Call::kChmod, zarv::os::Call::kSync, zarv::os::Call::kClose,
                                    zarv::os::Call::kRename}) {
    for (int nth = 1;; ++nth) {
      WriteTempFile("output.csv", "the user's old file");
      faulty.reset();
      faulty.fail(call, nth, ENOSPC, true);
      ForgetScreen();
      {
        zarv::os::DoorScope scope(faulty);
        WRITE_CSV();
      }
      if (!faulty.fired()) break;
      ++failures;
      SCOPED_TRACE(::testing::Message() << "call kind " << static_cast<int>(call) << " #" << nth);
      EXPECT_EQ(ReadFileBytes(path), "the user's old file");
      ASSERT_EQ(Screen().size(), 1u);
      EXPECT_TRUE(Screen()[0].starts_with("box 0 3 1 \"File Error\" \"Cannot "));
      EXPECT_NE(Screen()[0].find(path + "\\rNo space left on device"), std::string::npos) << Screen()[0];
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp_dir_), std::filesystem::directory_iterator()), 1);
    }
  }
  EXPECT_GE(failures, 7);
}

// The longest names a folder takes save: the temporary file the save
// writes first has a short name of its own beside them.
TEST_F(WriteCsv, NamesOf249To255BytesSave) {
  AddToGroup(1.0f, 2.0f, "a");
  const std::filesystem::path old_folder = std::filesystem::current_path();
  std::filesystem::current_path(temp_dir_);
  for (std::size_t length = 249; length <= 255; ++length) {
    const std::string name = std::string(length - 4, 'n') + ".csv";
    OUTPUT_FILE.assign(name);
    ForgetScreen();
    WRITE_CSV();
    ASSERT_EQ(Screen().size(), 1u);
    EXPECT_TRUE(Screen()[0].ends_with("\"1 points written\"")) << length;
    EXPECT_EQ(ReadFileBytes(temp_dir_ / name), "Longitude,Latitude,Name\r\n1.00000,2.00000,\"a\"\r\n");
  }
  std::filesystem::current_path(old_folder);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp_dir_), std::filesystem::directory_iterator()), 7);
}

TEST_F(WriteCsv, ADeviceOrAPipeIsNeverWritten) {
  AddToGroup(1.0f, 2.0f, "a");
  OUTPUT_FILE.assign("/dev/full");
  WRITE_CSV();
  EXPECT_EQ(Screen(), std::vector<std::string>{BoxLine(0, 3, "File Error",
                                                       "Cannot write to a device:\r/dev/full\rOnly a file can hold POI.")});
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST_F(WriteCsv, ReadsBackWhole) {
  AddToGroup(-0.1234567f, 51.5f, "Kew");
  AddToGroup(179.999996f, -89.123454f, "name, with a comma");
  AddToGroup(2.0f, 3.0f, "say \"hi\", then /go/");
  AddToGroup(4.0f, 5.0f, "it's");
  AddToGroup(6.0f, 7.0f, std::string(128, 'm'));
  AddToGroup(8.0f, 9.0f, "  ");
  Write();

  POI_COUNT = 0;
  INPUT_FILE.assign(OUTPUT_FILE);
  READ_CSV();
  ASSERT_EQ(POI_COUNT, GROUP_COUNT);
  const float rounded[][2] = {{-0.12346f, 51.5f}, {180.0f, -89.12345f}, {2, 3},
                              {4, 5},             {6, 7},               {8, 9}};
  for (int i = 1; i <= POI_COUNT; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(POI_TABLE[i].LONGITUDE, rounded[i - 1][0]);
    EXPECT_EQ(POI_TABLE[i].LATITUDE, rounded[i - 1][1]);
    EXPECT_EQ(POI_TABLE[i].NAME, GROUP_TABLE[i].NAME);
  }
  EXPECT_FALSE(QUIT_REQUESTED);
}

}  // namespace
}  // namespace nodalux
