#pragma once

// The first position of each distinct text, found with one probe into a flat
// array in the common case: the lookups behind Table::Locate run once per
// assigned subject and teacher, and a node-based map costs several cache
// misses each.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pontexa::tables {

class TextIndex {
 public:
  explicit TextIndex(std::size_t expected = 0);

  // Notes `position` (a record number, so below 2^32) for `text` unless the
  // text already has one; returns whether it was new.
  bool Insert(std::string_view text, std::uint32_t position);
  std::optional<std::size_t> Find(std::string_view text) const;
  std::size_t Size() const { return size_; }

 private:
  // 16 bytes a slot, so four share a cache line and the array of a table of
  // tens of thousands of records stays in the processor's cache.
  static constexpr std::size_t kInline = 7;  // texts up to this long live in the slot
  static constexpr std::uint8_t kEmpty = 0xFF;
  static constexpr std::uint8_t kLong = 0xFE;
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t position = 0;
    std::uint8_t length = kEmpty;
    char text[kInline] = {};  // a long text: where it starts in longTexts_ (4 bytes)
  };

  std::string_view TextOf(const Slot& slot) const;
  std::size_t Probe(std::string_view text, std::uint32_t hash) const;  // the slot holding it, or a free one
  void Grow();

  std::vector<Slot> slots_;  // a power of two in size
  // Texts too long for a slot, one after another, each after its length (4 bytes).
  std::string longTexts_;
  std::size_t size_ = 0;
};

}  // namespace pontexa::tables
