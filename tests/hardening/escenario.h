#pragma once

// Exchange folders and SAGA files for the fault tests, and the one question
// they all ask afterwards: is every file either as it was or as a clean run
// makes it, never something in between?

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace pontexa::testing {

// An invented school: `grupos` groups with ten assignments each, and subjects,
// teachers and rooms in proportion. UTF-8, with accented names. Different
// `variante`s give different codes, so old and new tables differ.
std::string SagaEscuela(int grupos, int variante = 0);

// Exports `xml` into `carpeta` in-process (the "old" tables of a test).
void Exporta(std::string_view xml, const std::filesystem::path& carpeta);

// Writes DIASHORAST (five days of six intervals) and a SOLUC of `lecciones`
// rows over the codes of the tables the export left in `carpeta`.
void EscribeSolucYDias(const std::filesystem::path& carpeta, int lecciones);

// File name -> bytes, every regular file of a folder.
using Instantanea = std::map<std::string, std::string>;
Instantanea Toma(const std::filesystem::path& carpeta);

// The six exported tables of a snapshot.
Instantanea SeisTablas(const Instantanea& todo);

// Empty when the six tables of `ahora` are all those of `viejas` or all those
// of `nuevas`; otherwise which table is which.
std::string DescribeMezcla(const Instantanea& ahora, const Instantanea& viejas, const Instantanea& nuevas);

// Files of `carpeta` not named in `esperados`.
std::set<std::string> Sobrantes(const std::filesystem::path& carpeta, const std::set<std::string>& esperados);

inline const std::set<std::string>& NombresSeisTablas() {
  static const std::set<std::string> nombres{"ASIGNOMT.DBF", "PROFT.DBF", "AULAT.DBF",
                                             "GRUPOST.DBF", "ASIGT.DBF", "DIASHORAST.DBF"};
  return nombres;
}

}  // namespace pontexa::testing
