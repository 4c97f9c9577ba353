#pragma once

// Wording shared by the document's error messages.

#include <cstddef>
#include <filesystem>
#include <string>

namespace pontexa::saga::detail {

// 'path', as UTF-8.
std::string Quoted(const std::filesystem::path& path);
// "El archivo 'x' no es un XML válido"
std::string NotValidXml(const std::filesystem::path& path);
// "línea L, columna C"
std::string Position(std::size_t line, std::size_t column);

}  // namespace pontexa::saga::detail
