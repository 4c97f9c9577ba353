#pragma once

// The six steps of the export, each building one table aside in the exchange
// folder. Exportar() runs them in order and puts the tables in place only when
// all six are complete.

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "export/codigos.h"
#include "export/exportador.h"
#include "export/lectura.h"
#include "platform/avisos.h"
#include "saga/document.h"
#include "tables/dbf_writer.h"
#include "tables/layouts.h"
#include "tables/table_replacement.h"
#include "text/numbers.h"

namespace pontexa::exportacion {

class Exportador {
 public:
  Exportador(const saga::Document& documento, tables::TableReplacement& reemplazo,
             const text::RegionalSettings& ajustes, const Progreso& progreso, Observador* observador = nullptr);

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

  // avisos_exportacion.cpp: what the steps tell an observer. Nothing of it
  // runs without one, so the real export pays nothing for it.
  bool Observando() const { return observador_ != nullptr; }
  void Notificar(std::string tipo, std::string mensaje, std::vector<Dato> datos);
  // Raises `error`, unless the observer gathers every error (a dry run): then
  // the step goes on as if the value were empty.
  void Fallar(const ExportError& error, std::string tipo, std::vector<Dato> datos);
  // The element's trimmed id; a missing one fails as above and reads as ''.
  template <typename HacerPosicion>
  std::string Id(const saga::Element& elemento, HacerPosicion hacerPosicion) {
    if (std::optional<std::string> id = elemento.Attribute("id")) return Recortar(std::move(*id));
    return IdQueFalta(elemento, hacerPosicion());
  }
  std::string IdQueFalta(const saga::Element& elemento, const Posicion& posicion);
  // When observing: an id that will not come back from IDSAGA as it is, and
  // one already given by an earlier element of the same list.
  using IdsVistos = std::unordered_map<std::string, std::size_t>;
  void RevisarElemento(std::string_view tabla, const saga::Element& elemento, const Posicion& posicion,
                       const std::string& id, IdsVistos& vistos);
  // When observing: a code that had to change to stay unique.
  void RevisarCodigo(std::string_view tabla, const std::string& id, const std::string& nombre,
                     const std::string& propuesto, const std::string& codigo);
  // When observing: a document element that is not `document`.
  void RevisarRaiz();

  const saga::Document& documento_;
  Observador* observador_;
  tables::TableReplacement& reemplazo_;
  text::RegionalSettings ajustes_;
  const Progreso progreso_;  // a copy: callers may pass a temporary
  std::map<std::string, std::filesystem::path, std::less<>> preparadas_;
  ResumenExportacion resumen_;
};

}  // namespace pontexa::exportacion
