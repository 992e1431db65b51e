// Reading the whole-job input, 30000 POI in an AutoRoute CSV file of about a
// megabyte, into a new set: what nodalux-batch does first on every run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/batch/read_inputs.h"

namespace {

using namespace nodalux::batch;

// Coordinate i of the file, as the file writes it.
std::string Coordinate(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.5f", value);
  return text;
}

// 30000 POI over south-east England, as the whole-process job reads them.
struct JobFile {
  std::filesystem::path path = std::filesystem::temp_directory_path() / "nodalux_bench_job.csv";
  std::string last_longitude, last_latitude;

  JobFile() {
    std::ofstream out(path, std::ios::binary);
    out << "Longitude,Latitude,Name\n";
    std::uint64_t seed = 12345;
    const auto next = [&seed] {
      seed = (seed * 1103515245 + 12345) % 2147483648;
      return static_cast<double>(seed) / 2147483648.0;
    };
    for (std::size_t i = 1; i <= kMaxPoi; ++i) {
      last_longitude = Coordinate(-2.0 + 4.0 * next());
      last_latitude = Coordinate(50.5 + 2.0 * next());
      out << last_longitude << ',' << last_latitude << ",\"POI number " << i << "\"\n";
    }
  }
  ~JobFile() { std::filesystem::remove(path); }
};

void BM_ReadJobCsv(benchmark::State& state) {
  const JobFile file;
  std::ostringstream errors;
  Messages messages(errors);
  std::size_t read = 0;
  bool last_as_written = true;
  for (auto _ : state) {
    PoiSet set;
    if (!ReadInput(file.path.string(), FileFormat::kCsv, set, messages)) {
      state.SkipWithError(errors.str().c_str());
      break;
    }
    read = set.size();
    const PoiRef last = set[set.size() - 1];
    last_as_written = last.name == "POI number 30000" &&
                      last.longitude == std::strtof(file.last_longitude.c_str(), nullptr) &&
                      last.latitude == std::strtof(file.last_latitude.c_str(), nullptr);
    benchmark::DoNotOptimize(set);
  }
  if (read != kMaxPoi) state.SkipWithError("not every record was read");
  if (!last_as_written) state.SkipWithError("the last record was not read as written");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kMaxPoi));
}
BENCHMARK(BM_ReadJobCsv)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
