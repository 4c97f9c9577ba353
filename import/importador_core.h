#pragma once

// The import's working state: the six table components, the time-table being
// built and the two working lists that tie subjects to activity ids. One
// object per import; each step lives in its own file.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "import/importador.h"
#include "saga/document.h"
#include "saga/section_writer.h"
#include "tables/table.h"
#include "text/numbers.h"

namespace pontexa::importacion {

class Importador {
 public:
  Importador(saga::Document& documento, const std::filesystem::path& carpeta,
             const text::RegionalSettings& ajustes, const Progreso& progreso);

  // Builds the new section aside and only then puts it in the document in
  // place of the old ones, so a failure leaves the document as it was.
  ResumenImportacion Ejecutar();

 private:
  // tablas_importacion.cpp
  void AbrirTablas();
  void CerrarTablas();

  // seccion_horarios.cpp
  void AbrirHorario();
  void CerrarHorario();
  void ReemplazarSeccion();

  // dias.cpp
  void EscribirDias();
  // grupos_miembros_actividades.cpp
  void EscribirGruposMiembrosActividades();
  // entradas.cpp
  void EscribirEntradas();

  void Avisar(std::string_view seccion, std::size_t hecho, std::size_t total) const;

  saga::Document& documento_;
  const text::RegionalSettings ajustes_;
  const Progreso& progreso_;

  tables::Table wwTableNomAsg;
  tables::Table wwTableAulas;
  tables::Table wwTableGrupos;
  tables::Table wwTableDiasHoras;
  tables::Table wwTableProfesor;
  tables::Table wwTableSoluc;

  // The new section, written element by element in document order inside
  // the time-table element.
  saga::SectionWriter seccion_;

  // Same length: the activity id at a position belongs to the subject key at
  // the same position.
  std::vector<std::string> ListaActividades;
  std::vector<std::string> ListaAsignaturas;

  ResumenImportacion resumen_;
};

}  // namespace pontexa::importacion
