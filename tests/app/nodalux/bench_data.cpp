// Reading, selecting and writing a full table of 30000 POI.
#include <benchmark/benchmark.h>

#include <cstdio>
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

void BM_ReadCsv(benchmark::State& state) {
  Screen screen;
  const std::filesystem::path path = MakeFullCsv();
  INPUT_FILE.assign(path.string());
  for (auto _ : state) {
    POI_COUNT = 0;
    LIST_COUNT = 0;
    READ_CSV();
    if (POI_COUNT != MAX_POI) state.SkipWithError("not every record was read");
  }
  state.SetItemsProcessed(state.iterations() * MAX_POI);
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadCsv)->Unit(benchmark::kMillisecond);

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
  state.SetItemsProcessed(state.iterations() * MAX_POI);
}
BENCHMARK(BM_Select)->Unit(benchmark::kMillisecond);

void BM_WriteCsv(benchmark::State& state) {
  Screen screen;
  FillTable();
  GROUP_TABLE = POI_TABLE;
  GROUP_COUNT = MAX_POI;
  const std::filesystem::path path = BenchFile("out.csv");
  OUTPUT_FILE.assign(path.string());
  std::uintmax_t size = 0;
  for (auto _ : state) {
    LIST_COUNT = 0;
    std::filesystem::remove(path);
    WRITE_CSV();
    state.PauseTiming();
    const std::uintmax_t written = std::filesystem::file_size(path);
    if (size == 0) size = written;
    if (written != size || written < MAX_POI * 30u) state.SkipWithError("the file was not written whole");
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * MAX_POI);
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteCsv)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
