#include "tests/app/formats/gpx/gpx_fuzz.h"

#include <bit>
#include <cmath>
#include <string_view>

#include "app/formats/encoding/utf8.h"
#include "app/formats/gpx/gpx_writer.h"
#include "tests/app/formats/gpx/gpx_test_support.h"

namespace nodalux::gpx::testing {
namespace {

bool SameBits(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

std::optional<std::string> Compare(const std::vector<Poi>& a, const std::vector<Poi>& b,
                                   std::string_view what) {
  if (a.size() != b.size()) {
    return std::string(what) + ": " + std::to_string(a.size()) + " points against " +
           std::to_string(b.size());
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!SameBits(a[i].latitude, b[i].latitude) || !SameBits(a[i].longitude, b[i].longitude) ||
        a[i].name != b[i].name) {
      return std::string(what) + ": point " + std::to_string(i) + " differs";
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> FuzzReadGpx(std::span<const std::uint8_t> bytes) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const ReadResult whole = ReadGpx(text);

  // Chunk sizes taken from the input itself, so a saved input repeats.
  std::vector<std::size_t> sizes;
  for (std::size_t i = 0; i < 5; ++i) sizes.push_back(1 + (i < text.size() ? text[i] & 0x3F : i));
  const ReadResult chunked = ReadGpx(text, sizes);
  if (auto why = Compare(whole.pois, chunked.pois, "whole and chunked")) return why;
  if (whole.error.has_value() != chunked.error.has_value()) {
    return "whole and chunked: one ends with an error, the other does not";
  }
  if (whole.error && whole.error->kind != chunked.error->kind) {
    return "whole and chunked: different errors: " + whole.error->message + " / " +
           chunked.error->message;
  }
  if (whole.track_points != chunked.track_points) return "whole and chunked: track points differ";

  for (const Poi& poi : whole.pois) {
    if (!(std::abs(poi.latitude) <= 90.0f) || !(std::abs(poi.longitude) <= 180.0f)) {
      return "a point out of range";
    }
    if (poi.name.size() > kMaxNameBytes) return "a name over the limit";
    if (!encoding::IsValidUtf8(poi.name)) return "a name that is not UTF-8";
  }

  std::string written;
  Writer writer(written);
  for (const Poi& poi : whole.pois) {
    if (!writer.add(poi)) return "the writer refused a point the reader gave";
  }
  writer.finish();
  if (writer.replaced_characters() != 0) return "the writer replaced characters the reader gave";
  const ReadResult again = ReadGpx(written);
  if (again.error) return "written points do not read back: " + again.error->message;
  return Compare(whole.pois, again.pois, "written and read back");
}

}  // namespace nodalux::gpx::testing
