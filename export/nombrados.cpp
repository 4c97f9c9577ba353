#include <vector>

#include "export/exportador_pasos.h"
#include "export/lectura.h"

namespace pontexa::exportacion {

void Exportador::ExportarNombrados(const tables::TableLayout& layout, std::string_view ruta,
                                   std::string_view elemento, ListaCodigos codigos,
                                   std::string (*codigoDe)(std::string_view nombre)) {
  tables::DbfWriter tabla(layout);
  const std::size_t abrev = tabla.FieldIndex("ABREV"), nombreCampo = tabla.FieldIndex("NOMBRE"),
                    idSaga = tabla.FieldIndex("IDSAGA");
  const std::vector<saga::Element> elementos = documento_.SelectNodes(ruta);
  tabla.Reserve(elementos.size());
  Avisar(layout.name, 0, elementos.size());
  for (std::size_t i = 0; i < elementos.size(); ++i) {
    const saga::Element& actual = elementos[i];
    const std::string id = IdObligatorio(documento_, actual, {elemento, i + 1});
    const std::string nombre = PrimerHijoRecortado(actual);
    const std::string codigo = codigos.Dar(codigoDe(nombre));

    tabla.Append();
    tabla.SetString(abrev, codigo);
    tabla.SetString(nombreCampo, nombre);
    tabla.SetString(idSaga, id);
    tabla.Post();
    Avisar(layout.name, i + 1, elementos.size());
  }
  Guardar(layout, tabla);
}

}  // namespace pontexa::exportacion
