// READ_OV2 on a full table's worth of POI: 30000 records under skippers,
// decoded from memory and read from a file. And the converter's side: a
// group of 3478 POI encoded, and converted whole from its temporary file.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

#include "app/shared/program_state.h"
#include "app/nodalux/poi_files.h"
#include "app/ov2subs/ov2_files.h"
#include "app/ov2subs/ov2_reader.h"
#include "tests/app/shared/data_test_support.h"
#include "app/formats/ov2_layout.h"
#include "app/formats/temp_file.h"
#include "tests/tools/makeov2/makeov2_cpp.h"

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
    std::vector<mkov2_record> pois;
    for (int i = 0; i < nodalux::MAX_POI; ++i) {
      const auto longitude = static_cast<std::int32_t>(random() % 36000001) - 18000000;
      const auto latitude = static_cast<std::int32_t>(random() % 18000001) - 9000000;
      pois.push_back(makeov2::Record(longitude, latitude, names[static_cast<std::size_t>(i)]));
    }
    for (const auto& poi : pois) {
      const auto units = [](std::int32_t u) {
        return std::lround(static_cast<double>(nodalux::formats::ov2::DegreesFromUnits(u)) * 1e5);
      };
      g_expected.units += 3 * units(poi.longitude) + units(poi.latitude);
      g_expected.name_bytes += poi.name_size;
    }
    return *makeov2::Encode(pois);
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

// A group as the desktop program hands it to the converter: 3478 POI in
// one corner of the map, as its temporary file, and as the converter reads
// it back.
constexpr int kGroup = 3478;
struct Group {
  std::string text;
  std::vector<std::string> names;
  std::vector<mkov2_record> pois;
  std::string ov2;  // the file the converter must write
};
const Group& Group3478() {
  static const Group group = [] {
    Group g;
    std::mt19937 random(5);
    g.text = nodalux::formats::kTempFileHeader;
    for (int i = 0; i < kGroup; ++i) {
      const float lon = -0.5f + static_cast<float>(random() % 100000) / 100000.0f;
      const float lat = 51.2f + static_cast<float>(random() % 60000) / 100000.0f;
      g.names.push_back("POI number " + std::to_string(i + 1));
      nodalux::formats::AppendTempRecord(g.text, lon, lat, g.names.back());
    }
    nodalux::formats::AppendTempTrailer(g.text, kGroup);
    for (std::string_view rest = g.text; !rest.empty();) {
      const std::size_t end = rest.find('\n');
      const mkov2_temp_line line = makeov2::Parse(rest.substr(0, end));
      if (line.kind == MKOV2_RECORD) g.pois.push_back(line.record);
      rest.remove_prefix(end + 1);
    }
    std::vector<mkov2_record> copy = g.pois;
    g.ov2 = makeov2::Encode(copy).value_or("");
    return g;
  }();
  return group;
}

void BM_EncodeOv2_3478(benchmark::State& state) {
  const Group& group = Group3478();
  if (group.pois.size() != kGroup) state.SkipWithError("the group was not made");
  std::vector<mkov2_record> pois;
  for (auto _ : state) {
    state.PauseTiming();
    pois = group.pois;
    state.ResumeTiming();
    // The C interface itself: its buffer is what the converter writes.
    char* bytes = nullptr;
    std::size_t size = 0;
    const int error = mkov2_encode(pois.data(), pois.size(), &bytes, &size);
    state.PauseTiming();
    if (error != 0 || std::string_view(bytes, size) != group.ov2) state.SkipWithError("the encoder wrote other bytes");
    std::free(bytes);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kGroup);
}
BENCHMARK(BM_EncodeOv2_3478)->Unit(benchmark::kMicrosecond);

// The converter from its input in memory to its output on a memory-backed
// folder where there is one, so that the flush to disk is not what is timed.
void BM_Convert_3478(benchmark::State& state) {
  const Group& group = Group3478();
  const std::filesystem::path folder =
      std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                : std::filesystem::temp_directory_path();
  const std::string output = (folder / ("bench_convert_" + std::to_string(::getpid()) + ".ov2")).string();
  std::string errors;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(output);
    nodalux::formats::MemorySource source(group.text);
    state.ResumeTiming();
    if (makeov2::Convert("group.tmp", source, output, &errors) != makeov2::kOk) {
      state.SkipWithError("the converter failed");
      break;
    }
    state.PauseTiming();
    std::ifstream written(output, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(written), {}};
    if (bytes != group.ov2) state.SkipWithError("the converter wrote other bytes");
    state.ResumeTiming();
  }
  if (!errors.empty()) state.SkipWithError(errors.c_str());
  std::filesystem::remove(output);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * group.text.size()));
}
BENCHMARK(BM_Convert_3478)->Unit(benchmark::kMicrosecond);

}  // namespace
