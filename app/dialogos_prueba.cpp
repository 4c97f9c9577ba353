#include "app/dialogos_prueba.h"

#include <cstdio>

#include "app/rutas.h"
#include "platform/files.h"

namespace pontexa::app {

DialogosConSeams::DialogosConSeams(std::unique_ptr<Dialogos> reales, std::optional<std::string> archivo,
                                   bool sinMensajes)
    : reales_(std::move(reales)), archivo_(std::move(archivo)), sinMensajes_(sinMensajes) {}

std::unique_ptr<Dialogos> DialogosConSeams::DesdeElEntorno(std::unique_ptr<Dialogos> reales) {
  std::optional<std::string> archivo = platform::GetEnv("PONTEXA_PRUEBA_ARCHIVO");
  const bool sinMensajes = platform::GetEnv("PONTEXA_PRUEBA_SIN_MENSAJES").value_or("") == "1";
  if (!archivo && !sinMensajes) return reales;
  return std::make_unique<DialogosConSeams>(std::move(reales), std::move(archivo), sinMensajes);
}

std::optional<std::filesystem::path> DialogosConSeams::PedirArchivo(QWidget* padre, const OpcionesArchivo& opciones) {
  if (!archivo_) return reales_->PedirArchivo(padre, opciones);
  if (archivo_->empty()) return std::nullopt;
  return RutaDe(QString::fromStdString(*archivo_));
}

void DialogosConSeams::Mensaje(QWidget* padre, const QString& texto) {
  if (!sinMensajes_) return reales_->Mensaje(padre, texto);
  std::fprintf(stderr, "Mensaje: %s\n", texto.toUtf8().constData());
  std::fflush(stderr);
}

void DialogosConSeams::Error(QWidget* padre, const QString& texto) {
  if (!sinMensajes_) return reales_->Error(padre, texto);
  std::fprintf(stderr, "Error: %s\n", texto.toUtf8().constData());
  std::fflush(stderr);
}

}  // namespace pontexa::app
