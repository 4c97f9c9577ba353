// The inputs section: one input per placed row of SOLUC.

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <pugixml.hpp>

#include "carpeta_mirvane.h"
#include "import/importador.h"
#include "platform/error.h"
#include "saga/document.h"

namespace pontexa::testing {
namespace {

using ::testing::ElementsAre;

// "input1 1 i1 a1 g=G m=M l=-" per input: id, day, interval, activity and the
// id of its group, member and location ("-" when absent).
std::vector<std::string> Entradas(const CarpetaMirvane& mirvane, char separador = ',') {
  saga::Document documento = saga::Document::Parse("<document/>", "saga.xml");
  importacion::Importar(documento, mirvane.Carpeta(), text::RegionalSettings{separador});
  pugi::xml_document leido;
  const std::string bytes = documento.Serialize();
  EXPECT_TRUE(leido.load_buffer(bytes.data(), bytes.size()));
  std::vector<std::string> salida;
  for (const pugi::xpath_node& nodo : leido.select_nodes("/document/time-tables/time-table/inputs/input")) {
    const pugi::xml_node entrada = nodo.node();
    std::string linea;
    for (const pugi::xml_attribute& atributo : entrada.attributes()) {
      linea += (linea.empty() ? "" : " ") + std::string(atributo.value());
    }
    const auto id = [&](const char* ruta) {
      const pugi::xpath_node_set hijos = entrada.select_nodes(ruta);
      EXPECT_EQ(hijos.size(), 1u) << ruta;
      const pugi::xml_attribute atributo = hijos.first().node().attribute("id");
      EXPECT_LE(std::distance(hijos.first().node().attributes_begin(), hijos.first().node().attributes_end()), 1);
      return atributo ? std::string(atributo.value()) : std::string("-");
    };
    linea += " g=" + id("groups/group") + " m=" + id("members/member") + " l=" + id("locations/location");
    std::vector<std::string> hijos;
    for (const pugi::xml_node& hijo : entrada.children()) hijos.emplace_back(hijo.name());
    EXPECT_THAT(hijos, ElementsAre("groups", "members", "locations"));
    salida.push_back(linea);
  }
  return salida;
}

class ImportEntradas : public ::testing::Test {
 protected:
  void SetUp() override {
    mirvane.Grupos({{"1A", "g1"}, {"2B", ""}, {"1A", "g1bis"}});
    mirvane.Profesores({{"PG", "p1"}, {"LM", "p2"}});
    mirvane.Aulas({{"A1", "r1"}, {"", "r-sin-codigo"}});
    mirvane.Asignaturas({{"MAT", "Matematicas", "1002"}, {"LEN", "Lengua", "1001"}, {"MAT", "Otra", "1003"}});
  }
  CarpetaMirvane mirvane;
};

TEST_F(ImportEntradas, UnplacedRowsTakeNoNumber) {
  mirvane.Soluc({
      {"1A", "PG", "MAT", "1", "1", "1", "A1"},
      {"1A", "PG", "MAT", "0", "2", "1", "A1"},
      {"1A", "PG", "LEN", "3", "4", "1", "A1"},
      {"1A", "PG", "MAT", "5", "6", "1", "A1"},
  });
  EXPECT_THAT(Entradas(mirvane), ElementsAre("input1 1 i1 a1 g=g1 m=p1 l=r1", "input2 3 i4 a2 g=g1 m=p1 l=r1",
                                             "input3 5 i6 a1 g=g1 m=p1 l=r1"));
}

TEST_F(ImportEntradas, IntervalOfHalfSessionsAndTheUsersSeparator) {
  mirvane.Soluc({
      {"1A", "PG", "MAT", "1", "3", "0.5", "A1"},
      {"1A", "PG", "MAT", "1", "1", "0.5", "A1"},
      {"1A", "PG", "MAT", "1", "3", "1", "A1"},
      {"1A", "PG", "MAT", "1", "2.5", "1", "A1"},
      {"1A", "PG", "MAT", "1", "3", "0", "A1"},
  });
  EXPECT_THAT(Entradas(mirvane, ','),
              ElementsAre("input1 1 i5 a1 g=g1 m=p1 l=r1", "input2 1 i1 a1 g=g1 m=p1 l=r1",
                          "input3 1 i3 a1 g=g1 m=p1 l=r1", "input4 1 i2,5 a1 g=g1 m=p1 l=r1",
                          "input5 1 i3 a1 g=g1 m=p1 l=r1"));
  EXPECT_EQ(Entradas(mirvane, '.').at(3), "input4 1 i2.5 a1 g=g1 m=p1 l=r1");
}

TEST_F(ImportEntradas, IdsOnlyWhenNotEmptyAndUnknownCodesUnchanged) {
  mirvane.Soluc({
      {"2B", "LM", "LEN", "2", "1", "1", ""},    // group found with empty IDSAGA; empty room code matches the row ''
      {"9Z", "", "LEN", "2", "2", "1", "B7"},    // unknown codes written as read; empty teacher code: no id
      {"1a", "pg", "LEN", "2", "3", "1", "a1"},  // lookups respect letter case
  });
  EXPECT_THAT(Entradas(mirvane), ElementsAre("input1 2 i1 a1 g=- m=p2 l=r-sin-codigo", "input2 2 i2 a1 g=9Z m=- l=B7",
                                             "input3 2 i3 a1 g=1a m=pg l=a1"));
}

TEST_F(ImportEntradas, EmptyCodeWithoutEmptyRowGivesNoId) {
  mirvane.Aulas({{"A1", "r1"}});
  mirvane.Soluc({{"1A", "PG", "LEN", "2", "1", "1", ""}});
  EXPECT_THAT(Entradas(mirvane), ElementsAre("input1 2 i1 a1 g=g1 m=p1 l=-"));
}

TEST_F(ImportEntradas, SameCodeTwiceGivesTheFirstActivity) {
  mirvane.Soluc({{"1A", "PG", "MAT", "4", "1", "1", "A1"}, {"1A", "PG", "LEN", "4", "2", "1", "A1"}});
  EXPECT_EQ(mirvane.Seccion("activities"),
            "activities[activity{id=a1,name=Matematicas,subject=1002},activity{id=a2,name=Lengua,subject=1001},"
            "activity{id=a3,name=Otra,subject=1003}]");
  EXPECT_THAT(Entradas(mirvane), ElementsAre("input1 4 i1 a1 g=g1 m=p1 l=r1", "input2 4 i2 a2 g=g1 m=p1 l=r1"));
}

TEST_F(ImportEntradas, SubjectKeyIgnoresLetterCase) {
  // ASIG "sx" is no subject code, but it is the key of an activity when case is
  // ignored; equal keys lead to the earlier activity.
  mirvane.Asignaturas({{"FIS", "Fisica", "SX"}, {"QUI", "Quimica", "sX"}, {"sx", "Nadie la usa", "zz"}});
  mirvane.Soluc({{"1A", "PG", "FIS", "1", "1", "1", "A1"},
                 {"1A", "PG", "QUI", "1", "2", "1", "A1"},
                 {"1A", "PG", "Sx", "1", "3", "1", "A1"}});
  EXPECT_THAT(Entradas(mirvane), ElementsAre("input1 1 i1 a1 g=g1 m=p1 l=r1", "input2 1 i2 a1 g=g1 m=p1 l=r1",
                                             "input3 1 i3 a1 g=g1 m=p1 l=r1"));
}

TEST_F(ImportEntradas, SubjectMissingFromAsignomtStopsTheImportNamingRecordAndCode) {
  struct Caso {
    const char* nombre;
    std::vector<Leccion> filas;
    std::vector<std::size_t> borrados;  // 0-based
    const char* mensaje;
  };
  const Caso casos[] = {
      {"second record",
       {{"1A", "PG", "MAT", "1", "1", "1", "A1"}, {"1A", "PG", "XYZ", "1", "2", "1", "A1"}},
       {},
       "El registro 2 de SOLUC tiene la asignatura 'XYZ', que no está en ASIGNOMT"},
      // Counted as the file counts them, deleted and unplaced records included,
      // so the number is the one a dBase viewer shows.
      {"after a deleted and an unplaced record",
       {{"1A", "PG", "MAT", "1", "1", "1", "A1"}, {"1A", "PG", "MAT", "0", "1", "1", "A1"},
        {"1A", "PG", "MAT", "1", "3", "1", "A1"}, {"1A", "PG", "QQ", "2", "1", "1", "A1"}},
       {0},
       "El registro 4 de SOLUC tiene la asignatura 'QQ', que no está en ASIGNOMT"},
      {"Windows-1252 code shown in UTF-8",
       {{"1A", "PG", "F\xCDS", "1", "1", "1", "A1"}},
       {},
       "El registro 1 de SOLUC tiene la asignatura 'F\xC3\x8DS', que no está en ASIGNOMT"},
  };
  for (const Caso& caso : casos) {
    std::string bytes = BytesSoluc(caso.filas);
    for (std::size_t borrado : caso.borrados) MarcarBorrado(bytes, borrado);
    mirvane.SolucBytes(bytes);
    saga::Document documento = saga::Document::Parse("<document><time-tables/></document>", "saga.xml");
    const std::string antes = documento.Serialize();
    try {
      importacion::Importar(documento, mirvane.Carpeta(), text::RegionalSettings{','});
      ADD_FAILURE() << caso.nombre << ": no error";
    } catch (const pontexa::Error& error) {
      EXPECT_STREQ(error.what(), caso.mensaje) << caso.nombre;
    }
    EXPECT_EQ(documento.Serialize(), antes) << caso.nombre;  // the document is left as it was
  }
}

TEST_F(ImportEntradas, UnplacedRowWithUnknownSubjectIsNoError) {
  mirvane.Soluc({{"1A", "PG", "XYZ", "0", "1", "1", "A1"}});
  EXPECT_TRUE(Entradas(mirvane).empty());
}

}  // namespace
}  // namespace pontexa::testing
