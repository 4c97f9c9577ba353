#pragma once

// Test seams, compiled only into the test builds of the dialog (the
// executables built with PONTEXA_SEAMS_DE_PRUEBA), never into the shipped
// ones. They let a script drive the real program without a person:
//   PONTEXA_PRUEBA_ARCHIVO=path   the file dialog answers this path at once
//                                 (set but empty: the dialog is cancelled)
//   PONTEXA_PRUEBA_SIN_MENSAJES=1 message and error boxes are written to
//                                 standard error ("Mensaje: ..." / "Error: ...")
//                                 and count as confirmed
//   PONTEXA_MIRVANE_INI=path      the status file, instead of the one beside
//                                 the executable
// Unset, the view's own dialogs are shown.

#include <filesystem>
#include <optional>
#include <string>

#include "app/vista.h"

namespace pontexa::app {

// A view that answers the file dialog and the message boxes as the seams say
// and passes everything else to the real view.
class VistaConSeams : public Vista {
 public:
  VistaConSeams(Vista& real, std::optional<std::string> archivo, bool sinMensajes);
  // Reads the variables.
  static VistaConSeams DesdeElEntorno(Vista& real);
  // PONTEXA_MIRVANE_INI when set and not empty, else `normal`.
  static std::filesystem::path ArchivoDeEstado(std::filesystem::path normal);

  std::optional<std::filesystem::path> ElegirArchivo(const OpcionesArchivo& opciones) override;
  void MostrarMensaje(const std::string& texto) override;
  void MostrarError(const std::string& texto) override;
  void CursorDeEspera(bool activo) override { real_.CursorDeEspera(activo); }
  void ActivarTransferencias(bool activas) override { real_.ActivarTransferencias(activas); }
  void Cerrar() override { real_.Cerrar(); }
  bool ExisteVentana(std::uint32_t handle) override { return real_.ExisteVentana(handle); }
  void Acoplar(std::uint32_t handle) override { real_.Acoplar(handle); }
  void AyudaContenido() override { real_.AyudaContenido(); }
  void AyudaTema(int contexto) override { real_.AyudaTema(contexto); }
  bool Visible() const override { return real_.Visible(); }

 private:
  Vista& real_;
  std::optional<std::string> archivo_;
  bool sinMensajes_;
};

}  // namespace pontexa::app
