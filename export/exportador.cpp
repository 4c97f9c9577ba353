#include "export/exportador.h"

#include "export/exportador_pasos.h"
#include "platform/temporary_folder.h"

namespace pontexa::exportacion {
namespace {
// Progress is reported at the start and end of each table and every this many records.
constexpr std::size_t kCadaRegistros = 64;
}  // namespace

Exportador::Exportador(const saga::Document& documento, tables::TableReplacement& reemplazo,
                       const text::RegionalSettings& ajustes, const Progreso& progreso, Observador* observador)
    : documento_(documento), observador_(observador), reemplazo_(reemplazo), ajustes_(ajustes), progreso_(progreso) {}

std::filesystem::path Exportador::Preparada(std::string_view tabla) {
  auto it = preparadas_.find(tabla);
  if (it == preparadas_.end()) it = preparadas_.emplace(std::string(tabla), reemplazo_.StagingPath(tabla)).first;
  return it->second;
}

void Exportador::Guardar(const tables::TableLayout& layout, const tables::DbfWriter& tabla) {
  tabla.WriteTo(Preparada(layout.name));
  resumen_.registros.emplace_back(std::string(layout.name), tabla.RecordCount());
}

void Exportador::Avisar(std::string_view tabla, std::size_t hecho, std::size_t total) const {
  if (!progreso_) return;
  if (hecho == 0 || hecho == total || hecho % kCadaRegistros == 0) progreso_(tabla, hecho, total);
}

namespace {

void EjecutarPasos(Exportador& exportador) {
  exportador.ExportarAsignaturas();
  exportador.ExportarProfesores();
  exportador.ExportarAulas();
  exportador.ExportarGrupos();
  exportador.ExportarAsignaciones();
  exportador.ExportarDiasHoras();
}

}  // namespace

ResumenExportacion Exportar(const saga::Document& documento, const std::filesystem::path& carpeta,
                            const text::RegionalSettings& ajustes, const Progreso& progreso,
                            const tables::LockWait& espera, Observador* observador) {
  // One transfer at a time in the folder, from the recovery to the switch.
  const tables::TransferLock reserva =
      tables::TransferLock::ForExchangeFolder(carpeta, tables::TransferLock::Use::Write, espera);
  // The new tables are built aside; until Commit() the folder keeps the old ones.
  tables::TableReplacement reemplazo(carpeta);
  Exportador exportador(documento, reemplazo, ajustes, progreso, observador);
  EjecutarPasos(exportador);
  reemplazo.Commit();
  return exportador.Resumen();
}

ResumenExportacion ComprobarExportacion(const saga::Document& documento, const text::RegionalSettings& ajustes,
                                        Observador& observador) {
  const platform::TemporaryFolder aparte("pontexa-comprobar-");
  ResumenExportacion resumen;
  {
    // Never committed: its staging files go with it, the folder after it.
    tables::TableReplacement reemplazo(aparte.Path());
    Exportador exportador(documento, reemplazo, ajustes, {}, &observador);
    EjecutarPasos(exportador);
    resumen = exportador.Resumen();
  }
  return resumen;
}

}  // namespace pontexa::exportacion
