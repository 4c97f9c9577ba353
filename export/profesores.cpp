#include <vector>

#include "export/codigos.h"
#include "export/exportador_pasos.h"
#include "export/lectura.h"

namespace pontexa::exportacion {

void Exportador::ExportarProfesores() {
  const tables::TableLayout& layout = tables::kProft;
  tables::DbfWriter tabla(layout);
  const std::size_t abrev = tabla.FieldIndex("ABREV"), nombreCampo = tabla.FieldIndex("NOMBRE"),
                    idSaga = tabla.FieldIndex("IDSAGA");
  ListaCodigos codigos = ListaCodigos::Profesores();
  const std::vector<saga::Element> profesores = documento_.SelectNodes("/document/teachers/teacher");
  tabla.Reserve(profesores.size());
  Avisar(layout.name, 0, profesores.size());
  for (std::size_t i = 0; i < profesores.size(); ++i) {
    const saga::Element& profesor = profesores[i];
    const std::string id = IdObligatorio(documento_, profesor, {"teacher", i + 1});
    const std::string nombre = PrimerHijoRecortado(profesor);
    const std::string codigo = codigos.Dar(CodigoProfesor(nombre));

    tabla.Append();
    tabla.SetString(abrev, codigo);
    tabla.SetString(nombreCampo, nombre);
    tabla.SetString(idSaga, id);
    tabla.Post();
    Avisar(layout.name, i + 1, profesores.size());
  }
  Guardar(layout, tabla);
}

}  // namespace pontexa::exportacion
