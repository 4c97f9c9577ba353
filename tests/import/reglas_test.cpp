#include "import/reglas.h"

#include <gtest/gtest.h>

namespace pontexa::importacion {
namespace {

TEST(NumeroExacto, AcceptsOnlyPlainDecimalTextInRange) {
  const struct {
    const char* texto;
    int maximo, esperado;
  } casos[] = {
      {"1", 7, 1},  {"7", 7, 7},   {"8", 7, 0},   {"0", 7, 0},    {"01", 40, 0}, {" 1", 40, 0},
      {"1 ", 40, 0}, {"40", 40, 40}, {"41", 40, 0}, {"+1", 40, 0},  {"-1", 40, 0}, {"", 40, 0},
      {"1.0", 40, 0}, {"100", 40, 0}, {"a", 40, 0}, {"12", 40, 12},
  };
  for (const auto& caso : casos) {
    EXPECT_EQ(NumeroExacto(caso.texto, caso.maximo), caso.esperado) << '"' << caso.texto << '"';
  }
}

TEST(HoraFin, PutsAZeroInFrontOfShortTimes) {
  const struct {
    const char *hasta, *fin;
  } casos[] = {
      {"9:45", "09:45"}, {"945", "0945"}, {"10:30", "10:30"}, {"08:00", "08:00"}, {"0945", "0945"},
      {"12:00", "12:00"}, {"", ""},        {"9", "09"},        {"9:450", "9:450"}, {" 9:4", "0 9:4"},
  };
  for (const auto& caso : casos) EXPECT_EQ(HoraFin(caso.hasta), caso.fin) << '"' << caso.hasta << '"';
}

TEST(TextoIntervalo, HalfSessionsDoubleTheHourAndTheSeparatorIsTheUsers) {
  const struct {
    double hora, sesiones;
    char separador;
    const char* texto;
  } casos[] = {
      {3, 0.5, ',', "i5"},   {1, 0.5, ',', "i1"},   {3, 1, ',', "i3"},      {3, 0, ',', "i3"},
      {2.5, 1, ',', "i2,5"}, {2.5, 1, '.', "i2.5"}, {2.75, 0.5, ',', "i4,5"}, {3, 0.25, ',', "i3"},
      {0, 0.5, ',', "i-1"},  {12, 2, '.', "i12"},
  };
  for (const auto& caso : casos) {
    EXPECT_EQ(TextoIntervalo(caso.hora, caso.sesiones, caso.separador), caso.texto)
        << caso.hora << " / " << caso.sesiones;
  }
}

}  // namespace
}  // namespace pontexa::importacion
