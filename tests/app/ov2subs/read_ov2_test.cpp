// READ_OV2: what each kind of record, damaged or not, leaves in the POI
// table and what the user is told on the screen.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "app/shared/program_state.h"
#include "app/nodalux/poi_files.h"
#include "app/ov2subs/ov2_files.h"
#include "app/ov2subs/ov2_reader.h"
#include "tests/app/ov2subs/ov2_bytes.h"
#include "tests/app/ov2subs/ov2_screen_test.h"

namespace nodalux {
namespace {

using testing::BoxLine;
using testing::ResetProgramState;
using ov2test::Nul;
using ov2test::Ov2Bytes;

struct Expected {
  std::int32_t lon, lat;
  std::string name;
};

struct Case {
  const char* what;
  std::vector<unsigned char> bytes;
  std::vector<Expected> pois;
  std::string box_text;  // empty: no message box
};

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

std::vector<Case> Cases() {
  return {
      {"empty file", {}, {}, ""},
      {"one POI", Ov2Bytes().poi(-12345, 5150000, "Kew" + Nul()).bytes(), {{-12345, 5150000, "Kew"}}, ""},
      {"extended POI keeps only its name",
       Ov2Bytes().poi(100, 200, "Pub" + Nul() + "ID42" + Nul() + "more text" + Nul(), 3).bytes(),
       {{100, 200, "Pub"}}, ""},
      {"deleted record of length 5 is five bytes",
       Ov2Bytes().deleted(5, "").poi(1, 2, "A" + Nul()).bytes(), {{1, 2, "A"}}, ""},
      {"deleted record skips its body",
       Ov2Bytes().deleted(9, "\x07\x07\x07\x07").poi(1, 2, "A" + Nul()).bytes(), {{1, 2, "A"}}, ""},
      {"deleted record with a negative length takes no body",
       Ov2Bytes().deleted(INT_MIN, "").poi(1, 2, "A" + Nul()).bytes(), {{1, 2, "A"}}, ""},
      {"skipper is 21 bytes whatever it says",
       Ov2Bytes().skipper(-7, 9, 9, 9, 9).poi(3, 4, "B" + Nul()).bytes(), {{3, 4, "B"}}, ""},
      {"length 13 means no name",
       Ov2Bytes().poi_with_length(2, 13, 5, 6, "").poi(7, 8, "C" + Nul()).bytes(),
       {{5, 6, ""}, {7, 8, "C"}}, ""},
      {"length below 13 still reads the coordinates",
       Ov2Bytes().poi_with_length(2, INT_MIN, 5, 6, "").poi(7, 8, "C" + Nul()).bytes(),
       {{5, 6, ""}, {7, 8, "C"}}, ""},
      {"name of 127 bytes is kept whole",
       Ov2Bytes().poi(1, 1, Repeat('x', 127) + Nul()).bytes(), {{1, 1, Repeat('x', 127)}}, ""},
      {"name of 128 bytes keeps its 128 bytes",
       Ov2Bytes().poi(1, 1, Repeat('y', 128) + Nul()).bytes(), {{1, 1, Repeat('y', 128)}}, ""},
      {"longer name is cut and the next record is found",
       Ov2Bytes().poi(1, 1, Repeat('z', 300) + Nul()).poi(2, 2, "D" + Nul()).bytes(),
       {{1, 1, Repeat('z', 128)}, {2, 2, "D"}}, ""},
      {"name without its NUL", Ov2Bytes().poi(1, 1, "Kew").bytes(), {{1, 1, "Kew"}}, ""},
      {"name bytes are taken as they are",
       Ov2Bytes().poi(1, 1, "Caf\xE9\t1" + Nul()).bytes(), {{1, 1, "Caf\xE9\t1"}}, ""},
      {"type 4 stops reading, records before it stay",
       Ov2Bytes().poi(1, 1, "E" + Nul()).byte(4).poi(2, 2, "F" + Nul()).bytes(), {{1, 1, "E"}},
       "Unsupported record type: 4\rPlease inform the author"},
      {"type 12", Ov2Bytes().byte(12).byte(77).byte(78).bytes(), {},
       "Unsupported record type:12\rPlease inform the author"},
      {"type 255 is -1", Ov2Bytes().byte(255).bytes(), {},
       "Unsupported record type:-1\rPlease inform the author"},
      {"type 200 does not fit two characters", Ov2Bytes().byte(200).bytes(), {},
       "Unsupported record type:**\rPlease inform the author"},
      {"record cut in its name is left out",
       Ov2Bytes().poi(1, 1, "G" + Nul()).poi_with_length(2, 100, 2, 2, "Hal").bytes(), {{1, 1, "G"}}, ""},
      {"huge length is not trusted",
       Ov2Bytes().poi_with_length(2, INT_MAX, 2, 2, "Hal" + Nul()).bytes(), {}, ""},
      {"deleted record longer than the file",
       Ov2Bytes().poi(1, 1, "G" + Nul()).deleted(INT_MAX, "xx").bytes(), {{1, 1, "G"}}, ""},
      {"cut skipper", Ov2Bytes().poi(1, 1, "G" + Nul()).byte(1).int32(21).bytes(), {{1, 1, "G"}}, ""},
  };
}

class ReadOv2 : public testing::Ov2ScreenTest {};

TEST_F(ReadOv2, RecordsAndDamage) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    ResetProgramState();
    ForgetScreen();
    POI_COUNT = 2;  // appends after what is there
    AppendOv2Records(c.bytes);

    ASSERT_EQ(POI_COUNT, 2 + static_cast<int>(c.pois.size()));
    EXPECT_EQ(READ_COUNT, static_cast<int>(c.pois.size()));
    for (std::size_t i = 0; i < c.pois.size(); ++i) {
      const POI_RECORD& poi = POI_TABLE[3 + i];
      EXPECT_EQ(poi.LONGITUDE, static_cast<float>(c.pois[i].lon * 0.00001));
      EXPECT_EQ(poi.LATITUDE, static_cast<float>(c.pois[i].lat * 0.00001));
      EXPECT_EQ(poi.NAME.trimmed(), c.pois[i].name);
    }
    // The reader writes no list-view line of its own; OPEN does that.
    if (c.box_text.empty()) {
      EXPECT_EQ(Screen(), std::vector<std::string>{});
      EXPECT_FALSE(QUIT_REQUESTED);
    } else {
      EXPECT_EQ(Screen(), std::vector<std::string>{BoxLine(0, 4, "Vexilo Error", c.box_text)});
      EXPECT_TRUE(QUIT_REQUESTED);
    }
  }
}

TEST_F(ReadOv2, KewCoordinates) {
  AppendOv2Records(Ov2Bytes().poi(-12345, 5150000, "Kew" + Nul()).bytes());
  EXPECT_FLOAT_EQ(POI_TABLE[1].LONGITUDE, -0.12345f);
  EXPECT_EQ(POI_TABLE[1].LATITUDE, 51.5f);
}

TEST_F(ReadOv2, StorageLimitCountsOnlyStoredPoi) {
  POI_COUNT = MAX_POI - 1;
  AppendOv2Records(Ov2Bytes().poi(1, 1, "Last" + Nul()).poi(2, 2, "Spare" + Nul()).bytes());
  EXPECT_EQ(POI_COUNT, MAX_POI);
  EXPECT_EQ(READ_COUNT, 1);
  EXPECT_EQ(POI_TABLE[MAX_POI].NAME.trimmed(), "Last");
  EXPECT_EQ(Screen(), std::vector<std::string>{BoxLine(
                          0, 4, "Storage limit", "Too many POI entries in file.\rMaximum is 30000")});
  EXPECT_TRUE(QUIT_REQUESTED);
}

TEST_F(ReadOv2, EveryTruncationKeepsTheRecordsBeforeTheCut) {
  const auto file = Ov2Bytes()
                        .skipper(80, 3, 3, 1, 1)
                        .poi(1, 1, "One" + Nul())
                        .deleted(7, "..")
                        .poi(2, 2, "Two" + Nul() + "x" + Nul(), 3)
                        .poi(3, 3, "Three" + Nul())
                        .bytes();
  const std::vector<std::size_t> record_ends = {38, 64, 83};  // end of each POI record
  for (std::size_t cut = 0; cut <= file.size(); ++cut) {
    SCOPED_TRACE(cut);
    ResetProgramState();
    AppendOv2Records(std::span(file).first(cut));
    int expected = 0;
    for (std::size_t end : record_ends) expected += end <= cut ? 1 : 0;
    EXPECT_EQ(READ_COUNT, expected);
    EXPECT_EQ(POI_COUNT, expected);
  }
  EXPECT_EQ(file.size(), record_ends.back());
  EXPECT_EQ(Screen(), std::vector<std::string>{});
}

TEST_F(ReadOv2, ReadsTheNamedFile) {
  const auto path = WriteTempFile("my pois.ov2", [] {
    const auto bytes = Ov2Bytes().poi(-12345, 5150000, "Kew" + Nul()).bytes();
    return std::string(bytes.begin(), bytes.end());
  }());
  READ_COUNT = 7;
  INPUT_FILE.assign(path.string());
  READ_OV2();
  EXPECT_EQ(READ_COUNT, 1);
  EXPECT_EQ(POI_COUNT, 1);
  EXPECT_EQ(POI_TABLE[1].NAME.trimmed(), "Kew");
  EXPECT_EQ(Screen(), std::vector<std::string>{});
}

// 64 GiB of OV2, sparse after its first 30001 POI: the storage limit comes
// first, and the file is read through one buffer.
TEST_F(ReadOv2, AHugeFileMeetsTheStorageLimitFirst) {
  Ov2Bytes file;
  for (int i = 0; i <= MAX_POI; ++i) file.poi(i, -i, "POI " + std::to_string(i) + Nul());
  const auto bytes = file.bytes();
  const auto path = WriteTempFile("huge.ov2", std::string(bytes.begin(), bytes.end()));
  std::filesystem::resize_file(path, std::uintmax_t{64} << 30);
  INPUT_FILE.assign(path.string());
  EXPECT_TRUE(READ_OV2());
  EXPECT_EQ(POI_COUNT, MAX_POI);
  EXPECT_EQ(POI_TABLE[MAX_POI].NAME.trimmed(), "POI 29999");
  EXPECT_EQ(Screen(), std::vector<std::string>{BoxLine(
                          0, 4, "Storage limit", "Too many POI entries in file.\rMaximum is 30000")});
}

TEST_F(ReadOv2, MissingFileIsNamedAndNothingChanges) {
  for (const auto& path : {TempFile("gone.ov2"), temp_dir_}) {  // a folder cannot be read either
    SCOPED_TRACE(path);
    ResetProgramState();
    ForgetScreen();
    POI_COUNT = 5;
    READ_COUNT = 9;
    INPUT_FILE.assign(path.string());
    READ_OV2();
    EXPECT_EQ(POI_COUNT, 5);
    EXPECT_EQ(READ_COUNT, 0);
    EXPECT_FALSE(QUIT_REQUESTED);
    EXPECT_EQ(Screen(), std::vector<std::string>{
                            BoxLine(0, 3, "File Error", "Cannot open file:\r" + path.string())});
  }
}

}  // namespace
}  // namespace nodalux
