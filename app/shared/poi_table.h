// The POI record and the table that holds POI records: slots 1..MAX_POI,
// each keeping what it last held. The table holds what has been put into
// it, not its capacity: a slot never used reads blank, and a slot takes
// its coordinates and its name's own bytes (a name's trailing blanks are
// not kept; they are not significant), not the 128 characters of a record.
//
// Names lie one after the other in a block that only ever grows; tables
// may share a block (a copy of a table, the group copied from the loaded
// POI), each slot naming its own bytes in it. A block is never changed in
// place: names no slot holds any more are dropped by moving the rest to a
// new block.
//
// While a file is being loaded the table can keep a journal of the slots the
// load overwrites, so that a load that fails half-way puts every slot back
// as it was.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/core/text.h"

namespace nodalux {

struct POI_RECORD {
  float LONGITUDE = 0.0f;  // decimal degrees, east positive
  float LATITUDE = 0.0f;   // decimal degrees, north positive
  zarv::Text<128> NAME;
};

inline constexpr std::int32_t MAX_POI = 30000;

// One slot as the table holds it; the name has no trailing blanks. Valid
// until the table next changes.
struct PoiRef {
  float longitude = 0.0f;
  float latitude = 0.0f;
  std::string_view name;
};

class PoiTable {
 public:
  PoiTable() = default;
  PoiTable(const PoiTable& other);
  PoiTable& operator=(const PoiTable& other);
  PoiTable(PoiTable&&) noexcept = default;
  PoiTable& operator=(PoiTable&&) noexcept = default;

  // Slot i, 1..MAX_POI, as a record of its own. Reading a slot never used
  // gives a blank record. (A copy: change slots with put() and update().)
  const POI_RECORD operator[](std::int32_t i) const;
  // Slot i without building its 128-character name.
  PoiRef at(std::int32_t i) const {
    if (i < 1 || i > held()) return {};
    const Slot& slot = slots_[static_cast<std::size_t>(i - 1)];
    return {slot.longitude, slot.latitude, {names_->data() + slot.name_at, slot.name_size}};
  }
  // The highest slot ever used.
  std::int32_t held() const { return static_cast<std::int32_t>(slots_.size()); }
  // The memory the names take, those no slot holds any more included.
  std::size_t name_bytes() const { return names_ ? names_->size() : 0; }

  // Slot i (clamped to 1..MAX_POI) gets these values; the table grows to
  // hold it. A name longer than 128 bytes keeps its first 128.
  void put(std::int32_t i, float longitude, float latitude, std::string_view name) {
    // The readers' way: the slot after the last one, the table growing.
    if (i == held() + 1 && i <= MAX_POI && names_) {
      name = KeptName(name);
      slots_.push_back({longitude, latitude, names_->append(name), static_cast<std::uint32_t>(name.size())});
      held_name_bytes_ += name.size();
      return;
    }
    put_anywhere(i, longitude, latitude, name);
  }
  void put(std::int32_t i, const POI_RECORD& record) {
    put(i, record.LONGITUDE, record.LATITUDE, record.NAME.view());
  }
  // As put(), where a value that is absent leaves what the slot held.
  void update(std::int32_t i, std::optional<float> longitude, std::optional<float> latitude,
              std::optional<std::string_view> name) {
    if (longitude && latitude && name) {
      put(i, *longitude, *latitude, *name);
    } else {
      update_some(i, longitude, latitude, name);
    }
  }
  // Slot held() + 1 becomes what slot i of `other` holds: without copying
  // its name where the two tables share their names.
  void append_copy(const PoiTable& other, std::int32_t i) {
    if (!names_ && slots_.empty()) {
      names_ = other.names_;
      if (slots_.capacity() == 0) slots_.reserve(MAX_POI);
    }
    if (names_ == other.names_ && !journaling_ && held() < MAX_POI && i >= 1 && i <= other.held()) {
      const Slot& slot = other.slots_[static_cast<std::size_t>(i - 1)];
      slots_.push_back(slot);
      held_name_bytes_ += slot.name_size;
      return;
    }
    const PoiRef poi = other.at(i);
    put(held() + 1, poi.longitude, poi.latitude, poi.name);
  }
  // Every slot reads blank again, as in a new table.
  void clear();

  // From now on, the old content of every slot changed is kept, until
  // keep_changes() forgets it or undo_changes() puts it back (and forgets
  // the slots first used since).
  void begin_changes();
  void keep_changes();
  void undo_changes();

 private:
  struct Slot {
    float longitude = 0.0f;
    float latitude = 0.0f;
    std::uint32_t name_at = 0;  // in names_
    std::uint32_t name_size = 0;
  };

  // Bytes that only ever grow. It grows with realloc(), which moves a large
  // block by remapping its pages: neither copied nor touched again.
  class NameBlock {
   public:
    NameBlock() = default;
    NameBlock(const NameBlock&) = delete;
    NameBlock& operator=(const NameBlock&) = delete;
    ~NameBlock();
    const char* data() const { return data_; }
    std::size_t size() const { return size_; }
    // Where `bytes` (which may lie in this block) now start.
    std::uint32_t append(std::string_view bytes);

   private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
  };

  // A name as a slot keeps it: its first 128 bytes, trailing blanks dropped.
  static std::string_view KeptName(std::string_view name) {
    return zarv::Trimmed(name.substr(0, std::min<std::size_t>(name.size(), 128)));
  }
  void put_anywhere(std::int32_t i, float longitude, float latitude, std::string_view name);
  void update_some(std::int32_t i, std::optional<float> longitude, std::optional<float> latitude,
                   std::optional<std::string_view> name);
  Slot& slot_for_change(std::int32_t i);
  void set_name(Slot& slot, std::string_view name);
  void compact_if_wasteful();

  std::vector<Slot> slots_;  // slot i at i - 1
  std::shared_ptr<NameBlock> names_;  // present whenever a slot is
  std::size_t held_name_bytes_ = 0;     // of the names the slots hold
  bool journaling_ = false;
  std::int32_t held_before_ = 0;
  std::vector<bool> saved_;
  std::vector<std::pair<std::int32_t, Slot>> journal_;
};

}  // namespace nodalux
