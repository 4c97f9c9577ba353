#include "app/seams_de_prueba.h"

#include <cstdio>
#include <utility>

#include "platform/files.h"
#include "platform/utf8_path.h"

namespace pontexa::app {

VistaConSeams::VistaConSeams(Vista& real, std::optional<std::string> archivo, bool sinMensajes)
    : real_(real), archivo_(std::move(archivo)), sinMensajes_(sinMensajes) {}

VistaConSeams VistaConSeams::DesdeElEntorno(Vista& real) {
  return VistaConSeams(real, platform::GetEnv("PONTEXA_PRUEBA_ARCHIVO"),
                       platform::GetEnv("PONTEXA_PRUEBA_SIN_MENSAJES").value_or("") == "1");
}

std::filesystem::path VistaConSeams::ArchivoDeEstado(std::filesystem::path normal) {
  if (const auto otro = platform::GetEnv("PONTEXA_MIRVANE_INI"); otro && !otro->empty()) {
    return platform::PathFromUtf8(*otro);
  }
  return normal;
}

std::optional<std::filesystem::path> VistaConSeams::ElegirArchivo(const OpcionesArchivo& opciones) {
  if (!archivo_) return real_.ElegirArchivo(opciones);
  if (archivo_->empty()) return std::nullopt;
  return platform::PathFromUtf8(*archivo_);
}

void VistaConSeams::MostrarMensaje(const std::string& texto) {
  if (!sinMensajes_) return real_.MostrarMensaje(texto);
  std::fprintf(stderr, "Mensaje: %s\n", texto.c_str());
  std::fflush(stderr);
}

void VistaConSeams::MostrarError(const std::string& texto) {
  if (!sinMensajes_) return real_.MostrarError(texto);
  std::fprintf(stderr, "Error: %s\n", texto.c_str());
  std::fflush(stderr);
}

}  // namespace pontexa::app
