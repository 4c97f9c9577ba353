#include "saga/messages.h"

#include "text/numbers.h"

namespace pontexa::saga::detail {

std::string Quoted(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return "'" + std::string(utf8.begin(), utf8.end()) + "'";
}

std::string NotValidXml(const std::filesystem::path& path) {
  return "El archivo " + Quoted(path) + " no es un XML válido";
}

std::string Position(std::size_t line, std::size_t column) {
  return "línea " + text::FormatInteger(static_cast<long long>(line)) + ", columna " +
         text::FormatInteger(static_cast<long long>(column));
}

}  // namespace pontexa::saga::detail
