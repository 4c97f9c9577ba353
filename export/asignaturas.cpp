#include <vector>

#include "export/codigos.h"
#include "export/exportador_pasos.h"
#include "export/lectura.h"
#include "text/clipper.h"

namespace pontexa::exportacion {
namespace {
constexpr std::string_view kHorasPorDefecto = "4";
constexpr std::int32_t kLargoCodigoLargo = 10;
}  // namespace

void Exportador::ExportarAsignaturas() {
  const tables::TableLayout& layout = tables::kAsignomt;
  tables::DbfWriter tabla(layout);
  const std::size_t cod = tabla.FieldIndex("COD"), codLargo = tabla.FieldIndex("CODLARGO"),
                    nombreCampo = tabla.FieldIndex("NOMBRE"), idSaga = tabla.FieldIndex("IDSAGA"),
                    horasCampo = tabla.FieldIndex("HORAS");
  ListaCodigos codigos = ListaCodigos::Asignaturas();
  const std::vector<saga::Element> asignaturas = documento_.SelectNodes("/document/subjects/subject");
  tabla.Reserve(asignaturas.size());
  Avisar(layout.name, 0, asignaturas.size());
  if (Observando()) RevisarRaiz();
  IdsVistos vistos;
  for (std::size_t i = 0; i < asignaturas.size(); ++i) {
    const saga::Element& asignatura = asignaturas[i];
    const std::string id = Id(asignatura, [&] { return Posicion{"subject", i + 1}; });
    if (Observando()) RevisarElemento(layout.name, asignatura, {"subject", i + 1}, id, vistos);
    const std::string nombre = AtributoRecortado(asignatura, "name");
    // `hours` counts only on an element with more than two attributes.
    const std::string leidas = asignatura.AttributeCount() > 2 ? AtributoRecortado(asignatura, "hours") : std::string();
    const std::string horas = leidas.empty() ? std::string(kHorasPorDefecto) : leidas;

    std::string propuesto = CodigoAsignatura(nombre);
    const std::string codigo = Observando() ? codigos.Dar(propuesto) : codigos.Dar(std::move(propuesto));
    if (Observando()) RevisarCodigo(layout.name, id, nombre, propuesto, codigo);

    tabla.Append();
    tabla.SetString(cod, codigo);
    tabla.SetString(codLargo, Clipper::LeftStr(nombre, kLargoCodigoLargo));
    tabla.SetString(nombreCampo, nombre);
    tabla.SetString(idSaga, id);
    tabla.SetString(horasCampo, horas);
    tabla.Post();
    Avisar(layout.name, i + 1, asignaturas.size());
  }
  Guardar(layout, tabla);
}

}  // namespace pontexa::exportacion
