#include "export/codigos.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "text/cp1252.h"

namespace pontexa::exportacion {
namespace {

// Test texts are written in UTF-8 and handed to the code rules as Windows-1252.
std::string A(std::string_view utf8) { return text::Utf8ToAnsi(utf8); }

struct Caso {
  std::string nombre;
  std::string codigo;
};

class CodigoAsignaturaTest : public ::testing::TestWithParam<Caso> {};

TEST_P(CodigoAsignaturaTest, DaElCodigoAntesDelChoque) {
  EXPECT_EQ(CodigoAsignatura(A(GetParam().nombre)), A(GetParam().codigo));
}

INSTANTIATE_TEST_SUITE_P(
    Nombres, CodigoAsignaturaTest,
    ::testing::Values(Caso{"Educación Física", "EF"}, Caso{"Física y Química", "FQ"}, Caso{"Matemáticas", "Matemá"},
                      Caso{"Lengua castellana y literatura", "Lcyl"}, Caso{"inglés", "inglés"},
                      Caso{"2º Bachillerato", "2B"}, Caso{"Historia de España", "HE"},
                      Caso{"Ciencias Sociales Geografía e Historia Moderna Contemporánea", "CSGHMC"},
                      Caso{"ABCDEFGHIJKL", "ABCDEFGHIJ"},    // twelve capitals: the first ten
                      Caso{"aBCDEFGHIJKL", "aBCDEFGHIJ"},    // a leading non-capital counts towards the ten
                      Caso{"Tecnología 4", "T4"}, Caso{"Ética", "Ética"},  // 'É' is no capital
                      Caso{"Ética y Moral", "ÉM"}, Caso{"x", "x"}, Caso{"X", "X"}, Caso{"Música", "Música"},
                      Caso{"Valores Éticos", "VÉ"}, Caso{"a  b", "a b"},  // a blank after a blank is taken
                      Caso{"", ""}));

TEST(CodigoProfesor, TomaLasIniciales) {
  const std::vector<Caso> casos = {
      {"Juan Pérez García", "JPG"}, {"juan pérez", "jp"},   {"Marta", "M"},
      {"Ana  María Ruiz", "A MR"},  {"", ""},              {"a b c d e f g h i j k", "abcdefghij"},
      {"Íñigo Sáez", "ÍS"},
  };
  for (const Caso& caso : casos) EXPECT_EQ(CodigoProfesor(A(caso.nombre)), A(caso.codigo)) << caso.nombre;
}

TEST(CodigoAula, InicialesOSeisPrimerosCaracteres) {
  const std::vector<Caso> casos = {
      {"Aula 1", "A1"},
      {"Laboratorio", "Labora"},
      {"Sala de profesores", "Sdp"},
      {"Gimnasio", "Gimnas"},
      {"GIMNASIO", "GIMNAS"},
      {"B", "B"},
      {"", ""},
      {"a b c d e f g h i j k l", "abcdefghij"},  // twelve initials, cut as the field keeps them
      {"Aula  B", "A B"},
  };
  for (const Caso& caso : casos) EXPECT_EQ(CodigoAula(A(caso.nombre)), A(caso.codigo)) << caso.nombre;
}

struct CasoGrupo {
  std::string nombre, nivel, curso, grupo, base;
};

TEST(DividirNombreGrupo, NivelCursoLetraYBase) {
  const std::vector<CasoGrupo> casos = {
      {"ESO 1A", "ESO", "1", "A", "ESO1A"},
      {"1A", "1", "1", "A", "11A"},
      {"A", "A", "A", "A", "AAA"},
      {"2BACH-B", "2", "-", "B", "2-B"},
      {"1º ESO A", "1º", " ", "A", "1º A"},
      {"Bachillerato 2 B", "Bachillerato", " ", "B", "Bachil"},
      {"", "", "", "", ""},
      {"FPB 1", "FPB", " ", "1", "FPB 1"},
  };
  for (const CasoGrupo& caso : casos) {
    const PartesGrupo partes = DividirNombreGrupo(A(caso.nombre));
    EXPECT_EQ(partes.nivel, A(caso.nivel)) << caso.nombre;
    EXPECT_EQ(partes.curso, A(caso.curso)) << caso.nombre;
    EXPECT_EQ(partes.grupo, A(caso.grupo)) << caso.nombre;
    EXPECT_EQ(partes.base, A(caso.base)) << caso.nombre;
  }
}

TEST(DatosDeGrupo, TurnoYDescripcion) {
  EXPECT_EQ(TurnoDeRegimen(" M "), "M");
  EXPECT_EQ(TurnoDeRegimen("ABC"), "C");
  EXPECT_EQ(TurnoDeRegimen(""), "");
  EXPECT_EQ(DescripcionGrupo("ESO 1A", "Primero A"), "ESO 1A (Primero A)");
  EXPECT_EQ(DescripcionGrupo("ESO 1A", ""), "ESO 1A ()");
}

TEST(Sesiones, UnosYDecenas) {
  const std::vector<std::pair<std::int32_t, std::string>> casos = {
      {std::numeric_limits<std::int32_t>::min(), ""},
      {-2, ""},
      {0, ""},
      {1, "1"},
      {4, "1111"},
      {13, std::string(13, '1')},
      {14, std::string(14, '1')},
      {15, "2" + std::string(13, '1')},
      {20, "7" + std::string(13, '1')},
      {22, "9" + std::string(13, '1')},
      {23, "10" + std::string(13, '1')},
      {100, "87" + std::string(13, '1')},
      {std::numeric_limits<std::int32_t>::max(), "2147483634" + std::string(13, '1')},
  };
  for (const auto& [n, sesiones] : casos) EXPECT_EQ(Sesiones(n), sesiones) << n;
}

TEST(Horas, PuntoOComaYValorPorDefecto) {
  const std::vector<std::pair<std::string, double>> casos = {
      {"4", 4},     {"2.5", 2.5}, {"2,5", 2.5}, {"abc", 1}, {"0", 0},   {"-2", -2},  {"20", 20},
      {" 3 ", 3},   {"1E2", 100}, {"2.5.1", 1}, {"1,2,3", 1}, {"+7", 7}, {"dos", 1},
  };
  for (const auto& [texto, valor] : casos) {
    const std::optional<double> horas = HorasComoNumero(texto);
    ASSERT_TRUE(horas.has_value()) << texto;
    EXPECT_DOUBLE_EQ(*horas, valor) << texto;
  }
  EXPECT_FALSE(HorasComoNumero("").has_value());
}

TEST(Horas, LosExponentesEnormesDanInfinitoOCero) {
  EXPECT_EQ(HorasComoNumero("1E999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(HorasComoNumero("-1e999 "), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(HorasComoNumero("2.5E+999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(HorasComoNumero("1E-999"), 0.0);
  EXPECT_EQ(HorasComoNumero("0E999"), 0.0);
  // Not numbers at all: the default.
  EXPECT_EQ(HorasComoNumero("1 E999"), 1.0);
  EXPECT_EQ(HorasComoNumero("1E"), 1.0);
  EXPECT_EQ(HorasComoNumero("E999"), 1.0);
  EXPECT_EQ(HorasComoNumero("1E9x9"), 1.0);
}

TEST(Horas, TechoEnElRangoDeUnEnteroDe32Bits) {
  EXPECT_EQ(TechoDeHoras(2.5), 3);
  EXPECT_EQ(TechoDeHoras(4), 4);
  EXPECT_EQ(TechoDeHoras(-2.5), -2);
  EXPECT_EQ(TechoDeHoras(0), 0);
  EXPECT_EQ(TechoDeHoras(2147483647.0), 2147483647);
  EXPECT_EQ(TechoDeHoras(2147483646.5), 2147483647);
  EXPECT_EQ(TechoDeHoras(-2147483648.0), std::numeric_limits<std::int32_t>::min());
  EXPECT_FALSE(TechoDeHoras(2147483647.5).has_value());
  EXPECT_FALSE(TechoDeHoras(-2147483649.0).has_value());
  EXPECT_FALSE(TechoDeHoras(1e30).has_value());
  EXPECT_FALSE(TechoDeHoras(std::numeric_limits<double>::infinity()).has_value());
  EXPECT_FALSE(TechoDeHoras(-std::numeric_limits<double>::infinity()).has_value());
  EXPECT_FALSE(TechoDeHoras(std::nan("")).has_value());
}

TEST(ConContador, RecortaLaBaseParaCaberEnDiezCaracteres) {
  EXPECT_EQ(ConContador("ESO1A", 1), "ESO1A1");
  EXPECT_EQ(ConContador("", 1), "1");
  EXPECT_EQ(ConContador("ABCDEFGHI", 1), "ABCDEFGHI1");
  EXPECT_EQ(ConContador("ABCDEFGHIJ", 1), "ABCDEFGHI1");
  EXPECT_EQ(ConContador("ABCDEFGHIJ", 10), "ABCDEFGH10");
  EXPECT_EQ(ConContador("Bachil", 9999), "Bachil9999");
  EXPECT_EQ(ConContador("Bachil", 10000), "Bachi10000");
}

// Gives each code in turn and returns what the list made of them.
std::vector<std::string> Dar(ListaCodigos lista, const std::vector<std::string>& codigos) {
  std::vector<std::string> dados;
  for (const std::string& codigo : codigos) dados.push_back(text::AnsiToUtf8(lista.Dar(A(codigo))));
  return dados;
}

using Lista = std::vector<std::string>;

TEST(ListaCodigos, AsignaturasQuitanElDigitoFinalYDistinguenMayusculas) {
  EXPECT_EQ(Dar(ListaCodigos::Asignaturas(), {"Matemá", "Matemá", "Matemá"}), (Lista{"Matemá", "Matemá1", "Matemá2"}));
  EXPECT_EQ(Dar(ListaCodigos::Asignaturas(), {"T4", "T4"}), (Lista{"T4", "T1"}));
  EXPECT_EQ(Dar(ListaCodigos::Asignaturas(), {"T4", "T1", "T4"}), (Lista{"T4", "T1", "T2"}));
  EXPECT_EQ(Dar(ListaCodigos::Asignaturas(), {"ef", "EF", "EF"}), (Lista{"ef", "EF", "EF1"}));
  EXPECT_EQ(Dar(ListaCodigos::Asignaturas(), {"", ""}), (Lista{"", "1"}));
  // Clashes chained through the digit rule: 'M1' taken by the second 'M' sends 'M1' on to 'M2'.
  EXPECT_EQ(Dar(ListaCodigos::Asignaturas(), {"M", "M", "M1", "M"}), (Lista{"M", "M1", "M2", "M3"}));
}

TEST(ListaCodigos, ProfesoresSoloAnadenElContadorSinMirarMayusculas) {
  EXPECT_EQ(Dar(ListaCodigos::Profesores(), {"JPG", "JPG", "JPG"}), (Lista{"JPG", "JPG1", "JPG2"}));
  EXPECT_EQ(Dar(ListaCodigos::Profesores(), {"jp", "JP"}), (Lista{"jp", "JP1"}));
  EXPECT_EQ(Dar(ListaCodigos::Profesores(), {"A1", "A1"}), (Lista{"A1", "A11"}));
  EXPECT_EQ(Dar(ListaCodigos::Profesores(), {"", ""}), (Lista{"", "1"}));
  // Accented letters match their partner of the other case.
  EXPECT_EQ(Dar(ListaCodigos::Profesores(), {"ÍSB", "íSB"}), (Lista{"ÍSB", "íSB1"}));
}

TEST(ListaCodigos, AulasQuitanElUltimoCaracter) {
  EXPECT_EQ(Dar(ListaCodigos::Aulas(), {"A1", "A1"}), (Lista{"A1", "A2"}));
  EXPECT_EQ(Dar(ListaCodigos::Aulas(), {"Labora", "Labora"}), (Lista{"Labora", "Labor1"}));
  EXPECT_EQ(Dar(ListaCodigos::Aulas(), {"Gimnas", "GIMNAS"}), (Lista{"Gimnas", "GIMNA1"}));
  EXPECT_EQ(Dar(ListaCodigos::Aulas(), {"B", "B"}), (Lista{"B", "1"}));
  EXPECT_EQ(Dar(ListaCodigos::Aulas(), {"A1", "A1", "A2", "A3"}), (Lista{"A1", "A2", "A3", "A4"}));
}

TEST(ListaCodigos, GruposAnadenElContadorALaBase) {
  EXPECT_EQ(Dar(ListaCodigos::Grupos(), {"ESO1A", "ESO1A", "ESO1A"}), (Lista{"ESO1A", "ESO1A1", "ESO1A2"}));
  EXPECT_EQ(Dar(ListaCodigos::Grupos(), {"ESO1A", "ESO1a"}), (Lista{"ESO1A", "ESO1a1"}));
  EXPECT_EQ(Dar(ListaCodigos::Grupos(), {"Bachil", "Bachil", "Bachil"}), (Lista{"Bachil", "Bachil1", "Bachil2"}));
  EXPECT_EQ(Dar(ListaCodigos::Grupos(), {"", ""}), (Lista{"", "1"}));
  // A later base that is an earlier candidate still gets a free code.
  EXPECT_EQ(Dar(ListaCodigos::Grupos(), {"ESO1A", "ESO1A", "ESO1A1", "ESO1A"}),
            (Lista{"ESO1A", "ESO1A1", "ESO1A11", "ESO1A2"}));
}

TEST(ListaCodigos, LosCodigosSonUnicosTalComoSeGuardan) {
  // Ten characters and a counter: the code is cut so that both take exactly ten.
  EXPECT_EQ(Dar(ListaCodigos::Profesores(), {"abcdefghij", "abcdefghij", "abcdefghi1", "ABCDEFGHIJ"}),
            (Lista{"abcdefghij", "abcdefghi1", "abcdefghi2", "ABCDEFGHI3"}));
  EXPECT_EQ(Dar(ListaCodigos::Asignaturas(), {"ABCDEFGHIJ", "ABCDEFGHIJ"}), (Lista{"ABCDEFGHIJ", "ABCDEFGHI1"}));
  EXPECT_EQ(Dar(ListaCodigos::Aulas(), {"abcdefghij", "abcdefghij", "ABCDEFGHIJ"}),
            (Lista{"abcdefghij", "abcdefghi1", "ABCDEFGHI2"}));

  // Eleven clashing groups of a 6-character base never reach 11 characters.
  ListaCodigos grupos = ListaCodigos::Grupos();
  std::vector<std::string> dados;
  for (int i = 0; i < 10002; ++i) dados.push_back(grupos.Dar("Bachil"));
  EXPECT_EQ(dados[9999], "Bachil9999");
  EXPECT_EQ(dados[10000], "Bachi10000");
  EXPECT_EQ(dados[10001], "Bachi10001");
  for (const std::string& codigo : dados) EXPECT_LE(codigo.size(), kLongitudCodigo);
  EXPECT_EQ(grupos.Tamano(), dados.size());
}

}  // namespace
}  // namespace pontexa::exportacion
