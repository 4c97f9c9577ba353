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
  IdsVistos vistos;
  for (std::size_t i = 0; i < elementos.size(); ++i) {
    const saga::Element& actual = elementos[i];
    const std::string id = Id(actual, [&] { return Posicion{elemento, i + 1}; });
    if (Observando()) RevisarElemento(layout.name, actual, {elemento, i + 1}, id, vistos);
    const std::string nombre = PrimerHijoRecortado(actual);
    std::string propuesto = codigoDe(nombre);
    const std::string codigo = Observando() ? codigos.Dar(propuesto) : codigos.Dar(std::move(propuesto));
    if (Observando()) RevisarCodigo(layout.name, id, nombre, propuesto, codigo);

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
