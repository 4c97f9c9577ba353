// The Qt view of the form: that its clicks and keys reach the logic, and
// that it answers the logic's requests on the real widgets (buttons, cursor,
// flags, dialog parents, closing). The behaviour itself is tested once, in
// tests/app/formulario_test.cpp.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QCursor>
#include <QPushButton>
#include <QTest>

#include "app/estado.h"
#include "app/qt/MainForm.h"
#include "guion.h"
#include "platform/utf8_path.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using namespace pontexa::app;
using namespace pontexa::app::prueba;
using pontexa::platform::Utf8;
using pontexa::testing::ReadBytes;
using pontexa::testing::TempFolder;
using pontexa::testing::WriteBytes;

namespace {

class Dialogo : public ::testing::Test {
 protected:
  void SetUp() override {
    // Process-wide values start afresh, as at program start.
    ArchivoXML.clear();
    NumParametros = 0;
    Transformado = 0;
    WriteBytes(saga_, "<document/>");
  }
  void TearDown() override {
    while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
  }

  TMForm& Crear(std::vector<std::string> parametros = {}) {
    form_ = std::make_unique<TMForm>(
        EntornoQt{std::move(parametros), dialogos_, transferencias_, ayuda_, ventanas_, estado_, carpeta_.Path()});
    return *form_;
  }
  TMForm& Abrir(std::vector<std::string> parametros = {}) {
    TMForm& form = Crear(std::move(parametros));
    form.Mostrar();
    return form;
  }
  bool BotonesActivos() const { return form_->BExportar->isEnabled() && form_->BImportar->isEnabled(); }
  bool BotonesInactivos() const { return !form_->BExportar->isEnabled() && !form_->BImportar->isEnabled(); }
  std::string Estado() const { return fs::exists(estado_) ? ReadBytes(estado_) : "(sin archivo)"; }

  TempFolder carpeta_;
  fs::path saga_ = carpeta_ / "centro.xml";
  fs::path estado_ = carpeta_ / "Mirvane.ini";
  DialogosGuionados dialogos_;
  TransferenciasGuionadas transferencias_;
  AyudaGuionada ayuda_;
  VentanasGuionadas ventanas_;
  std::unique_ptr<TMForm> form_;
};

TEST_F(Dialogo, ExportClickShowsTheHourglassThenDisablesTheRealButtons) {
  TMForm& form = Abrir();
  dialogos_.respuestas.push_back(saga_);
  std::optional<Qt::CursorShape> cursorDurante;
  transferencias_.durante = [&] {
    if (QApplication::overrideCursor()) cursorDurante = QApplication::overrideCursor()->shape();
  };
  bool activosDuranteElMensaje = false;
  dialogos_.alMostrarMensaje = [&](const QString&) { activosDuranteElMensaje = BotonesActivos(); };

  QTest::mouseClick(form.BExportar, Qt::LeftButton);

  EXPECT_EQ(transferencias_.llamadas, (std::vector<std::string>{"Cargar " + Utf8(saga_), "Exportar"}));
  EXPECT_EQ(cursorDurante, Qt::WaitCursor);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(dialogos_.mensajes, (std::vector<QString>{"Proceso finalizado"}));
  EXPECT_TRUE(activosDuranteElMensaje);
  EXPECT_TRUE(BotonesInactivos());
  EXPECT_TRUE(form.Button1->isEnabled());
  EXPECT_TRUE(form.isVisible());
}

TEST_F(Dialogo, ImportClickRunsTheImport) {
  TMForm& form = Abrir();
  dialogos_.respuestas.push_back(saga_);
  QTest::mouseClick(form.BImportar, Qt::LeftButton);
  EXPECT_EQ(transferencias_.llamadas, (std::vector<std::string>{"Cargar " + Utf8(saga_), "Importar"}));
  EXPECT_TRUE(BotonesInactivos());
}

TEST_F(Dialogo, FailedExportLeavesNoHourglassAndShowsTheErrorOverTheDialog) {
  TMForm& form = Abrir();
  dialogos_.respuestas.push_back(saga_);
  transferencias_.fallaEn = "Exportar";
  QTest::mouseClick(form.BExportar, Qt::LeftButton);
  EXPECT_EQ(dialogos_.errores, (std::vector<QString>{"No se puede crear la tabla 'ASIGNOMT'"}));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(BotonesActivos());
}

TEST_F(Dialogo, FileDialogCarriesItsSettingsAndStandsOverTheVisibleDialog) {
  TMForm& form = Abrir();
  QTest::mouseClick(form.BExportar, Qt::LeftButton);
  ASSERT_EQ(dialogos_.pedidos.size(), 1u);
  EXPECT_EQ(dialogos_.pedidos[0].titulo, "Archivo XML");
  EXPECT_EQ(dialogos_.pedidos[0].carpetaInicial, carpeta_.Path());
  EXPECT_EQ(dialogos_.padres[0], &form);
}

TEST_F(Dialogo, EscapeDoesNotCloseTheDialog) {
  TMForm& form = Abrir();
  QTest::keyClick(form.BExportar, Qt::Key_Escape);
  EXPECT_FALSE(form.Cerrado());
  EXPECT_TRUE(form.isVisible());
}

TEST_F(Dialogo, SalirClosesTheDialog) {
  TMForm& form = Abrir();
  QTest::mouseClick(form.BClose, Qt::LeftButton);
  EXPECT_TRUE(form.Cerrado());
  EXPECT_FALSE(form.isVisible());
}

TEST_F(Dialogo, F1OnAnyControlAsksForContextOneAndTheButtonForTheContents) {
  TMForm& form = Abrir();
  for (QWidget* control : std::vector<QWidget*>{form.BExportar, form.BImportar, form.BClose, form.Button1}) {
    control->setFocus();
    QTest::keyClick(control, Qt::Key_F1);
  }
  QTest::keyClick(&form, Qt::Key_F1);
  EXPECT_EQ(ayuda_.llamadas, std::vector<std::string>(5, "Tema 1"));

  ayuda_.llamadas.clear();
  QTest::mouseClick(form.Button1, Qt::LeftButton);
  EXPECT_EQ(ayuda_.llamadas, (std::vector<std::string>{"Contenido"}));
}

TEST_F(Dialogo, AutomatedRunDocksFramelessAndRunsBeforeTheDialogShows) {
  dialogos_.respuestas.push_back(saga_);
  bool visibleDurante = true;
  transferencias_.durante = [&] { visibleDurante = form_->isVisible(); };

  TMForm& form = Crear({"exportar", "1A04C2"});
  EXPECT_EQ(ventanas_.acopladas, (std::vector<std::uint32_t>{0x1A04C2}));
  EXPECT_TRUE(ventanas_.banderasAlAcoplar.testFlag(Qt::FramelessWindowHint));
  form.Mostrar();

  ASSERT_EQ(dialogos_.padres.size(), 1u);
  EXPECT_EQ(dialogos_.padres[0], nullptr);  // nothing to stand over yet
  EXPECT_FALSE(visibleDurante);
  EXPECT_TRUE(form.Cerrado());
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(Estado(), "[Transformadores]\r\nTransformado=1\r\n");
}

TEST_F(Dialogo, AutomatedWithAnUnknownWordShowsFramelessAndSalirWritesZero) {
  TMForm& form = Abrir({"ver", "1a04c2"});
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
  QTest::mouseClick(form.BClose, Qt::LeftButton);
  EXPECT_EQ(Estado(), "[Transformadores]\r\nTransformado=0\r\n");
}

TEST_F(Dialogo, HandleNamingNoWindowOrNoNumberKeepsTheFrame) {
  ventanas_.existe = false;
  for (const char* handle : {"7FFFFFF0", "XYZ"}) {
    TMForm& form = Abrir({"ver", handle});
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::FramelessWindowHint)) << handle;
    EXPECT_TRUE(form.isVisible()) << handle;
  }
  EXPECT_TRUE(ventanas_.acopladas.empty());
}

}  // namespace
