#pragma once

// The export: SAGA document -> the six tables Mirvane reads.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/avisos.h"
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
// the whole run; another transfer in it is waited for as `espera` says. An
// observer hears what the tables lose on the way; the tables are the same
// with or without one.
ResumenExportacion Exportar(const saga::Document& documento, const std::filesystem::path& carpeta,
                            const text::RegionalSettings& ajustes, const Progreso& progreso = {},
                            const tables::LockWait& espera = {}, Observador* observador = nullptr);

// The dry run: the same six steps, building the tables in a private
// temporary folder that is removed afterwards, and no replacement; nothing of
// the exchange folder is touched (not even its lock file, so it does not wait
// for another transfer). The observer hears every warning and every error
// that would stop the export (when it asks to go on, all of them). The
// summary holds what each table would hold when no error was heard.
ResumenExportacion ComprobarExportacion(const saga::Document& documento, const text::RegionalSettings& ajustes,
                                        Observador& observador);

}  // namespace pontexa::exportacion
