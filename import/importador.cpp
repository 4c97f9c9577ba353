#include "import/importador.h"

#include "import/importador_core.h"
#include "tables/table_replacement.h"

namespace pontexa::importacion {

Importador::Importador(saga::Document& documento, const std::filesystem::path& carpeta,
                       const text::RegionalSettings& ajustes, const Progreso& progreso)
    : documento_(documento),
      ajustes_(ajustes),
      progreso_(progreso),
      wwTableNomAsg(carpeta, "ASIGNOMT", ajustes),
      wwTableAulas(carpeta, "AULAT", ajustes),
      wwTableGrupos(carpeta, "GRUPOST", ajustes),
      wwTableDiasHoras(carpeta, "DIASHORAST", ajustes),
      wwTableProfesor(carpeta, "PROFT", ajustes),
      wwTableSoluc(carpeta, "SOLUC", ajustes),
      seccion_(documento) {}

void Importador::Avisar(std::string_view seccion, std::size_t hecho, std::size_t total) const {
  if (progreso_) progreso_(seccion, hecho, total);
}

ResumenImportacion Importador::Ejecutar() {
  AbrirHorario();
  AbrirTablas();
  EscribirDias();
  EscribirGruposMiembrosActividades();
  EscribirEntradas();
  CerrarTablas();
  ListaActividades.clear();
  ListaAsignaturas.clear();
  CerrarHorario();
  ReemplazarSeccion();
  return resumen_;
}

namespace {

// The import proper, by the holder of the folder's reservation.
ResumenImportacion ImportarReservada(saga::Document& documento, const std::filesystem::path& carpeta,
                                     const text::RegionalSettings& ajustes, const Progreso& progreso) {
  // A crashed export may have left its tables half switched; finish that
  // first, where the folder can be written (an import only reads it).
  if (tables::InterruptedReplacementPending(carpeta)) tables::RecoverInterruptedReplacement(carpeta);
  return Importador(documento, carpeta, ajustes, progreso).Ejecutar();
}

tables::TransferLock ReservaCarpeta(const std::filesystem::path& carpeta, const tables::LockWait& espera) {
  return tables::TransferLock::ForExchangeFolder(carpeta, tables::TransferLock::Use::Read, espera);
}

}  // namespace

ResumenImportacion Importar(saga::Document& documento, const std::filesystem::path& carpeta,
                            const text::RegionalSettings& ajustes, const Progreso& progreso,
                            const tables::LockWait& espera) {
  const tables::TransferLock reserva = ReservaCarpeta(carpeta, espera);
  return ImportarReservada(documento, carpeta, ajustes, progreso);
}

ResumenImportacion ImportarYGuardar(saga::Document& documento, const std::filesystem::path& carpeta,
                                    const text::RegionalSettings& ajustes, const Progreso& progreso,
                                    const tables::LockWait& espera) {
  const tables::TransferLock archivo = tables::TransferLock::ForSagaFile(documento.Path(), espera);
  const tables::TransferLock reserva = ReservaCarpeta(carpeta, espera);
  const ResumenImportacion resumen = ImportarReservada(documento, carpeta, ajustes, progreso);
  documento.Save();
  return resumen;
}

ResumenImportacion ImportarArchivo(const std::filesystem::path& archivo, const std::filesystem::path& carpeta,
                                   const text::RegionalSettings& ajustes, const Progreso& progreso,
                                   const tables::LockWait& espera) {
  // Reserved before it is read, so that two imports into one file never
  // lose one another's work.
  const tables::TransferLock reservaArchivo = tables::TransferLock::ForSagaFile(archivo, espera);
  const tables::TransferLock reserva = ReservaCarpeta(carpeta, espera);
  saga::Document documento = CargarParaImportar(archivo);
  const ResumenImportacion resumen = ImportarReservada(documento, carpeta, ajustes, progreso);
  documento.Save();
  return resumen;
}

}  // namespace pontexa::importacion
