// pontexa-cli exportar, run as a user would run it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ejecutar_cli.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

using pontexa::testing::Citado;
using pontexa::testing::Ejecutar;
using pontexa::testing::Salida;
using pontexa::testing::UltimaLinea;

class ExportarCliTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(carpeta); }
  pontexa::testing::TempFolder tmp;
  fs::path carpeta = tmp / "qorda";
  fs::path instituto = pontexa::testing::SourceDir() / "ejemplos/saga/instituto.xml";
};

TEST_F(ExportarCliTest, EscribeLasSeisTablasYTerminaConProcesoFinalizado) {
  const Salida salida = Ejecutar(tmp, "exportar " + Citado(instituto) + " --carpeta " + Citado(carpeta));
  EXPECT_EQ(salida.codigo, 0) << salida.err;
  EXPECT_EQ(UltimaLinea(salida.out), "Proceso finalizado");
  EXPECT_THAT(salida.out, HasSubstr("ASIGNOMT: 34 registros\nPROFT: 24 registros\nAULAT: 15 registros\n"
                                    "GRUPOST: 12 registros\nASIGT: 71 registros\nDIASHORAST: 0 registros\n"));
  EXPECT_EQ(salida.err, "");
  for (const char* tabla : {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"}) {
    EXPECT_TRUE(fs::is_regular_file(carpeta / (std::string(tabla) + ".DBF"))) << tabla;
  }
}

TEST_F(ExportarCliTest, SinArchivoDiceNoExisteArchivo) {
  const Salida salida = Ejecutar(tmp, "exportar " + Citado(tmp / "no-esta.xml") + " --carpeta " + Citado(carpeta));
  EXPECT_EQ(salida.codigo, 1);
  EXPECT_THAT(salida.err, HasSubstr("No existe archivo"));
  EXPECT_THAT(salida.out, Not(HasSubstr("Proceso finalizado")));
  EXPECT_TRUE(fs::is_empty(carpeta));
}

TEST_F(ExportarCliTest, UnXmlMalFormadoNoTocaLasTablas) {
  ASSERT_EQ(Ejecutar(tmp, "exportar " + Citado(instituto) + " --carpeta " + Citado(carpeta)).codigo, 0);
  const std::string antes = pontexa::testing::ReadBytes(carpeta / "ASIGNOMT.DBF");
  const fs::path roto = tmp / "roto.xml";
  pontexa::testing::WriteBytes(roto, "<?xml version=\"1.0\"?>\n<document>\n  <subjects>\n</document>\n");

  const Salida salida = Ejecutar(tmp, "exportar " + Citado(roto) + " --carpeta " + Citado(carpeta));
  EXPECT_EQ(salida.codigo, 1);
  EXPECT_THAT(salida.err, HasSubstr("roto.xml"));
  EXPECT_THAT(salida.err, HasSubstr("4"));  // the line of the mismatched end tag
  EXPECT_THAT(salida.out, Not(HasSubstr("Proceso finalizado")));
  EXPECT_EQ(pontexa::testing::ReadBytes(carpeta / "ASIGNOMT.DBF"), antes);
}

TEST_F(ExportarCliTest, UnElementoSinIdNoTocaLasTablas) {
  const fs::path sinId = tmp / "sin-id.xml";
  pontexa::testing::WriteBytes(sinId, "<document><teachers><teacher>Ana</teacher></teachers></document>");
  const Salida salida = Ejecutar(tmp, "exportar " + Citado(sinId) + " --carpeta " + Citado(carpeta));
  EXPECT_EQ(salida.codigo, 1);
  EXPECT_THAT(salida.err, HasSubstr("teacher número 1"));
  // Only the transfers' empty lock file.
  for (const auto& entrada : fs::directory_iterator(carpeta)) EXPECT_EQ(entrada.path().filename(), "PONTEXA.BLOQUEO");
}

TEST_F(ExportarCliTest, SinCarpetaDeIntercambioFalla) {
  const Salida salida = Ejecutar(tmp, "exportar " + Citado(instituto) + " --carpeta " + Citado(tmp / "no-existe"));
  EXPECT_EQ(salida.codigo, 1);
  EXPECT_THAT(salida.err, HasSubstr("no-existe"));
}

TEST_F(ExportarCliTest, LosErroresDeUsoDevuelvenDos) {
  for (const std::string& argumentos : {std::string(""), std::string("exportar"), "exportar " + Citado(instituto) + " otro",
                                       "exportar " + Citado(instituto) + " --carpeta",
                                       "exportar " + Citado(instituto) + " --rapido", "transformar " + Citado(instituto)}) {
    const Salida salida = Ejecutar(tmp, argumentos);
    EXPECT_EQ(salida.codigo, 2) << argumentos;
    EXPECT_THAT(salida.err, HasSubstr("Uso: pontexa-cli")) << argumentos;
  }
  EXPECT_TRUE(fs::is_empty(carpeta));
}

TEST_F(ExportarCliTest, AyudaMuestraElUso) {
  const Salida salida = Ejecutar(tmp, "--help");
  EXPECT_EQ(salida.codigo, 0);
  EXPECT_THAT(salida.out, HasSubstr("pontexa-cli exportar ARCHIVO.xml"));
  EXPECT_THAT(salida.out, HasSubstr("--carpeta DIR"));
}

}  // namespace
