// The tables of the sample school, read by an independent dBase reader
// (python3-dbfread), hold the fields, types and values the export wrote.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "export/exportador.h"
#include "saga/document.h"
#include "support/temp_folder.h"

namespace pontexa::exportacion {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr const char* kPython = "/usr/bin/python3";

bool HayDbfread() {
  return fs::exists(kPython) && std::system((std::string(kPython) + " -c \"import dbfread\" >/dev/null 2>&1").c_str()) == 0;
}

// Per table: the field line ("COD:C:10 ...") and one line per record, values joined by '|'.
std::map<std::string, std::vector<std::string>> LeerConDbfread(const fs::path& carpeta, const testing::TempFolder& tmp) {
  const fs::path salida = tmp / "dbfread.txt";
  const std::string orden = std::string(kPython) + " \"" +
                            (testing::SourceDir() / "tests/export/leer_tablas.py").string() + "\" \"" +
                            carpeta.string() + "\" > \"" + salida.string() + "\"";
  EXPECT_EQ(std::system(orden.c_str()), 0) << orden;
  std::map<std::string, std::vector<std::string>> tablas;
  std::istringstream lineas(testing::ReadBytes(salida));
  std::string linea, actual;
  while (std::getline(lineas, linea)) {
    if (linea.rfind("#", 0) == 0) {
      actual = linea.substr(1);
      continue;
    }
    tablas[actual].push_back(linea);
  }
  return tablas;
}

std::vector<std::string> Columna(const std::vector<std::string>& filas, std::size_t indice) {
  std::vector<std::string> valores;
  for (std::size_t i = 1; i < filas.size(); ++i) {
    std::vector<std::string> campos;
    std::stringstream fila(filas[i]);
    std::string campo;
    while (std::getline(fila, campo, '|')) campos.push_back(campo);
    if (!filas[i].empty() && filas[i].back() == '|') campos.emplace_back();
    valores.push_back(indice < campos.size() ? campos[indice] : "<falta>");
  }
  return valores;
}

TEST(DbfreadTest, LasTablasDelInstitutoDeEjemplo) {
  if (!HayDbfread()) GTEST_SKIP() << "python3-dbfread is not installed";
  testing::TempFolder carpeta;
  const saga::Document documento = saga::Document::Load(testing::SourceDir() / "ejemplos/saga/instituto.xml");
  Exportar(documento, carpeta.Path(), text::RegionalSettings{','});
  const auto tablas = LeerConDbfread(carpeta.Path(), carpeta);
  ASSERT_EQ(tablas.size(), 6u);

  EXPECT_EQ(tablas.at("ASIGNOMT").at(0), "COD:C:10 CODLARGO:C:10 NOMBRE:C:80 IDSAGA:C:60 HORAS:C:8");
  EXPECT_EQ(tablas.at("PROFT").at(0), "ABREV:C:10 NOMBRE:C:80 DEPART:C:40 DNI:N:11 IDSAGA:C:60");
  EXPECT_EQ(tablas.at("AULAT").at(0), "ABREV:C:10 NOMBRE:C:80 EDIFICIO:C:1 MAXALUM:N:11 IDSAGA:C:60");
  EXPECT_EQ(tablas.at("GRUPOST").at(0),
            "ABREV:C:10 TURNO:C:1 NIVEL:C:5 CURSO:C:3 GRUPO:C:2 IDSAGA:C:60 DESCRIP:C:80");
  EXPECT_EQ(tablas.at("ASIGT").at(0),
            "CASIG:C:10 CPROF:C:10 CGRUP:C:10 CAULA:C:10 TURNO:C:1 NIVEL:C:5 CURSO:C:3 GRUPO:C:2 HORAS:N:20 "
            "SESIONES:C:20");
  EXPECT_EQ(tablas.at("DIASHORAST"),
            (std::vector<std::string>{"DIHO:C:10 CODDIHO:C:10 DIA:C:20 TEXTODIA:C:20 HORA:C:8 HORADESDE:C:8 "
                                      "HORAHASTA:C:8 MINUTOS:C:8"}));

  EXPECT_THAT(Columna(tablas.at("ASIGNOMT"), 0),
              ElementsAreArray(std::vector<std::string>{
                  "Lcyl", "Matemá", "Matemá1", "EF", "GH", "BG", "FQ", "PLEI", "inglés", "T4", "T1", "T3",
                  "Música", "Música1", "EPVA", "VÉ", "Religi", "Tutorí", "CC", "Latín", "Filoso", "HE", "MII",
                  "MACSII", "Químic", "Física", "Econom", "DTII", "TIC", "AM", "RL", "PI", "2BI", "CAAP"}));
  EXPECT_THAT(Columna(tablas.at("ASIGNOMT"), 4),
              ElementsAreArray(std::vector<std::string>{"4", "4", "4", "2", "3", "3", "3", "4", "3", "3", "2", "2",
                                                        "2", "4", "2", "1", "4", "1", "2.5", "4", "3", "3", "4", "4",
                                                        "4", "4", "4", "4", "2", "4", "dos", "20", "1,5", "3"}));
  EXPECT_THAT(Columna(tablas.at("PROFT"), 0),
              ElementsAreArray(std::vector<std::string>{
                  "LFS", "LFS1", "MOV", "ACG", "ACG1", "ACG2", "PNR", "pnr1", "RIM", "JB", "EDP", "SMP", "CVL",
                  "ÍSB", "B", "THC", "NER", "RMC", "ILP", "ÓDB", "MJdlFA", "TIM", "DSV", "LFS2"}));
  EXPECT_THAT(Columna(tablas.at("PROFT"), 3), ::testing::Each(""));  // DNI stays empty
  EXPECT_THAT(Columna(tablas.at("AULAT"), 0),
              ElementsAreArray(std::vector<std::string>{"A1", "A2", "A3", "A4", "Labora", "Labor1", "LdF", "Gimnas",
                                                        "GIMNA1", "Sdp", "TdT", "AdM", "AdI", "Biblio", "SdA"}));
  EXPECT_THAT(Columna(tablas.at("GRUPOST"), 0),
              ElementsAreArray(std::vector<std::string>{"ESO1A", "ESO1B", "ESO2A", "ESO3A", "ESO4A", "ESO4B",
                                                        "Bachil", "Bachil1", "Bachil2", "Bachil3", "FPB 1",
                                                        "PMAR2A"}));
  EXPECT_EQ(tablas.at("GRUPOST").at(8), "Bachil1|M|Bachi||B|G08|Bachillerato 1 B (Primero de Bachillerato B)");
  EXPECT_EQ(tablas.at("GRUPOST").at(11), "FPB 1|T|FPB||1|G11|FPB 1 (Formación Profesional Básica, primer curso)");

  const std::vector<std::string>& asigt = tablas.at("ASIGT");
  ASSERT_EQ(asigt.size(), 1u + 71u);
  EXPECT_EQ(asigt.at(1), "Lcyl|LFS|ESO1A||M|ESO|1|A|4.0|1111");
  // 'Religión' without teachers: hours "4", no teacher.
  EXPECT_EQ(asigt.at(17), "Religi||ESO1B||M|ESO|1|B|4.0|1111");
  // An unknown last teacher wins over a known earlier one.
  EXPECT_EQ(asigt.at(67), "TIC||Bachil3||T|Bachi||B|2.0|11");
  // A subject that is not in the table: no code, HORAS left empty, no sessions.
  EXPECT_EQ(asigt.at(41), "|ACG|ESO4A||M|ESO|4|A||");
  EXPECT_EQ(asigt.at(47), "PI|SMP|ESO4B||M|ESO|4|B|20.0|71111111111111");
  EXPECT_EQ(asigt.at(63), "2BI|MJdlFA|Bachil2||T|Bachi||A|1.5|11");
}

}  // namespace
}  // namespace pontexa::exportacion
