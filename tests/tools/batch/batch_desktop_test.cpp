// nodalux-batch and the desktop program give the same results: the same
// files from the same inputs and circle (both programs run as users run
// them, the desktop program headless under a script), the same stored
// circle, and the same choice of format by file name.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "app/formats/circle_text.h"
#include "app/geo/circle.h"
#include "app/nodalux/settings.h"
#include "app/shared/file_names.h"
#include "app/shared/program_state.h"
#include "toolkit/core/registry_store.h"
#include "tools/batch/batch_options.h"
#include "tools/batch/plot_svg.h"
#include "tools/batch/stored_circle.h"
#include "tests/tools/batch/scratch_folder.h"

namespace nodalux::batch {
namespace {

namespace fs = std::filesystem;
using testing::Ov2Poi;

class DesktopTest : public testing::ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    store_ = (dir_ / "registry.sqlite").string();
  }

  void Store(int type, const std::string& data) const {
    ASSERT_EQ(zarv::RegistryStore(store_).put(2, "SOFTWARE\\Quorvath\\Nodalux", "circle", {type, data}), 0);
  }
  // Runs a program with the store of the test.
  int Run(const std::string& command) const {
    return Shell("ZARVREGISTRY='" + store_ + "' ZARVPLATFORM=headless " + command);
  }

  std::string store_;
};

// --- The stored circle and the file formats -------------------------------------

TEST_F(DesktopTest, TheStoredCircleIsReadAsTheDesktopProgramReadsIt) {
  struct Row {
    int type;
    std::string data;
  };
  const std::string pad64 = std::string(64, ' ');
  const Row rows[] = {
      {1, "  51.47604,   0.00000, 30.00" + std::string(36, ' ') + '\0'},
      {1, " -33.86000, 151.21000, 12.50" + std::string(1, '\0')},
      {1, "51.5 -0.1 25" + std::string(1, '\0')},
      {1, "51.5,,25" + std::string(1, '\0')},
      {1, ",,," + std::string(1, '\0')},
      {1, "51.5, -0.1" + std::string(1, '\0')},
      {1, "51.5, west, 25" + std::string(1, '\0')},
      {1, "51.5 -0.1 25 / 99" + std::string(1, '\0')},
      {1, "51.5 -0.1 /" + std::string(1, '\0')},
      {1, "3*7" + std::string(1, '\0')},
      {1, "1.5D1 2E-1 1000000" + std::string(1, '\0')},
      {1, "nan 0 30" + std::string(1, '\0')},
      {1, "51.5 -0.1 1e39" + std::string(1, '\0')},
      {1, pad64 + '\0'},
      {1, std::string(1, '\0')},
      {1, "51.5 -0.1 25" + std::string(52, ' ') + "9"},        // 65 bytes, no NUL
      {1, "51.5 -0.1 25" + std::string(53, ' ') + '\0'},       // 66 bytes: too long
      {1, "51.5 -0.1 25" + std::string(1, '\0') + "junk"},
      {2, "51.5 -0.1 25" + std::string(1, '\0')},
      {3, "51.5 -0.1 25"},
      {4, "\x01\x02\x03\x04"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(zarv::Trimmed(row.data.substr(0, row.data.find('\0'))));
    Store(row.type, row.data);
    ::setenv("ZARVREGISTRY", store_.c_str(), 1);
    ResetProgramState();
    LoadSettings();
    const geo::Circle batch = ReadStoredCircle(store_);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(batch.latitude), std::bit_cast<std::uint32_t>(CENTRE_LATITUDE));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(batch.longitude), std::bit_cast<std::uint32_t>(CENTRE_LONGITUDE));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(batch.radius_miles), std::bit_cast<std::uint32_t>(RADIUS_MILES));
  }
  // No store at all, and a store that is somebody else's file.
  for (const char* content : {"", "not a database"}) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) fs::remove(store_ + suffix);
    if (*content) Write("registry.sqlite", content);
    ResetProgramState();
    LoadSettings();
    const geo::Circle batch = ReadStoredCircle(store_);
    EXPECT_EQ(batch.latitude, CENTRE_LATITUDE);
    EXPECT_EQ(batch.longitude, CENTRE_LONGITUDE);
    EXPECT_EQ(batch.radius_miles, RADIUS_MILES);
  }
}

TEST(DesktopFormats, FollowTheDesktopProgramsSplitOfTheName) {
  for (std::string_view name :
       {"/maps/Pubs.OV2", "/maps/pubs.csv", "/maps/pubs.txt", "/my.data/pubs", "/maps/pubs.",
        "/maps/pubs", "/data.ov2/pubs", "/maps/pubs.ov2x", "/maps/pubs.ov", "/maps/.ov2",
        "/maps/pubs.ov2.csv", "/maps/pubs.OV2 ", "/m/p.o\xc3\xa9", "ov2", "Ov2 list", "/a b.ov2",
        "/maps/x.gpx", "/maps/x.GPX", "/maps.gpx/x"}) {
    SCOPED_TRACE(name);
    zarv::Text<256> root;
    zarv::Text<3> extension;
    EXTN(name, root, extension);
    EXPECT_EQ(FormatFromName(name) == FileFormat::kOv2, extension.view() == "ov2");
    EXPECT_EQ(FormatFromName(name) == FileFormat::kGpx, extension.view() == "gpx");
    EXPECT_EQ(NameRoot(name), root.trimmed());
  }
}

// --- The same files from both programs --------------------------------------------

std::string Shortest(float value) {
  char buffer[32];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, r.ptr);
}

// POI on both sides of the circle's edge: along rays from the centre, the
// last position the selection keeps and positions one float step beyond;
// for OV2, the whole units around the edge. Some others far and near.
struct Sets {
  std::string csv;
  std::string ov2;
  int inside = 0;
  int total = 0;
};

Sets EdgeSets(const geo::Circle& c, unsigned seed) {
  Sets sets;
  sets.csv = "Longitude,Latitude,Name\r\n";
  const char* names[] = {"Kew", "The \"Bell\", Ripley", "Caf\xe9", "Zo\xc3\xab", "  lead", "x"};
  std::mt19937 random(seed);
  const auto add_csv = [&](float lon, float lat) {
    const std::string name = names[sets.total % 6];
    std::string quoted;
    for (char ch : name) quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    sets.csv += Shortest(lon) + "," + Shortest(lat) + ",\"" + quoted + " " + std::to_string(sets.total) + "\"\r\n";
    sets.inside += geo::Inside(c, lat, lon) ? 1 : 0;
    ++sets.total;
  };
  const auto add_ov2 = [&](std::int32_t lon, std::int32_t lat) {
    sets.ov2 += Ov2Poi(lon, lat, std::string(names[sets.total % 6]) + " " + std::to_string(sets.total));
    sets.inside += geo::Inside(c, static_cast<float>(lat * 0.00001), static_cast<float>(lon * 0.00001)) ? 1 : 0;
    ++sets.total;
  };
  for (const BoundaryPoint& b : TraceBoundary(c, 64)) {
    if (b.open) continue;
    add_csv(b.longitude, b.latitude);
    add_csv(std::nextafter(b.longitude, b.longitude > c.longitude ? INFINITY : -INFINITY), b.latitude);
    add_csv(b.longitude, std::nextafter(b.latitude, b.latitude > c.latitude ? INFINITY : -INFINITY));
    const auto lon = static_cast<std::int32_t>(std::lround(b.longitude * 1e5));
    const auto lat = static_cast<std::int32_t>(std::lround(b.latitude * 1e5));
    for (int d = -1; d <= 1; ++d) {
      add_ov2(lon + d, lat);
      add_ov2(lon, lat + d);
    }
  }
  std::uniform_real_distribution<float> spread(-1.5f, 1.5f);
  for (int i = 0; i < 200; ++i) add_csv(c.longitude + spread(random), c.latitude + spread(random) / 2);
  add_csv(c.longitude, c.latitude);
  return sets;
}

TEST_F(DesktopTest, BothProgramsWriteTheSameFiles) {
  const geo::Circle circles[] = {
      formats::kDefaultCircle,
      {-33.86f, 151.21f, 12.5f},
      {0.0f, 179.5f, 20.0f},
      {64.1f, -21.9f, 0.5f},
      {51.23804f, -0.78157f, 150.0f},
  };
  int n = 0;
  for (const geo::Circle& given : circles) {
    SCOPED_TRACE(formats::CircleText(given));
    // The circle as the store keeps it, and as both programs read it back.
    const std::string text = formats::CircleText(given);
    Store(1, text + std::string(64 - text.size(), ' ') + '\0');
    const geo::Circle c = formats::StoredCircle(text);
    const Sets sets = EdgeSets(c, ++n);
    ASSERT_GT(sets.inside, 0);
    ASSERT_LT(sets.inside, sets.total);
    Write("edge.csv", sets.csv);
    Write("edge.ov2", sets.ov2);
    for (const char* name : {"desk.csv", "desk.ov2", "desk.bmp", "batch.csv", "batch.ov2", "batch.bmp",
                             "given.csv", "given.ov2", "given.bmp"}) {
      fs::remove(dir_ / name);
    }

    // The desktop program: open, append, save as CSV, save as OV2.
    const std::string d = dir_.string() + "/";
    Write("job.script", "menu 40002\nfile " + d + "edge.csv\nmenu 40102\nfile " + d +
                            "edge.ov2\nmenu 40003\nfile " + d + "desk.csv\nmenu 40003\nfile " + d +
                            "desk.ov2\nclose\n");
    ASSERT_EQ(Run("ZARVSCRIPT=job.script ZARVTRANSCRIPT=job.transcript " NODALUX_DIST_DIR
                    "/nodalux >desk.out 2>&1"),
              0)
        << Read("desk.out");
    ASSERT_TRUE(fs::exists(dir_ / "desk.ov2")) << Read("job.transcript");

    // The batch program: the stored circle, and the same circle given.
    const std::string batch = NODALUX_DIST_DIR "/nodalux-batch";
    for (const char* out : {"batch.csv", "batch.ov2"}) {
      ASSERT_EQ(Run(batch + " -o " + out + " edge.csv edge.ov2 2>batch.err"), 0) << Read("batch.err");
    }
    const std::string centre = "-c " + Shortest(c.latitude) + "," + Shortest(c.longitude) +
                               " -r " + Shortest(c.radius_miles);
    for (const char* out : {"given.csv", "given.ov2"}) {
      ASSERT_EQ(Run(batch + " " + centre + " -o " + out + " edge.csv edge.ov2 2>batch.err"), 0)
          << Read("batch.err");
    }

    const std::string group = Read("desk.csv");
    EXPECT_EQ(std::count(group.begin(), group.end(), '\n'), sets.inside + 1);
    EXPECT_EQ(Read("batch.csv"), group);
    EXPECT_EQ(Read("given.csv"), group);
    EXPECT_EQ(Read("batch.ov2"), Read("desk.ov2"));
    EXPECT_EQ(Read("given.ov2"), Read("desk.ov2"));
    EXPECT_EQ(Read("batch.bmp"), Read("desk.bmp"));
    EXPECT_FALSE(Read("desk.bmp").empty());
  }
}

}  // namespace
}  // namespace nodalux::batch
