#pragma once

// Mirvane's settings file, where the automated run leaves its status.
// A tiny INI editor: it changes one line and keeps every other byte of the
// file (sections, keys, comments, blank lines, line ends) as it was.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace pontexa::app {

inline constexpr std::string_view kSeccionEstado = "Transformadores";
inline constexpr std::string_view kClaveEstado = "Transformado";

// `contenido` with `clave`=`valor` in `seccion`, as the Windows profile
// writer does it: section and key are found ignoring letter case (the first
// of each wins); an existing key line is replaced, a missing key is added
// after the last non-blank line of its section, a missing section is added at
// the end. New lines use the file's own line end (CRLF for a file without one).
std::string PonerValorIni(std::string_view contenido, std::string_view seccion, std::string_view clave,
                          std::string_view valor);

// Writes the status into `archivo` (created when missing): atomically where
// its folder allows, else rewritten in place, so the status reaches Mirvane
// from a program folder the user may not write; a link keeps pointing at the
// file it names. Throws pontexa::Error naming the file.
void EscribirEstado(const std::filesystem::path& archivo, std::int32_t estado);

}  // namespace pontexa::app
