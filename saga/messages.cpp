#include "saga/messages.h"

#include "text/numbers.h"
#include "platform/utf8_path.h"

namespace pontexa::saga::detail {

std::string Quoted(const std::filesystem::path& path) {
  return platform::Quoted(path);
}

std::string NotValidXml(const std::filesystem::path& path) {
  return "El archivo " + Quoted(path) + " no es un XML válido";
}

std::string Position(std::size_t line, std::size_t column) {
  return "línea " + text::FormatInteger(static_cast<long long>(line)) + ", columna " +
         text::FormatInteger(static_cast<long long>(column));
}

}  // namespace pontexa::saga::detail
