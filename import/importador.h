#pragma once

// The import: Mirvane's tables -> the time-tables section of the SAGA document.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/avisos.h"
#include "platform/error.h"
#include "saga/document.h"
#include "tables/transfer_lock.h"
#include "text/numbers.h"

namespace pontexa::importacion {

using Progreso = std::function<void(std::string_view seccion, std::size_t hecho, std::size_t total)>;

struct ResumenImportacion {
  std::size_t dias = 0, intervalos = 0, grupos = 0, miembros = 0, actividades = 0, entradas = 0;
  std::size_t sinColocar = 0;  // rows of SOLUC with day 0
};

// Tables the import cannot turn into a timetable (no day defined while
// sessions are placed).
class ImportError : public pontexa::Error {
 public:
  using pontexa::Error::Error;
};

// Name of the document element's child the import writes (and replaces).
inline constexpr std::string_view kSeccionHorarios = "time-tables";

// Loads `archivo` for an import: the section it already holds, replaced
// anyway, is never built (saga::Document::LoadReplacing). Throws
// saga::DocumentError.
inline saga::Document CargarParaImportar(const std::filesystem::path& archivo) {
  return saga::Document::LoadReplacing(archivo, kSeccionHorarios);
}

// Replaces every time-tables child of the document element by one new section
// built from the tables in `carpeta`. The document is changed in memory only;
// the caller saves it. Throws pontexa::Error. The folder is reserved while
// its tables are read; another transfer in it is waited for as `espera` says.
// An observer hears what the section loses on the way (codes written
// unchanged, rows that give nothing); the section is the same without one.
ResumenImportacion Importar(saga::Document& documento, const std::filesystem::path& carpeta,
                            const text::RegionalSettings& ajustes, const Progreso& progreso = {},
                            const tables::LockWait& espera = {}, Observador* observador = nullptr);

// Imports into a loaded document and saves it atomically, with the SAGA
// file's folder entry and the exchange folder reserved until it is saved.
ResumenImportacion ImportarYGuardar(saga::Document& documento, const std::filesystem::path& carpeta,
                                    const text::RegionalSettings& ajustes, const Progreso& progreso = {},
                                    const tables::LockWait& espera = {});

// Loads `archivo`, imports into it and saves it atomically; no other import
// into the same file, nor transfer in `carpeta`, runs meanwhile.
ResumenImportacion ImportarArchivo(const std::filesystem::path& archivo,
                                   const std::filesystem::path& carpeta,
                                   const text::RegionalSettings& ajustes,
                                   const Progreso& progreso = {}, const tables::LockWait& espera = {},
                                   Observador* observador = nullptr);

// How the new time-tables section differs from the file's: inputs compared by
// day, interval, subject, group, teacher and room, repeats counted.
struct CambiosHorario {
  std::size_t antes = 0, despues = 0, anadidas = 0, quitadas = 0;
};

struct ComprobacionImportacion {
  ResumenImportacion resumen;
  CambiosHorario cambios;
  bool completa = false;  // the section was built (no error stopped it)
};

// The dry run: loads `archivo` and builds the new section exactly as
// ImportarArchivo does, then stops before the save; an interrupted
// replacement of the tables is reported, not finished, and no lock file is
// taken. Nothing on disk changes. Every warning and the errors that would
// stop the import go to the observer (none is raised).
ComprobacionImportacion ComprobarImportacion(const std::filesystem::path& archivo,
                                             const std::filesystem::path& carpeta,
                                             const text::RegionalSettings& ajustes, Observador& observador);

}  // namespace pontexa::importacion
