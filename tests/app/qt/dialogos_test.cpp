// The real file dialog's settings, Qt's own texts in Spanish, and the real
// help's failure message.

#include <gtest/gtest.h>

#include <string>

#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>

#include "app/help.h"
#include "app/qt/dialogos_qt.h"
#include "app/qt/rutas.h"
#include "guion.h"
#include "platform/error.h"
#include "platform/utf8_path.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using namespace pontexa::app;
using pontexa::testing::TempFolder;

namespace {

const OpcionesArchivo kOpciones = {"Archivo XML", "*.xml", "xml", {}};

TEST(DialogoDeArchivo, TypedNameWithoutExtensionGetsXmlAndNeedNotExist) {
  TempFolder carpeta;
  OpcionesArchivo opciones = kOpciones;
  opciones.carpetaInicial = carpeta.Path();
  const auto dialogo = CrearDialogoArchivo(nullptr, opciones);
  EXPECT_EQ(dialogo->windowTitle(), "Archivo XML");
  EXPECT_EQ(dialogo->nameFilters(), QStringList{"*.xml"});
  EXPECT_EQ(RutaDe(dialogo->directory().absolutePath()), carpeta.Path());
  EXPECT_EQ(dialogo->fileMode(), QFileDialog::AnyFile);
  EXPECT_EQ(dialogo->acceptMode(), QFileDialog::AcceptOpen);

  dialogo->selectFile("horario");
  QMetaObject::invokeMethod(dialogo.get(), "accept");
  EXPECT_EQ(dialogo->result(), QDialog::Accepted);
  ASSERT_EQ(dialogo->selectedFiles().size(), 1);
  EXPECT_EQ(RutaDe(dialogo->selectedFiles().front()), carpeta / "horario.xml");
}

TEST(DialogoDeArchivo, MissingInitialFolderIsNoFailure) {
  OpcionesArchivo opciones = kOpciones;
  opciones.carpetaInicial = "/no/existe/qorda/saga";
  EXPECT_NE(CrearDialogoArchivo(nullptr, opciones), nullptr);
}

TEST(TextosDeQt, MessageBoxesAndTheFileDialogSpeakSpanish) {
  if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_es.qm")) {
    GTEST_SKIP() << "qt6-translations-l10n is not installed";
  }
  QMessageBox caja(QMessageBox::NoIcon, "Pontexa", "Proceso finalizado", QMessageBox::Ok);
  EXPECT_EQ(caja.button(QMessageBox::Ok)->text().remove('&'), "Aceptar");
  const auto dialogo = CrearDialogoArchivo(nullptr, kOpciones);
  dialogo->setOption(QFileDialog::DontUseNativeDialog);
  const auto etiquetas = dialogo->findChildren<QLabel*>();
  QStringList textos;
  for (const QLabel* etiqueta : etiquetas) textos << etiqueta->text();
  EXPECT_FALSE(textos.join('|').contains("Look in")) << textos.join('|').toStdString();
}

TEST(Ayuda, MissingFileIsNamedForBothRequests) {
  TempFolder carpeta;
  AyudaHtml ayuda(carpeta / "SAGA.chm");
  const std::string esperado = "No se encuentra el archivo de ayuda '" + pontexa::platform::Utf8(carpeta / "SAGA.chm") + "'";
  try {
    ayuda.Contenido();
    FAIL();
  } catch (const pontexa::Error& e) {
    EXPECT_EQ(e.what(), esperado);
  }
  try {
    ayuda.Tema(1);
    FAIL();
  } catch (const pontexa::Error& e) {
    EXPECT_EQ(e.what(), esperado);
  }
}

// The package installs the executables in bin/ and the help in share/pontexa/.
TEST(Ayuda, FoundBesideTheProgramElseInTheInstalledShare) {
  TempFolder carpeta;
  const fs::path junto = carpeta / "bin" / "SAGA.chm";
  const fs::path compartido = carpeta / "share" / "pontexa" / "SAGA.chm";
  EXPECT_EQ(UbicarAyuda(junto), junto);  // neither: named as the program looks for it
  fs::create_directories(compartido.parent_path());
  pontexa::testing::WriteBytes(compartido, "ITSF");
  EXPECT_EQ(UbicarAyuda(junto), compartido);
  fs::create_directories(junto.parent_path());
  pontexa::testing::WriteBytes(junto, "ITSF");
  EXPECT_EQ(UbicarAyuda(junto), junto);
}

}  // namespace
