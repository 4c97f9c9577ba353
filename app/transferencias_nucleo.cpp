#include "app/transferencias_nucleo.h"

#include <system_error>

#include "export/exportador.h"
#include "import/importador.h"
#include "platform/error.h"
#include "tables/exchange_folder.h"
#include "text/numbers.h"
#include "platform/utf8_path.h"

namespace pontexa::app {

std::optional<saga::Document> XMLDoc;

namespace {

std::filesystem::path CarpetaDeIntercambio() {
  const std::filesystem::path carpeta = tables::ExchangeFolder();
  std::error_code error;
  if (!std::filesystem::is_directory(carpeta, error)) {
    throw pontexa::Error("No existe la carpeta de intercambio " + platform::Quoted(carpeta));
  }
  return carpeta;
}

saga::Document& Documento() {
  if (!XMLDoc) throw pontexa::Error("No hay ningún archivo de SAGA cargado");
  return *XMLDoc;
}

}  // namespace

void TransferenciasDelNucleo::Cargar(const std::filesystem::path& archivo, Uso uso) {
  // The previous document goes first, also when the new one fails to load.
  XMLDoc.reset();
  XMLDoc.emplace(uso == Uso::Exportar ? saga::Document::LoadForReading(archivo)
                                      : importacion::CargarParaImportar(archivo));
}

void TransferenciasDelNucleo::Exportar() {
  exportacion::Exportar(Documento(), CarpetaDeIntercambio(), text::RegionalSettings::FromEnvironment());
}

void TransferenciasDelNucleo::Importar() {
  saga::Document& documento = Documento();
  // Saved with the folder still reserved, so no export switches the tables meanwhile.
  importacion::ImportarYGuardar(documento, CarpetaDeIntercambio(), text::RegionalSettings::FromEnvironment());
}

}  // namespace pontexa::app
