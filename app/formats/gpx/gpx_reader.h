// Reading GPX: the waypoints (wpt) and route points (rtept) of a GPX 1.0 or
// 1.1 file, or of one without a namespace, as POI. The XML is parsed by
// expat, fed a chunk at a time, so memory stays bounded whatever the size of
// the input. Input that could exhaust memory or time is refused: a DOCTYPE
// (and with it every entity declaration), elements nested deeper than
// kMaxDepth, a tag or other markup longer than kMaxMarkupBytes, a name
// longer than kMaxNameBytes.
//
//   nodalux::gpx::Reader reader(source);
//   while (std::optional<Poi> poi = reader.next()) { ... }
//   if (reader.error()) { ... reader.error()->message ... }
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/formats/byte_source.h"
#include "app/formats/gpx/poi.h"

namespace nodalux::gpx {

using formats::ByteSource;
using formats::Poi;

inline constexpr int kMaxDepth = 64;
// A start or end tag with its attributes, a comment, a processing instruction.
inline constexpr std::size_t kMaxMarkupBytes = 64 * 1024;
// The text of one name element, in bytes of UTF-8.
inline constexpr std::size_t kMaxNameBytes = 4096;
// Bytes asked of the source at a time.
inline constexpr std::size_t kChunkBytes = 64 * 1024;

inline constexpr std::string_view kGpx10Namespace = "http://www.topografix.com/GPX/1/0";
inline constexpr std::string_view kGpx11Namespace = "http://www.topografix.com/GPX/1/1";

enum class ErrorKind {
  kReadFailed,         // the source could not be read: the message is the reason
  kMalformed,          // not well-formed XML, or in an encoding expat cannot read
  kDoctype,            // a DOCTYPE declaration
  kTooDeep,            // elements nested deeper than kMaxDepth
  kTooLong,            // markup longer than kMaxMarkupBytes, a name than kMaxNameBytes
  kNotGpx,             // the root element is not gpx of GPX 1.0, 1.1 or no namespace
  kMissingCoordinate,  // a point without its lat or lon attribute
  kBadCoordinate,      // lat or lon that is not a decimal number
  kOutOfRange,         // lat outside -90..90, lon outside -180..180
};

struct Error {
  ErrorKind kind = ErrorKind::kMalformed;
  std::uint64_t line = 0;    // from 1
  std::uint64_t column = 0;  // from 1, in characters
  std::uint64_t offset = 0;  // bytes before the place of the error
  std::string message;       // what is wrong, without the place
};

class Reader {
 public:
  explicit Reader(ByteSource& source);
  ~Reader();
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  // The next point in file order; nothing once reading has ended, at the end
  // of the file or at an error (see error()).
  std::optional<Poi> next();

  // Why reading ended early; empty while reading and after a good end.
  const std::optional<Error>& error() const;
  // Track points met so far: they are not POI and are left out.
  std::size_t track_points() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace nodalux::gpx
