#include "app/shared/poi_table.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace nodalux {
namespace {

// Names no slot holds any more are dropped once they take more room than
// this and than the names still held.
constexpr std::size_t kUnusedNameBytes = 64 * 1024;
constexpr std::size_t kFirstNameBlock = 16 * 1024;

}  // namespace

PoiTable::NameBlock::~NameBlock() { std::free(data_); }

std::uint32_t PoiTable::NameBlock::append(std::string_view bytes) {
  const std::size_t at = size_;
  if (bytes.size() > capacity_ - size_) {
    // The bytes may be a name of this block, which may move.
    const bool inside = data_ != nullptr && bytes.data() >= data_ && bytes.data() < data_ + size_;
    const std::size_t offset = inside ? static_cast<std::size_t>(bytes.data() - data_) : 0;
    const std::size_t capacity = std::max({capacity_ * 2, size_ + bytes.size(), kFirstNameBlock});
    char* grown = static_cast<char*>(std::realloc(data_, capacity));
    if (grown == nullptr) throw std::bad_alloc();
    data_ = grown;
    capacity_ = capacity;
    if (inside) bytes = std::string_view(data_ + offset, bytes.size());
  }
  if (!bytes.empty()) std::memcpy(data_ + size_, bytes.data(), bytes.size());
  size_ += bytes.size();
  return static_cast<std::uint32_t>(at);
}

PoiTable::PoiTable(const PoiTable& other) { *this = other; }

PoiTable& PoiTable::operator=(const PoiTable& other) {
  if (this == &other) return *this;
  slots_ = other.slots_;
  names_ = other.names_;
  held_name_bytes_ = other.held_name_bytes_;
  journaling_ = false;
  saved_.clear();
  journal_.clear();
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
  if (!names_) names_ = std::make_shared<NameBlock>();
  // Room for every slot at once, which costs nothing until a slot is used,
  // rather than copies as the table grows.
  if (slots_.capacity() == 0) slots_.reserve(MAX_POI);
  // Slots are mostly taken one after the other; a slot first used now has
  // nothing to keep in a journal.
  if (i == held() + 1 && i <= MAX_POI) return slots_.emplace_back();
  i = std::clamp(i, 1, MAX_POI);
  if (i > held()) slots_.resize(static_cast<std::size_t>(i));
  Slot& slot = slots_[static_cast<std::size_t>(i - 1)];
  if (journaling_ && i <= held_before_ && !saved_[static_cast<std::size_t>(i)]) {
    saved_[static_cast<std::size_t>(i)] = true;
    journal_.emplace_back(i, slot);
  }
  return slot;
}

// The old name's bytes stay where they are (a journal, or another table,
// may still need them); the new name goes after the last one.
void PoiTable::set_name(Slot& slot, std::string_view name) {
  name = KeptName(name);
  held_name_bytes_ += name.size() - slot.name_size;
  slot.name_at = names_->append(name);
  slot.name_size = static_cast<std::uint32_t>(name.size());
}

void PoiTable::put_anywhere(std::int32_t i, float longitude, float latitude, std::string_view name) {
  Slot& slot = slot_for_change(i);
  slot.longitude = longitude;
  slot.latitude = latitude;
  set_name(slot, name);
  compact_if_wasteful();
}

void PoiTable::update_some(std::int32_t i, std::optional<float> longitude, std::optional<float> latitude,
                           std::optional<std::string_view> name) {
  Slot& slot = slot_for_change(i);
  if (longitude) slot.longitude = *longitude;
  if (latitude) slot.latitude = *latitude;
  if (name) set_name(slot, *name);
  compact_if_wasteful();
}

void PoiTable::clear() {
  slots_.clear();
  names_.reset();
  held_name_bytes_ = 0;
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
  slots_.resize(std::min(slots_.size(), static_cast<std::size_t>(held_before_)));
  saved_ = {};
  journal_ = {};
  held_name_bytes_ = 0;
  for (const Slot& slot : slots_) held_name_bytes_ += slot.name_size;
  compact_if_wasteful();
}

// Once the names no slot holds take more room than those held, the held
// ones move to a block of their own; never while a journal may point at
// old names.
void PoiTable::compact_if_wasteful() {
  if (journaling_ || !names_) return;
  const std::size_t unused = names_->size() - held_name_bytes_;
  if (unused <= kUnusedNameBytes || unused <= held_name_bytes_) return;
  auto kept = std::make_shared<NameBlock>();
  for (Slot& slot : slots_) slot.name_at = kept->append({names_->data() + slot.name_at, slot.name_size});
  names_ = std::move(kept);
}

}  // namespace nodalux
