// The days section from DIASHORAST.

#include <gtest/gtest.h>

#include "carpeta_mirvane.h"

namespace pontexa::testing {
namespace {

TEST(ImportDias, EmptyTableGivesAnEmptyDaysElement) {
  CarpetaMirvane mirvane;
  mirvane.DiasHoras({});
  EXPECT_EQ(mirvane.Seccion("days"), "days");
}

TEST(ImportDias, DaysAscendAndIntervalsFollowTheirNumberThenRecordOrder) {
  CarpetaMirvane mirvane;
  mirvane.DiasHoras({
      {"5", "Viernes", "2", "9:00", "9:55"},
      {"1", "Lunes", "2", "9:00", "9:55"},
      {"1", "Otro nombre", "1", "8:00", "8:55"},
      {"2", "Martes", "1", "8:00", "08:55"},
      {"1", "Lunes", "1", "8:30", "10:30"},  // same number: after the earlier row
  });
  EXPECT_EQ(mirvane.Seccion("days"),
            "days[day{id=1,name=Lunes}[interval{id=i1,begin=8:00,end=08:55},interval{id=i1,begin=8:30,end=10:30},"
            "interval{id=i2,begin=9:00,end=09:55}],"
            "day{id=2,name=Martes}[interval{id=i1,begin=8:00,end=08:55}],"
            "day{id=5,name=Viernes}[interval{id=i2,begin=9:00,end=09:55}]]");
}

TEST(ImportDias, OnlyPlainDayAndIntervalNumbersCount) {
  // Each row is alone on day 3 next to one good row, so only the good one shows.
  const struct {
    const char *dia, *hora;
  } malos[] = {{"3", "01"}, {"3", "41"}, {"3", " 1"}, {"3", "0"}, {"3", ""}, {"3", "1.0"}};
  for (const auto& malo : malos) {
    CarpetaMirvane mirvane;
    mirvane.DiasHoras({{malo.dia, "Miercoles", malo.hora, "8:00", "8:55"}, {"3", "X", "40", "a", "b"}});
    EXPECT_EQ(mirvane.Seccion("days"), "days[day{id=3,name=Miercoles}[interval{id=i40,begin=a,end=0b}]]")
        << '"' << malo.hora << '"';
  }
  for (const char* dia : {"0", "8", "01", " 1", "", "Lunes"}) {
    CarpetaMirvane mirvane;
    mirvane.DiasHoras({{dia, "Lunes", "1", "8:00", "8:55"}});
    EXPECT_EQ(mirvane.Seccion("days"), "days") << '"' << dia << '"';
  }
}

TEST(ImportDias, EndTimeRuleAppliesToEndOnly) {
  const struct {
    const char *hasta, *fin;
  } casos[] = {{"9:45", "09:45"}, {"945", "0945"}, {"12:00", "12:00"}, {"0945", "0945"}, {"", ""}};
  for (const auto& caso : casos) {
    CarpetaMirvane mirvane;
    mirvane.DiasHoras({{"1", "Lunes", "1", "9:00", caso.hasta}});
    EXPECT_EQ(mirvane.Seccion("days"),
              std::string("days[day{id=1,name=Lunes}[interval{id=i1,begin=9:00,end=") + caso.fin + "}]]")
        << caso.hasta;
  }
}

TEST(ImportDias, DayWithoutValidIntervalsIsStillWritten) {
  CarpetaMirvane mirvane;
  mirvane.DiasHoras({{"7", "", "", "", ""}});
  EXPECT_EQ(mirvane.Seccion("days"), "days[day{id=7,name=}]");
}

}  // namespace
}  // namespace pontexa::testing
