// Writing GPX 1.1 waypoints. The text is appended to a string that the
// caller empties into its file whenever it likes, so a large set needs no
// more memory than the caller allows.
//
// Coordinates are written in the shortest decimal form that reads back as
// the same 32-bit float. Names are UTF-8; characters XML cannot hold (most
// control characters, bytes that are not UTF-8) are written as U+FFFD and
// counted, so that the caller can warn.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "app/formats/gpx/poi.h"

namespace nodalux::gpx {

using formats::Poi;

class Writer {
 public:
  // Appends the XML declaration and the opening gpx element to `out`.
  explicit Writer(std::string& out);

  // Appends one waypoint. Returns false and appends nothing when the
  // position cannot stand in GPX: a coordinate that is not a finite number,
  // a latitude outside -90..90, a longitude outside -180..180.
  bool add(const Poi& poi) { return add(poi.longitude, poi.latitude, poi.name); }
  bool add(float longitude, float latitude, std::string_view name);

  // Appends the closing gpx element.
  void finish();

  // Characters written as U+FFFD so far.
  std::size_t replaced_characters() const { return replaced_; }

 private:
  std::string& out_;
  std::size_t replaced_ = 0;
};

// The shortest decimal text (no exponent) that reads back as `value`.
std::string ShortestDecimal(float value);

}  // namespace nodalux::gpx
