// nodalux-batch with GPSBabel on the other side: GPX we write, it reads;
// GPX it writes, we read; names with characters beyond ASCII survive OV2 ->
// GPX -> OV2 in each encoding mode, byte for byte where the mode can hold
// them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/app/formats/gpx/unicsv.h"
#include "tests/tools/batch/scratch_folder.h"

namespace nodalux::batch {
namespace {

using gpx::testing::CsvFields;
using gpx::testing::ParseUnicsv;
using testing::Ov2Poi;

struct Name {
  std::string text;    // UTF-8
  std::string cp1252;  // its bytes in code page 1252, empty when it has none
};

const std::vector<Name> kNames = {
    {"Caf\xc3\xa9 Zo\xc3\xab", "Caf\xe9 Zo\xeb"},
    {"\xe2\x82\xac" "5 & <pub>", "\x80" "5 & <pub>"},
    {"Stra\xc3\x9f" "e \xe2\x80\x9equoted\xe2\x80\x9c", "Stra\xdf" "e \x84quoted\x93"},
    {"Pub \"The Crown\", Kew", "Pub \"The Crown\", Kew"},
    {"\xc5\x81\xc3\xb3" "d\xc5\xba", ""},
    {"\xe6\x9d\xb1\xe4\xba\xac\xe9\xa7\x85", ""},
};

class BatchGpsBabel : public testing::ScratchFolder {
 protected:
  void SetUp() override {
    if (std::string_view(GPSBABEL_EXE).empty()) GTEST_SKIP() << "gpsbabel is not installed";
    ScratchFolder::SetUp();
  }
  void Babel(const std::string& in_format, const std::string& in, const std::string& out_format,
             const std::string& out) {
    ASSERT_EQ(Shell(std::string(GPSBABEL_EXE) + " -i " + in_format + " -f " + in + " -o " +
                    out_format + " -F " + out + " 2>babel.err"),
              0)
        << Read("babel.err");
  }
  void Batch(const std::string& arguments) {
    ASSERT_EQ(Shell(NODALUX_DIST_DIR "/nodalux-batch " + arguments + " 2>batch.err"), 0)
        << arguments << "\n" << Read("batch.err");
  }
  // The names of a CSV file we wrote, as bytes.
  std::vector<std::string> CsvNames(const std::string& file) {
    std::vector<std::string> names;
    const std::string text = Read(file);
    std::size_t at = text.find('\n') + 1;
    while (at < text.size()) {
      const std::size_t end = text.find("\r\n", at);
      const std::vector<std::string> fields = CsvFields(text.substr(at, end - at));
      names.push_back(fields.size() >= 3 ? fields[2] : "?");
      at = end + 2;
    }
    return names;
  }
};

// The byte names a mode reads and writes.
bool Holds(std::string_view mode, const Name& name) { return mode != "cp1252" || !name.cp1252.empty(); }
std::string Bytes(std::string_view mode, const Name& name) {
  return mode == "cp1252" ? name.cp1252 : name.text;
}

TEST_F(BatchGpsBabel, OurGpxReadsAsTheNamesWeHold) {
  for (const std::string mode : {"utf-8", "cp1252", "auto"}) {
    SCOPED_TRACE(mode);
    // Every name in an OV2 file and in a CSV file, in the mode's bytes.
    std::string ov2, csv = "Longitude,Latitude,Name\r\n";
    std::vector<std::string> want;
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      if (!Holds(mode, kNames[i])) continue;
      const std::string bytes = Bytes(mode, kNames[i]);
      ov2 += Ov2Poi(-12345 + static_cast<std::int32_t>(i), 5150000, bytes);
      std::string quoted;
      for (char c : bytes) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
      csv += "2.35" + std::to_string(i) + ",-48.85,\"" + quoted + "\"\r\n";
      want.push_back(kNames[i].text);
    }
    const std::vector<std::string> once = want;
    want.insert(want.end(), once.begin(), once.end());
    Write("in.ov2", ov2);
    Write("in.csv", csv);
    Batch("--all --encoding " + mode + " -o ours.gpx in.ov2 in.csv");
    Babel("gpx", "ours.gpx", "unicsv", "theirs.csv");
    const auto points = ParseUnicsv(Read("theirs.csv"));
    ASSERT_EQ(points.size(), want.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(points[i].name, want[i]);
      const bool from_ov2 = i < want.size() / 2;
      EXPECT_NEAR(points[i].latitude, from_ov2 ? 51.5 : -48.85, 1e-6);
      EXPECT_NEAR(points[i].longitude,
                  from_ov2 ? -0.12345 + i * 1e-5 : 2.35 + (i - want.size() / 2) * 0.001, 1.1e-6);
    }
  }
  // Names in code page 1252 need no option: what is not UTF-8 is read so.
  Write("old.ov2", Ov2Poi(0, 0, kNames[0].cp1252) + Ov2Poi(0, 0, kNames[2].cp1252));
  Batch("--all -o ours.gpx old.ov2");
  Babel("gpx", "ours.gpx", "unicsv", "theirs.csv");
  const auto points = ParseUnicsv(Read("theirs.csv"));
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[0].name, kNames[0].text);
  EXPECT_EQ(points[1].name, kNames[2].text);
}

TEST_F(BatchGpsBabel, NamesSurviveOv2ToGpxToOv2) {
  std::string csv = "Latitude,Longitude,Name\n";
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    std::string quoted;
    for (char c : kNames[i].text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    csv += "-33.8" + std::to_string(i) + ",151.2" + std::to_string(i) + ",\"" + quoted + "\"\n";
  }
  Write("start.csv", csv);
  Babel("unicsv", "start.csv", "gpx", "theirs.gpx");
  for (const std::string mode : {"utf-8", "cp1252", "auto"}) {
    SCOPED_TRACE(mode);
    // GPSBabel's GPX to an overlay, in the mode's bytes.
    Batch("--all --encoding " + mode + " -o back.ov2 theirs.gpx");
    Batch("--all -o back.csv back.ov2");
    const std::vector<std::string> names = CsvNames("back.csv");
    ASSERT_EQ(names.size(), kNames.size());
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      if (Holds(mode, kNames[i])) EXPECT_EQ(names[i], Bytes(mode, kNames[i])) << i;
    }
    // And out again as GPX: the text GPSBabel started with.
    Batch("--all --encoding " + mode + " -o again.gpx back.ov2");
    Babel("gpx", "again.gpx", "unicsv", "again.csv");
    const auto points = ParseUnicsv(Read("again.csv"));
    ASSERT_EQ(points.size(), kNames.size());
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      SCOPED_TRACE(i);
      if (Holds(mode, kNames[i])) EXPECT_EQ(points[i].name, kNames[i].text);
      EXPECT_NEAR(points[i].latitude, -33.8 - i * 0.01, 1e-6);
      EXPECT_NEAR(points[i].longitude, 151.2 + i * 0.01, 1e-6);
    }
  }
}

}  // namespace
}  // namespace nodalux::batch
