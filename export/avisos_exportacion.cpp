// What the export steps tell an observer: the cases the tables take silently
// (codes changed, ids that will not come back as they are) and the errors a
// dry run gathers instead of stopping at the first.

#include <string>
#include <utility>
#include <vector>

#include "export/exportador_pasos.h"
#include "export/lectura.h"
#include "text/cp1252.h"
#include "text/numbers.h"

namespace pontexa::exportacion {
namespace {

// IDSAGA of every table keeps this many characters.
constexpr std::size_t kLargoIdSaga = 60;
// What a byte that is not valid in the file's encoding was read as.
constexpr std::string_view kCaracterSustituto = "\xEF\xBF\xBD";

// A text not valid as UTF-8, or holding what the decoding of a broken
// sequence leaves: the table gets '?' for it.
bool TextoRoto(std::string_view utf8) {
  if (utf8.find(kCaracterSustituto) != std::string_view::npos) return true;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const std::size_t largo = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (largo == 0 || i + largo > utf8.size()) return true;
    for (std::size_t k = 1; k < largo; ++k) {
      if ((static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80) return true;
    }
    i += largo;
  }
  return false;
}

std::string Numero(std::size_t n) { return text::FormatInteger(static_cast<std::int64_t>(n)); }

std::string Donde(const saga::Element& elemento, const Posicion& posicion) {
  std::string texto = std::string(posicion.elemento) + " número " + Numero(posicion.numero);
  if (!posicion.contexto.empty()) texto += " " + posicion.contexto;
  return texto + " (línea " + Numero(elemento.Line()) + ")";
}

std::vector<Dato> Ubicacion(const saga::Element& elemento, const Posicion& posicion) {
  return {DatoTexto("elemento", std::string(posicion.elemento)), DatoNumero("numero", posicion.numero),
          DatoNumero("linea", elemento.Line())};
}

}  // namespace

void Exportador::Notificar(std::string tipo, std::string mensaje, std::vector<Dato> datos) {
  observador_->Avisar({std::move(tipo), std::move(mensaje), std::move(datos)});
}

void Exportador::Fallar(const ExportError& error, std::string tipo, std::vector<Dato> datos) {
  if (observador_ && observador_->Fallar({std::move(tipo), error.what(), std::move(datos)})) return;
  throw error;
}

std::string Exportador::IdQueFalta(const saga::Element& elemento, const Posicion& posicion) {
  try {
    IdObligatorio(documento_, elemento, posicion);
  } catch (const ExportError& error) {
    Fallar(error, "falta_id", Ubicacion(elemento, posicion));
  }
  return {};
}

void Exportador::RevisarElemento(std::string_view tabla, const saga::Element& elemento, const Posicion& posicion,
                                 const std::string& id, IdsVistos& vistos) {
  // Built only for an element that has something to say: most have nothing.
  auto datos = [&] {
    std::vector<Dato> d = Ubicacion(elemento, posicion);
    d.insert(d.begin(), DatoTexto("tabla", std::string(tabla)));
    d.push_back(DatoTexto("idsaga", text::AnsiToUtf8(id)));
    return d;
  };
  auto donde = [&] { return Donde(elemento, posicion); };

  const std::optional<std::string> original = elemento.AttributeUtf8("id");
  const bool idRoto = original && TextoRoto(*original);
  const std::optional<std::string> nombre = elemento.AttributeUtf8("name");
  const bool nombreRoto = nombre && TextoRoto(*nombre);
  for (const auto& [atributo, roto] : {std::pair{"id", idRoto}, std::pair{"name", nombreRoto}}) {
    if (!roto) continue;
    std::vector<Dato> d = datos();
    d.push_back(DatoTexto("atributo", atributo));
    Notificar("texto_no_valido",
              "El atributo " + std::string(atributo) + " de " + donde() +
                  " tiene bytes que no son válidos en la codificación del archivo; se escriben como '?'",
              std::move(d));
  }
  // What IDSAGA gives back to the import, compared with what the file says;
  // a plain ASCII id without blanks at its ends always comes back.
  if (original && !idRoto && id.size() <= kLargoIdSaga && *original != id) {
    const std::string vuelta = text::AnsiToUtf8(id);
    if (vuelta != *original) {
      std::vector<Dato> d = datos();
      d.push_back(DatoTexto("original", *original));
      Notificar("id_no_representable",
                "El id '" + *original + "' de " + donde() + " vuelve a SAGA como '" + vuelta +
                    "' (Windows-1252 no tiene algún carácter, o tiene blancos en los extremos)",
                std::move(d));
    }
  }
  if (id.size() > kLargoIdSaga) {
    Notificar("id_demasiado_largo",
              "El id " + Citar(id) + " de " + donde() + " tiene " + Numero(id.size()) + " caracteres; IDSAGA guarda " +
                  Numero(kLargoIdSaga) + ", así que no se encontrará y vuelve a SAGA recortado",
              datos());
    return;  // a cut id is judged as such only
  }
  const auto [anterior, nuevo] = vistos.emplace(id, posicion.numero);
  if (!nuevo) {
    std::vector<Dato> d = datos();
    d.push_back(DatoNumero("primero", anterior->second));
    Notificar("id_repetido",
              "El id " + Citar(id) + " de " + donde() + " ya lo tiene el elemento número " + Numero(anterior->second) +
                  " de la misma lista; las asignaciones usarán el primero",
              std::move(d));
  }
}

void Exportador::RevisarCodigo(std::string_view tabla, const std::string& id, const std::string& nombre,
                               const std::string& propuesto, const std::string& codigo) {
  if (propuesto == codigo) return;
  Notificar("codigo_cambiado",
            "En " + std::string(tabla) + ", " + Citar(nombre) + " (id " + Citar(id) + ") recibe el código " +
                Citar(codigo) + " en lugar de " + Citar(propuesto) + " para que no se repita",
            {DatoTexto("tabla", std::string(tabla)), DatoTexto("idsaga", text::AnsiToUtf8(id)),
             DatoTexto("nombre", text::AnsiToUtf8(nombre)), DatoTexto("propuesto", text::AnsiToUtf8(propuesto)),
             DatoTexto("codigo", text::AnsiToUtf8(codigo))});
}

void Exportador::RevisarRaiz() {
  const saga::Element raiz = documento_.DocumentElement();
  if (!raiz || raiz.Name() == "document") return;
  Notificar("raiz_no_document",
            "El elemento raíz es '" + text::AnsiToUtf8(raiz.Name()) +
                "' y no 'document': las tablas se escriben vacías",
            {DatoTexto("raiz", text::AnsiToUtf8(raiz.Name()))});
}

}  // namespace pontexa::exportacion
