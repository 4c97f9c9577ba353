#pragma once

// An exchange folder as Mirvane leaves it for an import: the four tables of
// the export, DIASHORAST and SOLUC, each written from a few rows; plus a SAGA
// file beside it and a compact view of the section the import writes.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_folder.h"
#include "tables/layouts.h"
#include "text/numbers.h"

namespace pontexa::testing {

struct Codigo {  // a row of GRUPOST, PROFT or AULAT
  std::string abrev, idSaga;
};
struct Asignatura {  // a row of ASIGNOMT
  std::string cod, nombre, idSaga;
};
struct FilaDiasHoras {
  std::string dia, textoDia, hora, desde, hasta;
};
struct Leccion {  // a row of SOLUC; numbers as text, as the layout stores them
  std::string grupo, prof, asig, dia, hora, sesiones, aula;
};

// SOLUC layouts Mirvane may use.
extern const tables::TableLayout kSolucNumerica;   // DIA, HORA, SESIONES numeric; an extra field
extern const tables::TableLayout kSolucTexto;      // every field character
extern const tables::TableLayout kSolucMinusculas; // field names in lower case
extern const tables::TableLayout kSolucSinAula;    // no AULA field

// The bytes of a SOLUC table with these rows.
std::string BytesSoluc(const std::vector<Leccion>& lecciones,
                       const tables::TableLayout& layout = kSolucNumerica);
// Marks the record at 0-based `registro` deleted in a table's bytes.
void MarcarBorrado(std::string& bytes, std::size_t registro);

class CarpetaMirvane {
 public:
  CarpetaMirvane();  // five empty tables; DIASHORAST defines day 1 with interval i1

  const std::filesystem::path& Carpeta() const { return carpeta_; }
  std::filesystem::path Archivo(std::string_view nombre) const { return temp_ / std::string(nombre); }

  void Grupos(const std::vector<Codigo>& filas);
  void Profesores(const std::vector<Codigo>& filas);
  void Aulas(const std::vector<Codigo>& filas);
  void Asignaturas(const std::vector<Asignatura>& filas);
  void DiasHoras(const std::vector<FilaDiasHoras>& filas);
  void Soluc(const std::vector<Leccion>& filas, const tables::TableLayout& layout = kSolucNumerica);
  void SolucBytes(std::string_view bytes);

  // Writes `xml` as the SAGA file "saga.xml" and returns its path.
  std::filesystem::path Saga(std::string_view xml = "<document/>") const;

  // Imports into a document parsed from `xml` (nothing saved) and returns
  // the compact view of the time-table.
  std::string Importa(std::string_view xml = "<document/>",
                      text::RegionalSettings ajustes = text::RegionalSettings{','}) const;
  // The compact view of one section of the imported time-table ("inputs").
  std::string Seccion(std::string_view nombre, text::RegionalSettings ajustes = text::RegionalSettings{','}) const;

 private:
  TempFolder temp_;
  std::filesystem::path carpeta_;
};

// name{attr=value,...}[children...] for an element and what it holds, in
// document order; elements only.
std::string Compacto(std::string_view xml, std::string_view rutaElemento);

}  // namespace pontexa::testing
