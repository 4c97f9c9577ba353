#include "app/arranque.h"

#include "app/aplicacion.h"
#include "tables/exchange_folder.h"

namespace pontexa::app {

std::filesystem::path ArchivoDeEstadoEn(const std::filesystem::path& carpetaPrograma) {
  if (const auto existente = tables::FindIgnoringCase(carpetaPrograma, "Mirvane.ini")) return *existente;
  return carpetaPrograma / "Mirvane.ini";
}

std::filesystem::path CarpetaInicialDelDialogo() { return tables::MapWindowsPath(kCarpetaInicial); }

}  // namespace pontexa::app
