// The form's behaviour, through its logic with a scripted view: the
// handlers' sequences, the run modes, the status values and file, the cursor
// and error rules. No toolkit: the same cases run on Linux and on Windows.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/estado.h"
#include "app/formulario.h"
#include "guion_logica.h"
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

class Logica : public ::testing::Test {
 protected:
  void SetUp() override {
    // Process-wide values start afresh, as at program start.
    ArchivoXML.clear();
    NumParametros = 0;
    Transformado = 0;
    WriteBytes(saga_, "<document/>");
    // Closing runs FormClose, as every view does.
    vista_.alCerrar = [this] { form_->FormClose(); };
  }

  // As a view builds the form: FormCreate at the end of its creation.
  Formulario& Crear(std::vector<std::string> parametros = {}) {
    form_ = std::make_unique<Formulario>(vista_, Entorno{std::move(parametros), transferencias_, estado_, carpeta_.Path()});
    form_->FormCreate();
    return *form_;
  }
  // As a view shows it: FormShow, then visible unless that closed it.
  Formulario& Abrir(std::vector<std::string> parametros = {}) {
    Formulario& form = Crear(std::move(parametros));
    form.FormShow();
    if (vista_.cierres == 0) vista_.visible = true;
    return form;
  }
  void CerrarComoLaVista() { vista_.Cerrar(); }
  std::string Estado() const { return fs::exists(estado_) ? ReadBytes(estado_) : "(sin archivo)"; }

  TempFolder carpeta_;
  fs::path saga_ = carpeta_ / "centro.xml";
  fs::path estado_ = carpeta_ / "Mirvane.ini";
  VistaGuionada vista_;
  TransferenciasGuionadas transferencias_;
  std::unique_ptr<Formulario> form_;
};

// --- Interactive mode ------------------------------------------------------

TEST_F(Logica, ExportFinishesThenDisablesBothButtonsAfterTheMessage) {
  Formulario& form = Abrir();
  vista_.respuestas.push_back(saga_);
  bool esperaDurante = false;
  transferencias_.durante = [&] { esperaDurante = vista_.espera; };
  bool activosDuranteElMensaje = false;
  vista_.alMostrarMensaje = [&](const std::string&) { activosDuranteElMensaje = vista_.activas; };

  form.BExportarClick();

  EXPECT_EQ(transferencias_.llamadas, (std::vector<std::string>{"Cargar " + Utf8(saga_), "Exportar"}));
  EXPECT_TRUE(esperaDurante);
  EXPECT_FALSE(vista_.espera);
  EXPECT_EQ(vista_.mensajes, (std::vector<std::string>{"Proceso finalizado"}));
  EXPECT_TRUE(activosDuranteElMensaje);
  EXPECT_FALSE(vista_.activas);
  EXPECT_EQ(Transformado, 1);
  EXPECT_EQ(ArchivoXML, saga_);
  EXPECT_EQ(vista_.cierres, 0);

  CerrarComoLaVista();
  EXPECT_EQ(Estado(), "(sin archivo)");  // the interactive mode never writes it
}

TEST_F(Logica, ImportFinishesWithoutTheWaitCursor) {
  Formulario& form = Abrir();
  vista_.respuestas.push_back(saga_);
  bool esperaDurante = true;
  transferencias_.durante = [&] { esperaDurante = vista_.espera; };

  form.BImportarClick();

  EXPECT_EQ(transferencias_.llamadas, (std::vector<std::string>{"Cargar " + Utf8(saga_), "Importar"}));
  EXPECT_FALSE(esperaDurante);
  EXPECT_EQ(vista_.mensajes, (std::vector<std::string>{"Proceso finalizado"}));
  EXPECT_FALSE(vista_.activas);
  EXPECT_EQ(Transformado, 1);
}

TEST_F(Logica, FileDialogCarriesTheSettingsOfOpenDialogXml) {
  Formulario& form = Abrir();
  form.BExportarClick();
  form.BImportarClick();
  ASSERT_EQ(vista_.pedidos.size(), 2u);
  for (const OpcionesArchivo& pedido : vista_.pedidos) {
    EXPECT_EQ(pedido.titulo, "Archivo XML");
    EXPECT_EQ(pedido.filtro, "*.xml");
    EXPECT_EQ(pedido.extension, "xml");
    EXPECT_EQ(pedido.carpetaInicial, carpeta_.Path());
  }
}

struct CasoSinArchivo {
  const char* nombre;
  std::optional<std::string> respuesta;  // relative to the folder; nothing = cancelled
  bool importar;
};

class SinArchivo : public Logica, public ::testing::WithParamInterface<CasoSinArchivo> {};

TEST_P(SinArchivo, SaysSoAndChangesNothingElse) {
  const CasoSinArchivo& caso = GetParam();
  Formulario& form = Abrir();
  if (caso.respuesta) vista_.respuestas.push_back(carpeta_ / *caso.respuesta);
  caso.importar ? form.BImportarClick() : form.BExportarClick();

  EXPECT_EQ(vista_.mensajes, (std::vector<std::string>{"No existe archivo"}));
  EXPECT_TRUE(transferencias_.llamadas.empty());
  EXPECT_TRUE(vista_.activas);
  EXPECT_EQ(Transformado, 0);
  EXPECT_EQ(vista_.cierres, 0);
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

TEST_F(Logica, CancelAfterAFailedPressUsesTheFileOfThatPressInTheOtherDirection) {
  Formulario& form = Abrir();
  vista_.respuestas.push_back(saga_);
  transferencias_.fallaEn = "Exportar";
  form.BExportarClick();
  ASSERT_EQ(vista_.errores.size(), 1u);

  transferencias_.fallaEn.clear();
  transferencias_.llamadas.clear();
  form.BImportarClick();  // dialog cancelled

  EXPECT_EQ(transferencias_.llamadas, (std::vector<std::string>{"Cargar " + Utf8(saga_), "Importar"}));
  EXPECT_EQ(vista_.mensajes, (std::vector<std::string>{"Proceso finalizado"}));
}

struct CasoFallo {
  const char* nombre;
  const char* paso;
  bool importar;
};

class DireccionQueFalla : public Logica, public ::testing::WithParamInterface<CasoFallo> {};

TEST_P(DireccionQueFalla, ShowsTheErrorAndLeavesEverythingAsItWas) {
  const CasoFallo& caso = GetParam();
  Formulario& form = Abrir();
  vista_.respuestas.push_back(saga_);
  transferencias_.fallaEn = caso.paso;
  transferencias_.textoDelFallo = "No se puede crear la tabla 'ASIGNOMT' en 'C:\\QORDA': acceso denegado";
  caso.importar ? form.BImportarClick() : form.BExportarClick();

  EXPECT_EQ(vista_.errores,
            (std::vector<std::string>{"No se puede crear la tabla 'ASIGNOMT' en 'C:\\QORDA': acceso denegado."}));
  EXPECT_TRUE(vista_.mensajes.empty());
  EXPECT_EQ(transferencias_.llamadas.back().rfind(caso.paso, 0), 0u);  // nothing ran after the failure
  EXPECT_TRUE(vista_.activas);
  EXPECT_EQ(Transformado, 0);
  EXPECT_FALSE(vista_.espera);
  EXPECT_EQ(vista_.cierres, 0);
}

INSTANTIATE_TEST_SUITE_P(Casos, DireccionQueFalla,
                         ::testing::Values(CasoFallo{"ExportLoad", "Cargar", false},
                                           CasoFallo{"ExportSteps", "Exportar", false},
                                           CasoFallo{"ImportLoad", "Cargar", true},
                                           CasoFallo{"ImportSections", "Importar", true}),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST(ConPunto, AddsAStopOnlyAfterCharactersSortingAfterIt) {
  struct Caso {
    const char* texto;
    const char* esperado;
  };
  for (const Caso& caso : {Caso{"Falta la carpeta", "Falta la carpeta."}, Caso{"Falta la carpeta.", "Falta la carpeta."},
                           Caso{"en 'X'", "en 'X'"}, Caso{"¿seguro?", "¿seguro?."}, Caso{"(1)", "(1)"},
                           Caso{"valor 7", "valor 7."}, Caso{"", ""}, Caso{"acción", "acción."}}) {
    EXPECT_EQ(ConPunto(caso.texto), caso.esperado) << caso.texto;
  }
}

// --- Help ------------------------------------------------------------------

TEST_F(Logica, F1AsksForContextOneAndTheButtonForTheContents) {
  Formulario& form = Abrir();
  form.TeclaF1();
  form.Button1Click();
  EXPECT_EQ(vista_.ayuda, (std::vector<std::string>{"Tema 1", "Contenido"}));
}

TEST_F(Logica, HelpThatCannotOpenSaysWhy) {
  Formulario& form = Abrir();
  vista_.fallaLaAyuda = true;
  form.Button1Click();
  form.TeclaF1();
  // Ends in a quote, which sorts before the full stop: the box adds none.
  EXPECT_EQ(vista_.errores, std::vector<std::string>(2, "No se encuentra el archivo de ayuda '/x/SAGA.chm'"));
}

TEST_F(Logica, HelpStillWorksAfterAFinishedTransfer) {
  Formulario& form = Abrir();
  vista_.respuestas.push_back(saga_);
  form.BExportarClick();
  ASSERT_FALSE(vista_.activas);
  form.Button1Click();
  EXPECT_EQ(vista_.ayuda, (std::vector<std::string>{"Contenido"}));
}

// --- Run modes -------------------------------------------------------------

struct CasoParametros {
  const char* nombre;
  std::vector<std::string> parametros;
};

class ModoInteractivo : public Logica, public ::testing::WithParamInterface<CasoParametros> {};

TEST_P(ModoInteractivo, AnyCountButTwoDocksNothingRunsNothingWritesNothing) {
  Abrir(GetParam().parametros);
  EXPECT_EQ(NumParametros, 0);
  EXPECT_TRUE(vista_.consultadas.empty());
  EXPECT_TRUE(vista_.acopladas.empty());
  EXPECT_TRUE(vista_.pedidos.empty());
  EXPECT_TRUE(vista_.visible);
  CerrarComoLaVista();
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

class ModoAutomatico : public Logica, public ::testing::WithParamInterface<CasoAutomatico> {};

TEST_P(ModoAutomatico, RunsBeforeTheDialogShowsClosesAndLeavesTheStatus) {
  const CasoAutomatico& caso = GetParam();
  if (caso.conArchivo) vista_.respuestas.push_back(saga_);

  Crear({caso.palabra, "1A04C2"});
  EXPECT_EQ(vista_.acopladas, (std::vector<std::uint32_t>{0x1A04C2}));
  EXPECT_EQ(NumParametros, 2);
  form_->FormShow();

  ASSERT_EQ(vista_.pedidos.size(), 1u);
  EXPECT_EQ(vista_.mensajes.size(), 1u);
  EXPECT_EQ(vista_.cierres, 1);
  EXPECT_EQ(Estado(), std::string("[Transformadores]\r\nTransformado=") + caso.estado + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Casos, ModoAutomatico,
                         ::testing::Values(CasoAutomatico{"ExportFinished", "EXPORTAR", true, "1"},
                                           CasoAutomatico{"ExportCancelled", "exportar", false, "-1"},
                                           CasoAutomatico{"ImportFinished", "Importar", true, "1"},
                                           CasoAutomatico{"ImportCancelled", "importar", false, "0"}),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(Logica, AutomatedWithAnUnknownWordWaitsDockedAndWritesZeroOnClose) {
  Abrir({"ver", "1a04c2"});
  EXPECT_EQ(vista_.acopladas, (std::vector<std::uint32_t>{0x1A04C2}));
  EXPECT_TRUE(vista_.pedidos.empty());
  EXPECT_TRUE(vista_.mensajes.empty());
  EXPECT_TRUE(vista_.visible);
  CerrarComoLaVista();
  EXPECT_EQ(Estado(), "[Transformadores]\r\nTransformado=0\r\n");
}

TEST_F(Logica, AutomatedDirectionThatFailsStaysOpenAndKeepsTheStatus) {
  vista_.respuestas.push_back(saga_);
  transferencias_.fallaEn = "Exportar";
  Formulario& form = Abrir({"exportar", "1A04C2"});
  EXPECT_EQ(vista_.errores.size(), 1u);
  EXPECT_EQ(vista_.cierres, 0);
  EXPECT_TRUE(vista_.visible);
  EXPECT_TRUE(vista_.activas);

  // Used like the interactive one afterwards: a second press finishes and closes.
  transferencias_.fallaEn.clear();
  form.BImportarClick();  // cancelled: the file of the first press
  EXPECT_EQ(vista_.cierres, 1);
  EXPECT_EQ(Estado(), "[Transformadores]\r\nTransformado=1\r\n");
}

TEST_F(Logica, HandleThatIsNoNumberLeavesTheDialogUndockedAndNeverWritesTheStatus) {
  vista_.respuestas.push_back(saga_);
  Formulario& form = Crear({"exportar", "XYZ"});
  EXPECT_EQ(vista_.errores, (std::vector<std::string>{"'$XYZ' no es un valor entero válido."}));
  EXPECT_TRUE(vista_.consultadas.empty());
  EXPECT_TRUE(vista_.acopladas.empty());
  EXPECT_EQ(NumParametros, 0);

  form.FormShow();  // the direction still starts, finishes, and does not close
  EXPECT_EQ(transferencias_.llamadas.back(), "Exportar");
  EXPECT_EQ(vista_.mensajes, (std::vector<std::string>{"Proceso finalizado"}));
  EXPECT_EQ(vista_.cierres, 0);
  EXPECT_FALSE(vista_.activas);
  CerrarComoLaVista();
  EXPECT_EQ(Estado(), "(sin archivo)");
}

TEST_F(Logica, HandleNamingNoWindowRunsUndockedButStaysAutomated) {
  vista_.existe = false;
  vista_.respuestas.push_back(saga_);
  Crear({"exportar", "7FFFFFF0"});
  EXPECT_EQ(vista_.consultadas, (std::vector<std::uint32_t>{0x7FFFFFF0}));
  EXPECT_TRUE(vista_.acopladas.empty());
  EXPECT_EQ(NumParametros, 2);
  form_->FormShow();
  EXPECT_EQ(vista_.cierres, 1);
  EXPECT_EQ(Estado(), "[Transformadores]\r\nTransformado=1\r\n");
}

TEST_F(Logica, HandleWithAllThirtyTwoBitsIsReadAsUnsigned) {
  Crear({"ver", "FFFFFFFE"});
  EXPECT_EQ(vista_.consultadas, (std::vector<std::uint32_t>{0xFFFFFFFEu}));
  EXPECT_EQ(NumParametros, 2);
}

TEST_F(Logica, AutomatedRunKeepsEveryOtherLineOfMirvaneIni) {
  const std::string antes =
      "; Mirvane\r\n[General]\r\nIdioma=ES\r\n\r\n[transformadores]\r\nUltimo=SAGA\r\nTRANSFORMADO=-1\r\n"
      "Otro = 3\r\n\r\n[Ventanas]\r\nX=10\r\n";
  WriteBytes(estado_, antes);
  vista_.respuestas.push_back(saga_);
  Abrir({"exportar", "1A04C2"});
  EXPECT_EQ(Estado(),
            "; Mirvane\r\n[General]\r\nIdioma=ES\r\n\r\n[transformadores]\r\nUltimo=SAGA\r\nTransformado=1\r\n"
            "Otro = 3\r\n\r\n[Ventanas]\r\nX=10\r\n");
}

TEST_F(Logica, StatusThatCannotBeWrittenIsReportedOnceAndTheDialogClosesAnyway) {
  estado_ = carpeta_ / "no-existe" / "Mirvane.ini";
  Abrir({"ver", "1A04C2"});
  CerrarComoLaVista();
  ASSERT_EQ(vista_.errores.size(), 1u);
  EXPECT_NE(vista_.errores[0].find(Utf8(estado_)), std::string::npos) << vista_.errores[0];
}

}  // namespace
