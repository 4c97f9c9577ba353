#pragma once

// The main form's behaviour (TMForm's handlers), toolkit-free: the run
// modes, the status values and file, the cursor and error rules. Both views
// (app/qt, app/win32) build one and forward their events to it.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/vista.h"

namespace pontexa::app {

class Transferencias;

// Help context of the dialog and of every panel and button.
inline constexpr int kContextoAyuda = 1;

// Everything the form takes from outside besides its view.
struct Entorno {
  std::vector<std::string> parametros;  // the command line, without the program
  Transferencias& transferencias;
  std::filesystem::path archivoEstado;   // Mirvane.ini
  std::filesystem::path carpetaInicial;  // where the file dialog opens
};

// The error box's text: a full stop is added unless the text already ends
// in a character at or before "." in character order.
std::string ConPunto(std::string texto);

class Formulario {
 public:
  Formulario(Vista& vista, Entorno entorno);

  // The settings of OpenDialogXML.
  const OpcionesArchivo& OpcionesDelDialogo() const { return opciones_; }

  // The handlers, run as the platform runs events: an error raised inside
  // one is shown in an error box and ends that handler there.
  // When the dialog has been built, before it is shown.
  void FormCreate();
  // Before the dialog first becomes visible: the automated direction.
  void FormShow();
  // When the dialog closes, by any means.
  void FormClose();
  void Button1Click();
  void BExportarClick();
  void BImportarClick();
  // F1 anywhere in the dialog.
  void TeclaF1();

 private:
  template <typename Manejador>
  void Ejecutar(Manejador&& manejador);
  // Asks for the SAGA file (keeping the last one when cancelled); false, after
  // "No existe archivo" and, in the automated mode, the given status and the
  // close, when no file exists there.
  bool ElegirArchivo(std::int32_t estadoSinArchivo);
  void TerminarTransferencia();

  Vista& vista_;
  Entorno entorno_;
  OpcionesArchivo opciones_;
};

}  // namespace pontexa::app
