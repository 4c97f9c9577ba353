// The import writes only the time-tables section, so a file that went
// through it exports to exactly the tables the original gives.

#include <gtest/gtest.h>

#include <filesystem>

#include "export/exportador.h"
#include "import/importador.h"
#include "saga/document.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace pontexa::testing {
namespace {

void Exportar(const fs::path& archivo, const fs::path& carpeta) {
  fs::create_directories(carpeta);
  const saga::Document documento = saga::Document::Load(archivo);
  exportacion::Exportar(documento, carpeta, text::RegionalSettings{','});
}

TEST(ImportReexportar, ImportedFileExportsTheSameTablesAsTheOriginal) {
  TempFolder tmp;
  const fs::path original = SourceDir() / "ejemplos/saga/instituto.xml";
  Exportar(original, tmp / "antes");

  const fs::path importado = tmp / "instituto.xml";
  fs::copy_file(original, importado);
  Exportar(importado, tmp / "qorda");
  for (const char* tabla : {"DIASHORAST.DBF", "SOLUC.DBF"}) {
    fs::copy_file(SourceDir() / "ejemplos/qorda" / tabla, tmp / "qorda" / tabla, fs::copy_options::overwrite_existing);
  }
  const importacion::ResumenImportacion resumen =
      importacion::ImportarArchivo(importado, tmp / "qorda", text::RegionalSettings{','});
  ASSERT_GT(resumen.entradas, 0u);
  ASSERT_NE(ReadBytes(importado), ReadBytes(original));

  Exportar(importado, tmp / "despues");
  for (const char* tabla : {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"}) {
    const std::string dbf = std::string(tabla) + ".DBF";
    EXPECT_EQ(ReadBytes(tmp / "despues" / dbf), ReadBytes(tmp / "antes" / dbf)) << tabla;
  }
}

}  // namespace
}  // namespace pontexa::testing
