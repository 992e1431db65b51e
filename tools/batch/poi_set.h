// The POI read from every input, in reading order, as one compact set: the
// positions side by side and the names in one block of bytes, so that a full
// set of 30000 POI with everyday names takes well under a megabyte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nodalux::batch {

// As many POI as the desktop program's table holds.
inline constexpr std::size_t kMaxPoi = 30000;

// What a name's bytes are: the bytes of an OV2 or CSV file (in whatever
// encoding the device used), or UTF-8 text from a GPX file.
enum class NameKind : std::uint8_t { kBytes, kUtf8 };

struct PoiRef {
  float longitude;  // decimal degrees, east positive
  float latitude;   // decimal degrees, north positive
  std::string_view name;
  NameKind kind;
};

class PoiSet {
 public:
  // Room for a full set is set aside at once: the memory is only taken as
  // it is used, and the set is never copied to grow.
  PoiSet();

  std::size_t size() const { return entries_.size(); }
  bool full() const { return entries_.size() >= kMaxPoi; }

  // Adds one POI; its name is copied. The caller checks full() first.
  void add(float longitude, float latitude, std::string_view name, NameKind kind) {
    // Names are at most a few kilobytes (the readers cut them), and the set
    // holds at most kMaxPoi of them, so both fit their fields.
    if (name.size() > kMaxName) name = name.substr(0, kMaxName);
    entries_.push_back({longitude, latitude, static_cast<std::uint32_t>(names_.size()),
                        static_cast<std::uint16_t>(name.size()), kind});
    names_.append(name);
  }
  PoiRef operator[](std::size_t i) const {
    const Entry& e = entries_[i];
    return {e.longitude, e.latitude, std::string_view(names_).substr(e.name_at, e.name_size), e.kind};
  }

 private:
  struct Entry {
    float longitude;
    float latitude;
    std::uint32_t name_at;
    std::uint16_t name_size;
    NameKind kind;
  };
  static constexpr std::size_t kMaxName = 0xFFFF;

  std::vector<Entry> entries_;
  std::string names_;  // one after the other
};

}  // namespace nodalux::batch
