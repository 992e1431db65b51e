// Reading AutoRoute CSV files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/shared/program_state.h"
#include "app/shared/list_view.h"
#include "app/nodalux/poi_files.h"
#include "tests/app/shared/data_test_support.h"

namespace nodalux {
namespace {

using testing::BoxLine;
using testing::ScreenTest;
using testing::TextLine;

constexpr std::string_view kHeader = "Longitude,Latitude,Name\r\n";
const std::string kNotCsvText =
    "This file contains records that are\rnot in AutoRoute CSV format.\rPlease select a "
    "different file.";

class ReadCsv : public ScreenTest {
 protected:
  // Reads `bytes` as the chosen input file.
  bool Read(std::string_view bytes) {
    INPUT_FILE.assign(WriteTempFile("input.csv", bytes).string());
    return READ_CSV();
  }
  static std::string DataErrorText(std::string_view line) {
    return "Error reading POI record\r\rIn record: " + std::string(line) +
           "\rCorrect format is: Longitude, Latitude,\"Description\"";
  }
};

TEST_F(ReadCsv, HeaderOnlyOrEmptyFileReadsNothing) {
  for (const std::string_view bytes : {std::string_view("Longitude,Latitude,Name"),
                                       std::string_view("Longitude,Latitude,Name\r\n"),
                                       std::string_view("LongitudeAnything\n\n\n"),
                                       std::string_view("")}) {
    SCOPED_TRACE(bytes);
    testing::ResetProgramState();
    ForgetScreen();
    READ_COUNT = 5;
    Read(bytes);
    EXPECT_EQ(POI_COUNT, 0);
    EXPECT_EQ(READ_COUNT, 0);
    EXPECT_EQ(Screen(), std::vector<std::string>{TextLine(5, 20, "0 points read")});
    EXPECT_FALSE(QUIT_REQUESTED);
  }
}

// The file was not read: OPEN then puts INPUT_FILE back as it was.
TEST_F(ReadCsv, WrongHeaderIsAFormatErrorThatKeepsTheTable) {
  for (const std::string_view bytes :
       {std::string_view("longitude,latitude,name\n1,2,'a'\n"), std::string_view(" Longitude\n"),
        std::string_view(";Longitude\n"), std::string_view("\nLongitude\n"),
        std::string_view("Longitud"), std::string_view("\xEF\xBB\xBFLongitude\n")}) {
    SCOPED_TRACE(bytes);
    testing::ResetProgramState();
    ForgetScreen();
    POI_COUNT = 1;
    POI_TABLE.put(1, 0.0f, 0.0f, "kept");
    EXPECT_FALSE(Read(bytes));
    EXPECT_EQ(Screen(), (std::vector<std::string>{
                            BoxLine(0, 4, "File Format Error", kNotCsvText),
                            TextLine(5, 20, "  Error: Not in AutoRoute CSV format")}));
    EXPECT_EQ(INPUT_FILE.str(), TempFile("input.csv").string());
    EXPECT_EQ(POI_COUNT, 1);
    EXPECT_EQ(POI_TABLE[1].NAME.str(), "kept");
    EXPECT_EQ(READ_COUNT, 0);
    EXPECT_FALSE(QUIT_REQUESTED);
  }
}

struct RecordCase {
  const char* line;
  float longitude;
  float latitude;
  const char* name;
};

TEST_F(ReadCsv, RecordLinesInEveryAcceptedForm) {
  const RecordCase cases[] = {
      {"-0.12345,51.5,\"Kew, Gardens\"", -0.12345f, 51.5f, "Kew, Gardens"},
      {"1.5 52 'The Pub'", 1.5f, 52.0f, "The Pub"},
      {"   2 , 3 , \"padded\"   ", 2.0f, 3.0f, "padded"},
      {"1,2,Two words", 1.0f, 2.0f, "Two"},
      {"1,2,a/b", 1.0f, 2.0f, "a"},
      {"1,2,'it''s'", 1.0f, 2.0f, "it's"},
      {"1,2,\"say \"\"hi\"\"\"", 1.0f, 2.0f, "say \"hi\""},
      {"1,2,\"a/b, c\"", 1.0f, 2.0f, "a/b, c"},
      {"1.5D1,-2E-1,x", 15.0f, -0.2f, "x"},
      {"+3.,.5,x", 3.0f, 0.5f, "x"},
      {"1\t2\t'tabbed'", 1.0f, 2.0f, "tabbed"},
      {"2*7.25,'repeated'", 7.25f, 7.25f, "repeated"},
      {"1,2,\"x\",extra,values", 1.0f, 2.0f, "x"},
      {"1,2,\" lead\"", 1.0f, 2.0f, " lead"},
  };
  std::string file(kHeader);
  for (const RecordCase& c : cases) file.append(c.line).append("\r\n");
  Read(file);
  ASSERT_EQ(POI_COUNT, static_cast<int>(std::size(cases)));
  EXPECT_EQ(READ_COUNT, POI_COUNT);
  for (int i = 0; i < POI_COUNT; ++i) {
    SCOPED_TRACE(cases[i].line);
    EXPECT_EQ(POI_TABLE[i + 1].LONGITUDE, cases[i].longitude);
    EXPECT_EQ(POI_TABLE[i + 1].LATITUDE, cases[i].latitude);
    EXPECT_EQ(POI_TABLE[i + 1].NAME.str(), cases[i].name);
  }
  EXPECT_EQ(Screen(), std::vector<std::string>{TextLine(5, 20, "14 points read")});
}

TEST_F(ReadCsv, NullsAndSlashKeepWhatTheSlotHeld) {
  POI_TABLE.put(1, 10.0f, 20.0f, "old one");
  POI_TABLE.put(2, 11.0f, 21.0f, "old two");
  POI_TABLE.put(3, 12.0f, 22.0f, "old three");
  Read(std::string(kHeader) + ",5,'new'\n6/\n7,,,\n");
  ASSERT_EQ(POI_COUNT, 3);
  EXPECT_EQ(POI_TABLE[1].LONGITUDE, 10.0f);
  EXPECT_EQ(POI_TABLE[1].LATITUDE, 5.0f);
  EXPECT_EQ(POI_TABLE[1].NAME.str(), "new");
  EXPECT_EQ(POI_TABLE[2].LONGITUDE, 6.0f);
  EXPECT_EQ(POI_TABLE[2].LATITUDE, 21.0f);
  EXPECT_EQ(POI_TABLE[2].NAME.str(), "old two");
  EXPECT_EQ(POI_TABLE[3].LONGITUDE, 7.0f);
  EXPECT_EQ(POI_TABLE[3].LATITUDE, 22.0f);
  EXPECT_EQ(POI_TABLE[3].NAME.str(), "old three");
}

TEST_F(ReadCsv, CommentsAndEmptyLinesAreSkippedAndNotCounted) {
  Read(std::string(kHeader) + "\n\r\n;comment\n   ; indented comment\n1,2,'a'\n\n3,4,'b'");
  EXPECT_EQ(POI_COUNT, 2);
  EXPECT_EQ(READ_COUNT, 2);
  EXPECT_EQ(POI_TABLE[2].NAME.str(), "b");  // the last line needs no line feed
  EXPECT_EQ(Screen(), std::vector<std::string>{TextLine(5, 20, "2 points read")});
}

TEST_F(ReadCsv, AppendsAfterTheRecordsAlreadyLoaded) {
  POI_COUNT = 2;
  POI_TABLE.put(2, 0.0f, 0.0f, "earlier");
  READ_COUNT = 0;
  Read(std::string(kHeader) + "1,2,'a'\n3,4,'b'\n5,6,'c'\n");
  EXPECT_EQ(POI_COUNT, 5);
  EXPECT_EQ(READ_COUNT, 3);
  EXPECT_EQ(POI_TABLE[2].NAME.str(), "earlier");
  EXPECT_EQ(POI_TABLE[3].NAME.str(), "a");
  EXPECT_EQ(POI_TABLE[5].NAME.str(), "c");
}

TEST_F(ReadCsv, UnreadableLineStopsWithDataErrorAndIsNotCounted) {
  const char* bad_lines[] = {
      "   ",               // only blanks
      "1.0,2.0",           // no name
      "abc,1,'x'",         // not a number
      "  1.0,north,'x'",   // quoted with its leading blanks
      "\t;not a comment",  // a tab does not make a comment
      "1,2,",              // a null name is fine, a missing one is not
      // A semicolon separates nothing here, and a number has one sign,
      // although gfortran would read 13 and 40495 from the first, and the
      // name "semi" from the second.
      "13,40495;52,52001;Berlin",
      "1,2,semi;colon",
      "+-5,1,'x'",
      "1,+-5,'x'",
  };
  for (const char* bad : bad_lines) {
    SCOPED_TRACE(bad);
    testing::ResetProgramState();
    ForgetScreen();
    Read(std::string(kHeader) + "1,2,'good'\n" + bad + "   \r\n3,4,'never read'\n");
    EXPECT_EQ(Screen(), std::vector<std::string>{
                            BoxLine(0, 3, "Data Error", DataErrorText(zarv::Trimmed(bad)))});
    EXPECT_TRUE(QUIT_REQUESTED);
    EXPECT_EQ(POI_COUNT, 1);
    EXPECT_EQ(READ_COUNT, 1);
    EXPECT_EQ(POI_TABLE[1].NAME.str(), "good");
  }
}

TEST_F(ReadCsv, LongNamesAndLongLinesAreCut) {
  const std::string name200(200, 'n');
  const std::string padded_line = "1,2,'short'" + std::string(250, ' ') + "tail beyond 256";
  const std::string cut_name = "3,4,'" + std::string(251, 'q') + "lost'";  // 256 characters kept
  Read(std::string(kHeader) + "5,6,\"" + name200 + "\"\n" + padded_line + "\n" + cut_name + "\n");
  ASSERT_EQ(POI_COUNT, 3);
  EXPECT_EQ(POI_TABLE[1].NAME.str(), std::string(128, 'n'));
  EXPECT_EQ(POI_TABLE[2].NAME.str(), "short");
  EXPECT_EQ(POI_TABLE[2].LATITUDE, 2.0f);
  // The closing quote lies beyond character 256: the name runs to the cut.
  EXPECT_EQ(POI_TABLE[3].NAME.str(), std::string(128, 'q'));
  EXPECT_FALSE(QUIT_REQUESTED);
}

TEST_F(ReadCsv, StorageLimitStopsAtTheLastFreeSlot) {
  POI_COUNT = MAX_POI - 1;
  Read(std::string(kHeader) + "1,2,'fits'\n;comment\n3,4,'one too many'\n5,6,'c'\n");
  EXPECT_EQ(POI_COUNT, MAX_POI);
  EXPECT_EQ(READ_COUNT, 1);
  EXPECT_EQ(POI_TABLE[MAX_POI].NAME.str(), "fits");
  EXPECT_TRUE(QUIT_REQUESTED);
  EXPECT_EQ(Screen(), std::vector<std::string>{BoxLine(
                          0, 4, "Storage limit", "Too many POI entries in file.\rMaximum is 30000")});
}

TEST_F(ReadCsv, FullTableStillSkipsCommentsWithoutComplaint) {
  POI_COUNT = MAX_POI;
  Read(std::string(kHeader) + ";only a comment\n\n");
  EXPECT_FALSE(QUIT_REQUESTED);
  EXPECT_EQ(Screen(), std::vector<std::string>{TextLine(5, 20, "0 points read")});
}

// A file far larger than memory is read as far as it needs to be, through
// one buffer: here 64 GiB, sparse, with 30001 records first.
TEST_F(ReadCsv, AHugeFileMeetsTheStorageLimitFirst) {
  std::string csv(kHeader);
  for (int i = 0; i <= MAX_POI; ++i) csv += "1.5,52.25,'POI " + std::to_string(i) + "'\n";
  const auto path = WriteTempFile("huge.csv", csv);
  std::filesystem::resize_file(path, std::uintmax_t{64} << 30);
  INPUT_FILE.assign(path.string());
  EXPECT_TRUE(READ_CSV());
  EXPECT_EQ(POI_COUNT, MAX_POI);
  EXPECT_EQ(READ_COUNT, MAX_POI);
  EXPECT_EQ(POI_TABLE[MAX_POI].NAME.str(), "POI 29999");
  EXPECT_EQ(Screen(), std::vector<std::string>{BoxLine(
                          0, 4, "Storage limit", "Too many POI entries in file.\rMaximum is 30000")});
  EXPECT_TRUE(QUIT_REQUESTED);
}

TEST_F(ReadCsv, FileThatCannotBeOpenedIsNamedAndChangesNothing) {
  for (const std::string& path : {TempFile("missing.csv").string(), temp_dir_.string()}) {
    SCOPED_TRACE(path);
    testing::ResetProgramState();
    ForgetScreen();
    POI_COUNT = 1;
    READ_COUNT = 0;
    INPUT_FILE.assign(path);
    EXPECT_FALSE(READ_CSV());
    EXPECT_EQ(Screen(),
              std::vector<std::string>{BoxLine(0, 3, "File Error", "Cannot open file:\r" + path)});
    EXPECT_EQ(POI_COUNT, 1);
    EXPECT_EQ(READ_COUNT, 0);
    EXPECT_EQ(INPUT_FILE.str(), path);
    EXPECT_FALSE(QUIT_REQUESTED);
  }
}

}  // namespace
}  // namespace nodalux
