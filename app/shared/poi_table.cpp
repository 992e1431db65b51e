#include "app/shared/poi_table.h"

#include <algorithm>

namespace nodalux {
namespace {

constexpr std::size_t kNameLength = 128;
// Names no slot holds any more are dropped once they take more room than
// this and than the names still held.
constexpr std::size_t kUnusedNameBytes = 64 * 1024;

// A name as a slot keeps it: its first 128 bytes, trailing blanks dropped.
std::string_view Kept(std::string_view name) {
  return zarv::Trimmed(name.substr(0, std::min(name.size(), kNameLength)));
}

}  // namespace

PoiTable::PoiTable(const PoiTable& other) { *this = other; }

PoiTable& PoiTable::operator=(const PoiTable& other) {
  if (this == &other) return *this;
  slots_ = other.slots_;
  names_ = other.names_;
  unused_name_bytes_ = other.unused_name_bytes_;
  journaling_ = false;
  saved_.clear();
  journal_.clear();
  compact_if_wasteful();
  return *this;
}

const POI_RECORD PoiTable::operator[](std::int32_t i) const {
  POI_RECORD record;
  const PoiRef poi = at(i);
  record.LONGITUDE = poi.longitude;
  record.LATITUDE = poi.latitude;
  record.NAME.assign(poi.name);
  return record;
}

PoiTable::Slot& PoiTable::slot_for_change(std::int32_t i) {
  i = std::clamp(i, 1, MAX_POI);
  if (i > held()) {
    if (slots_.capacity() == 0) slots_.reserve(1024);
    slots_.resize(static_cast<std::size_t>(i));
  }
  Slot& slot = slots_[static_cast<std::size_t>(i - 1)];
  if (journaling_ && i <= held_before_ && !saved_[static_cast<std::size_t>(i)]) {
    saved_[static_cast<std::size_t>(i)] = true;
    journal_.emplace_back(i, slot);
  }
  return slot;
}

// The old name's bytes stay where they are (a journal may still need them);
// the new name goes after the last one.
void PoiTable::set_name(Slot& slot, std::string_view name) {
  name = Kept(name);
  unused_name_bytes_ += slot.name_size;
  slot.name_at = static_cast<std::uint32_t>(names_.size());
  slot.name_size = static_cast<std::uint32_t>(name.size());
  names_.append(name);
}

void PoiTable::put(std::int32_t i, float longitude, float latitude, std::string_view name) {
  Slot& slot = slot_for_change(i);
  slot.longitude = longitude;
  slot.latitude = latitude;
  set_name(slot, name);
  compact_if_wasteful();
}

void PoiTable::update(std::int32_t i, std::optional<float> longitude, std::optional<float> latitude,
                      std::optional<std::string_view> name) {
  Slot& slot = slot_for_change(i);
  if (longitude) slot.longitude = *longitude;
  if (latitude) slot.latitude = *latitude;
  if (name) set_name(slot, *name);
  compact_if_wasteful();
}

void PoiTable::clear() {
  slots_.clear();
  names_.clear();
  unused_name_bytes_ = 0;
  keep_changes();
}

void PoiTable::begin_changes() {
  journaling_ = true;
  held_before_ = held();
  saved_.assign(static_cast<std::size_t>(held_before_) + 1, false);
  journal_.clear();
}

void PoiTable::keep_changes() {
  journaling_ = false;
  saved_ = {};
  journal_ = {};
  compact_if_wasteful();
}

void PoiTable::undo_changes() {
  if (!journaling_) return;
  journaling_ = false;
  for (const auto& [i, old] : journal_) slots_[static_cast<std::size_t>(i - 1)] = old;
  forget_beyond(held_before_);
  saved_ = {};
  journal_ = {};
  std::size_t held_bytes = 0;
  for (const Slot& slot : slots_) held_bytes += slot.name_size;
  unused_name_bytes_ = names_.size() - held_bytes;
  compact_if_wasteful();
}

// Slots after `last` become never used again.
void PoiTable::forget_beyond(std::int32_t last) {
  if (last >= held()) return;
  for (std::size_t k = static_cast<std::size_t>(last); k < slots_.size(); ++k) {
    unused_name_bytes_ += slots_[k].name_size;
  }
  slots_.resize(static_cast<std::size_t>(last));
}

// Never while a journal may point at old names.
void PoiTable::compact_if_wasteful() {
  if (journaling_ || unused_name_bytes_ <= kUnusedNameBytes ||
      unused_name_bytes_ <= names_.size() - unused_name_bytes_) {
    return;
  }
  std::string kept;
  kept.reserve(names_.size() - unused_name_bytes_);
  for (Slot& slot : slots_) {
    const std::size_t at = kept.size();
    kept.append(names_, slot.name_at, slot.name_size);
    slot.name_at = static_cast<std::uint32_t>(at);
  }
  names_ = std::move(kept);
  unused_name_bytes_ = 0;
}

}  // namespace nodalux
