#pragma once

// Character data of a table comes in the code page its language driver byte
// names; the system works in Windows-1252. This turns one into the other.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pontexa::tables::dbf {

enum class CodePage { Cp437, Cp850, Cp1252 };

// The code page of a language driver byte. Drivers the system does not know
// are taken as Windows-1252, the code page Mirvane writes.
CodePage CodePageOfDriver(std::uint8_t languageDriver);

// A byte-for-byte translation into Windows-1252; '?' for characters that
// Windows-1252 cannot hold.
class CodePageConverter {
 public:
  explicit CodePageConverter(CodePage codePage);
  bool Identity() const { return identity_; }
  std::string ToAnsi(std::string_view bytes) const;

 private:
  std::array<char, 256> map_{};
  bool identity_ = true;
};

extern const std::array<char16_t, 128> kCp437UpperHalf;
extern const std::array<char16_t, 128> kCp850UpperHalf;

}  // namespace pontexa::tables::dbf
