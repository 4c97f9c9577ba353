#include "tables/text_index.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace pontexa::tables {
namespace {

std::uint32_t HashOf(std::string_view text) {
  const std::size_t full = std::hash<std::string_view>{}(text);
  return static_cast<std::uint32_t>(full ^ (full >> 32));
}

// At most half full, so a probe rarely goes past its first slot.
std::size_t SlotsFor(std::size_t texts) {
  std::size_t slots = 16;
  while (slots < texts * 2) slots *= 2;
  return slots;
}

}  // namespace

TextIndex::TextIndex(std::size_t expected) : slots_(SlotsFor(expected)) { static_assert(sizeof(Slot) == 16); }

std::string_view TextIndex::TextOf(const Slot& slot) const {
  if (slot.length != kLong) return std::string_view(slot.text, slot.length);
  std::uint32_t start = 0, length = 0;
  std::memcpy(&start, slot.text, sizeof start);
  std::memcpy(&length, longTexts_.data() + start, sizeof length);
  return std::string_view(longTexts_).substr(start + sizeof length, length);
}

std::size_t TextIndex::Probe(std::string_view text, std::uint32_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.length == kEmpty) return at;
    if (slot.hash == hash && TextOf(slot) == text) return at;
  }
}

bool TextIndex::Insert(std::string_view text, std::uint32_t position) {
  if ((size_ + 1) * 2 > slots_.size()) Grow();
  const std::uint32_t hash = HashOf(text);
  Slot& slot = slots_[Probe(text, hash)];
  if (slot.length != kEmpty) return false;
  slot.hash = hash;
  slot.position = position;
  if (text.size() <= kInline) {
    slot.length = static_cast<std::uint8_t>(text.size());
    std::copy(text.begin(), text.end(), slot.text);
  } else {
    slot.length = kLong;
    const auto start = static_cast<std::uint32_t>(longTexts_.size());
    const auto length = static_cast<std::uint32_t>(text.size());
    std::memcpy(slot.text, &start, sizeof start);
    longTexts_.append(reinterpret_cast<const char*>(&length), sizeof length);
    longTexts_.append(text);
  }
  ++size_;
  return true;
}

std::optional<std::size_t> TextIndex::Find(std::string_view text) const {
  const Slot& slot = slots_[Probe(text, HashOf(text))];
  if (slot.length == kEmpty) return std::nullopt;
  return slot.position;
}

void TextIndex::Grow() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.length == kEmpty) continue;
    std::size_t at = slot.hash & mask;
    while (slots_[at].length != kEmpty) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

}  // namespace pontexa::tables
