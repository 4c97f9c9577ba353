// pontexa: the dialog that moves data between SAGA and Mirvane.
//
//   pontexa                       interactive
//   pontexa exportar|importar HWND automated, docked into Mirvane's window
//                                 HWND (hexadecimal, no prefix)

#include <string>
#include <vector>

#include <QApplication>

#include "app/MainForm.h"
#include "app/aplicacion.h"
#include "app/dialogos_prueba.h"
#include "app/dialogos_qt.h"
#include "app/help.h"
#include "app/transferencias_nucleo.h"
#include "app/ventanas_nativas.h"
#include "platform/files.h"
#include "tables/exchange_folder.h"
#include "platform/utf8_path.h"

namespace fs = std::filesystem;
using namespace pontexa;

namespace {

// Beside the executable; PONTEXA_MIRVANE_INI names another file for tests.
fs::path ArchivoDeEstado(const fs::path& carpeta) {
  if (const auto otro = platform::GetEnv("PONTEXA_MIRVANE_INI"); otro && !otro->empty()) return platform::PathFromUtf8(*otro);
  if (const auto existente = tables::FindIgnoringCase(carpeta, "Mirvane.ini")) return *existente;
  return carpeta / "Mirvane.ini";
}

}  // namespace

int main(int argc, char** argv) {
  QApplication aplicacion(argc, argv);
  // Qt has taken its own options out of argv by now.
  const std::vector<std::string> parametros(argv + 1, argv + argc);

  const fs::path carpetaPrograma = platform::ExecutablePath().parent_path();
  app::AyudaHtml ayuda(carpetaPrograma / app::kArchivoAyuda);
  app::PrepararAplicacion();

  // Declared before the form: the foreign parent window outlives it.
  app::VentanasDelSistema ventanas;
  const std::unique_ptr<app::Dialogos> dialogos =
      app::DialogosConSeams::DesdeElEntorno(std::make_unique<app::DialogosQt>());
  app::TransferenciasDelNucleo transferencias;

  app::TMForm MForm(app::Entorno{parametros, *dialogos, transferencias, ayuda, ventanas,
                                 ArchivoDeEstado(carpetaPrograma), tables::MapWindowsPath("c:\\qorda\\saga")});
  // Docked into a foreign window the dialog is no top-level window, so Qt
  // would not quit when it closes.
  QObject::connect(&MForm, &app::TMForm::Cerrada, &aplicacion, &QCoreApplication::quit, Qt::QueuedConnection);
  MForm.Mostrar();
  if (MForm.Cerrado()) return 0;
  return QApplication::exec();
}
