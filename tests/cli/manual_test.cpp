// The manual page pontexa-cli.1: groff renders it without a warning, and it
// names every order and option that the program's own help shows.

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <string>

#include "ejecutar_cli.h"
#include "platform/utf8_path.h"
#include "support/temp_folder.h"

namespace pontexa::testing {
namespace {

const std::filesystem::path kPagina = SourceDir() / "cli" / "pontexa-cli.1";

TEST(PaginaDeManual, GroffLasCompone_SinAvisos) {
  if (std::system("command -v groff >/dev/null 2>&1") != 0) GTEST_SKIP() << "groff is not installed";
  // The command line's page and the dialog's, which the package installs.
  for (const std::filesystem::path& pagina : {kPagina, SourceDir() / "packaging" / "linux" / "pontexa.1"}) {
    TempFolder tmp;
    const std::string orden =
        "groff -man -ww -z " + platform::Quoted(pagina) + " 2> " + platform::Quoted(tmp / "avisos");
    ASSERT_EQ(std::system(orden.c_str()), 0) << platform::Utf8(pagina);
    EXPECT_EQ(ReadBytes(tmp / "avisos"), "") << platform::Utf8(pagina);
  }
}

TEST(PaginaDeManual, NombraCadaOpcionDeLaAyudaDelPrograma) {
  TempFolder tmp;
  const Salida ayuda = Ejecutar(tmp, "--help");
  ASSERT_EQ(ayuda.codigo, 0);
  std::string pagina = ReadBytes(kPagina);
  // In roff a literal hyphen is written "\-".
  pagina = std::regex_replace(pagina, std::regex(R"(\\-)"), "-");
  std::set<std::string> nombres;
  const std::regex opcion(R"(--[a-z]+|\b(exportar|importar|comprobar)\b)");
  for (auto it = std::sregex_iterator(ayuda.out.begin(), ayuda.out.end(), opcion); it != std::sregex_iterator(); ++it)
    nombres.insert(it->str());
  ASSERT_FALSE(nombres.empty());
  for (const std::string& nombre : nombres) EXPECT_NE(pagina.find(nombre), std::string::npos) << nombre;
}

}  // namespace
}  // namespace pontexa::testing
