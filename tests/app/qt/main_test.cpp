// The dialog's tests need one QApplication; they run on Qt's offscreen
// platform unless a test starts its own X server.

#include <gtest/gtest.h>

#include <QApplication>

#include "app/qt/aplicacion_qt.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication aplicacion(argc, argv);
  pontexa::app::PrepararAplicacion();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
