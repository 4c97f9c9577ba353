#include "tablas_leidas.h"

#include "saga/document.h"
#include "support/temp_folder.h"
#include "tables/table.h"
#include "text/cp1252.h"

namespace fs = std::filesystem;

namespace pontexa::exportacion::prueba {

std::vector<Registro> LeerTabla(const fs::path& carpeta, std::string_view tabla) {
  const std::vector<std::string> campos = Campos(carpeta, tabla);
  tables::Table leida(carpeta, std::string(tabla), text::RegionalSettings{','});
  leida.Open();
  std::vector<Registro> registros;
  for (leida.First(); !leida.Eof(); leida.Next()) {
    Registro registro;
    for (const std::string& campo : campos) registro[campo] = text::AnsiToUtf8(leida.FieldByName(campo).AsString());
    registros.push_back(std::move(registro));
  }
  leida.Close();
  return registros;
}

std::vector<std::string> Columna(const fs::path& carpeta, std::string_view tabla, std::string_view campo) {
  std::vector<std::string> valores;
  for (const Registro& registro : LeerTabla(carpeta, tabla)) valores.push_back(registro.at(std::string(campo)));
  return valores;
}

std::vector<std::string> Campos(const fs::path& carpeta, std::string_view tabla) {
  // Field descriptors of 32 bytes follow the 32-byte header up to the 0x0D mark.
  const std::string bytes = testing::ReadBytes(carpeta / (std::string(tabla) + ".DBF"));
  std::vector<std::string> campos;
  for (std::size_t at = 32; at + 32 <= bytes.size() && bytes[at] != '\x0D'; at += 32) {
    const std::string nombre = bytes.substr(at, 11);  // NUL-padded
    campos.push_back(nombre.substr(0, nombre.find('\0')));
  }
  return campos;
}

ResumenExportacion ExportarTexto(std::string_view xml, const fs::path& carpeta, text::RegionalSettings ajustes,
                                 const Progreso& progreso) {
  const saga::Document documento = saga::Document::Parse(std::string(xml), carpeta / "prueba.xml");
  return Exportar(documento, carpeta, ajustes, progreso);
}

std::map<std::string, std::string> Contenido(const fs::path& carpeta) {
  std::map<std::string, std::string> archivos;
  for (const fs::directory_entry& entrada : fs::directory_iterator(carpeta)) {
    archivos[entrada.path().filename().string()] =
        entrada.is_regular_file() ? testing::ReadBytes(entrada.path()) : std::string("<carpeta>");
  }
  return archivos;
}

std::string Saga(std::string_view cuerpo) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<document>\n" + std::string(cuerpo) + "\n</document>\n";
}

}  // namespace pontexa::exportacion::prueba
