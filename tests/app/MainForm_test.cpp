// The dialog's handlers driven through the real form, with the file dialog,
// the message boxes, the directions, help and docking scripted.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QCursor>
#include <QPushButton>
#include <QTest>

#include "app/MainForm.h"
#include "app/estado.h"
#include "guion.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using namespace pontexa::app;
using namespace pontexa::app::prueba;
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
        Entorno{std::move(parametros), dialogos_, transferencias_, ayuda_, ventanas_, estado_, carpeta_.Path()});
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

// --- Interactive mode ------------------------------------------------------

TEST_F(Dialogo, ExportFinishesThenDisablesBothButtonsAfterTheMessage) {
  TMForm& form = Abrir();
  dialogos_.respuestas.push_back(saga_);
  std::optional<Qt::CursorShape> cursorDurante;
  transferencias_.durante = [&] {
    if (QApplication::overrideCursor()) cursorDurante = QApplication::overrideCursor()->shape();
  };
  bool activosDuranteElMensaje = false;
  dialogos_.alMostrarMensaje = [&](const QString&) { activosDuranteElMensaje = BotonesActivos(); };

  QTest::mouseClick(form.BExportar, Qt::LeftButton);

  EXPECT_EQ(transferencias_.llamadas, (std::vector<std::string>{"Cargar " + saga_.string(), "Exportar"}));
  EXPECT_EQ(cursorDurante, Qt::WaitCursor);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(dialogos_.mensajes, (std::vector<QString>{"Proceso finalizado"}));
  EXPECT_TRUE(activosDuranteElMensaje);
  EXPECT_TRUE(BotonesInactivos());
  EXPECT_TRUE(form.Button1->isEnabled());
  EXPECT_EQ(Transformado, 1);
  EXPECT_EQ(ArchivoXML, saga_);
  EXPECT_TRUE(form.isVisible());

  form.close();
  EXPECT_EQ(Estado(), "(sin archivo)");  // the interactive mode never writes it
}

TEST_F(Dialogo, ImportFinishesWithoutTheWaitCursor) {
  TMForm& form = Abrir();
  dialogos_.respuestas.push_back(saga_);
  bool cursorDurante = true;
  transferencias_.durante = [&] { cursorDurante = QApplication::overrideCursor() != nullptr; };

  QTest::mouseClick(form.BImportar, Qt::LeftButton);

  EXPECT_EQ(transferencias_.llamadas, (std::vector<std::string>{"Cargar " + saga_.string(), "Importar"}));
  EXPECT_FALSE(cursorDurante);
  EXPECT_EQ(dialogos_.mensajes, (std::vector<QString>{"Proceso finalizado"}));
  EXPECT_TRUE(BotonesInactivos());
  EXPECT_EQ(Transformado, 1);
}

TEST_F(Dialogo, FileDialogCarriesItsSettingsAndStandsOverTheVisibleDialog) {
  TMForm& form = Abrir();
  QTest::mouseClick(form.BExportar, Qt::LeftButton);
  ASSERT_EQ(dialogos_.pedidos.size(), 1u);
  EXPECT_EQ(dialogos_.pedidos[0].titulo, "Archivo XML");
  EXPECT_EQ(dialogos_.pedidos[0].filtro, "*.xml");
  EXPECT_EQ(dialogos_.pedidos[0].extension, "xml");
  EXPECT_EQ(dialogos_.pedidos[0].carpetaInicial, carpeta_.Path());
  EXPECT_EQ(dialogos_.padres[0], &form);
}

struct CasoSinArchivo {
  const char* nombre;
  std::optional<std::string> respuesta;  // relative to the folder; nothing = cancelled
  bool importar;
};

class SinArchivo : public Dialogo, public ::testing::WithParamInterface<CasoSinArchivo> {};

TEST_P(SinArchivo, SaysSoAndChangesNothingElse) {
  const CasoSinArchivo& caso = GetParam();
  TMForm& form = Abrir();
  if (caso.respuesta) dialogos_.respuestas.push_back(carpeta_ / *caso.respuesta);
  QTest::mouseClick(caso.importar ? form.BImportar : form.BExportar, Qt::LeftButton);

  EXPECT_EQ(dialogos_.mensajes, (std::vector<QString>{"No existe archivo"}));
  EXPECT_TRUE(transferencias_.llamadas.empty());
  EXPECT_TRUE(BotonesActivos());
  EXPECT_EQ(Transformado, 0);
  EXPECT_TRUE(form.isVisible());
  if (caso.respuesta) {
    EXPECT_EQ(ArchivoXML, carpeta_ / *caso.respuesta);  // kept even though missing
  }
}

INSTANTIATE_TEST_SUITE_P(Casos, SinArchivo,
                         ::testing::Values(CasoSinArchivo{"ExportCancelled", std::nullopt, false},
                                           CasoSinArchivo{"ImportCancelled", std::nullopt, true},
                                           CasoSinArchivo{"ExportMissing", "otro.xml", false},
                                           CasoSinArchivo{"ImportMissing", "otro.xml", true},
                                           CasoSinArchivo{"FolderIsNoFile", ".", false}),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(Dialogo, CancelAfterAFailedPressUsesTheFileOfThatPressInTheOtherDirection) {
  TMForm& form = Abrir();
  dialogos_.respuestas.push_back(saga_);
  transferencias_.fallaEn = "Exportar";
  QTest::mouseClick(form.BExportar, Qt::LeftButton);
  ASSERT_EQ(dialogos_.errores.size(), 1u);

  transferencias_.fallaEn.clear();
  transferencias_.llamadas.clear();
  QTest::mouseClick(form.BImportar, Qt::LeftButton);  // dialog cancelled

  EXPECT_EQ(transferencias_.llamadas, (std::vector<std::string>{"Cargar " + saga_.string(), "Importar"}));
  EXPECT_EQ(dialogos_.mensajes, (std::vector<QString>{"Proceso finalizado"}));
}

struct CasoFallo {
  const char* nombre;
  const char* paso;
  bool importar;
};

class DireccionQueFalla : public Dialogo, public ::testing::WithParamInterface<CasoFallo> {};

TEST_P(DireccionQueFalla, ShowsTheErrorAndLeavesEverythingAsItWas) {
  const CasoFallo& caso = GetParam();
  TMForm& form = Abrir();
  dialogos_.respuestas.push_back(saga_);
  transferencias_.fallaEn = caso.paso;
  transferencias_.textoDelFallo = "No se puede crear la tabla 'ASIGNOMT' en 'C:\\QORDA': acceso denegado";
  QTest::mouseClick(caso.importar ? form.BImportar : form.BExportar, Qt::LeftButton);

  EXPECT_EQ(dialogos_.errores,
            (std::vector<QString>{"No se puede crear la tabla 'ASIGNOMT' en 'C:\\QORDA': acceso denegado."}));
  EXPECT_TRUE(dialogos_.mensajes.empty());
  EXPECT_EQ(transferencias_.llamadas.back().rfind(caso.paso, 0), 0u);  // nothing ran after the failure
  EXPECT_TRUE(BotonesActivos());
  EXPECT_EQ(Transformado, 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(form.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Casos, DireccionQueFalla,
                         ::testing::Values(CasoFallo{"ExportLoad", "Cargar", false},
                                           CasoFallo{"ExportSteps", "Exportar", false},
                                           CasoFallo{"ImportLoad", "Cargar", true},
                                           CasoFallo{"ImportSections", "Importar", true}),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(Dialogo, ErrorTextEndingInPunctuationGetsNoSecondStop) {
  TMForm& form = Abrir();
  dialogos_.respuestas.push_back(saga_);
  transferencias_.fallaEn = "Exportar";
  transferencias_.textoDelFallo = "Falta la carpeta.";
  QTest::mouseClick(form.BExportar, Qt::LeftButton);
  EXPECT_EQ(dialogos_.errores, (std::vector<QString>{"Falta la carpeta."}));
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

// --- Help ------------------------------------------------------------------

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

TEST_F(Dialogo, HelpThatCannotOpenSaysWhy) {
  TMForm& form = Abrir();
  ayuda_.falla = true;
  QTest::mouseClick(form.Button1, Qt::LeftButton);
  QTest::keyClick(form.BClose, Qt::Key_F1);
  // Ends in a quote, which sorts before the full stop: the box adds none.
  EXPECT_EQ(dialogos_.errores, std::vector<QString>(2, "No se encuentra el archivo de ayuda '/x/SAGA.chm'"));
  EXPECT_TRUE(form.isVisible());
}

TEST_F(Dialogo, HelpStillWorksAfterAFinishedTransfer) {
  TMForm& form = Abrir();
  dialogos_.respuestas.push_back(saga_);
  QTest::mouseClick(form.BExportar, Qt::LeftButton);
  ASSERT_TRUE(BotonesInactivos());
  QTest::mouseClick(form.Button1, Qt::LeftButton);
  EXPECT_EQ(ayuda_.llamadas, (std::vector<std::string>{"Contenido"}));
  QTest::mouseClick(form.BClose, Qt::LeftButton);
  EXPECT_TRUE(form.Cerrado());
}

// --- Run modes -------------------------------------------------------------

struct CasoParametros {
  const char* nombre;
  std::vector<std::string> parametros;
};

class ModoInteractivo : public Dialogo, public ::testing::WithParamInterface<CasoParametros> {};

TEST_P(ModoInteractivo, AnyCountButTwoDocksNothingRunsNothingWritesNothing) {
  TMForm& form = Abrir(GetParam().parametros);
  EXPECT_EQ(NumParametros, 0);
  EXPECT_TRUE(ventanas_.consultadas.empty());
  EXPECT_TRUE(dialogos_.pedidos.empty());
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
  form.close();
  EXPECT_EQ(Estado(), "(sin archivo)");
}

INSTANTIATE_TEST_SUITE_P(Casos, ModoInteractivo,
                         ::testing::Values(CasoParametros{"None", {}}, CasoParametros{"One", {"exportar"}},
                                           CasoParametros{"Three", {"exportar", "1A04C2", "x"}}),
                         [](const auto& info) { return std::string(info.param.nombre); });

struct CasoAutomatico {
  const char* nombre;
  const char* palabra;
  bool conArchivo;
  const char* estado;  // what Mirvane.ini holds afterwards
};

class ModoAutomatico : public Dialogo, public ::testing::WithParamInterface<CasoAutomatico> {};

TEST_P(ModoAutomatico, RunsBeforeTheDialogShowsClosesAndLeavesTheStatus) {
  const CasoAutomatico& caso = GetParam();
  if (caso.conArchivo) dialogos_.respuestas.push_back(saga_);
  bool visibleDurante = true;
  transferencias_.durante = [&] { visibleDurante = form_->isVisible(); };
  bool visibleEnElDialogoDeArchivo = true;
  dialogos_.alMostrarMensaje = [&](const QString&) { visibleEnElDialogoDeArchivo = form_->isVisible(); };

  TMForm& form = Crear({caso.palabra, "1A04C2"});
  EXPECT_EQ(ventanas_.acopladas, (std::vector<std::uint32_t>{0x1A04C2}));
  EXPECT_TRUE(ventanas_.banderasAlAcoplar.testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(NumParametros, 2);
  form.Mostrar();

  ASSERT_EQ(dialogos_.pedidos.size(), 1u);
  EXPECT_EQ(dialogos_.padres[0], nullptr);  // nothing to stand over yet
  EXPECT_FALSE(visibleEnElDialogoDeArchivo);
  if (caso.conArchivo) {
    EXPECT_FALSE(visibleDurante);
  }
  EXPECT_EQ(dialogos_.mensajes.size(), 1u);
  EXPECT_TRUE(form.Cerrado());
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(Estado(), std::string("[Transformadores]\r\nTransformado=") + caso.estado + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Casos, ModoAutomatico,
                         ::testing::Values(CasoAutomatico{"ExportFinished", "EXPORTAR", true, "1"},
                                           CasoAutomatico{"ExportCancelled", "exportar", false, "-1"},
                                           CasoAutomatico{"ImportFinished", "Importar", true, "1"},
                                           CasoAutomatico{"ImportCancelled", "importar", false, "0"}),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(Dialogo, AutomatedWithAnUnknownWordWaitsDockedAndWritesZeroOnClose) {
  TMForm& form = Abrir({"ver", "1a04c2"});
  EXPECT_EQ(ventanas_.acopladas, (std::vector<std::uint32_t>{0x1A04C2}));
  EXPECT_TRUE(dialogos_.pedidos.empty());
  EXPECT_TRUE(dialogos_.mensajes.empty());
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
  QTest::mouseClick(form.BClose, Qt::LeftButton);
  EXPECT_EQ(Estado(), "[Transformadores]\r\nTransformado=0\r\n");
}

TEST_F(Dialogo, AutomatedDirectionThatFailsStaysOpenAndKeepsTheStatus) {
  dialogos_.respuestas.push_back(saga_);
  transferencias_.fallaEn = "Exportar";
  TMForm& form = Abrir({"exportar", "1A04C2"});
  EXPECT_EQ(dialogos_.errores.size(), 1u);
  EXPECT_FALSE(form.Cerrado());
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(BotonesActivos());

  // Used like the interactive one afterwards: a second press finishes and closes.
  transferencias_.fallaEn.clear();
  QTest::mouseClick(form.BImportar, Qt::LeftButton);  // cancelled: the file of the first press
  EXPECT_TRUE(form.Cerrado());
  EXPECT_EQ(Estado(), "[Transformadores]\r\nTransformado=1\r\n");
}

TEST_F(Dialogo, HandleThatIsNoNumberLeavesTheDialogUndockedAndNeverWritesTheStatus) {
  dialogos_.respuestas.push_back(saga_);
  TMForm& form = Crear({"exportar", "XYZ"});
  EXPECT_EQ(dialogos_.errores, (std::vector<QString>{"'$XYZ' no es un valor entero válido."}));
  EXPECT_TRUE(ventanas_.consultadas.empty());
  EXPECT_FALSE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(NumParametros, 0);

  form.Mostrar();  // the direction still starts, finishes, and does not close
  EXPECT_EQ(transferencias_.llamadas.back(), "Exportar");
  EXPECT_EQ(dialogos_.mensajes, (std::vector<QString>{"Proceso finalizado"}));
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(BotonesInactivos());
  form.close();
  EXPECT_EQ(Estado(), "(sin archivo)");
}

TEST_F(Dialogo, HandleNamingNoWindowRunsUndockedButStaysAutomated) {
  ventanas_.existe = false;
  dialogos_.respuestas.push_back(saga_);
  TMForm& form = Crear({"exportar", "7FFFFFF0"});
  EXPECT_EQ(ventanas_.consultadas, (std::vector<std::uint32_t>{0x7FFFFFF0}));
  EXPECT_TRUE(ventanas_.acopladas.empty());
  EXPECT_FALSE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(NumParametros, 2);
  form.Mostrar();
  EXPECT_TRUE(form.Cerrado());
  EXPECT_EQ(Estado(), "[Transformadores]\r\nTransformado=1\r\n");
}

TEST_F(Dialogo, HandleWithAllThirtyTwoBitsIsReadAsUnsigned) {
  Crear({"ver", "FFFFFFFE"});
  EXPECT_EQ(ventanas_.consultadas, (std::vector<std::uint32_t>{0xFFFFFFFEu}));
  EXPECT_EQ(NumParametros, 2);
}

TEST_F(Dialogo, AutomatedRunKeepsEveryOtherLineOfMirvaneIni) {
  const std::string antes =
      "; Mirvane\r\n[General]\r\nIdioma=ES\r\n\r\n[transformadores]\r\nUltimo=SAGA\r\nTRANSFORMADO=-1\r\n"
      "Otro = 3\r\n\r\n[Ventanas]\r\nX=10\r\n";
  WriteBytes(estado_, antes);
  dialogos_.respuestas.push_back(saga_);
  Abrir({"exportar", "1A04C2"});
  EXPECT_EQ(Estado(),
            "; Mirvane\r\n[General]\r\nIdioma=ES\r\n\r\n[transformadores]\r\nUltimo=SAGA\r\nTransformado=1\r\n"
            "Otro = 3\r\n\r\n[Ventanas]\r\nX=10\r\n");
}

TEST_F(Dialogo, StatusThatCannotBeWrittenIsReportedOnceAndTheDialogClosesAnyway) {
  estado_ = carpeta_ / "no-existe" / "Mirvane.ini";
  TMForm& form = Abrir({"ver", "1A04C2"});
  QTest::mouseClick(form.BClose, Qt::LeftButton);
  EXPECT_TRUE(form.Cerrado());
  ASSERT_EQ(dialogos_.errores.size(), 1u);
  EXPECT_TRUE(dialogos_.errores[0].contains(QString::fromStdString(estado_.string()))) << dialogos_.errores[0].toStdString();
}

}  // namespace
