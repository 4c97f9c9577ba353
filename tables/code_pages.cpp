#include "tables/code_pages.h"

#include "tables/dbf_format.h"
#include "text/cp1252.h"

namespace pontexa::tables::dbf {

CodePage CodePageOfDriver(std::uint8_t languageDriver) {
  switch (languageDriver) {
    case kDriverCp437: return CodePage::Cp437;
    case kDriverCp850: return CodePage::Cp850;
    case kDriverUnset:
    case kDriverCp1252:
    case kDriverAnsi:
    case kDriverWesternAnsi:
    case kDriverSpanishAnsi:
    default: return CodePage::Cp1252;
  }
}

CodePageConverter::CodePageConverter(CodePage codePage) {
  for (int byte = 0; byte < 256; ++byte) map_[byte] = static_cast<char>(byte);
  if (codePage == CodePage::Cp1252) return;
  const auto& upper = codePage == CodePage::Cp437 ? kCp437UpperHalf : kCp850UpperHalf;
  for (int i = 0; i < 128; ++i) {
    const auto ansi = text::UnicodeToCp1252(upper[i]);
    map_[128 + i] = ansi ? static_cast<char>(*ansi) : '?';
  }
  identity_ = false;
}

std::string CodePageConverter::ToAnsi(std::string_view bytes) const {
  std::string out(bytes);
  if (identity_) return out;
  for (char& c : out) c = map_[static_cast<unsigned char>(c)];
  return out;
}

}  // namespace pontexa::tables::dbf
