// Round trips between the writer's temporary file, our converter, the
// reader, and GPSBabel as an independent implementation of the format.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>

#include "app/shared/program_state.h"
#include "app/nodalux/poi_files.h"
#include "app/formats/temp_file.h"
#include "app/ov2subs/ov2_files.h"
#include "tests/app/ov2subs/ov2_screen_test.h"
#include "tests/app/ov2subs/temp_dir.h"
#include "tests/tools/makeov2/makeov2_cpp.h"

namespace nodalux {
namespace {

std::vector<POI_RECORD> RandomGroup(std::size_t count) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> lon(-180.0f, 180.0f), lat(-90.0f, 90.0f);
  std::vector<POI_RECORD> group(count);
  for (std::size_t i = 0; i < count; ++i) {
    group[i].LONGITUDE = lon(random);
    group[i].LATITUDE = lat(random);
    group[i].NAME.assign("POI " + std::to_string(i) + (i % 7 == 0 ? ", with comma" : ""));
  }
  return group;
}

void ExpectSameSet(std::vector<POI_RECORD> a, std::vector<POI_RECORD> b, float tolerance) {
  const auto by_name = [](const POI_RECORD& x, const POI_RECORD& y) { return x.NAME.view() < y.NAME.view(); };
  std::sort(a.begin(), a.end(), by_name);
  std::sort(b.begin(), b.end(), by_name);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    ASSERT_EQ(a[i].NAME.trimmed(), b[i].NAME.trimmed());
    EXPECT_NEAR(a[i].LONGITUDE, b[i].LONGITUDE, tolerance) << a[i].NAME.trimmed();
    EXPECT_NEAR(a[i].LATITUDE, b[i].LATITUDE, tolerance) << a[i].NAME.trimmed();
  }
}

// Round trips run in a temporary folder with the main window open, so that
// any message the reader shows is seen.
class Ov2RoundTrip : public testing::Ov2ScreenTest {
 protected:
  // Reads an OV2 file through READ_OV2 into a fresh table.
  std::vector<POI_RECORD> ReadBack(const std::string& path) {
    testing::ResetProgramState();
    INPUT_FILE.assign(path);
    READ_OV2();
    EXPECT_EQ(Screen(), std::vector<std::string>{});
    std::vector<POI_RECORD> read;
    for (std::int32_t i = 1; i <= POI_COUNT; ++i) read.push_back(std::as_const(POI_TABLE)[i]);
    return read;
  }
};
using Ov2GpsBabel = Ov2RoundTrip;

// The writer's temporary file for `group`.
std::string TempText(const std::vector<POI_RECORD>& group) {
  std::string text(formats::kTempFileHeader);
  for (const POI_RECORD& poi : group) formats::AppendTempRecord(text, poi.LONGITUDE, poi.LATITUDE, poi.NAME.view());
  formats::AppendTempTrailer(text, static_cast<long long>(group.size()));
  return text;
}

// Converts the writer's temporary file with our converter.
void ConvertGroup(const std::vector<POI_RECORD>& group, const std::string& output) {
  std::string errors;
  const std::string text = TempText(group);
  formats::MemorySource input(text);
  ASSERT_EQ(makeov2::Convert("makeov2.tmp", input, output, &errors), makeov2::kOk);
  EXPECT_EQ(errors, "");
}

TEST_F(Ov2RoundTrip, WriterConverterReaderKeepEveryPoi) {
  const auto group = RandomGroup(1500);
  ConvertGroup(group, "out.ov2");
  // F10.5 in the temp file, whole 1/100000 degrees in the file, float in the
  // table: off by at most half a unit and a float's rounding.
  ExpectSameSet(group, ReadBack("out.ov2"), 0.000006f + 0.00002f);
}

bool HaveGpsBabel() { return std::system("command -v gpsbabel >/dev/null 2>&1") == 0; }

std::string RunCapture(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::string out;
  char buffer[4096];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
  return out;
}

// One CSV field, quoted or not; moves `at` past it and its comma.
std::string CsvField(const std::string& line, std::size_t& at) {
  std::string field;
  if (at < line.size() && line[at] == '"') {
    for (++at; at < line.size(); ++at) {
      if (line[at] == '"' && at + 1 < line.size() && line[at + 1] == '"') {
        field += '"';
        ++at;
      } else if (line[at] == '"') {
        ++at;
        break;
      } else {
        field += line[at];
      }
    }
  } else {
    while (at < line.size() && line[at] != ',' && line[at] != '\r' && line[at] != '\n') field += line[at++];
  }
  if (at < line.size() && line[at] == ',') ++at;
  return field;
}

TEST_F(Ov2GpsBabel, ReaderTakesGpsBabelFilesWithSkippers) {
  if (!HaveGpsBabel()) GTEST_SKIP() << "gpsbabel is not installed";
  const auto group = RandomGroup(1200);
  std::string csv = "lat,lon,name\n";
  char line[256];
  for (const auto& poi : group) {
    std::snprintf(line, sizeof line, "%.5f,%.5f,\"%s\"\n", poi.LATITUDE, poi.LONGITUDE, poi.NAME.str().c_str());
    csv += line;
  }
  ov2test::WriteFile("in.csv", csv);
  ASSERT_EQ(std::system("gpsbabel -i unicsv -f in.csv -o tomtom -F babel.ov2"), 0);
  const std::string bytes = ov2test::ReadFile("babel.ov2");
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes[0], '\x01') << "expected GPSBabel to write skipper records";
  ExpectSameSet(group, ReadBack("babel.ov2"), 0.00003f);
}

TEST_F(Ov2GpsBabel, GpsBabelReadsOurConverterOutput) {
  if (!HaveGpsBabel()) GTEST_SKIP() << "gpsbabel is not installed";
  const auto group = RandomGroup(1200);
  ConvertGroup(group, "ours.ov2");
  std::istringstream csv(RunCapture("gpsbabel -i tomtom -f ours.ov2 -o unicsv -F -"));
  std::string header, line;
  std::getline(csv, header);
  ASSERT_TRUE(header.starts_with("No,Latitude,Longitude,Name")) << header;
  std::vector<POI_RECORD> seen;
  while (std::getline(csv, line)) {
    std::size_t at = 0;
    CsvField(line, at);
    POI_RECORD poi;
    poi.LATITUDE = std::stof(CsvField(line, at));
    poi.LONGITUDE = std::stof(CsvField(line, at));
    poi.NAME.assign(CsvField(line, at));
    seen.push_back(poi);
  }
  ExpectSameSet(group, seen, 0.000006f + 0.00002f);
}

}  // namespace
}  // namespace nodalux
