// One record line of an AutoRoute CSV file: longitude, latitude and name,
// read list-directed (separators, null values, "/", repeat counts, quoted
// names with the quote doubled inside), exactly as Fortran list input reads
// them. The everyday shape of a record (two plain numbers and a quoted or
// one-word name) is recognised by a fast path whose results are those of
// the general path wherever it accepts a line; everything else takes the
// general path.
#pragma once

#include <cstddef>
#include <cstdint>
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

// `digits` / 10^`decimals` (at most 2^24 and 10), rounded once to a float:
// the fast path's conversion, exposed for the test that checks it against
// the float division for every such pair.
float DecimalQuotient(std::uint32_t digits, int decimals);

// The two paths on their own, for the test that holds them to each other.
// The fast path gives false, and leaves `record` alone, for every line that
// is not of the plain shape.
bool ReadPlainCsvRecord(std::string_view text, CsvRecord* record);
// The fast path on bytes that may run on past the line: a plain record
// whose quoted name ends its line (a line feed, or a carriage return and a
// line feed, right after the closing quote), at most `max_length` bytes
// long without its line end. Gives how many bytes the line takes with its
// line end, and sets `poi` and `*length` (the line without its end); or
// gives 0, and leaves both alone, for anything else. Where it accepts a
// line, the result is ReadPlainCsvRecord's on that line. (Plain values, not
// a CsvRecord: its optional values are slow to pass back and forth.)
std::size_t ReadPlainCsvLine(std::string_view bytes, std::size_t max_length, PoiView* poi,
                             std::size_t* length);
CsvFault ReadListCsvRecord(std::string_view text, char* name_buffer, CsvRecord* record,
                           std::size_t* column);

}  // namespace nodalux::formats
