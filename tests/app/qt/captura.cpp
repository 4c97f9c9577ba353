// Saves a picture of the interactive dialog, for the documentation:
//   xvfb-run -a -s "-screen 0 1280x1024x24" pontexa_captura docs/dialogo.png

#include <cstdio>

#include <QApplication>
#include <QPixmap>

#include "app/qt/MainForm.h"
#include "app/qt/aplicacion_qt.h"
#include "guion.h"

using namespace pontexa::app;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Uso: pontexa_captura ARCHIVO.png\n");
    return 2;
  }
  QApplication aplicacion(argc, argv);
  PrepararAplicacion();
  prueba::DialogosGuionados dialogos;
  prueba::TransferenciasGuionadas transferencias;
  prueba::AyudaGuionada ayuda;
  prueba::VentanasGuionadas ventanas;
  TMForm form(EntornoQt{{}, dialogos, transferencias, ayuda, ventanas, "Mirvane.ini", "."});
  form.Mostrar();
  QApplication::processEvents();
  if (!form.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "No se puede guardar '%s'\n", argv[1]);
    return 1;
  }
  return 0;
}
