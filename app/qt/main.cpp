// pontexa: the dialog that moves data between SAGA and Mirvane (Qt view).
//
//   pontexa                       interactive
//   pontexa exportar|importar HWND automated, docked into Mirvane's window
//                                 HWND (hexadecimal, no prefix)

#include <optional>
#include <string>
#include <vector>

#include <QApplication>

#include "app/aplicacion.h"
#include "app/arranque.h"
#include "app/help.h"
#include "app/qt/MainForm.h"
#include "app/qt/aplicacion_qt.h"
#include "app/qt/dialogos_qt.h"
#include "app/qt/ventanas_nativas.h"
#include "app/transferencias_nucleo.h"
#include "platform/files.h"
#ifdef PONTEXA_SEAMS_DE_PRUEBA
#include "app/seams_de_prueba.h"
#endif

namespace fs = std::filesystem;
using namespace pontexa;

int main(int argc, char** argv) {
  QApplication aplicacion(argc, argv);
  // Qt has taken its own options out of argv by now.
  const std::vector<std::string> parametros(argv + 1, argv + argc);

  const fs::path carpetaPrograma = platform::ExecutablePath().parent_path();
  app::AyudaHtml ayuda(carpetaPrograma / app::kArchivoAyuda);
  app::PrepararAplicacion();

  // Declared before the form: the foreign parent window outlives it.
  app::VentanasDelSistema ventanas;
  app::DialogosQt dialogos;
  app::TransferenciasDelNucleo transferencias;
  fs::path archivoEstado = app::ArchivoDeEstadoEn(carpetaPrograma);
  app::TMForm::VistaDeLaLogica vista;
#ifdef PONTEXA_SEAMS_DE_PRUEBA
  archivoEstado = app::VistaConSeams::ArchivoDeEstado(archivoEstado);
  std::optional<app::VistaConSeams> seams;
  vista = [&seams](app::Vista& real) -> app::Vista& { return seams.emplace(app::VistaConSeams::DesdeElEntorno(real)); };
#endif

  app::TMForm MForm(app::EntornoQt{parametros, dialogos, transferencias, ayuda, ventanas, archivoEstado,
                                   app::CarpetaInicialDelDialogo()},
                    vista);
  // Docked into a foreign window the dialog is no top-level window, so Qt
  // would not quit when it closes.
  QObject::connect(&MForm, &app::TMForm::Cerrada, &aplicacion, &QCoreApplication::quit, Qt::QueuedConnection);
  MForm.Mostrar();
  if (MForm.Cerrado()) return 0;
  return QApplication::exec();
}
