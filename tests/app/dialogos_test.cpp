// The real file dialog's settings and the real help's failure message.

#include <gtest/gtest.h>

#include <string>

#include <QFileDialog>

#include "app/dialogos_prueba.h"
#include "app/dialogos_qt.h"
#include "app/help.h"
#include "app/rutas.h"
#include "guion.h"
#include "platform/error.h"
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

TEST(Ayuda, MissingFileIsNamedForBothRequests) {
  TempFolder carpeta;
  AyudaHtml ayuda(carpeta / "SAGA.chm");
  const std::string esperado = "No se encuentra el archivo de ayuda '" + (carpeta / "SAGA.chm").string() + "'";
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

TEST(SeamsDePrueba, AnswerTheFileDialogAndConfirmMessages) {
  auto reales = std::make_unique<prueba::DialogosGuionados>();
  prueba::DialogosGuionados* guion = reales.get();
  DialogosConSeams elegido(std::move(reales), std::string("/tmp/centro.xml"), true);
  EXPECT_EQ(elegido.PedirArchivo(nullptr, kOpciones), fs::path("/tmp/centro.xml"));
  testing::internal::CaptureStderr();
  elegido.Mensaje(nullptr, "Proceso finalizado");
  elegido.Error(nullptr, "Fallo.");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Mensaje: Proceso finalizado\nError: Fallo.\n");
  EXPECT_TRUE(guion->mensajes.empty());
  EXPECT_TRUE(guion->pedidos.empty());

  DialogosConSeams cancelado(std::make_unique<prueba::DialogosGuionados>(), std::string(), false);
  EXPECT_EQ(cancelado.PedirArchivo(nullptr, kOpciones), std::nullopt);
}

}  // namespace
