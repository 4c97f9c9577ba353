#pragma once

// The import's working state: the six table components, the time-table being
// built and the two working lists that tie subjects to activity ids. One
// object per import; each step lives in its own file.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "import/importador.h"
#include "saga/document.h"
#include "saga/section_writer.h"
#include "tables/table.h"
#include "text/numbers.h"

namespace pontexa::importacion {

// An input as the comparison of sections sees it.
std::uint64_t FirmaDeEntrada(std::string_view dia, std::string_view intervalo, std::string_view asignatura,
                             std::string_view grupo, std::string_view profesor, std::string_view aula);

class Importador {
 public:
  Importador(saga::Document& documento, const std::filesystem::path& carpeta,
             const text::RegionalSettings& ajustes, const Progreso& progreso, Observador* observador = nullptr,
             std::vector<std::uint64_t>* firmas = nullptr);

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
  // What an observer hears; nothing of it runs without one.
  void Notificar(std::string tipo, std::string mensaje, std::vector<Dato> datos);
  // Raises `error` unless the observer gathers every error (a dry run).
  template <typename E>
  void Fallar(const E& error, std::string tipo, std::vector<Dato> datos) {
    if (observador_ && observador_->Fallar({std::move(tipo), error.what(), std::move(datos)})) return;
    throw error;
  }

  saga::Document& documento_;
  Observador* observador_;
  // When set, each input's day, interval, subject, group, teacher and room,
  // for comparing the new section with the old one.
  std::vector<std::uint64_t>* firmas_;
  // "day|interval" of every interval written, when observing.
  std::unordered_set<std::string> intervalosDefinidos_;
  const text::RegionalSettings ajustes_;
  const Progreso progreso_;  // a copy: callers may pass a temporary

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
