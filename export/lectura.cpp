#include "export/lectura.h"

#include "export/exportador.h"
#include "text/clipper.h"
#include "text/cp1252.h"
#include "text/numbers.h"

namespace pontexa::exportacion {
namespace {

std::string NombreDeArchivo(const std::filesystem::path& path) {
  const std::u8string nombre = path.filename().u8string();
  return std::string(nombre.begin(), nombre.end());
}

}  // namespace

std::string IdObligatorio(const saga::Document& documento, const saga::Element& elemento, const Posicion& posicion) {
  if (std::optional<std::string> id = elemento.Attribute("id")) return Clipper::AllTrim(*id);
  std::string mensaje = "Falta el atributo id en el elemento ";
  mensaje += posicion.elemento;
  mensaje += " número " + text::FormatInteger(static_cast<std::int64_t>(posicion.numero));
  if (!posicion.contexto.empty()) mensaje += " " + posicion.contexto;
  mensaje += " (línea " + text::FormatInteger(static_cast<std::int64_t>(elemento.Line())) + " de '" +
             NombreDeArchivo(documento.Path()) + "'); no se ha cambiado ninguna tabla";
  throw ExportError(mensaje);
}

std::string AtributoRecortado(const saga::Element& elemento, std::string_view nombre) {
  const std::optional<std::string> valor = elemento.Attribute(nombre);
  return valor ? Clipper::AllTrim(*valor) : std::string();
}

std::string PrimerHijoRecortado(const saga::Element& elemento) {
  const std::optional<std::string> texto = elemento.FirstChildText();
  return texto ? Clipper::AllTrim(*texto) : std::string();
}

std::string Citar(std::string_view ansi) { return "'" + text::AnsiToUtf8(ansi) + "'"; }

}  // namespace pontexa::exportacion
