// One record line of an AutoRoute CSV file: longitude, latitude and name,
// read list-directed (separators, null values, "/", repeat counts, quoted
// names with the quote doubled inside), exactly as Fortran list input reads
// them. The everyday shape of a record (two plain numbers and a quoted or
// one-word name) is recognised by a fast path whose results are those of
// the general path wherever it accepts a line; everything else takes the
// general path.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "app/formats/poi_view.h"

namespace nodalux::formats {

// The values a record line gives. An item without a value (a null value, or
// an item after a slash) leaves its target as it was.
struct CsvRecord {
  std::optional<float> longitude;
  std::optional<float> latitude;
  std::optional<std::string_view> name;  // cut to kNameLength, trailing blanks dropped

  bool operator==(const CsvRecord&) const = default;
};

enum class CsvFault {
  kNone,
  kBadValue,  // a value cannot be read (a coordinate that is not a number)
  kTooShort,  // the line ends before its name
};

// Reads a record line (leading blanks already removed). Names may point into
// `text` or into `name_buffer` (kNameLength bytes). On a fault, `*column` is
// the 0-based position in `text` where reading stopped.
CsvFault ReadCsvRecord(std::string_view text, char* name_buffer, CsvRecord* record,
                       std::size_t* column);

// The two paths on their own, for the test that holds them to each other.
// The fast path gives false, and leaves `record` alone, for every line that
// is not of the plain shape.
bool ReadPlainCsvRecord(std::string_view text, CsvRecord* record);
CsvFault ReadListCsvRecord(std::string_view text, char* name_buffer, CsvRecord* record,
                           std::size_t* column);

}  // namespace nodalux::formats
