#include "export/lectura.h"

#include "export/exportador.h"
#include "text/clipper.h"
#include "text/cp1252.h"
#include "text/numbers.h"
#include "platform/utf8_path.h"

namespace pontexa::exportacion {
namespace {

std::string NombreDeArchivo(const std::filesystem::path& path) {
  return platform::Utf8(path.filename());
}

}  // namespace

std::string Recortar(std::string id) {
  // Most texts have no blank at either end: nothing to copy then.
  if (id.empty() || (id.front() != ' ' && id.back() != ' ')) return id;
  return Clipper::AllTrim(id);
}

std::string IdObligatorio(const saga::Document& documento, const saga::Element& elemento, const Posicion& posicion) {
  if (std::optional<std::string> id = elemento.Attribute("id")) return Recortar(std::move(*id));
  std::string mensaje = "Falta el atributo id en el elemento ";
  mensaje += posicion.elemento;
  mensaje += " número " + text::FormatInteger(static_cast<std::int64_t>(posicion.numero));
  if (!posicion.contexto.empty()) mensaje += " " + posicion.contexto;
  mensaje += " (línea " + text::FormatInteger(static_cast<std::int64_t>(elemento.Line())) + " de '" +
             NombreDeArchivo(documento.Path()) + "'); no se ha cambiado ninguna tabla";
  throw ExportError(mensaje);
}

std::string AtributoRecortado(const saga::Element& elemento, std::string_view nombre) {
  std::optional<std::string> valor = elemento.Attribute(nombre);
  return valor ? Recortar(std::move(*valor)) : std::string();
}

std::string PrimerHijoRecortado(const saga::Element& elemento) {
  std::optional<std::string> texto = elemento.FirstChildText();
  return texto ? Recortar(std::move(*texto)) : std::string();
}

std::string Citar(std::string_view ansi) { return "'" + text::AnsiToUtf8(ansi) + "'"; }

}  // namespace pontexa::exportacion
