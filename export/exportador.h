#pragma once

// The export: SAGA document -> the six tables Mirvane reads.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "saga/document.h"
#include "tables/transfer_lock.h"
#include "text/numbers.h"

namespace pontexa::exportacion {

// A SAGA file the export cannot turn into tables (an element without its id,
// hours out of range). The message names the element and where it is.
class ExportError : public pontexa::Error {
 public:
  using pontexa::Error::Error;
};

// Called as the work goes: the step's table name, records done, records in
// the step (0 when unknown).
using Progreso = std::function<void(std::string_view tabla, std::size_t hecho, std::size_t total)>;

struct ResumenExportacion {
  // (table name, records written), in the order the tables were made.
  std::vector<std::pair<std::string, std::size_t>> registros;
};

// Runs ExportarAsignaturas, ExportarProfesores, ExportarAulas, ExportarGrupos,
// ExportarAsignaciones and ExportarDiasHoras in that order and then replaces
// the six tables of `carpeta` together. Throws pontexa::Error; on any failure
// the tables in `carpeta` are exactly as they were. The folder is reserved for
// the whole run; another transfer in it is waited for as `espera` says.
ResumenExportacion Exportar(const saga::Document& documento, const std::filesystem::path& carpeta,
                            const text::RegionalSettings& ajustes, const Progreso& progreso = {},
                            const tables::LockWait& espera = {});

}  // namespace pontexa::exportacion
