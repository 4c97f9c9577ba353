#pragma once

// Small helpers for the export tests: run an export of an XML text into a
// folder and read the tables it left there.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "export/exportador.h"
#include "text/numbers.h"

namespace pontexa::exportacion::prueba {

// Every field of a record read as text, converted to UTF-8.
using Registro = std::map<std::string, std::string>;

std::vector<Registro> LeerTabla(const std::filesystem::path& carpeta, std::string_view tabla);
// One field of every record, in record order.
std::vector<std::string> Columna(const std::filesystem::path& carpeta, std::string_view tabla,
                                 std::string_view campo);
// Field names of the table, in file order.
std::vector<std::string> Campos(const std::filesystem::path& carpeta, std::string_view tabla);

// Parses `xml` (UTF-8 unless it says otherwise) and exports it into `carpeta`.
ResumenExportacion ExportarTexto(std::string_view xml, const std::filesystem::path& carpeta,
                                 text::RegionalSettings ajustes = {','}, const Progreso& progreso = {});

// Every file of the folder with its bytes.
std::map<std::string, std::string> Contenido(const std::filesystem::path& carpeta);

// `cuerpo` inside <?xml ...?><document>...</document>.
std::string Saga(std::string_view cuerpo);

}  // namespace pontexa::exportacion::prueba
