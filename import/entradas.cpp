// The inputs section: one input per placed row of SOLUC (DIA not 0), in record
// order, numbered input1, input2, ... without gaps. Each names its day, its
// interval, the activity of its subject, and its group, teacher and room by
// the SAGA id found for their codes (or the code itself when no row has it).
//
// Every lookup keeps the first-match result of a walk from the first row; the
// tables answer through Locate, and each distinct code is looked up once.

#include <optional>
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

  const std::string& Clave(const std::string& codigo) { return claves_[Numero(codigo)]; }
  // Whether some row carries the code (else Clave gives the code itself).
  bool Conocido(const std::string& codigo) { return conocidos_[Numero(codigo)]; }

 private:
  tables::Table& tabla_;
  std::string_view campoCodigo_;
  tables::Field idSaga_;
  std::size_t Numero(const std::string& codigo) {
    const std::size_t numero = codigos_.Anadir(codigo);
    if (numero == claves_.size()) {
      const bool encontrado = tabla_.Locate(campoCodigo_, codigo);
      claves_.push_back(encontrado ? idSaga_.AsString() : codigo);
      conocidos_.push_back(encontrado);
    }
    return numero;
  }

  IndiceTextos codigos_;             // codes asked for so far
  std::vector<std::string> claves_;  // by code number
  std::vector<bool> conocidos_;      // by code number
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

  // The position in the working lists of the subject code's activity, or
  // nothing when no activity has its key. Every code that is a COD of
  // ASIGNOMT has one (the activities are made from those rows), so nothing
  // means the code is missing from ASIGNOMT.
  std::optional<std::size_t> Posicion(const std::string& asignatura) {
    const std::size_t numero = asignaturas_.Anadir(asignatura);
    if (numero == posiciones_.size()) {
      const auto clave = clavesActividad_.Buscar(text::CaseInsensitiveKey(claves_.Clave(asignatura)));
      posiciones_.push_back(clave ? primeraPosicion_[*clave] : kNinguna);
    }
    if (posiciones_[numero] == kNinguna) return std::nullopt;
    return posiciones_[numero];
  }
  const std::string& Actividad(std::size_t posicion) const { return listaActividades_[posicion]; }
  bool CodigoConocido(const std::string& asignatura) { return claves_.Conocido(asignatura); }

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

  // A code of a placed row that its table lacks, written unchanged.
  auto desconocido = [&](std::string_view tabla, std::string_view campo, const std::string& codigo) {
    Notificar("codigo_desconocido",
              "El registro " + text::FormatInteger(static_cast<std::int64_t>(soluc.RecordNumber())) + " de SOLUC tiene " +
                  std::string(campo) + " '" + text::AnsiToUtf8(codigo) + "', que no está en " + std::string(tabla) +
                  ": se escribe tal cual en SAGA en lugar de un id de SAGA",
              {DatoTexto("tabla", std::string(tabla)), DatoTexto("campo", std::string(campo)),
               DatoNumero("registro", soluc.RecordNumber()), DatoTexto("valor", text::AnsiToUtf8(codigo))});
  };
  // A group, teacher or room code: its key, and the observer told when unknown.
  auto claveDe = [&](Traductor& traductor, std::string_view tabla, std::string_view campo,
                     const std::string& codigo) -> const std::string& {
    if (observador_ && !codigo.empty() && !traductor.Conocido(codigo)) desconocido(tabla, campo, codigo);
    return traductor.Clave(codigo);
  };

  const std::size_t total = soluc.RecordCount();
  std::size_t fila = 0;
  std::size_t contador = 1;
  bool sinDiasDicho = false;
  for (soluc.First(); !soluc.Eof(); soluc.Next()) {
    if (++fila % kAvisoCada == 0) Avisar("inputs", fila, total);
    if (dia.AsInteger() == 0) {  // not placed
      ++resumen_.sinColocar;
      continue;
    }
    // Read in the order the input's attributes take them, so a value that
    // does not convert is the error it was.
    const std::string dt = dia.AsString();
    const std::string intervalo = TextoIntervalo(hora.AsFloat(), sesiones.AsFloat(), ajustes_.decimalSeparator);
    if (resumen_.dias == 0 && !sinDiasDicho) {
      // Tables exported again and not solved since: writing this would
      // replace the school's timetable by one without days.
      sinDiasDicho = true;
      Fallar(ImportError("DIASHORAST no define ningún día y SOLUC coloca sesiones (la primera en su registro " +
                         text::FormatInteger(static_cast<std::int64_t>(soluc.RecordNumber())) +
                         "): resuelva el horario en Mirvane antes de importar; el archivo de SAGA no se ha cambiado"),
             "sin_dias", {DatoTexto("tabla", "DIASHORAST"), DatoNumero("registro", soluc.RecordNumber())});
    }

    const std::string codigoAsignatura = asig.AsString();
    const std::optional<std::size_t> posicion = actividades.Posicion(codigoAsignatura);
    if (!posicion) {
      Fallar(pontexa::Error("El registro " + text::FormatInteger(static_cast<std::int64_t>(soluc.RecordNumber())) +
                            " de " + soluc.Name() + " tiene la asignatura '" + text::AnsiToUtf8(codigoAsignatura) +
                            "', que no está en " + wwTableNomAsg.Name()),
             "asignatura_sin_actividad",
             {DatoTexto("tabla", "SOLUC"), DatoTexto("campo", "ASIG"), DatoNumero("registro", soluc.RecordNumber()),
              DatoTexto("valor", text::AnsiToUtf8(codigoAsignatura))});
    } else if (observador_ && !actividades.CodigoConocido(codigoAsignatura)) {
      desconocido("ASIGNOMT", "ASIG", codigoAsignatura);
    }

    if (observador_ && !intervalosDefinidos_.contains(dt + "|" + intervalo)) {
      Notificar("intervalo_no_definido",
                "El registro " + text::FormatInteger(static_cast<std::int64_t>(soluc.RecordNumber())) +
                    " de SOLUC coloca una sesión el día " + text::AnsiToUtf8(dt) + " en el intervalo " +
                    text::AnsiToUtf8(intervalo) + ", que DIASHORAST no define",
                {DatoTexto("tabla", "SOLUC"), DatoNumero("registro", soluc.RecordNumber()),
                 DatoTexto("dia", text::AnsiToUtf8(dt)), DatoTexto("intervalo", text::AnsiToUtf8(intervalo))});
    }
    seccion_.Open("input");
    seccion_.Attribute("id", "input" + text::FormatInteger(static_cast<std::int64_t>(contador++)));
    seccion_.Attribute("day", dt);
    seccion_.Attribute("interval", intervalo);
    static const std::string kSinActividad;  // only a dry run goes on without one
    seccion_.Attribute("activity", posicion ? actividades.Actividad(*posicion) : kSinActividad);

    const std::string& grupo = claveDe(grupos, "GRUPOST", "CODGRUPO", codGrupo.AsString());
    const std::string& profesor = claveDe(profesores, "PROFT", "PROF", prof.AsString());
    const std::string& lugar = claveDe(aulas, "AULAT", "AULA", aula.AsString());
    escribirUno("groups", "group", grupo);
    escribirUno("members", "member", profesor);
    escribirUno("locations", "location", lugar);
    seccion_.Close();  // input
    if (firmas_) {
      firmas_->push_back(FirmaDeEntrada(dt, intervalo, posicion ? ListaAsignaturas[*posicion] : codigoAsignatura,
                                        grupo, profesor, lugar));
    }
  }
  seccion_.Close();  // inputs
  resumen_.entradas = contador - 1;
  Avisar("inputs", total, total);
}

}  // namespace pontexa::importacion
