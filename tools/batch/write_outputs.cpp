#include "tools/batch/write_outputs.h"

#include <vector>

#include "app/formats/csv_writer.h"
#include "app/formats/gpx/gpx_writer.h"
#include "tools/batch/plot_svg.h"

namespace nodalux::batch {

bool WriteCsv(const PoiSet& set, Group group, NameConverter& names, OutputFile& out) {
  out.text().append(formats::kCsvHeader);
  for (const std::uint32_t i : group) {
    const PoiRef poi = set[i];
    formats::AppendCsvRecord(out.text(), poi.longitude, poi.latitude, names.bytes(poi));
    if (!out.spill()) return false;
  }
  return out.finish();
}

bool WriteGpx(const PoiSet& set, Group group, NameConverter& names, OutputFile& out,
              Messages& messages) {
  gpx::Writer writer(out.text());
  std::size_t left_out = 0;
  for (const std::uint32_t i : group) {
    const PoiRef poi = set[i];
    if (!writer.add(poi.longitude, poi.latitude, names.text(poi))) ++left_out;
    if (!out.spill()) return false;
  }
  writer.finish();
  if (!out.finish()) return false;
  if (left_out > 0) {
    messages.warning(out.path(), std::to_string(left_out) +
                                     " POI left out: GPX holds latitudes within 90 degrees and "
                                     "longitudes within 180");
  }
  if (writer.replaced_characters() > 0) {
    messages.warning(out.path(), std::to_string(writer.replaced_characters()) +
                                     " characters that XML cannot hold written as U+FFFD");
  }
  return true;
}

bool WritePlot(const PoiSet& set, const std::optional<geo::Circle>& circle, OutputFile& out) {
  std::vector<PlotPoint> points;
  points.reserve(set.size());
  for (std::size_t i = 0; i < set.size(); ++i) points.push_back({set[i].longitude, set[i].latitude});
  bool ok = true;
  WritePlotSvg({points, circle}, [&](std::string_view piece) {
    out.text().append(piece);
    ok = ok && out.spill();
  });
  return ok && out.finish();
}

}  // namespace nodalux::batch
