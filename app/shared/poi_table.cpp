#include "app/shared/poi_table.h"

#include <algorithm>

namespace nodalux {
namespace {
const POI_RECORD kBlank{};
}  // namespace

PoiTable::PoiTable(const PoiTable& other) { *this = other; }

PoiTable& PoiTable::operator=(const PoiTable& other) {
  if (this == &other) return *this;
  blocks_.clear();
  for (const auto& block : other.blocks_) blocks_.push_back(std::make_unique<Block>(*block));
  held_ = other.held_;
  journaling_ = false;
  saved_.clear();
  journal_.clear();
  return *this;
}

const POI_RECORD& PoiTable::operator[](std::int32_t i) const {
  if (i < 1 || i > held_) return kBlank;
  return (*blocks_[static_cast<std::size_t>((i - 1) / kBlock)])[static_cast<std::size_t>((i - 1) % kBlock)];
}

POI_RECORD& PoiTable::operator[](std::int32_t i) {
  i = std::clamp(i, 1, MAX_POI);
  const auto block = static_cast<std::size_t>((i - 1) / kBlock);
  while (blocks_.size() <= block) blocks_.push_back(std::make_unique<Block>());
  held_ = std::max(held_, i);
  POI_RECORD& slot = (*blocks_[block])[static_cast<std::size_t>((i - 1) % kBlock)];
  if (journaling_ && i <= held_before_ && !saved_[static_cast<std::size_t>(i)]) {
    saved_[static_cast<std::size_t>(i)] = true;
    journal_.emplace_back(i, slot);
  }
  return slot;
}

void PoiTable::begin_changes() {
  journaling_ = true;
  held_before_ = held_;
  saved_.assign(static_cast<std::size_t>(held_) + 1, false);
  journal_.clear();
}

void PoiTable::keep_changes() {
  journaling_ = false;
  saved_ = {};
  journal_ = {};
}

void PoiTable::undo_changes() {
  if (!journaling_) return;
  journaling_ = false;
  for (const auto& [i, old] : journal_) {
    (*blocks_[static_cast<std::size_t>((i - 1) / kBlock)])[static_cast<std::size_t>((i - 1) % kBlock)] = old;
  }
  forget_beyond(held_before_);
  saved_ = {};
  journal_ = {};
}

// Slots after `last` become never used again.
void PoiTable::forget_beyond(std::int32_t last) {
  const auto blocks = static_cast<std::size_t>((last + kBlock - 1) / kBlock);
  blocks_.resize(std::min(blocks_.size(), blocks));
  if (!blocks_.empty() && last % kBlock != 0) {
    Block& tail = *blocks_.back();
    std::fill(tail.begin() + last % kBlock, tail.end(), POI_RECORD{});
  }
  held_ = std::min(held_, last);
}

}  // namespace nodalux
