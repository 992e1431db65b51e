// Prints the POI of an OV2 file as AutoRoute CSV record lines, the way the
// CSV writer prints a group: "lon,lat,"name"" with 5 decimals. The whole-
// process comparison uses it to check that an OV2 save holds exactly the
// group a CSV save of the same job holds.
//
//   ov2_to_csv FILE.ov2
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/formats/ov2_decoder.h"
#include "toolkit/os/files.h"

namespace {

// Whole 1/100000 degrees as the CSV writer's fixed-point text.
std::string Degrees(std::int32_t units) {
  const long long value = units;
  const long long magnitude = value < 0 ? -value : value;
  char text[32];
  std::snprintf(text, sizeof text, "%s%lld.%05lld", value < 0 ? "-" : "", magnitude / 100000,
                magnitude % 100000);
  return text;
}

std::string Quoted(std::string_view name) {
  std::string out = "\"";
  for (const char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ov2_to_csv FILE.ov2\n");
    return 2;
  }
  zarv::os::InputFile file;
  if (file.open(argv[1]) != 0) {
    std::fprintf(stderr, "ov2_to_csv: cannot open %s\n", argv[1]);
    return 1;
  }
  nodalux::formats::FileSource source(file);
  nodalux::formats::Ov2Decoder decoder(source);
  while (const auto poi = decoder.next()) {
    std::printf("%s,%s,%s\n", Degrees(decoder.longitude_units()).c_str(),
                Degrees(decoder.latitude_units()).c_str(), Quoted(poi->name).c_str());
  }
  if (decoder.stop() != nodalux::formats::Ov2Stop::kEnd) {
    std::fprintf(stderr, "ov2_to_csv: %s is damaged at byte %" PRIu64 "\n", argv[1],
                 decoder.stop_offset());
    return 1;
  }
  return 0;
}
