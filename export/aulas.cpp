#include <vector>

#include "export/codigos.h"
#include "export/exportador_pasos.h"
#include "export/lectura.h"

namespace pontexa::exportacion {

void Exportador::ExportarAulas() {
  const tables::TableLayout& layout = tables::kAulat;
  tables::DbfWriter tabla(layout);
  const std::size_t abrev = tabla.FieldIndex("ABREV"), nombreCampo = tabla.FieldIndex("NOMBRE"),
                    idSaga = tabla.FieldIndex("IDSAGA");
  ListaCodigos codigos = ListaCodigos::Aulas();
  const std::vector<saga::Element> aulas = documento_.SelectNodes("/document/locations/location");
  tabla.Reserve(aulas.size());
  Avisar(layout.name, 0, aulas.size());
  for (std::size_t i = 0; i < aulas.size(); ++i) {
    const saga::Element& aula = aulas[i];
    const std::string id = IdObligatorio(documento_, aula, {"location", i + 1});
    const std::string nombre = PrimerHijoRecortado(aula);
    const std::string codigo = codigos.Dar(CodigoAula(nombre));

    tabla.Append();
    tabla.SetString(abrev, codigo);
    tabla.SetString(nombreCampo, nombre);
    tabla.SetString(idSaga, id);
    tabla.Post();
    Avisar(layout.name, i + 1, aulas.size());
  }
  Guardar(layout, tabla);
}

}  // namespace pontexa::exportacion
