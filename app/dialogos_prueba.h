#pragma once

// Test seams of the program, for driving it from a script without a person:
//   PONTEXA_PRUEBA_ARCHIVO=path   the file dialog answers this path at once
//                                 (set but empty: the dialog is cancelled)
//   PONTEXA_PRUEBA_SIN_MENSAJES=1 message and error boxes are written to
//                                 standard error ("Mensaje: ..." / "Error: ...")
//                                 and count as confirmed
// Unset, the real dialogs are shown.

#include <memory>
#include <optional>
#include <string>

#include "app/dialogos.h"

namespace pontexa::app {

class DialogosConSeams : public Dialogos {
 public:
  DialogosConSeams(std::unique_ptr<Dialogos> reales, std::optional<std::string> archivo, bool sinMensajes);
  // Reads the two variables.
  static std::unique_ptr<Dialogos> DesdeElEntorno(std::unique_ptr<Dialogos> reales);

  std::optional<std::filesystem::path> PedirArchivo(QWidget* padre, const OpcionesArchivo& opciones) override;
  void Mensaje(QWidget* padre, const QString& texto) override;
  void Error(QWidget* padre, const QString& texto) override;

 private:
  std::unique_ptr<Dialogos> reales_;
  std::optional<std::string> archivo_;
  bool sinMensajes_;
};

}  // namespace pontexa::app
