// GPSBabel as an outside reader and writer of GPX: what we write it reads,
// what it writes we read, names in each encoding mode included.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/formats/encoding/name_encoding.h"
#include "app/formats/gpx/gpx_writer.h"
#include "tests/app/formats/gpx/gpx_test_support.h"
#include "tests/app/formats/gpx/unicsv.h"

namespace nodalux::gpx {
namespace {

namespace fs = std::filesystem;
using testing::ParseUnicsv;
using encoding::NameCodec;
using encoding::NameEncoding;

class GpsBabel : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string_view(GPSBABEL_EXE).empty()) GTEST_SKIP() << "gpsbabel is not installed";
    std::string pattern = (fs::temp_directory_path() / "gpx_gpsbabel_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  // Runs gpsbabel on files in the scratch folder (names without blanks or
  // quotes, so the shell sees them as they are).
  void Babel(const std::string& in_format, const std::string& in, const std::string& out_format,
             const std::string& out) {
    const std::string command = std::string(GPSBABEL_EXE) + " -i " + in_format + " -f " +
                                (dir_ / in).string() + " -o " + out_format + " -F " +
                                (dir_ / out).string() + " 2>" + (dir_ / "stderr").string();
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << command << "\n" << Read("stderr");
  }

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string Read(const std::string& name) {
    std::ifstream file(dir_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

  fs::path dir_;
};

// Names with what a reader might trip on; no control characters, which
// GPSBabel's CSV cannot keep on one line.
const std::vector<std::string> kNames = {
    "Kew Gardens", "Pub \"The Crown\", Kew", "A & B <c>", "Caf\xC3\xA9 \xE2\x82\xAC 5",
    "\xC5\x81\xC3\xB3\x64\xC5\xBA", "\xE6\x9D\xB1\xE4\xBA\xAC\xE9\xA7\x85", "  spaced  out",
    "M\xC3\xBCnchen \xE2\x80\x9Equoted\xE2\x80\x9C"};

TEST_F(GpsBabel, ReadsWhatWeWrite) {
  std::vector<Poi> pois;
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    pois.push_back({-179.99998f + 45.0f * static_cast<float>(i),
                    -89.5f + 22.123456f * static_cast<float>(i), kNames[i]});
  }
  std::string gpx;
  Writer writer(gpx);
  for (const Poi& poi : pois) ASSERT_TRUE(writer.add(poi));
  writer.finish();
  Write("ours.gpx", gpx);
  Babel("gpx", "ours.gpx", "unicsv", "theirs.csv");

  const auto points = ParseUnicsv(Read("theirs.csv"));
  ASSERT_EQ(points.size(), pois.size());
  for (std::size_t i = 0; i < pois.size(); ++i) {
    SCOPED_TRACE(i);
    // We write the shortest decimal that reads back as the float, so within
    // half a float step of it; GPSBabel prints that with six decimals.
    const auto near = [](float v) {
      return 5e-7 + std::abs(std::nextafter(v, 1000.0f) - v) / 2 + 1e-12;
    };
    EXPECT_NEAR(points[i].latitude, pois[i].latitude, near(pois[i].latitude));
    EXPECT_NEAR(points[i].longitude, pois[i].longitude, near(pois[i].longitude));
    // It trims the blanks around a name.
    const std::string& name = pois[i].name;
    EXPECT_EQ(points[i].name, name.substr(name.find_first_not_of(' '),
                                          name.find_last_not_of(' ') - name.find_first_not_of(' ') + 1));
  }
}

TEST_F(GpsBabel, WeReadWhatItWritesInGpx10AndGpx11) {
  std::string csv = "lat,lon,name\n";
  std::vector<Poi> want;
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    const std::string lat = std::to_string(-45 + static_cast<int>(i) * 11) + ".12345";
    const std::string lon = std::to_string(170 - static_cast<int>(i) * 40) + ".5";
    std::string quoted;
    for (char c : kNames[i]) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    csv += lat + "," + lon + ",\"" + quoted + "\"\n";
    Poi poi;
    std::from_chars(lat.data(), lat.data() + lat.size(), poi.latitude);
    std::from_chars(lon.data(), lon.data() + lon.size(), poi.longitude);
    poi.name = kNames[i];
    want.push_back(poi);
  }
  Write("in.csv", csv);
  for (const std::string format : {"gpx", "gpx,gpxver=1.1"}) {
    SCOPED_TRACE(format);
    Babel("unicsv", "in.csv", format, "theirs.gpx");
    const auto read = testing::ReadGpx(Read("theirs.gpx"));
    ASSERT_FALSE(read.error) << read.error->message;
    ASSERT_EQ(read.pois.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(read.pois[i].latitude, want[i].latitude);
      EXPECT_EQ(read.pois[i].longitude, want[i].longitude);
      // GPSBabel trims names as it reads the CSV.
      const std::string& name = want[i].name;
      const std::size_t first = name.find_first_not_of(' ');
      EXPECT_EQ(read.pois[i].name, name.substr(first, name.find_last_not_of(' ') - first + 1));
    }
  }
}

TEST_F(GpsBabel, ByteNamesInEachEncodingMode) {
  // Byte names as OV2 and CSV files hold them: UTF-8 ones and CP1252 ones.
  const std::vector<std::string> byte_names = {"Caf\xC3\xA9 \xE2\x82\xAC", "Caf\xE9 \x80",
                                               "M\xFCnchen \x84x\x93", "\xC5\x81\xC3\xB3\x64\xC5\xBA"};
  for (NameEncoding mode : {NameEncoding::kUtf8, NameEncoding::kCp1252, NameEncoding::kAuto}) {
    SCOPED_TRACE(std::string(encoding::NameEncodingName(mode)));
    NameCodec codec(mode);
    std::string gpx;
    Writer writer(gpx);
    std::vector<std::string> texts;
    for (const std::string& bytes : byte_names) {
      texts.push_back(codec.ToUtf8(bytes).text);
      ASSERT_TRUE(writer.add({1.0f, 2.0f, texts.back()}));
    }
    writer.finish();
    Write("names.gpx", gpx);
    // Out through GPSBabel's CSV and back in through its GPX.
    Babel("gpx", "names.gpx", "unicsv", "names.csv");
    const auto points = ParseUnicsv(Read("names.csv"));
    ASSERT_EQ(points.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(points[i].name, texts[i]);
    Babel("unicsv", "names.csv", "gpx", "back.gpx");
    const auto read = testing::ReadGpx(Read("back.gpx"));
    ASSERT_FALSE(read.error);
    ASSERT_EQ(read.pois.size(), byte_names.size());
    for (std::size_t i = 0; i < byte_names.size(); ++i) {
      SCOPED_TRACE(i);
      const std::string back = codec.FromUtf8(read.pois[i].name, 128).bytes;
      const bool utf8_name = i == 0 || i == 3;
      if (mode == NameEncoding::kCp1252 || utf8_name) {
        EXPECT_EQ(back, byte_names[i]);  // the same bytes
      } else {
        EXPECT_EQ(codec.ToUtf8(back).text, texts[i]);  // the same text
      }
    }
  }
}

}  // namespace
}  // namespace nodalux::gpx
