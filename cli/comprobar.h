#pragma once

// `pontexa-cli comprobar`: what a transfer would write and lose, without
// writing anything; and the same warnings after a real transfer (--avisos).

#include <filesystem>
#include <ostream>
#include <string>

#include "platform/avisos.h"

namespace pontexa::cli {

enum class Formato { Texto, Json };

// Runs the dry run of `direccion` ("exportar" or "importar") and prints its
// report on `salida`. Returns the exit status: 0 when the real run would
// succeed (warnings allowed), 1 when it would fail.
int Comprobar(const std::string& direccion, const std::filesystem::path& archivo,
              const std::filesystem::path& carpeta, Formato formato, std::ostream& salida);

// The warnings a real run gathered, grouped as the dry run's text shows them.
void ImprimirAvisos(const Recopilador& recopilador, std::ostream& salida);

}  // namespace pontexa::cli
