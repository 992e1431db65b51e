// The CSV reader on random and mutated input: never a crash, the tables
// stay within bounds and the counts agree.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/formats/csv_record.h"
#include "app/nodalux/poi_files.h"
#include "app/shared/program_state.h"
#include "tests/app/nodalux/data_read_csv_fuzz.h"
#include "tests/app/shared/data_test_support.h"
#include "toolkit/core/text.h"

namespace nodalux {
namespace {

using testing::FuzzCsvReader;
using testing::FuzzCsvRecordPaths;
using testing::FuzzReadCsv;
using testing::ScreenTest;

const std::string kSeeds[] = {
    "Longitude,Latitude,Name\r\n-0.12345,51.5,\"Kew, Gardens\"\r\n1.5 52 'The Pub'\r\n",
    "Longitude,Latitude,Name\n;comment\n\n2*1.5,'x'\n,5,'n'\n6/\n7,,,\n1.5D1,-2E-1,x\n",
    "Longitude\n1,2,\"say \"\"hi\"\"\"\n1,2,'it''s'\n   \n",
    "",
};

// Characters that steer the list-directed grammar.
constexpr std::string_view kInteresting = ",/*'\" \t\r\n;.-+EeDd0123456789LongitudeN";

std::string Mutate(std::string input, std::mt19937& random) {
  const int edits = 1 + static_cast<int>(random() % 8);
  for (int e = 0; e < edits; ++e) {
    const std::size_t at = input.empty() ? 0 : random() % (input.size() + 1);
    const char pick = random() % 2 ? kInteresting[random() % kInteresting.size()]
                                   : static_cast<char>(random() % 256);
    switch (random() % 5) {
      case 0:
        input.insert(at, 1, pick);
        break;
      case 1:
        if (at < input.size()) input[at] = pick;
        break;
      case 2:
        if (at < input.size()) input.erase(at, 1 + random() % 8);
        break;
      case 3:
        input.insert(at, std::string(1 + random() % 300, pick));
        break;
      default:
        input.resize(at);
        break;
    }
  }
  return input;
}

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

using ReadCsvFuzz = ScreenTest;

TEST_F(ReadCsvFuzz, MutatedFilesNeverBreakTheTables) {
  std::mt19937 random(20050307);
  for (int round = 0; round < 1500; ++round) {
    std::string input = kSeeds[random() % std::size(kSeeds)];
    input = Mutate(input, random);
    const std::int32_t preloaded = random() % 4 == 0 ? MAX_POI - static_cast<int>(random() % 3)
                                                     : static_cast<int>(random() % 5);
    FuzzReadCsv(Bytes(input), TempFile("fuzz.csv"), preloaded);
    if (HasFatalFailure()) {
      ADD_FAILURE() << "input: " << ::testing::PrintToString(input);
      return;
    }
  }
}

TEST_F(ReadCsvFuzz, RandomBytesNeverBreakTheTables) {
  std::mt19937 random(1234);
  for (int round = 0; round < 500; ++round) {
    std::string input = round % 2 ? "Longitude\n" : "";
    const std::size_t size = random() % 600;
    for (std::size_t i = 0; i < size; ++i) input.push_back(static_cast<char>(random() % 256));
    FuzzReadCsv(Bytes(input), TempFile("fuzz.csv"), static_cast<int>(random() % 3));
    if (HasFatalFailure()) {
      ADD_FAILURE() << "input: " << ::testing::PrintToString(input);
      return;
    }
  }
}

// The format library alone, on the same inputs, whole and in small chunks.
TEST(CsvReaderFuzz, AnyChunkingReadsTheSame) {
  std::mt19937 random(77);
  for (int round = 0; round < 2000; ++round) {
    const std::string input = Mutate(kSeeds[random() % std::size(kSeeds)], random);
    FuzzCsvReader(Bytes(input).data(), input.size());
    if (::testing::Test::HasFatalFailure()) {
      ADD_FAILURE() << "input: " << ::testing::PrintToString(input);
      return;
    }
  }
}

// The fast path of the record grammar against the general one.
TEST(CsvReaderFuzz, FastAndGeneralPathsAgree) {
  const std::string lines[] = {
      "-0.12345,51.5,\"Kew, Gardens\"", "1.5 52 'The Pub'", "2 , 3 , \"padded\"", "1,2,a/b",
      "+3.,.5,x", "1.5e1,-2E-1,\"\"", "179.99999,-89.123456789,\"many digits\"", "1,2,Two words",
  };
  std::mt19937 random(99);
  int taken = 0;
  for (int round = 0; round < 40000; ++round) {
    const std::string input = Mutate(lines[random() % std::size(lines)], random);
    formats::CsvRecord ignored;
    taken += formats::ReadPlainCsvRecord(zarv::LeftTrimmed(input), &ignored) ? 1 : 0;
    FuzzCsvRecordPaths(Bytes(input).data(), input.size());
    if (::testing::Test::HasFatalFailure()) return;
  }
  EXPECT_GT(taken, 4000);  // the fast path was really tried
}

}  // namespace
}  // namespace nodalux
