// Opening the six tables the import reads, each checked for every field the
// import will ask of it, so a table Mirvane wrote without one of them stops
// the import before anything is built.

#include <string_view>

#include "import/importador_core.h"

namespace pontexa::importacion {

namespace {

void AbrirConCampos(tables::Table& tabla, std::initializer_list<std::string_view> campos) {
  tabla.Open();
  for (std::string_view campo : campos) {
    tabla.ReadableFieldByName(campo);  // raises the table layer's error naming field and table
  }
}

}  // namespace

void Importador::AbrirTablas() {
  // The order in which the steps first need them.
  AbrirConCampos(wwTableDiasHoras, {"DIA", "TEXTODIA", "HORA", "HORADESDE", "HORAHASTA"});
  AbrirConCampos(wwTableGrupos, {"ABREV", "IDSAGA"});
  AbrirConCampos(wwTableSoluc, {"CODGRUPO", "PROF", "ASIG", "DIA", "HORA", "SESIONES", "AULA"});
  AbrirConCampos(wwTableProfesor, {"ABREV", "IDSAGA"});
  AbrirConCampos(wwTableNomAsg, {"COD", "NOMBRE", "IDSAGA"});
  AbrirConCampos(wwTableAulas, {"ABREV", "IDSAGA"});
}

void Importador::CerrarTablas() {
  wwTableDiasHoras.Close();
  wwTableSoluc.Close();
  wwTableGrupos.Close();
  wwTableProfesor.Close();
  wwTableAulas.Close();
  wwTableNomAsg.Close();
}

}  // namespace pontexa::importacion
