// The groups, members and activities sections: what SOLUC uses, in the record
// order of the export's tables.

#include <gtest/gtest.h>

#include "carpeta_mirvane.h"
#include "text/cp1252.h"

namespace pontexa::testing {
namespace {

Leccion Usa(std::string grupo, std::string prof, std::string asig, std::string dia = "1") {
  return {std::move(grupo), std::move(prof), std::move(asig), std::move(dia), "1", "1", ""};
}

TEST(ImportGrupos, EmptySolucGivesEmptySections) {
  CarpetaMirvane mirvane;
  mirvane.DiasHoras({});
  mirvane.Grupos({{"1A", "g1"}});
  mirvane.Profesores({{"PG", "p1"}});
  mirvane.Asignaturas({{"MAT", "Matematicas", "s1"}});
  EXPECT_EQ(mirvane.Importa(), "time-table{id=tt1,name=Mirvane}[days,groups,members,activities,inputs]");
}

TEST(ImportGrupos, UsedRowsInTableOrderOncePerRowWithExactCase) {
  CarpetaMirvane mirvane;
  mirvane.Grupos({{"2B", "g2"}, {"1a", "g-lower"}, {"1A", "g1"}, {"3C", "g3"}, {"1A", "g1bis"}, {"", "g-empty"}});
  mirvane.Profesores({{"PG", "p1"}, {"LM", ""}, {"XX", "p9"}});
  mirvane.Soluc({
      Usa("1A", "LM", "MAT"),
      Usa("1A", "LM", "MAT"),
      Usa("3C", "PG", "MAT", "0"),  // unplaced rows count too
      Usa("9Z", "QQ", "MAT", "0"),  // codes no table row has add nothing
      Usa(" 2B", "pg", "MAT", "0"),
  });
  mirvane.Asignaturas({{"MAT", "M", "s"}});
  EXPECT_EQ(mirvane.Seccion("groups"), "groups[group{id=g1},group{id=g3},group{id=g1bis}]");
  EXPECT_EQ(mirvane.Seccion("members"), "members[member{id=p1},member{id=}]");
}

TEST(ImportActividades, NumberedWithoutGapsInTableOrder) {
  CarpetaMirvane mirvane;
  mirvane.Asignaturas({
      {"LEN", text::Utf8ToAnsi("Lengua castellana"), "1001"},
      {"MAT", "Matematicas", "1002"},
      {"EF", text::Utf8ToAnsi("Educación Física"), ""},
      {"mat", "Minusculas", "1009"},
      {"MAT", "Matematicas bis", "1003"},
  });
  mirvane.Soluc({Usa("", "", "EF"), Usa("", "", "LEN", "0"), Usa("", "", "MAT"), Usa("", "", "EF")});
  EXPECT_EQ(mirvane.Seccion("activities"),
            "activities[activity{id=a1,name=Lengua castellana,subject=1001},"
            "activity{id=a2,name=Matematicas,subject=1002},"
            "activity{id=a3,name=Educación Física,subject=},"
            "activity{id=a4,name=Matematicas bis,subject=1003}]");
}

TEST(ImportGrupos, SectionsComeInTheirOrderUnderTheTimeTable) {
  CarpetaMirvane mirvane;
  mirvane.DiasHoras({{"1", "Lunes", "1", "8:00", "8:55"}});
  mirvane.Grupos({{"1A", "g1"}});
  mirvane.Profesores({{"PG", "p1"}});
  mirvane.Aulas({{"A1", "r1"}});
  mirvane.Asignaturas({{"MAT", "M", "s1"}});
  mirvane.Soluc({{"1A", "PG", "MAT", "1", "1", "1", "A1"}});
  EXPECT_EQ(mirvane.Importa(),
            "time-table{id=tt1,name=Mirvane}[days[day{id=1,name=Lunes}[interval{id=i1,begin=8:00,end=08:55}]],"
            "groups[group{id=g1}],members[member{id=p1}],activities[activity{id=a1,name=M,subject=s1}],"
            "inputs[input{id=input1,day=1,interval=i1,activity=a1}[groups[group{id=g1}],members[member{id=p1}],"
            "locations[location{id=r1}]]]]");
}

}  // namespace
}  // namespace pontexa::testing
