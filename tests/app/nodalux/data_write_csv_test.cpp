// Writing the group as AutoRoute CSV, and reading it back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/nodalux/app_state.h"
#include "app/nodalux/poi_data.h"
#include "app/nodalux/poi_files.h"
#include "tests/app/nodalux/data_test_support.h"

namespace nodalux {
namespace {

using testing::BoxLine;
using testing::ScreenTest;
using testing::TextLine;

class WriteCsv : public ScreenTest {
 protected:
  void AddToGroup(float lon, float lat, std::string_view name) {
    POI_RECORD& poi = GROUP_TABLE[++GROUP_COUNT];
    poi.LONGITUDE = lon;
    poi.LATITUDE = lat;
    poi.NAME.assign(name);
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
  EXPECT_EQ(Screen(),
            std::vector<std::string>{BoxLine(0, 3, "File Error", "Cannot create file:\r" + path)});
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(WriteCsv, FullDiskIsReportedNotCounted) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  for (int i = 0; i < 2000; ++i) AddToGroup(1.0f, 2.0f, "filler");
  OUTPUT_FILE.assign("/dev/full");
  WRITE_CSV();
  EXPECT_EQ(Screen(), std::vector<std::string>{
                          BoxLine(0, 3, "File Error", "Cannot write file:\r/dev/full")});
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
