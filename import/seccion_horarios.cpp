// The time-tables section: one time-tables element holding the single
// time-table, in place of every time-tables child the document element had.

#include <string>

#include "import/importador_core.h"
#include "platform/utf8_path.h"

namespace pontexa::importacion {

namespace {

constexpr std::string_view kSeccion = kSeccionHorarios;

std::string TextoRuta(const std::filesystem::path& ruta) {
  return platform::Utf8(ruta);
}

}  // namespace

// The section is written outside the tree; ReemplazarSeccion puts it in.
void Importador::AbrirHorario() {
  if (!documento_.DocumentElement()) {
    throw saga::DocumentError("El archivo '" + TextoRuta(documento_.Path()) +
                              "' no tiene elemento raíz: no se puede importar en él");
  }
  seccion_.Open(kSeccion);
  seccion_.Open("time-table");
  seccion_.Attribute("id", "tt" + text::FormatInteger(1));
  seccion_.Attribute("name", "Mirvane");
}

void Importador::CerrarHorario() {
  seccion_.Close();  // time-table
  seccion_.Close();  // time-tables
}

void Importador::ReemplazarSeccion() {
  saga::Element raiz = documento_.DocumentElement();
  for (saga::Element vieja = raiz.SelectSingleNode(kSeccion); vieja; vieja = raiz.SelectSingleNode(kSeccion)) {
    raiz.RemoveChild(vieja);
  }
  raiz.AppendSection(std::move(seccion_));
}

}  // namespace pontexa::importacion
