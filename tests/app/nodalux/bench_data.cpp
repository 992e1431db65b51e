// Reading, selecting and writing a full table of 30000 POI.
#include <benchmark/benchmark.h>

#include <sys/statfs.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/shared/program_state.h"
#include "app/shared/list_view.h"
#include "app/nodalux/poi_files.h"
#include "toolkit/core/os_services.h"
#include "toolkit/core/toolkit.h"
#include "toolkit/core/window.h"
#include "toolkit/platform/headless/headless_platform.h"

namespace {

using namespace nodalux;

// A headless main window whose transcript goes nowhere.
class Screen {
 public:
  Screen() : transcript_(zarv::platform::Transcript::InMemory()) {
    zarv::SetPlatform(zarv::platform::CreateHeadlessPlatform("", *transcript_));
    zarv::WindowStyle style;
    style.Flags = zarv::kSysMenu | zarv::kStatusBar;
    style.Width = 512;
    style.Height = 256;
    WindowOpenStyle(style);
  }
  ~Screen() { zarv::SetPlatform(nullptr); }

 private:
  std::unique_ptr<zarv::platform::Transcript> transcript_;
};

std::filesystem::path BenchFile(const char* name) {
  return std::filesystem::temp_directory_path() / (std::string("nodalux_bench_") + name);
}

// 30000 records spread over southern England, as an export would look.
std::filesystem::path MakeFullCsv() {
  const std::filesystem::path path = BenchFile("full.csv");
  std::ofstream out(path, std::ios::binary);
  out << "Longitude,Latitude,Name\r\n";
  char line[160];
  for (int i = 0; i < MAX_POI; ++i) {
    const int n = std::snprintf(line, sizeof line, "%.5f,%.5f,\"Speed camera %d, A%d road\"\r\n",
                                -5.0 + (i % 997) * 0.007, 50.0 + (i % 1009) * 0.003, i, i % 500);
    out.write(line, n);
  }
  return path;
}

// Reading a full file into the table: over what the last reading left
// (`fresh` false), as a second Open does, or into an empty table, as the
// first Open of a run does.
void ReadCsvInto(benchmark::State& state, bool fresh) {
  Screen screen;
  const std::filesystem::path path = MakeFullCsv();
  INPUT_FILE.assign(path.string());
  for (auto _ : state) {
    if (fresh) POI_TABLE.clear();
    POI_COUNT = 0;
    LIST_COUNT = 0;
    READ_CSV();
    if (POI_COUNT != MAX_POI) state.SkipWithError("not every record was read");
  }
  // The last record as the file holds it.
  const PoiRef last = POI_TABLE.at(MAX_POI);
  char text[32];
  std::snprintf(text, sizeof text, "%.5f", -5.0 + (29999 % 997) * 0.007);
  const float longitude = std::strtof(text, nullptr);
  std::snprintf(text, sizeof text, "%.5f", 50.0 + (29999 % 1009) * 0.003);
  const float latitude = std::strtof(text, nullptr);
  if (last.name != "Speed camera 29999, A499 road" || last.longitude != longitude || last.latitude != latitude) {
    state.SkipWithError("the records were not read as written");
  }
  state.SetItemsProcessed(state.iterations() * MAX_POI);
  std::filesystem::remove(path);
}
BENCHMARK_CAPTURE(ReadCsvInto, over_last, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadCsvInto, empty_table, true)->Unit(benchmark::kMillisecond);

void FillTable() {
  for (int i = 1; i <= MAX_POI; ++i) {
    POI_TABLE.put(i, -5.0f + static_cast<float>(i % 997) * 0.007f,
                  50.0f + static_cast<float>(i % 1009) * 0.003f, "Speed camera " + std::to_string(i));
  }
  POI_COUNT = MAX_POI;
}

void BM_Select(benchmark::State& state) {
  Screen screen;
  FillTable();
  CENTRE_LATITUDE = 51.47604f;
  CENTRE_LONGITUDE = 0.0f;
  RADIUS_MILES = 1000.0f;  // everything: the copy costs most
  for (auto _ : state) {
    SELECT();
    if (GROUP_COUNT != MAX_POI) state.SkipWithError("the group is not the whole table");
  }
  if (GROUP_TABLE[MAX_POI].NAME != POI_TABLE[MAX_POI].NAME) state.SkipWithError("the group lost its names");
  state.SetItemsProcessed(state.iterations() * MAX_POI);
}
BENCHMARK(BM_Select)->Unit(benchmark::kMillisecond);

// The file system a folder lies on, for the benchmark's label.
std::string FileSystemOf(const std::filesystem::path& folder) {
  struct statfs info {};
  if (::statfs(folder.c_str(), &info) != 0) return "?";
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0x01021994: return "tmpfs";
    case 0xEF53: return "ext4";
    case 0x58465342: return "xfs";
    case 0x9123683E: return "btrfs";
    case 0x794C7630: return "overlayfs";
    default: return "other";
  }
}

// The save is atomic and flushed to the disk before it is renamed into
// place, so its time depends on where it goes: a tmpfs folder shows the
// writer's own work, a disk folder what the flush adds.
void WriteCsvInto(benchmark::State& state, const std::filesystem::path& folder) {
  Screen screen;
  FillTable();
  GROUP_TABLE = POI_TABLE;
  GROUP_COUNT = MAX_POI;
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    state.SkipWithError("no such folder here");
    return;
  }
  state.SetLabel(folder.string() + " on " + FileSystemOf(folder));
  const std::filesystem::path path = folder / "nodalux_bench_out.csv";
  OUTPUT_FILE.assign(path.string());
  std::string first;
  for (auto _ : state) {
    LIST_COUNT = 0;
    std::filesystem::remove(path);
    WRITE_CSV();
    state.PauseTiming();
    std::ifstream in(path, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (first.empty()) {
      // The first file must read back as the group it was written from.
      first = written;
      INPUT_FILE.assign(path.string());
      POI_COUNT = 0;
      READ_CSV();
      bool same = POI_COUNT == MAX_POI;
      for (std::int32_t i = 1; same && i <= MAX_POI; i += 997) {
        same = POI_TABLE.at(i).name == GROUP_TABLE.at(i).name &&
               std::fabs(POI_TABLE.at(i).longitude - GROUP_TABLE.at(i).longitude) < 1e-5f;
      }
      if (!same) state.SkipWithError("the file does not read back as the group");
      FillTable();
    } else if (written != first) {
      state.SkipWithError("the file was not written whole");
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * MAX_POI);
  std::filesystem::remove(path);
}
BENCHMARK_CAPTURE(WriteCsvInto, tmpfs, std::filesystem::path("/dev/shm"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteCsvInto, disk, std::filesystem::path("/var/tmp"))->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
