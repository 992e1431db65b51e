// The POI record and the table that holds POI records: slots 1..MAX_POI,
// each keeping what it last held. The table holds what has been put into
// it, not its capacity: a slot never used reads blank, and memory grows in
// blocks as slots are first used.
//
// While a file is being loaded the table can keep a journal of the slots the
// load overwrites, so that a load that fails half-way puts every slot back
// as it was.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/core/text.h"

namespace nodalux {

struct POI_RECORD {
  float LONGITUDE = 0.0f;  // decimal degrees, east positive
  float LATITUDE = 0.0f;   // decimal degrees, north positive
  zarv::Text<128> NAME;
};

inline constexpr std::int32_t MAX_POI = 30000;

class PoiTable {
 public:
  PoiTable() = default;
  PoiTable(const PoiTable& other);
  PoiTable& operator=(const PoiTable& other);
  PoiTable(PoiTable&&) noexcept = default;
  PoiTable& operator=(PoiTable&&) noexcept = default;

  // Slot i, 1..MAX_POI. Reading a slot never used gives a blank record.
  const POI_RECORD& operator[](std::int32_t i) const;
  // Slot i to change (the table grows to hold it).
  POI_RECORD& operator[](std::int32_t i);
  // The highest slot ever used.
  std::int32_t held() const { return held_; }

  // From now on, the old content of every slot handed out for a change is
  // kept, until keep_changes() forgets it or undo_changes() puts it back
  // (and forgets the slots first used since).
  void begin_changes();
  void keep_changes();
  void undo_changes();

 private:
  static constexpr std::int32_t kBlock = 1024;
  using Block = std::array<POI_RECORD, kBlock>;

  void forget_beyond(std::int32_t last);

  std::vector<std::unique_ptr<Block>> blocks_;
  std::int32_t held_ = 0;
  bool journaling_ = false;
  std::int32_t held_before_ = 0;
  std::vector<bool> saved_;
  std::vector<std::pair<std::int32_t, POI_RECORD>> journal_;
};

}  // namespace nodalux
