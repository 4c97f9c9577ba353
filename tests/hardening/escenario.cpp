#include "escenario.h"

#include <fstream>
#include <vector>

#include "export/exportador.h"
#include "saga/document.h"
#include "support/temp_folder.h"
#include "tables/dbf_fixture.h"
#include "tables/table.h"
#include "tables/transfer_lock.h"
#include "text/cp1252.h"
#include "text/numbers.h"

namespace fs = std::filesystem;

namespace pontexa::testing {
namespace {

const char* const kNombres[] = {"Lucía", "Andrés", "Íñigo", "Marta", "José", "Nuria", "Óscar", "Begoña"};
const char* const kApellidos[] = {"Fernández", "Núñez", "Sáez", "Ortega", "Gómez", "Peña", "Ibáñez", "Castro"};
const char* const kMaterias[] = {"Matemáticas", "Lengua", "Física", "Química", "Inglés", "Música", "Tutoría", "Latín"};

std::string Num(int n) { return text::FormatInteger(n); }

std::vector<std::string> Codigos(const fs::path& carpeta, const char* tabla, const char* campo) {
  tables::Table t(carpeta, tabla, text::RegionalSettings{','});
  t.Open();
  std::vector<std::string> codigos;
  for (t.First(); !t.Eof(); t.Next()) codigos.push_back(t.FieldByName(campo).AsString());
  return codigos;
}

}  // namespace

std::string SagaEscuela(int grupos, int variante) {
  const int asignaturas = 20 + grupos / 2;
  const int profesores = 10 + grupos;
  const int aulas = 5 + grupos / 2;
  const std::string v = Num(variante);
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- escuela de pruebas -->\n<document>\n  <subjects>\n";
  for (int i = 0; i < asignaturas; ++i) {
    xml += "    <subject id=\"S" + v + "-" + Num(i) + "\" name=\"" + kMaterias[(i + variante) % 8] + " " + Num(i / 8) +
           "\" hours=\"" + Num(1 + i % 4) + "\"/>\n";
  }
  xml += "  </subjects>\n  <teachers>\n";
  for (int i = 0; i < profesores; ++i) {
    xml += "    <teacher id=\"T" + v + "-" + Num(i) + "\">" + kNombres[(i + variante) % 8] + " " + kApellidos[i % 8] + " " +
           kApellidos[(i / 8) % 8] + "</teacher>\n";
  }
  xml += "  </teachers>\n  <locations>\n";
  for (int i = 0; i < aulas; ++i) xml += "    <location id=\"L" + v + "-" + Num(i) + "\">Aula " + Num(i + variante) + "</location>\n";
  xml += "  </locations>\n  <groups>\n";
  for (int g = 0; g < grupos; ++g) {
    xml += "    <group id=\"G" + v + "-" + Num(g) + "\" regim=\"ORD-" + (g % 2 ? "T" : "M") + "\" name=\"ESO " +
           Num(1 + g % 4) + static_cast<char>('A' + (g / 4) % 26) + "\">Grupo " + Num(g) + "\n      <assigned-subjects>\n";
    for (int a = 0; a < 10; ++a) {
      xml += "        <assigned-subject id=\"S" + v + "-" + Num((g + a) % asignaturas) +
             "\"><assigned-teachers><assigned-teacher id=\"T" + v + "-" + Num((g * 3 + a) % profesores) +
             "\"/></assigned-teachers></assigned-subject>\n";
    }
    xml += "      </assigned-subjects>\n    </group>\n";
  }
  xml += "  </groups>\n  <time-tables><time-table id=\"tt0\" name=\"antiguo\"/></time-tables>\n</document>\n";
  return xml;
}

void Exporta(std::string_view xml, const fs::path& carpeta) {
  const saga::Document documento = saga::Document::Parse(std::string(xml), carpeta / "origen.xml");
  (void)exportacion::Exportar(documento, carpeta, text::RegionalSettings{','});
}

void EscribeSolucYDias(const fs::path& carpeta, int lecciones) {
  DbfFixture dias;
  dias.fields = {{"DIHO", 'C', 10}, {"CODDIHO", 'C', 10}, {"DIA", 'C', 20}, {"TEXTODIA", 'C', 20},
                 {"HORA", 'C', 8}, {"HORADESDE", 'C', 8}, {"HORAHASTA", 'C', 8}, {"MINUTOS", 'C', 8}};
  const char* const kDias[] = {"Lunes", "Martes", "Miércoles", "Jueves", "Viernes"};
  for (int d = 1; d <= 5; ++d) {
    for (int h = 1; h <= 6; ++h) {
      dias.rows.push_back({"", "", Num(d), text::Utf8ToAnsi(kDias[d - 1]), Num(h), Num(7 + h) + ":00", Num(7 + h) + ":55", "55"});
    }
  }
  dias.WriteTo(carpeta / "DIASHORAST.DBF");

  const auto grupos = Codigos(carpeta, "GRUPOST", "ABREV");
  const auto profesores = Codigos(carpeta, "PROFT", "ABREV");
  const auto asignaturas = Codigos(carpeta, "ASIGNOMT", "COD");
  const auto aulas = Codigos(carpeta, "AULAT", "ABREV");
  DbfFixture soluc;
  soluc.fields = {{"CODGRUPO", 'C', 10}, {"PROF", 'C', 10}, {"ASIG", 'C', 10}, {"DIA", 'N', 2},
                  {"HORA", 'N', 5, 2}, {"SESIONES", 'N', 5, 2}, {"AULA", 'C', 10}};
  for (int i = 0; i < lecciones; ++i) {
    const std::size_t n = static_cast<std::size_t>(i);
    soluc.rows.push_back({grupos[n % grupos.size()], profesores[n % profesores.size()], asignaturas[n % asignaturas.size()],
                          Num(i % 7 == 6 ? 0 : 1 + i % 5), Num(1 + i % 6), i % 11 == 0 ? "0.50" : "1.00",
                          aulas[n % aulas.size()]});
  }
  soluc.WriteTo(carpeta / "SOLUC.DBF");
}

Instantanea Toma(const fs::path& carpeta) {
  Instantanea todo;
  std::error_code error;
  for (const auto& entrada : fs::directory_iterator(carpeta, error)) {
    const std::string nombre = entrada.path().filename().string();
    // The transfers' lock file stays, empty, as part of the folder.
    if (entrada.is_regular_file() && nombre != tables::kTransferLockName) todo[nombre] = ReadBytes(entrada.path());
  }
  return todo;
}

Instantanea SeisTablas(const Instantanea& todo) {
  Instantanea seis;
  for (const auto& [nombre, bytes] : todo) {
    if (NombresSeisTablas().count(nombre)) seis[nombre] = bytes;
  }
  return seis;
}

std::string DescribeMezcla(const Instantanea& ahora, const Instantanea& viejas, const Instantanea& nuevas) {
  const Instantanea seis = SeisTablas(ahora);
  const Instantanea seisViejas = SeisTablas(viejas);
  const Instantanea seisNuevas = SeisTablas(nuevas);
  if (seis == seisViejas || seis == seisNuevas) return {};
  auto igual = [](const Instantanea& en, const std::string& nombre, const std::string& bytes) {
    const auto it = en.find(nombre);
    return it != en.end() && it->second == bytes;
  };
  std::string descripcion;
  for (const std::string& nombre : NombresSeisTablas()) {
    const auto it = seis.find(nombre);
    std::string estado = "otra";
    if (it == seis.end()) estado = "falta";
    else if (igual(seisViejas, nombre, it->second)) estado = "vieja";
    else if (igual(seisNuevas, nombre, it->second)) estado = "nueva";
    descripcion += nombre + "=" + estado + " ";
  }
  return descripcion;
}

std::set<std::string> Sobrantes(const fs::path& carpeta, const std::set<std::string>& esperados) {
  std::set<std::string> sobran;
  std::error_code error;
  for (const auto& entrada : fs::directory_iterator(carpeta, error)) {
    const std::string nombre = entrada.path().filename().string();
    if (!esperados.count(nombre) && nombre != tables::kTransferLockName) sobran.insert(nombre);
  }
  return sobran;
}

}  // namespace pontexa::testing
