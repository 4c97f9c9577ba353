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
  static constexpr std::size_t kInline = 15;  // texts up to this long live in the slot
  static constexpr std::uint8_t kEmpty = 0xFF;
  static constexpr std::uint8_t kLong = 0xFE;
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t position = 0;
    std::uint32_t longText = 0;  // into longTexts_, for a long one
    std::uint8_t length = kEmpty;
    char text[kInline] = {};
  };

  std::string_view TextOf(const Slot& slot) const;
  std::size_t Probe(std::string_view text, std::uint32_t hash) const;  // the slot holding it, or a free one
  void Grow();

  std::vector<Slot> slots_;  // a power of two in size
  std::vector<std::string> longTexts_;
  std::size_t size_ = 0;
};

}  // namespace pontexa::tables
