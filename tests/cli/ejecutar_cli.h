#pragma once

// Runs the built pontexa-cli as a user would, for the command-line tests.

#include <filesystem>
#include <string>

#include "support/temp_folder.h"

namespace pontexa::testing {

struct Salida {
  int codigo = -1;
  std::string out;
  std::string err;
};

// Runs pontexa-cli with `argumentos` (already quoted), capturing both streams
// in files of `tmp`.
Salida Ejecutar(const TempFolder& tmp, const std::string& argumentos);

std::string Citado(const std::filesystem::path& ruta);

// The built pontexa-cli.
std::filesystem::path Programa();

// The last line of a program's output, without its line break.
std::string UltimaLinea(std::string texto);

}  // namespace pontexa::testing
