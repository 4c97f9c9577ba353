#pragma once

// The six steps of the export, each building one table aside in the exchange
// folder. Exportar() runs them in order and puts the tables in place only when
// all six are complete.

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "export/codigos.h"
#include "export/exportador.h"
#include "saga/document.h"
#include "tables/dbf_writer.h"
#include "tables/layouts.h"
#include "tables/table_replacement.h"
#include "text/numbers.h"

namespace pontexa::exportacion {

class Exportador {
 public:
  Exportador(const saga::Document& documento, tables::TableReplacement& reemplazo,
             const text::RegionalSettings& ajustes, const Progreso& progreso);

  void ExportarAsignaturas();   // ASIGNOMT
  void ExportarProfesores();    // PROFT
  void ExportarAulas();         // AULAT
  void ExportarGrupos();        // GRUPOST
  void ExportarAsignaciones();  // ASIGT, from the four tables above
  void ExportarDiasHoras();     // DIASHORAST, empty

  const ResumenExportacion& Resumen() const { return resumen_; }

 private:
  // Where the new table is being built; the same file for every call.
  std::filesystem::path Preparada(std::string_view tabla);
  // Writes the finished table aside and notes its record count.
  void Guardar(const tables::TableLayout& layout, const tables::DbfWriter& tabla);
  void Avisar(std::string_view tabla, std::size_t hecho, std::size_t total) const;
  // Teachers and rooms: the key from `id`, the name from the first child, a
  // code from the name, made unique by `codigos`; ABREV, NOMBRE, IDSAGA.
  void ExportarNombrados(const tables::TableLayout& layout, std::string_view ruta, std::string_view elemento,
                         ListaCodigos codigos, std::string (*codigoDe)(std::string_view nombre));

  const saga::Document& documento_;
  tables::TableReplacement& reemplazo_;
  text::RegionalSettings ajustes_;
  const Progreso& progreso_;
  std::map<std::string, std::filesystem::path, std::less<>> preparadas_;
  ResumenExportacion resumen_;
};

}  // namespace pontexa::exportacion
