// The groups, members and activities sections: the rows of GRUPOST, PROFT and
// ASIGNOMT whose code some row of SOLUC carries (placed or not), in the record
// order of those tables. Each subject used becomes activity a1, a2, ... and
// fills the two working lists the inputs need.
//
// SOLUC is walked once to gather the codes it uses; each table row is then
// tested against that set, which answers what a walk of SOLUC per row answers.

#include <string>

#include "import/importador_core.h"
#include "import/indice_textos.h"

namespace pontexa::importacion {

namespace {

struct CodigosUsados {
  IndiceTextos grupos, profesores, asignaturas;
};

CodigosUsados ReunirCodigos(tables::Table& soluc) {
  const tables::Field codGrupo = soluc.FieldByName("CODGRUPO");
  const tables::Field prof = soluc.FieldByName("PROF");
  const tables::Field asig = soluc.FieldByName("ASIG");
  CodigosUsados usados;
  for (soluc.First(); !soluc.Eof(); soluc.Next()) {
    usados.grupos.Anadir(codGrupo.AsString());
    usados.profesores.Anadir(prof.AsString());
    usados.asignaturas.Anadir(asig.AsString());
  }
  return usados;
}

}  // namespace

void Importador::EscribirGruposMiembrosActividades() {
  const CodigosUsados usados = ReunirCodigos(wwTableSoluc);

  // A used group or teacher: one element whose id is the row's IDSAGA.
  auto escribirUsados = [this](tables::Table& tabla, const IndiceTextos& codigos,
                               std::string_view seccion, std::string_view elemento) {
    seccion_.Open(seccion);
    const tables::Field abrev = tabla.FieldByName("ABREV");
    const tables::Field idSaga = tabla.FieldByName("IDSAGA");
    std::size_t escritos = 0;
    for (tabla.First(); !tabla.Eof(); tabla.Next()) {
      if (!codigos.Contiene(abrev.AsString())) continue;
      seccion_.Open(elemento);
      seccion_.Attribute("id", idSaga.AsString());
      seccion_.Close();
      ++escritos;
    }
    seccion_.Close();
    Avisar(seccion, escritos, escritos);
    return escritos;
  };
  resumen_.grupos = escribirUsados(wwTableGrupos, usados.grupos, "groups", "group");
  resumen_.miembros = escribirUsados(wwTableProfesor, usados.profesores, "members", "member");

  ListaActividades.clear();
  ListaAsignaturas.clear();
  seccion_.Open("activities");
  tables::Table& asignaturas = wwTableNomAsg;
  const tables::Field cod = asignaturas.FieldByName("COD");
  const tables::Field nombre = asignaturas.FieldByName("NOMBRE");
  const tables::Field idSaga = asignaturas.FieldByName("IDSAGA");
  for (asignaturas.First(); !asignaturas.Eof(); asignaturas.Next()) {
    if (!usados.asignaturas.Contiene(cod.AsString())) continue;
    const std::string id = "a" + text::FormatInteger(static_cast<std::int64_t>(ListaActividades.size()) + 1);
    seccion_.Open("activity");
    seccion_.Attribute("id", id);
    ListaActividades.push_back(id);
    seccion_.Attribute("name", nombre.AsString());
    std::string clave = idSaga.AsString();
    seccion_.Attribute("subject", clave);
    ListaAsignaturas.push_back(std::move(clave));
    seccion_.Close();
  }
  seccion_.Close();  // activities
  resumen_.actividades = ListaActividades.size();
  Avisar("activities", resumen_.actividades, resumen_.actividades);
}

}  // namespace pontexa::importacion
