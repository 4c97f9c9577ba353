#pragma once

// What the form's logic asks of a view: the Qt dialog on Linux, the Win32
// dialog on Windows. A view draws the form, reports clicks and keys to
// Formulario, and answers these requests; it decides nothing itself.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace pontexa::app {

// The settings of the file-open dialog (OpenDialogXML).
struct OpcionesArchivo {
  std::string titulo;
  std::string filtro;     // one pattern, shown as written
  std::string extension;  // added to a typed name without one
  std::filesystem::path carpetaInicial;
};

class Vista {
 public:
  virtual ~Vista() = default;

  // The chosen path (it need not exist), or nothing when cancelled.
  virtual std::optional<std::filesystem::path> ElegirArchivo(const OpcionesArchivo& opciones) = 0;
  // A message box with one button, titled with the application's title;
  // returns once it is confirmed.
  virtual void MostrarMensaje(const std::string& texto) = 0;
  // The same with an error icon.
  virtual void MostrarError(const std::string& texto) = 0;
  // The screen cursor: the hourglass, or back to normal.
  virtual void CursorDeEspera(bool activo) = 0;
  // Enables or disables both transfer buttons (BExportar, BImportar).
  virtual void ActivarTransferencias(bool activas) = 0;
  // Closes the dialog as its close box would: the view calls
  // Formulario::FormClose, and closing the main window ends the program.
  virtual void Cerrar() = 0;
  // Whether a native handle names a window that exists now.
  virtual bool ExisteVentana(std::uint32_t handle) = 0;
  // Makes the dialog a frameless child of that window.
  virtual void Acoplar(std::uint32_t handle) = 0;
  // The help file's table of contents, or one topic by context number.
  virtual void AyudaContenido() = 0;
  virtual void AyudaTema(int contexto) = 0;
  // Whether the dialog is on the screen yet.
  virtual bool Visible() const = 0;
};

}  // namespace pontexa::app
