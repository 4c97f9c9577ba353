// The built SAGA.chm: a valid compiled HTML help file (ITSF header, ITSP
// directory) holding every page of ayuda/ unchanged, with context 1 mapped to
// the main page. The directory is read here; the compressed content through
// an independent reader, extract_chmLib (Debian's libchm-bin).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/utf8_path.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using pontexa::testing::ReadBytes;

namespace {

struct Entrada {
  std::uint64_t seccion = 0;
  std::uint64_t desplazamiento = 0;
  std::uint64_t longitud = 0;
};

std::uint32_t Le32(const std::string& datos, std::size_t en) {
  if (en + 4 > datos.size()) throw std::out_of_range("lectura fuera del archivo");
  std::uint32_t valor = 0;
  for (int i = 3; i >= 0; --i) valor = (valor << 8) | static_cast<unsigned char>(datos[en + i]);
  return valor;
}

std::uint64_t Le64(const std::string& datos, std::size_t en) {
  return Le32(datos, en) | (static_cast<std::uint64_t>(Le32(datos, en + 4)) << 32);
}

// The CHM's variable-length integers: 7 bits a byte, high bit "more follows".
std::uint64_t Encint(const std::string& datos, std::size_t& en, std::size_t fin) {
  std::uint64_t valor = 0;
  for (int bytes = 0; bytes < 10; ++bytes) {
    if (en >= fin) throw std::out_of_range("ENCINT fuera del bloque");
    const auto byte = static_cast<unsigned char>(datos[en++]);
    valor = (valor << 7) | (byte & 0x7F);
    if (byte < 0x80) return valor;
  }
  throw std::runtime_error("ENCINT demasiado largo");
}

struct Chm {
  std::string datos;
  std::uint64_t inicioContenido = 0;  // of section 0, the uncompressed one
  std::map<std::string, Entrada> directorio;

  std::string Seccion0(const std::string& nombre) const {
    const Entrada& e = directorio.at(nombre);
    EXPECT_EQ(e.seccion, 0u) << nombre;
    return datos.substr(inicioContenido + e.desplazamiento, e.longitud);
  }
};

Chm Leer(const fs::path& archivo) {
  Chm chm;
  chm.datos = ReadBytes(archivo);
  const std::string& d = chm.datos;
  if (d.compare(0, 4, "ITSF") != 0) throw std::runtime_error("falta la cabecera ITSF");
  const std::uint32_t version = Le32(d, 4);
  if (version != 3) throw std::runtime_error("versión ITSF inesperada");
  const std::uint64_t inicioDirectorio = Le64(d, 0x48);
  const std::uint64_t longitudDirectorio = Le64(d, 0x50);
  chm.inicioContenido = Le64(d, 0x58);
  if (inicioDirectorio + longitudDirectorio > d.size() || chm.inicioContenido > d.size())
    throw std::runtime_error("las secciones de cabecera salen del archivo");
  if (d.compare(inicioDirectorio, 4, "ITSP") != 0) throw std::runtime_error("falta el directorio ITSP");
  const std::uint32_t cabecera = Le32(d, inicioDirectorio + 8);
  const std::uint32_t bloque = Le32(d, inicioDirectorio + 0x10);
  const std::uint32_t bloques = Le32(d, inicioDirectorio + 0x2C);
  if (cabecera + static_cast<std::uint64_t>(bloque) * bloques > longitudDirectorio)
    throw std::runtime_error("los bloques del directorio salen de él");
  for (std::uint32_t n = 0; n < bloques; ++n) {
    const std::size_t inicio = inicioDirectorio + cabecera + static_cast<std::size_t>(n) * bloque;
    if (d.compare(inicio, 4, "PMGL") != 0) continue;  // index blocks (PMGI) repeat names
    const std::uint32_t libre = Le32(d, inicio + 4);
    if (libre > bloque) throw std::runtime_error("bloque PMGL con más espacio libre que tamaño");
    const std::size_t fin = inicio + bloque - libre;
    std::size_t en = inicio + 0x14;
    while (en < fin) {
      const std::uint64_t largo = Encint(d, en, fin);
      if (en + largo > fin) throw std::runtime_error("nombre fuera del bloque");
      std::string nombre = d.substr(en, largo);
      en += largo;
      Entrada e;
      e.seccion = Encint(d, en, fin);
      e.desplazamiento = Encint(d, en, fin);
      e.longitud = Encint(d, en, fin);
      if (e.seccion == 0 && chm.inicioContenido + e.desplazamiento + e.longitud > d.size())
        throw std::runtime_error("'" + nombre + "' sale del archivo");
      chm.directorio.emplace(std::move(nombre), e);
    }
  }
  return chm;
}

std::vector<std::string> Paginas() {
  std::vector<std::string> paginas;
  std::stringstream lista(PONTEXA_AYUDA_PAGINAS);
  for (std::string pagina; std::getline(lista, pagina, ',');) paginas.push_back(pagina);
  return paginas;
}

fs::path ArchivoChm() { return pontexa::platform::PathFromUtf8(PONTEXA_AYUDA_CHM); }

class ChmConstruido : public ::testing::Test {
 protected:
  void SetUp() override { chm_ = Leer(ArchivoChm()); }
  Chm chm_;
};

TEST_F(ChmConstruido, DirectorioConCadaPaginaYLosArchivosDelVisor) {
  ASSERT_FALSE(Paginas().empty());
  for (const std::string& pagina : Paginas()) {
    ASSERT_TRUE(chm_.directorio.count("/" + pagina)) << pagina;
    EXPECT_EQ(chm_.directorio.at("/" + pagina).longitud,
              fs::file_size(pontexa::testing::SourceDir() / "ayuda" / pagina))
        << pagina;
  }
  // What the viewer needs to show contents, index and topics.
  for (const char* interno : {"/contenido.hhc", "/indice.hhk", "/#SYSTEM", "/#TOPICS", "/#URLTBL", "/#URLSTR",
                              "/#STRINGS", "/#IVB", "::DataSpace/Storage/MSCompressed/Content"}) {
    EXPECT_TRUE(chm_.directorio.count(interno)) << interno;
  }
  // No page that the contents file names is missing.
  const std::string contenido = ReadBytes(pontexa::testing::SourceDir() / "ayuda" / "contenido.hhc");
  for (std::size_t en = contenido.find("\"Local\" value=\""); en != std::string::npos;
       en = contenido.find("\"Local\" value=\"", en + 1)) {
    const std::size_t inicio = en + 15;
    const std::string pagina = contenido.substr(inicio, contenido.find('"', inicio) - inicio);
    EXPECT_TRUE(chm_.directorio.count("/" + pagina)) << pagina;
  }
}

TEST_F(ChmConstruido, ElContextoUnoLlevaALaPaginaPrincipal) {
  // #IVB: its size in bytes, then pairs (context number, offset of the
  // topic's name in #STRINGS).
  ASSERT_TRUE(chm_.directorio.count("/#IVB"));
  const std::string ivb = chm_.Seccion0("/#IVB");
  ASSERT_EQ(ivb.size(), 12u);
  EXPECT_EQ(Le32(ivb, 0), 8u);
  EXPECT_EQ(Le32(ivb, 4), 1u);
  const std::uint32_t nombre = Le32(ivb, 8);

  if (std::system("command -v extract_chmLib >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "extract_chmLib (libchm-bin) is not installed";
  pontexa::testing::TempFolder carpeta;
  const std::string orden = "extract_chmLib " + pontexa::platform::Quoted(ArchivoChm()) + " " +
                            pontexa::platform::Quoted(carpeta / "x") + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(orden.c_str()), 0);
  const std::string cadenas = ReadBytes(carpeta / "x" / "#STRINGS");
  ASSERT_LT(nombre, cadenas.size());
  EXPECT_EQ(std::string(cadenas.c_str() + nombre), "index.htm");
  // And the reader finds the pages byte for byte as written.
  for (const std::string& pagina : Paginas()) {
    EXPECT_EQ(ReadBytes(carpeta / "x" / pagina), ReadBytes(pontexa::testing::SourceDir() / "ayuda" / pagina))
        << pagina;
  }
}

TEST(Chm, UnArchivoQueNoEsChmSeRechaza) {
  pontexa::testing::TempFolder carpeta;
  pontexa::testing::WriteBytes(carpeta / "falso.chm", "ITSF\x03");
  EXPECT_THROW(Leer(carpeta / "falso.chm"), std::exception);
  pontexa::testing::WriteBytes(carpeta / "html.chm", "<html></html>");
  EXPECT_THROW(Leer(carpeta / "html.chm"), std::exception);
}

}  // namespace
