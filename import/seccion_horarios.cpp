// The time-tables section: one time-tables element holding the single
// time-table, in place of every time-tables child the document element had.

#include <string>

#include "import/importador_core.h"

namespace pontexa::importacion {

namespace {

constexpr std::string_view kSeccion = "time-tables";

std::string TextoRuta(const std::filesystem::path& ruta) {
  const std::u8string utf8 = ruta.u8string();
  return std::string(utf8.begin(), utf8.end());
}

}  // namespace

saga::Element Importador::NuevoHijo(saga::Element padre, std::string_view nombre) {
  saga::Element hijo = documento_.CreateElement(nombre);
  padre.AppendChild(hijo);
  return hijo;
}

// The section is made outside the tree; ReemplazarSeccion puts it in.
saga::Element Importador::CrearHorario() {
  if (!documento_.DocumentElement()) {
    throw saga::DocumentError("El archivo '" + TextoRuta(documento_.Path()) +
                              "' no tiene elemento raíz: no se puede importar en él");
  }
  saga::Element seccion = documento_.CreateElement(kSeccion);
  horario_ = NuevoHijo(seccion, "time-table");
  horario_.SetAttribute("id", "tt" + text::FormatInteger(1));
  horario_.SetAttribute("name", "Mirvane");
  return seccion;
}

void Importador::ReemplazarSeccion(saga::Element seccionNueva) {
  saga::Element raiz = documento_.DocumentElement();
  for (saga::Element vieja = raiz.SelectSingleNode(kSeccion); vieja; vieja = raiz.SelectSingleNode(kSeccion)) {
    raiz.RemoveChild(vieja);
  }
  raiz.AppendChild(seccionNueva);
}

}  // namespace pontexa::importacion
