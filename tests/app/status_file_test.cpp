// Mirvane.ini: one line changes, every other byte stays.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/status_file.h"
#include "platform/error.h"
#include "platform/faults.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using pontexa::app::EscribirEstado;
using pontexa::app::PonerValorIni;
using pontexa::testing::ReadBytes;
using pontexa::testing::TempFolder;
using pontexa::testing::WriteBytes;

namespace {

struct Caso {
  const char* nombre;
  std::string antes;
  std::string despues;
};

TEST(ArchivoDeEstado, SetsTheKeyAndKeepsEverythingElse) {
  const Caso casos[] = {
      {"empty file", "", "[Transformadores]\r\nTransformado=1\r\n"},
      {"other section, CRLF", "[General]\r\nA=1\r\n", "[General]\r\nA=1\r\n[Transformadores]\r\nTransformado=1\r\n"},
      {"other section, LF", "[General]\nA=1\n", "[General]\nA=1\n[Transformadores]\nTransformado=1\n"},
      {"no final line end", "[General]\r\nA=1", "[General]\r\nA=1\r\n[Transformadores]\r\nTransformado=1\r\n"},
      {"key replaced", "[Transformadores]\r\nTransformado=-1\r\n", "[Transformadores]\r\nTransformado=1\r\n"},
      {"names ignore case, spacing kept elsewhere",
       "; c\r\n[ TRANSFORMADORES ]\r\n  transformado = 0 \r\nZ=9\r\n",
       "; c\r\n[ TRANSFORMADORES ]\r\nTransformado=1\r\nZ=9\r\n"},
      {"key added after the section's last line, before the blank and the next section",
       "[Transformadores]\r\nOtro=2\r\n\r\n[Ventanas]\r\nTransformado=5\r\n",
       "[Transformadores]\r\nOtro=2\r\nTransformado=1\r\n\r\n[Ventanas]\r\nTransformado=5\r\n"},
      {"key added to an empty last section without line end", "[A]\r\nx=1\r\n[Transformadores]",
       "[A]\r\nx=1\r\n[Transformadores]\r\nTransformado=1\r\n"},
      {"commented key is no key", "[Transformadores]\r\n;Transformado=7\r\n",
       "[Transformadores]\r\n;Transformado=7\r\nTransformado=1\r\n"},
      {"first of two sections wins", "[Transformadores]\nX=1\n[Transformadores]\nTransformado=3\n",
       "[Transformadores]\nX=1\nTransformado=1\n[Transformadores]\nTransformado=3\n"},
      {"similar names are other keys", "[Transformadores]\nTransformados=3\nTransformado2=4\n",
       "[Transformadores]\nTransformados=3\nTransformado2=4\nTransformado=1\n"},
      {"UTF-8 mark kept", "\xEF\xBB\xBF[Transformadores]\r\nTransformado=0\r\n",
       "\xEF\xBB\xBF[Transformadores]\r\nTransformado=1\r\n"},
      {"bytes of other lines untouched", "[\xC1rbol]\r\nn\xF1=\xE9\t \r\n",
       "[\xC1rbol]\r\nn\xF1=\xE9\t \r\n[Transformadores]\r\nTransformado=1\r\n"},
  };
  for (const Caso& caso : casos) {
    EXPECT_EQ(PonerValorIni(caso.antes, "Transformadores", "Transformado", "1"), caso.despues) << caso.nombre;
  }
}

TEST(ArchivoDeEstado, CreatesTheFileAndRewritesItInPlace) {
  TempFolder carpeta;
  const fs::path ini = carpeta / "Mirvane.ini";
  EscribirEstado(ini, -1);
  EXPECT_EQ(ReadBytes(ini), "[Transformadores]\r\nTransformado=-1\r\n");
  EscribirEstado(ini, 1);
  EXPECT_EQ(ReadBytes(ini), "[Transformadores]\r\nTransformado=1\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(carpeta.Path()), fs::directory_iterator()), 1);
}

TEST(ArchivoDeEstado, FailedWriteNamesTheFileAndLeavesItAsItWas) {
  TempFolder carpeta;
  const fs::path ini = carpeta / "Mirvane.ini";
  WriteBytes(ini, "[General]\r\nA=1\r\n");
  {
    pontexa::platform::faults::Scoped falla(
        [](pontexa::platform::faults::Operation op, const std::string&) {
          return op == pontexa::platform::faults::Operation::Rename;
        });
    try {
      EscribirEstado(ini, 1);
      FAIL();
    } catch (const pontexa::Error& e) {
      EXPECT_NE(std::string(e.what()).find(ini.string()), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(ReadBytes(ini), "[General]\r\nA=1\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(carpeta.Path()), fs::directory_iterator()), 1);
}

}  // namespace
