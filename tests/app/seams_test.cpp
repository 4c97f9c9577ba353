// The test seams of the test builds: the file dialog answered from the
// environment and the boxes written to standard error.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/seams_de_prueba.h"
#include "guion_logica.h"

namespace fs = std::filesystem;
using namespace pontexa::app;

namespace {

const OpcionesArchivo kOpciones = {"Archivo XML", "*.xml", "xml", {}};

TEST(SeamsDePrueba, AnswerTheFileDialogAndConfirmMessages) {
  prueba::VistaGuionada real;
  VistaConSeams elegido(real, std::string("/tmp/centro.xml"), true);
  EXPECT_EQ(elegido.ElegirArchivo(kOpciones), fs::path("/tmp/centro.xml"));
  testing::internal::CaptureStderr();
  elegido.MostrarMensaje("Proceso finalizado");
  elegido.MostrarError("Fallo.");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Mensaje: Proceso finalizado\nError: Fallo.\n");
  EXPECT_TRUE(real.mensajes.empty());
  EXPECT_TRUE(real.pedidos.empty());

  // Everything else reaches the real view.
  elegido.ActivarTransferencias(false);
  elegido.Acoplar(7);
  EXPECT_FALSE(real.activas);
  EXPECT_EQ(real.acopladas, (std::vector<std::uint32_t>{7}));

  VistaConSeams cancelado(real, std::string(), false);
  EXPECT_EQ(cancelado.ElegirArchivo(kOpciones), std::nullopt);
  cancelado.MostrarMensaje("Hola");
  EXPECT_EQ(real.mensajes, (std::vector<std::string>{"Hola"}));

  VistaConSeams sinSeams(real, std::nullopt, false);
  real.respuestas.push_back(fs::path("elegido.xml"));
  EXPECT_EQ(sinSeams.ElegirArchivo(kOpciones), fs::path("elegido.xml"));
}

}  // namespace
