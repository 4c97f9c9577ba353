#include "app/formulario.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <system_error>
#include <utility>

#include "app/conversion_entero.h"
#include "app/estado.h"
#include "app/status_file.h"
#include "app/transferencias.h"
#include "text/cp1252.h"

namespace pontexa::app {

namespace {

bool ExisteArchivo(const std::filesystem::path& archivo) {
  std::error_code error;
  return !archivo.empty() && std::filesystem::is_regular_file(archivo, error);
}

}  // namespace

std::string ConPunto(std::string texto) {
  if (!texto.empty() && static_cast<unsigned char>(texto.back()) > '.') texto += '.';
  return texto;
}

Formulario::Formulario(Vista& vista, Entorno entorno)
    : vista_(vista),
      entorno_(std::move(entorno)),
      opciones_{"Archivo XML", "*.xml", "xml", entorno_.carpetaInicial} {}

template <typename Manejador>
void Formulario::Ejecutar(Manejador&& manejador) {
  try {
    manejador();
  } catch (const std::exception& fallo) {
    vista_.MostrarError(ConPunto(fallo.what()));
  } catch (...) {
    vista_.MostrarError("Error desconocido.");
  }
}

void Formulario::FormCreate() {
  Transformado = 0;
  if (entorno_.parametros.size() != 2) return;
  Ejecutar([this] {
    // A failed conversion leaves the dialog undocked, framed and interactive.
    const auto handle = static_cast<std::uint32_t>(StrToInt("$" + entorno_.parametros[1]));
    // A number that names no window: the dialog stays undocked and framed, so
    // it can still be seen and closed, but the run stays automated.
    if (vista_.ExisteVentana(handle)) vista_.Acoplar(handle);
    NumParametros = 2;
  });
}

void Formulario::FormShow() {
  // Counts the parameters again: a bad handle still runs the direction.
  if (entorno_.parametros.size() != 2) return;
  if (text::AsciiLowerCase(entorno_.parametros[0]) == "importar") BImportarClick();
  if (text::AsciiLowerCase(entorno_.parametros[0]) == "exportar") BExportarClick();
}

void Formulario::FormClose() {
  if (NumParametros != 2) return;
  // A status that cannot be written is reported once; the dialog closes
  // anyway, so Mirvane is never left with a window that cannot be closed.
  Ejecutar([this] { EscribirEstado(entorno_.archivoEstado, Transformado); });
}

void Formulario::BExportarClick() {
  Ejecutar([this] {
    if (!ElegirArchivo(-1)) return;
    entorno_.transferencias.Cargar(ArchivoXML, Transferencias::Uso::Exportar);
    vista_.CursorDeEspera(true);
    try {
      entorno_.transferencias.Exportar();
    } catch (...) {
      // A failed export must not leave the hourglass behind.
      vista_.CursorDeEspera(false);
      throw;
    }
    vista_.CursorDeEspera(false);
    TerminarTransferencia();
  });
}

void Formulario::BImportarClick() {
  Ejecutar([this] {
    if (!ElegirArchivo(0)) return;
    entorno_.transferencias.Cargar(ArchivoXML, Transferencias::Uso::Importar);
    entorno_.transferencias.Importar();
    vista_.CursorDeEspera(false);
    TerminarTransferencia();
  });
}

bool Formulario::ElegirArchivo(std::int32_t estadoSinArchivo) {
  if (std::optional<std::filesystem::path> elegido = vista_.ElegirArchivo(opciones_)) {
    ArchivoXML = std::move(*elegido);
  }
  if (ExisteArchivo(ArchivoXML)) return true;
  vista_.MostrarMensaje("No existe archivo");
  if (NumParametros == 2) {
    Transformado = estadoSinArchivo;
    vista_.Cerrar();
  }
  return false;
}

void Formulario::TerminarTransferencia() {
  Transformado = 1;
  vista_.MostrarMensaje("Proceso finalizado");
  // Only once the message is confirmed: one finished transfer per start.
  vista_.ActivarTransferencias(false);
  if (NumParametros == 2) vista_.Cerrar();
}

void Formulario::Button1Click() {
  Ejecutar([this] { vista_.AyudaContenido(); });
}

void Formulario::TeclaF1() {
  Ejecutar([this] { vista_.AyudaTema(kContextoAyuda); });
}

}  // namespace pontexa::app
