#pragma once

// The two directions done by the core: the SAGA document, the export and the
// import over the exchange folder.

#include <optional>

#include "app/transferencias.h"
#include "saga/document.h"

namespace pontexa::app {

// The SAGA document of the current or last run.
extern std::optional<saga::Document> XMLDoc;

class TransferenciasDelNucleo : public Transferencias {
 public:
  void Cargar(const std::filesystem::path& archivo, Uso uso) override;
  void Exportar() override;
  void Importar() override;
};

}  // namespace pontexa::app
