// Speed of the GPX reader and writer, the name conversions and the SVG
// picture on 30000 POI. Every run checks that the work was done.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cerrno>
#include <cmath>
#include <stdexcept>

#include "app/formats/encoding/name_encoding.h"
#include "app/formats/gpx/gpx_reader.h"
#include "app/formats/gpx/gpx_writer.h"
#include "tools/batch/plot_svg.h"

namespace {

using nodalux::formats::Poi;
constexpr int kPoi = 30000;

std::vector<Poi> MakePois() {
  std::vector<Poi> pois;
  for (int i = 0; i < kPoi; ++i) {
    pois.push_back({-0.5f + static_cast<float>(i % 997) * 0.001f,
                    51.0f + static_cast<float>(i % 991) * 0.001f,
                    "Caf\xC3\xA9 & pub number " + std::to_string(i)});
  }
  return pois;
}

std::string MakeGpx(const std::vector<Poi>& pois) {
  std::string out;
  nodalux::gpx::Writer writer(out);
  for (const Poi& poi : pois) writer.add(poi);
  writer.finish();
  return out;
}

void Check(bool done, const char* what) {
  if (!done) throw std::runtime_error(what);
}

double PeakRssKib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss);
}

// A GPX file of a million waypoints made up as it is read, so that the
// process's peak memory shows what the reader itself needs. Registered
// first, before anything else has grown the process.
class GeneratedGpx final : public nodalux::formats::ByteSource {
 public:
  explicit GeneratedGpx(std::size_t points) : left_(points) {}
  int read(char* data, std::size_t size, std::size_t* got) override {
    std::size_t n = 0;
    while (n < size) {
      if (pending_.empty()) {
        if (!started_) {
          pending_ = "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
          started_ = true;
        } else if (left_ > 0) {
          pending_ = "  <wpt lat=\"51.47604\" lon=\"-0.5\">\n    <name>Caf\xC3\xA9 " +
                     std::to_string(left_--) + "</name>\n  </wpt>\n";
        } else if (!ended_) {
          pending_ = "</gpx>\n";
          ended_ = true;
        } else {
          break;
        }
      }
      const std::size_t k = pending_.copy(data + n, size - n);
      pending_.erase(0, k);
      n += k;
    }
    bytes_ += n;
    *got = n;
    return 0;
  }
  std::size_t bytes() const { return bytes_; }

 private:
  std::size_t left_;
  std::string pending_;
  bool started_ = false, ended_ = false;
  std::size_t bytes_ = 0;
};

void BM_ReadGpxStreamed(benchmark::State& state) {
  constexpr std::size_t kPoints = 1000000;
  std::size_t bytes = 0;
  for (auto _ : state) {
    GeneratedGpx source(kPoints);
    nodalux::gpx::Reader reader(source);
    std::size_t n = 0;
    while (auto poi = reader.next()) n += poi->latitude == 51.47604f ? 1 : 0;
    Check(n == kPoints && !reader.error(), "streamed GPX read incomplete");
    bytes += source.bytes();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.counters["peak_rss_kib"] = PeakRssKib();
}
BENCHMARK(BM_ReadGpxStreamed)->Unit(benchmark::kMillisecond);

void BM_ReadGpx(benchmark::State& state) {
  const std::vector<Poi> pois = MakePois();
  const std::string gpx = MakeGpx(pois);
  for (auto _ : state) {
    nodalux::formats::MemorySource source(gpx);
    nodalux::gpx::Reader reader(source);
    std::size_t n = 0;
    Poi last;
    while (auto poi = reader.next()) {
      last = std::move(*poi);
      ++n;
    }
    Check(n == pois.size() && !reader.error() && last == pois.back(), "GPX read incomplete");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gpx.size()));
  state.counters["peak_rss_kib"] = PeakRssKib();
}
BENCHMARK(BM_ReadGpx)->Unit(benchmark::kMillisecond);

void BM_WriteGpx(benchmark::State& state) {
  const std::vector<Poi> pois = MakePois();
  const std::size_t expected = MakeGpx(pois).size();
  for (auto _ : state) {
    const std::string out = MakeGpx(pois);
    Check(out.size() == expected && out.ends_with("</gpx>\n"), "GPX write incomplete");
  }
}
BENCHMARK(BM_WriteGpx)->Unit(benchmark::kMillisecond);

void BM_NamesCp1252RoundTrip(benchmark::State& state) {
  std::vector<std::string> names;
  for (int i = 0; i < kPoi; ++i) names.push_back("Caf\xE9 M\xFCnchen \x80 " + std::to_string(i));
  nodalux::encoding::NameCodec codec(nodalux::encoding::NameEncoding::kCp1252);
  for (auto _ : state) {
    std::size_t same = 0;
    for (const std::string& name : names) {
      same += codec.FromUtf8(codec.ToUtf8(name).text, 128).bytes == name ? 1 : 0;
    }
    Check(same == names.size(), "names changed");
  }
}
BENCHMARK(BM_NamesCp1252RoundTrip)->Unit(benchmark::kMillisecond);

void BM_PlotSvg(benchmark::State& state) {
  std::vector<nodalux::batch::PlotPoint> points;
  for (const Poi& poi : MakePois()) points.push_back({poi.longitude, poi.latitude});
  const nodalux::batch::PlotInput input{points, nodalux::batch::PlotCircle{51.47604f, 0.0f, 30.0f}};
  for (auto _ : state) {
    std::size_t size = 0;
    nodalux::batch::WritePlotSvg(input, [&](std::string_view piece) { size += piece.size(); });
    Check(size > kPoi * 15, "picture incomplete");
  }
}
BENCHMARK(BM_PlotSvg)->Unit(benchmark::kMillisecond);

}  // namespace
