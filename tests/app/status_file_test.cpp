// Mirvane.ini: one line changes, every other byte stays.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/status_file.h"
#include "platform/error.h"
#include "platform/faults.h"
#include "platform/utf8_path.h"
#include "support/temp_folder.h"
#include "support/usuario_comun.h"

namespace fs = std::filesystem;
using pontexa::app::EscribirEstado;
using pontexa::app::PonerValorIni;
using pontexa::testing::ComoUsuarioComun;
using pontexa::testing::ReadBytes;
using pontexa::testing::ResultadoComun;
using pontexa::testing::TempFolder;
using pontexa::testing::WriteBytes;

namespace {

#ifdef _WIN32
// MinGW's library makes no symbolic links (and Windows grants them only with a
// privilege); links are followed by the same code there and tested on Linux.
constexpr const char* kSinEnlaces = "no symbolic links in this build";
#endif

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

// A program folder as Windows installs it: the user may write Mirvane.ini but
// not create files beside it. The tests run as a user the permissions bind.
class EstadoSinPermisos : public ::testing::Test {
 protected:
  static constexpr fs::perms kAbierta = fs::perms::all;  // anyone may create files
  static constexpr fs::perms kCerrada =
      fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read | fs::perms::group_exec |
      fs::perms::others_read | fs::perms::others_exec;
  static constexpr fs::perms kEscribible = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                           fs::perms::group_write | fs::perms::others_read | fs::perms::others_write;
  static constexpr fs::perms kSoloLectura = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  // Open to everyone's reading, so the common user reaches what is inside.
  static constexpr fs::perms kRecorrible = kCerrada | fs::perms::owner_write;

  void SetUp() override { fs::permissions(raiz.Path(), kRecorrible); }

  fs::path Carpeta(const char* nombre) const {
    const fs::path carpeta = raiz / nombre;
    fs::create_directory(carpeta);
    return carpeta;
  }
  static void Archivo(const fs::path& ruta, fs::perms permisos) {
    WriteBytes(ruta, kAntes);
    fs::permissions(ruta, permisos);
  }
  static std::size_t Entradas(const fs::path& carpeta) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(carpeta), fs::directory_iterator()));
  }

  static constexpr const char* kAntes = "; Mirvane\r\n[General]\r\nRuta=C:\\QORDA\r\n[Transformadores]\r\nTransformado=0\r\n";
  static constexpr const char* kDespues = "; Mirvane\r\n[General]\r\nRuta=C:\\QORDA\r\n[Transformadores]\r\nTransformado=1\r\n";
  TempFolder raiz;
};

TEST_F(EstadoSinPermisos, AWritableFileInAFolderThatIsNotIsRewrittenInPlace) {
  const fs::path programa = Carpeta("programa");
  const fs::path ini = programa / "Mirvane.ini";
  Archivo(ini, kEscribible);
  fs::permissions(programa, kCerrada);
  const ResultadoComun r = ComoUsuarioComun([&] { EscribirEstado(ini, 1); });
  if (!r.omitido.empty()) GTEST_SKIP() << r.omitido;
  EXPECT_EQ(r.fallo, "");
  EXPECT_EQ(ReadBytes(ini), kDespues);
  EXPECT_EQ(Entradas(programa), 1u);
  EXPECT_EQ(fs::status(ini).permissions() & fs::perms::all, kEscribible);
}

TEST_F(EstadoSinPermisos, AFailedRewriteInPlaceLeavesTheOldBytes) {
  const fs::path programa = Carpeta("programa");
  const fs::path ini = programa / "Mirvane.ini";
  Archivo(ini, kEscribible);
  fs::permissions(programa, kCerrada);
  using pontexa::platform::faults::Operation;
  for (const Operation falla : {Operation::Open, Operation::Write, Operation::Sync}) {
    const ResultadoComun r = ComoUsuarioComun([&] {
      pontexa::platform::faults::Scoped fallo([falla](Operation op, const std::string&) { return op == falla; });
      EscribirEstado(ini, 1);
    });
    if (!r.omitido.empty()) GTEST_SKIP() << r.omitido;
    EXPECT_NE(r.fallo.find(pontexa::platform::Quoted(ini)), std::string::npos) << r.fallo;
    EXPECT_EQ(ReadBytes(ini), kAntes) << static_cast<int>(falla);
    EXPECT_EQ(Entradas(programa), 1u);
  }
}

// Refused as the atomic replacement refuses it, wherever the file is.
TEST_F(EstadoSinPermisos, AReadOnlyFileIsRefusedAndKept) {
  for (const fs::perms carpeta : {kAbierta, kCerrada}) {
    const fs::path programa = Carpeta(carpeta == kAbierta ? "abierta" : "cerrada");
    const fs::path ini = programa / "Mirvane.ini";
    Archivo(ini, kSoloLectura);
    fs::permissions(programa, carpeta);
    const ResultadoComun r = ComoUsuarioComun([&] { EscribirEstado(ini, 1); });
    if (!r.omitido.empty()) GTEST_SKIP() << r.omitido;
    EXPECT_NE(r.fallo.find("solo lectura"), std::string::npos) << r.fallo;
    EXPECT_NE(r.fallo.find(pontexa::platform::Quoted(ini)), std::string::npos) << r.fallo;
    EXPECT_EQ(ReadBytes(ini), kAntes);
    EXPECT_EQ(Entradas(programa), 1u);
  }
}

TEST_F(EstadoSinPermisos, NoFileInAFolderThatTakesNoneIsAClearFailure) {
  const fs::path programa = Carpeta("programa");
  fs::permissions(programa, kCerrada);
  const ResultadoComun r = ComoUsuarioComun([&] { EscribirEstado(programa / "Mirvane.ini", 1); });
  if (!r.omitido.empty()) GTEST_SKIP() << r.omitido;
  EXPECT_EQ(r.fallo, "No se puede guardar " + pontexa::platform::Quoted(programa / "Mirvane.ini") +
                         ": no se puede crear un archivo nuevo en su carpeta (Permiso denegado)");
  EXPECT_EQ(Entradas(programa), 0u);
}

// Mirvane.ini as a link to the settings elsewhere: the link stays, its
// target gets the status, atomically where the target's folder allows.
TEST_F(EstadoSinPermisos, ALinkKeepsPointingAtItsUpdatedTarget) {
#ifdef _WIN32
  GTEST_SKIP() << kSinEnlaces;
#endif
  struct Caso {
    const char* nombre;
    fs::perms carpetaDestino;
    bool relativo;
  };
  const Caso casos[] = {{"writable target folder, absolute link", kAbierta, false},
                        {"writable target folder, relative link", kAbierta, true},
                        {"target folder not writable", kCerrada, true}};
  for (const Caso& caso : casos) {
    TempFolder otra;
    fs::permissions(otra.Path(), kRecorrible);
    const fs::path programa = otra / "programa";
    const fs::path datos = otra / "datos";
    fs::create_directory(programa);
    fs::create_directory(datos);
    const fs::path destino = datos / "Mirvane.ini";
    Archivo(destino, kEscribible);
    const fs::path enlace = programa / "Mirvane.ini";
    fs::create_symlink(caso.relativo ? fs::path("../datos/Mirvane.ini") : destino, enlace);
    fs::permissions(programa, kCerrada);
    fs::permissions(datos, caso.carpetaDestino);

    const ResultadoComun r = ComoUsuarioComun([&] { EscribirEstado(enlace, 1); });
    if (!r.omitido.empty()) GTEST_SKIP() << r.omitido;
    EXPECT_EQ(r.fallo, "") << caso.nombre;
    EXPECT_TRUE(fs::is_symlink(enlace)) << caso.nombre;
    EXPECT_EQ(ReadBytes(destino), kDespues) << caso.nombre;
    EXPECT_EQ(Entradas(datos), 1u) << caso.nombre;
    EXPECT_EQ(Entradas(programa), 1u) << caso.nombre;
  }
}

TEST(ArchivoDeEstado, ADanglingLinkGetsItsTargetMade) {
#ifdef _WIN32
  GTEST_SKIP() << kSinEnlaces;
#endif
  TempFolder carpeta;
  const fs::path enlace = carpeta / "Mirvane.ini";
  fs::create_symlink("config/estado.ini", enlace);
  fs::create_directory(carpeta / "config");
  EscribirEstado(enlace, -1);
  EXPECT_TRUE(fs::is_symlink(enlace));
  EXPECT_EQ(ReadBytes(carpeta / "config" / "estado.ini"), "[Transformadores]\r\nTransformado=-1\r\n");
}

TEST(ArchivoDeEstado, LinksThatLoopAreAClearFailure) {
#ifdef _WIN32
  GTEST_SKIP() << kSinEnlaces;
#endif
  TempFolder carpeta;
  const fs::path enlace = carpeta / "Mirvane.ini";
  fs::create_symlink("Otro.ini", enlace);
  fs::create_symlink("Mirvane.ini", carpeta / "Otro.ini");
  try {
    EscribirEstado(enlace, 1);
    FAIL() << "no failure";
  } catch (const pontexa::Error& e) {
    EXPECT_EQ(std::string(e.what()), "No se puede guardar " + pontexa::platform::Quoted(enlace) +
                                         ": Hay demasiados enlaces simbólicos en la ruta");
  }
  EXPECT_TRUE(fs::is_symlink(enlace));
  EXPECT_EQ(std::distance(fs::directory_iterator(carpeta.Path()), fs::directory_iterator()), 2);
}

}  // namespace
