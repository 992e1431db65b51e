// READ_OV2 on a full table's worth of POI: 30000 records under skippers,
// decoded from memory and read from a file.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

#include "app/shared/program_state.h"
#include "app/nodalux/poi_files.h"
#include "app/ov2subs/ov2_files.h"
#include "app/ov2subs/ov2_reader.h"
#include "tests/app/shared/data_test_support.h"
#include "app/formats/ov2_encoder.h"
#include "app/formats/ov2_layout.h"

namespace {

// What every POI of the file adds up to: its coordinates (as the table
// holds them, floats, scaled back to units) and name bytes.
struct Sums {
  long long units = 0;
  std::size_t name_bytes = 0;
  bool operator==(const Sums&) const = default;
};
Sums g_expected;

Sums TableSums() {
  Sums sums;
  for (std::int32_t i = 1; i <= nodalux::POI_COUNT; ++i) {
    const nodalux::PoiRef poi = nodalux::POI_TABLE.at(i);
    sums.units += 3 * std::lround(static_cast<double>(poi.longitude) * 1e5) + std::lround(static_cast<double>(poi.latitude) * 1e5);
    sums.name_bytes += poi.name.size();
  }
  return sums;
}

const std::string& File30000() {
  static const std::string bytes = [] {
    std::mt19937 random(3);
    std::vector<std::string> names;
    for (int i = 0; i < nodalux::MAX_POI; ++i) names.push_back("Point of interest number " + std::to_string(i));
    std::vector<nodalux::formats::Ov2Record> pois;
    for (int i = 0; i < nodalux::MAX_POI; ++i) {
      pois.push_back({static_cast<std::int32_t>(random() % 36000001) - 18000000,
                      static_cast<std::int32_t>(random() % 18000001) - 9000000,
                      names[static_cast<std::size_t>(i)]});
    }
    for (const auto& poi : pois) {
      const auto units = [](std::int32_t u) {
        return std::lround(static_cast<double>(nodalux::formats::ov2::DegreesFromUnits(u)) * 1e5);
      };
      g_expected.units += 3 * units(poi.longitude) + units(poi.latitude);
      g_expected.name_bytes += poi.name.size();
    }
    return *nodalux::formats::EncodeOv2(pois);
  }();
  return bytes;
}

void BM_DecodeOv2_30000(benchmark::State& state) {
  const std::string& file = File30000();
  const std::span bytes(reinterpret_cast<const unsigned char*>(file.data()), file.size());
  for (auto _ : state) {
    state.PauseTiming();
    nodalux::testing::ResetProgramState();
    state.ResumeTiming();
    nodalux::AppendOv2Records(bytes);
    if (nodalux::POI_COUNT != nodalux::MAX_POI) state.SkipWithError("not every POI was read");
  }
  if (!(TableSums() == g_expected)) state.SkipWithError("the POI were not read as written");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_DecodeOv2_30000)->Unit(benchmark::kMillisecond);

void BM_ReadOv2File_30000(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "bench_ov2_30000.ov2";
  std::ofstream(path, std::ios::binary) << File30000();
  for (auto _ : state) {
    state.PauseTiming();
    nodalux::testing::ResetProgramState();  // also forgets the input file
    nodalux::INPUT_FILE.assign(path.string());
    state.ResumeTiming();
    nodalux::READ_OV2();
    if (nodalux::POI_COUNT != nodalux::MAX_POI) state.SkipWithError("not every POI was read");
  }
  if (!(TableSums() == g_expected)) state.SkipWithError("the POI were not read as written");
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadOv2File_30000)->Unit(benchmark::kMillisecond);

}  // namespace
