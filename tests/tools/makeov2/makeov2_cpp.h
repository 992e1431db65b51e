// The converter's C interface as the tests, fuzz targets and benchmarks use
// it from C++: records over string views, encoded files as strings, input
// from any byte source, complaints into a string.
#pragma once

#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/formats/byte_source.h"
#include "tools/makeov2/makeov2.h"

namespace makeov2 {

enum ExitCode : int { kOk = MKOV2_OK, kFailed = MKOV2_FAILED, kUsage = MKOV2_USAGE };

inline constexpr std::size_t kPoiPerLeaf = MKOV2_POI_PER_LEAF;

inline mkov2_record Record(std::int32_t longitude, std::int32_t latitude, std::string_view name) {
  return {longitude, latitude, name.data(), name.size()};
}

inline std::string_view NameOf(const mkov2_record& record) {
  return record.name_size == 0 ? std::string_view() : std::string_view(record.name, record.name_size);
}

// The file's bytes; nothing when it would be too large for the format. The
// records are put in the order the file holds them.
inline std::optional<std::string> Encode(std::span<mkov2_record> pois) {
  char* bytes = nullptr;
  std::size_t size = 0;
  if (mkov2_encode(pois.data(), pois.size(), &bytes, &size) != 0) return std::nullopt;
  const std::unique_ptr<char, decltype(&std::free)> owned(bytes, &std::free);
  return std::string(bytes == nullptr ? "" : bytes, size);
}

inline mkov2_temp_line Parse(std::string_view line) {
  mkov2_temp_line parsed;
  mkov2_parse_temp_line(line.data(), line.size(), &parsed);
  return parsed;
}

inline std::string_view ErrorOf(const mkov2_temp_line& parsed) {
  return parsed.error == nullptr ? std::string_view() : std::string_view(parsed.error);
}

inline std::string_view FieldOf(const mkov2_temp_line& parsed) {
  return parsed.field_size == 0 ? std::string_view() : std::string_view(parsed.field, parsed.field_size);
}

// Reads through `source`, which must outlive the reading.
inline mkov2_source SourceOf(nodalux::formats::ByteSource& source) {
  return {[](void* context, char* buffer, std::size_t size, std::size_t* got) {
            return static_cast<nodalux::formats::ByteSource*>(context)->read(buffer, size, got);
          },
          &source};
}

// Appends every message to `*text`.
inline mkov2_sink SinkInto(std::string* text) {
  return {[](void* context, const char* bytes, std::size_t size) {
            static_cast<std::string*>(context)->append(bytes, size);
          },
          text};
}

inline int Convert(std::string_view input_name, nodalux::formats::ByteSource& input, const std::string& output,
                   std::string* errors, bool needs_trailer = false) {
  return mkov2_convert(std::string(input_name).c_str(), SourceOf(input), output.c_str(), SinkInto(errors),
                       needs_trailer ? 1 : 0);
}

}  // namespace makeov2
