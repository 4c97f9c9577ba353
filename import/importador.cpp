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

ResumenImportacion Importar(saga::Document& documento, const std::filesystem::path& carpeta,
                            const text::RegionalSettings& ajustes, const Progreso& progreso) {
  // A crashed export may have left its tables half switched; finish that first.
  tables::RecoverInterruptedReplacement(carpeta);
  return Importador(documento, carpeta, ajustes, progreso).Ejecutar();
}

ResumenImportacion ImportarArchivo(const std::filesystem::path& archivo, const std::filesystem::path& carpeta,
                                   const text::RegionalSettings& ajustes, const Progreso& progreso) {
  saga::Document documento = CargarParaImportar(archivo);
  const ResumenImportacion resumen = Importar(documento, carpeta, ajustes, progreso);
  documento.Save();
  return resumen;
}

}  // namespace pontexa::importacion
