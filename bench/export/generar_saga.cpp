// generar-saga ESCALA SALIDA.xml: a synthetic SAGA file for the export's
// benchmark. Scale 1 is about one school (150 subjects, 80 teachers, 60 rooms,
// 40 groups, 600 assigned subjects); scale 100 a whole district. Names repeat
// from school to school, so every code rule meets its clashes and counters.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <string_view>

namespace {

constexpr int kAsignaturas = 150;
constexpr int kProfesores = 80;
constexpr int kAulas = 60;
constexpr int kGrupos = 40;
constexpr int kAsignadasPorGrupo = 15;

constexpr std::string_view kMaterias[] = {
    "Lengua castellana y literatura", "Matemáticas", "Educación Física", "Geografía e Historia",
    "Biología y Geología", "Física y Química", "Primera Lengua Extranjera: Inglés", "inglés", "Tecnología 4",
    "Música", "Educación Plástica, Visual y Audiovisual", "Valores Éticos", "Religión", "Tutoría",
    "Cultura Clásica", "Latín", "Filosofía", "Historia de España", "Matemáticas II", "Química", "Física",
    "Economía", "Dibujo Técnico II", "Tecnología de la Información y la Comunicación", "Refuerzo de Lengua",
    "Proyecto Integrado", "2º Bachillerato Investigación", "Ciencias Aplicadas a la Actividad Profesional",
    "Griego", "Francés"};
constexpr std::string_view kHoras[] = {"4", "3", "2", "2.5", "1", "", "1,5", "20"};
constexpr std::string_view kNombres[] = {"Lucía", "Luis", "Marta", "Andrés", "Ana", "Alberto", "Pilar", "pablo",
                                         "Rocío", "Jorge", "Elena", "Sergio", "Carmen", "Íñigo", "Beatriz",
                                         "Tomás", "Nuria", "Raúl", "Inés", "Óscar", "María José", "Teresa"};
constexpr std::string_view kApellidos[] = {"Fernández", "Fuentes", "Ortega", "Castro", "Carmona", "Calvo",
                                           "Núñez", "navarro", "Ibáñez", "Benítez", "Domínguez", "Molina",
                                           "Vázquez", "Sáez", "Herrero", "Esteban", "Medina", "Lozano", "Delgado",
                                           "de la Fuente", "Iglesias", "Serrano", "Gil", "Rey"};
constexpr std::string_view kAulasTipo[] = {"Aula", "Laboratorio", "Laboratorio de Física", "Gimnasio", "GIMNASIO",
                                           "Taller de Tecnología", "Aula de Música", "Biblioteca", "Sala de profesores"};
constexpr std::string_view kNiveles[] = {"ESO 1", "ESO 2", "ESO 3", "ESO 4", "Bachillerato 1 ", "Bachillerato 2 ",
                                         "FPB ", "PMAR 2"};

template <std::size_t N>
std::string_view Elegir(const std::string_view (&lista)[N], std::uint32_t azar) {
  return lista[azar % N];
}

std::string Numero(std::uint64_t n) {
  char buffer[24];
  const auto fin = std::to_chars(buffer, buffer + sizeof buffer, n).ptr;
  return std::string(buffer, fin);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "Uso: generar-saga ESCALA SALIDA.xml\n";
    return 2;
  }
  int escala = 0;
  const std::string_view texto = argv[1];
  if (std::from_chars(texto.data(), texto.data() + texto.size(), escala).ec != std::errc() || escala < 1) {
    std::cerr << "generar-saga: la escala ha de ser un entero positivo\n";
    return 2;
  }
  std::mt19937 azar(20240901);  // the same file for the same scale
  std::string xml;
  xml.reserve(static_cast<std::size_t>(escala) * 120000);
  xml += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<document>\n  <subjects>\n";
  const int asignaturas = kAsignaturas * escala;
  for (int i = 0; i < asignaturas; ++i) {
    const std::string_view horas = Elegir(kHoras, azar());
    xml += "    <subject id=\"S" + Numero(i) + "\" name=\"" + std::string(Elegir(kMaterias, azar())) + "\"";
    if (!horas.empty()) xml += " hours=\"" + std::string(horas) + "\"";
    xml += "/>\n";
  }
  xml += "  </subjects>\n  <teachers>\n";
  const int profesores = kProfesores * escala;
  for (int i = 0; i < profesores; ++i) {
    xml += "    <teacher id=\"P" + Numero(i) + "\">" + std::string(Elegir(kNombres, azar())) + " " +
           std::string(Elegir(kApellidos, azar())) + " " + std::string(Elegir(kApellidos, azar())) + "</teacher>\n";
  }
  xml += "  </teachers>\n  <locations>\n";
  const int aulas = kAulas * escala;
  for (int i = 0; i < aulas; ++i) {
    std::string nombre(Elegir(kAulasTipo, azar()));
    if (nombre == "Aula") nombre += " " + Numero(1 + azar() % 30);
    xml += "    <location id=\"L" + Numero(i) + "\">" + nombre + "</location>\n";
  }
  xml += "  </locations>\n  <groups>\n";
  const int grupos = kGrupos * escala;
  for (int i = 0; i < grupos; ++i) {
    const std::string nombre = std::string(Elegir(kNiveles, azar())) + static_cast<char>('A' + azar() % 4);
    xml += "    <group id=\"G" + Numero(i) + "\" regim=\"ORD-" + (azar() % 2 ? "M" : "T") + "\" name=\"" + nombre +
           "\">Grupo " + nombre + " del centro " + Numero(i / kGrupos) + "\n      <assigned-subjects>\n";
    for (int j = 0; j < kAsignadasPorGrupo; ++j) {
      xml += "        <assigned-subject id=\"S" + Numero(azar() % asignaturas) + "\">\n          <assigned-teachers>\n";
      const int docentes = azar() % 8 == 0 ? 2 : 1;
      for (int k = 0; k < docentes; ++k) {
        xml += "            <assigned-teacher id=\"P" + Numero(azar() % profesores) + "\"/>\n";
      }
      xml += "          </assigned-teachers>\n        </assigned-subject>\n";
    }
    xml += "      </assigned-subjects>\n    </group>\n";
  }
  xml += "  </groups>\n</document>\n";

  std::ofstream salida(argv[2], std::ios::binary | std::ios::trunc);
  salida.write(xml.data(), static_cast<std::streamsize>(xml.size()));
  salida.close();
  if (!salida) {
    std::cerr << "generar-saga: no se puede escribir " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
