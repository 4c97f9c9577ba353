// Names as a Spanish user's Windows gives them: accents, Ñ, spaces, in every
// folder and in the file. On Windows the arguments reach pontexa-cli as
// UTF-16 (the test starts it through the wide call) and must come back in
// its messages unchanged.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ejecutar_cli.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using pontexa::testing::Citado;
using pontexa::testing::Ejecutar;
using pontexa::testing::Salida;

TEST(RutasUnicodeCliTest, ExportaEImportaConNombresConAcentos) {
  pontexa::testing::TempFolder tmp;
  const fs::path documentos = (tmp / "Users/José Ñúñez/Documentos/horarios 2026").make_preferred();
  const fs::path carpeta = (tmp / "Mirvane Año/QORDA").make_preferred();
  fs::create_directories(documentos);
  fs::create_directories(carpeta);
  const fs::path saga = documentos / pontexa::platform::PathFromUtf8("centro público.xml");
  fs::copy_file(pontexa::testing::SourceDir() / "ejemplos/saga/instituto.xml", saga);

  const Salida exportado = Ejecutar(tmp, "exportar " + Citado(saga) + " --carpeta " + Citado(carpeta));
  ASSERT_EQ(exportado.codigo, 0) << exportado.err;
  EXPECT_TRUE(fs::is_regular_file(carpeta / "ASIGNOMT.DBF"));

  for (const char* tabla : {"DIASHORAST.DBF", "SOLUC.DBF"}) {
    fs::copy_file(pontexa::testing::SourceDir() / "ejemplos/qorda" / tabla, carpeta / tabla,
                  fs::copy_options::overwrite_existing);
  }
  const Salida importado = Ejecutar(tmp, "importar " + Citado(saga) + " --carpeta " + Citado(carpeta));
  ASSERT_EQ(importado.codigo, 0) << importado.err;
  EXPECT_THAT(pontexa::testing::ReadBytes(saga), HasSubstr("<time-tables"));
}

TEST(RutasUnicodeCliTest, LosMensajesNombranLaCarpetaTalCual) {
  pontexa::testing::TempFolder tmp;
  const fs::path saga = tmp / "centro público.xml";
  fs::copy_file(pontexa::testing::SourceDir() / "ejemplos/saga/instituto.xml", saga);
  const fs::path falta = (tmp / "José Ñúñez/QORDA").make_preferred();
  const Salida r = Ejecutar(tmp, "exportar " + Citado(saga) + " --carpeta " + Citado(falta));
  EXPECT_EQ(r.codigo, 1);
  EXPECT_THAT(r.err, HasSubstr(pontexa::platform::Quoted(falta)));
}

}  // namespace
