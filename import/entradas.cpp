// The inputs section: one input per placed row of SOLUC (DIA not 0), in record
// order, numbered input1, input2, ... without gaps. Each names its day, its
// interval, the activity of its subject, and its group, teacher and room by
// the SAGA id found for their codes (or the code itself when no row has it).
//
// Every lookup keeps the first-match result of a walk from the first row; the
// tables answer through Locate, and each distinct code is looked up once.

#include <string>
#include <vector>

#include "import/importador_core.h"
#include "import/indice_textos.h"
#include "import/reglas.h"
#include "text/cp1252.h"

namespace pontexa::importacion {

namespace {

constexpr std::size_t kAvisoCada = 8192;

// A code's SAGA id: IDSAGA of the first row whose `campoCodigo` equals the
// code, else the code itself.
class Traductor {
 public:
  Traductor(tables::Table& tabla, std::string_view campoCodigo)
      : tabla_(tabla), campoCodigo_(campoCodigo), idSaga_(tabla.FieldByName("IDSAGA")) {}

  const std::string& Clave(const std::string& codigo) {
    const std::size_t numero = codigos_.Anadir(codigo);
    if (numero == claves_.size()) {
      claves_.push_back(tabla_.Locate(campoCodigo_, codigo) ? idSaga_.AsString() : codigo);
    }
    return claves_[numero];
  }

 private:
  tables::Table& tabla_;
  std::string_view campoCodigo_;
  tables::Field idSaga_;
  IndiceTextos codigos_;             // codes asked for so far
  std::vector<std::string> claves_;  // by code number
};

// A subject code's activity id: the code's key (its SAGA id when a subject row
// has that code) is matched against the subject keys of the activities with
// letter case ignored; the first activity with an equal key wins.
class BuscadorActividades {
 public:
  BuscadorActividades(tables::Table& asignaturas, const std::vector<std::string>& listaActividades,
                      const std::vector<std::string>& listaAsignaturas)
      : claves_(asignaturas, "COD"), listaActividades_(listaActividades) {
    for (std::size_t i = 0; i < listaAsignaturas.size(); ++i) {
      if (clavesActividad_.Anadir(text::CaseInsensitiveKey(listaAsignaturas[i])) == primeraPosicion_.size()) {
        primeraPosicion_.push_back(i);
      }
    }
  }

  // Null when no activity has the code's key. Every code that is a COD of
  // ASIGNOMT has one (the activities are made from those rows), so a null
  // means the code is missing from ASIGNOMT.
  const std::string* Actividad(const std::string& asignatura) {
    const std::size_t numero = asignaturas_.Anadir(asignatura);
    if (numero == posiciones_.size()) {
      const auto clave = clavesActividad_.Buscar(text::CaseInsensitiveKey(claves_.Clave(asignatura)));
      posiciones_.push_back(clave ? primeraPosicion_[*clave] : kNinguna);
    }
    if (posiciones_[numero] == kNinguna) return nullptr;
    return &listaActividades_[posiciones_[numero]];
  }

 private:
  static constexpr std::size_t kNinguna = static_cast<std::size_t>(-1);

  Traductor claves_;
  const std::vector<std::string>& listaActividades_;
  IndiceTextos clavesActividad_;             // subject keys, letter case folded
  std::vector<std::size_t> primeraPosicion_;  // by key number: first position in the lists
  IndiceTextos asignaturas_;                  // subject codes asked for so far
  std::vector<std::size_t> posiciones_;       // by code number
};

}  // namespace

void Importador::EscribirEntradas() {
  seccion_.Open("inputs");

  BuscadorActividades actividades(wwTableNomAsg, ListaActividades, ListaAsignaturas);
  Traductor grupos(wwTableGrupos, "ABREV");
  Traductor profesores(wwTableProfesor, "ABREV");
  Traductor aulas(wwTableAulas, "ABREV");

  tables::Table& soluc = wwTableSoluc;
  const tables::Field dia = soluc.FieldByName("DIA");
  const tables::Field hora = soluc.FieldByName("HORA");
  const tables::Field sesiones = soluc.FieldByName("SESIONES");
  const tables::Field asig = soluc.FieldByName("ASIG");
  const tables::Field codGrupo = soluc.FieldByName("CODGRUPO");
  const tables::Field prof = soluc.FieldByName("PROF");
  const tables::Field aula = soluc.FieldByName("AULA");

  // One container holding one item, whose id is written only when not empty.
  auto escribirUno = [this](std::string_view contenedor, std::string_view elemento, const std::string& clave) {
    seccion_.Open(contenedor);
    seccion_.Open(elemento);
    if (!clave.empty()) seccion_.Attribute("id", clave);
    seccion_.Close();
    seccion_.Close();
  };

  const std::size_t total = soluc.RecordCount();
  std::size_t fila = 0;
  std::size_t contador = 1;
  for (soluc.First(); !soluc.Eof(); soluc.Next()) {
    if (++fila % kAvisoCada == 0) Avisar("inputs", fila, total);
    if (dia.AsInteger() == 0) continue;  // not placed

    seccion_.Open("input");
    seccion_.Attribute("id", "input" + text::FormatInteger(static_cast<std::int64_t>(contador++)));
    seccion_.Attribute("day", dia.AsString());
    const double h = hora.AsFloat();
    seccion_.Attribute("interval", TextoIntervalo(h, sesiones.AsFloat(), ajustes_.decimalSeparator));
    const std::string codigoAsignatura = asig.AsString();
    const std::string* actividad = actividades.Actividad(codigoAsignatura);
    if (actividad == nullptr) {
      throw pontexa::Error("El registro " + text::FormatInteger(static_cast<std::int64_t>(soluc.RecordNumber())) +
                           " de " + soluc.Name() + " tiene la asignatura '" + text::AnsiToUtf8(codigoAsignatura) +
                           "', que no está en " + wwTableNomAsg.Name());
    }
    seccion_.Attribute("activity", *actividad);

    escribirUno("groups", "group", grupos.Clave(codGrupo.AsString()));
    escribirUno("members", "member", profesores.Clave(prof.AsString()));
    escribirUno("locations", "location", aulas.Clave(aula.AsString()));
    seccion_.Close();  // input
  }
  seccion_.Close();  // inputs
  resumen_.entradas = contador - 1;
  Avisar("inputs", total, total);
}

}  // namespace pontexa::importacion
