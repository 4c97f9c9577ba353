#include <optional>
#include <vector>

#include "export/codigos.h"
#include "export/exportador_pasos.h"
#include "export/lectura.h"
#include "tables/table.h"
#include "text/cp1252.h"
#include "text/numbers.h"

namespace pontexa::exportacion {
namespace {

std::string Contexto(std::string_view de, std::string_view id) { return std::string(de) + " " + Citar(id); }

std::string Numero(std::size_t n) { return text::FormatInteger(static_cast<std::int64_t>(n)); }

}  // namespace

void Exportador::ExportarAsignaciones() {
  const tables::TableLayout& layout = tables::kAsigt;
  const std::vector<saga::Element> elementosGrupo = documento_.SelectNodes("/document/groups/group");
  constexpr std::string_view kAsignadas = "assigned-subjects/assigned-subject";
  // One record per assigned subject, known before the first: the table goes
  // to its file as it is made instead of waiting whole in memory.
  // Kept from the count for the walk below, so each group's list is found once.
  std::vector<std::vector<saga::Element>> asignadasPorGrupo;
  asignadasPorGrupo.reserve(elementosGrupo.size());
  std::size_t total = 0;
  for (const saga::Element& grupo : elementosGrupo) {
    asignadasPorGrupo.push_back(grupo.SelectNodes(kAsignadas));
    total += asignadasPorGrupo.back().size();
  }

  tables::DbfWriter tabla(layout);
  const std::size_t casig = tabla.FieldIndex("CASIG"), cprof = tabla.FieldIndex("CPROF"),
                    cgrup = tabla.FieldIndex("CGRUP"), caula = tabla.FieldIndex("CAULA"),
                    turnoCampo = tabla.FieldIndex("TURNO"), nivelCampo = tabla.FieldIndex("NIVEL"),
                    cursoCampo = tabla.FieldIndex("CURSO"), grupoCampo = tabla.FieldIndex("GRUPO"),
                    horasCampo = tabla.FieldIndex("HORAS"), sesionesCampo = tabla.FieldIndex("SESIONES");
  tabla.StreamTo(Preparada(layout.name), total);

  // The tables of the earlier steps, read back from where they wait.
  const std::filesystem::path& carpeta = reemplazo_.Folder();
  tables::Table grupos(carpeta, "GRUPOST", ajustes_);
  tables::Table profesores(carpeta, "PROFT", ajustes_);
  tables::Table aulas(carpeta, "AULAT", ajustes_);
  tables::Table asignaturas(carpeta, "ASIGNOMT", ajustes_);
  grupos.SetFile(Preparada("GRUPOST"));
  profesores.SetFile(Preparada("PROFT"));
  aulas.SetFile(Preparada("AULAT"));
  asignaturas.SetFile(Preparada("ASIGNOMT"));
  grupos.Open();
  profesores.Open();
  aulas.Open();
  asignaturas.Open();
  const tables::Field idGrupos = grupos.FieldByName("IDSAGA");
  const tables::Field abrevGrupo = grupos.FieldByName("ABREV");
  const tables::Field turnoGrupo = grupos.FieldByName("TURNO");
  const tables::Field nivelGrupo = grupos.FieldByName("NIVEL");
  const tables::Field cursoGrupo = grupos.FieldByName("CURSO");
  const tables::Field letraGrupo = grupos.FieldByName("GRUPO");
  const tables::Field idProfesores = profesores.FieldByName("IDSAGA");
  const tables::Field abrevProfesor = profesores.FieldByName("ABREV");
  const tables::Field idAsignaturas = asignaturas.FieldByName("IDSAGA");
  const tables::Field codAsignatura = asignaturas.FieldByName("COD");
  const tables::Field horasAsignatura = asignaturas.FieldByName("HORAS");

  Avisar(layout.name, 0, total);

  for (std::size_t i = 0; i < elementosGrupo.size(); ++i) {
    // ExportarGrupos has already refused a group without id.
    const std::string idGrupo = AtributoRecortado(elementosGrupo[i], "id");
    std::string codGrupo, turno, nivel, curso, letra;
    if (grupos.Locate(idGrupos, idGrupo)) {
      codGrupo = abrevGrupo.AsString();
      turno = turnoGrupo.AsString();
      nivel = nivelGrupo.AsString();
      curso = cursoGrupo.AsString();
      letra = letraGrupo.AsString();
    } else if (Observando()) {
      Notificar("grupo_desconocido",
                "El grupo " + Citar(idGrupo) + " (group número " + Numero(i + 1) + ", línea " +
                    Numero(elementosGrupo[i].Line()) + ") no se encuentra en GRUPOST: sus asignaciones llevan vacíos "
                    "CGRUP, TURNO, NIVEL, CURSO y GRUPO",
                {DatoTexto("idsaga", text::AnsiToUtf8(idGrupo)), DatoNumero("numero", i + 1),
                 DatoNumero("linea", elementosGrupo[i].Line())});
    }
    const std::vector<saga::Element> asignadas = std::move(asignadasPorGrupo[i]);
    if (asignadas.empty() && Observando()) {
      Notificar("grupo_sin_asignaturas",
                "El grupo " + Citar(idGrupo) + " (línea " + Numero(elementosGrupo[i].Line()) +
                    ") no tiene asignaturas asignadas: no da ningún registro en ASIGT",
                {DatoTexto("idsaga", text::AnsiToUtf8(idGrupo)), DatoNumero("numero", i + 1),
                 DatoNumero("linea", elementosGrupo[i].Line())});
    }
    for (std::size_t j = 0; j < asignadas.size(); ++j) {
      const saga::Element& asignada = asignadas[j];
      const std::string idAsignatura = Id(asignada, [&] {
        return Posicion{"assigned-subject", j + 1, Contexto("del grupo", idGrupo)};
      });
      // Where an assignment is, for the observer's messages.
      auto datosAsignada = [&](const saga::Element& elemento) {
        return std::vector<Dato>{DatoTexto("grupo", text::AnsiToUtf8(idGrupo)),
                                 DatoTexto("asignatura", text::AnsiToUtf8(idAsignatura)),
                                 DatoNumero("registro", tabla.RecordCount() + 1),
                                 DatoNumero("linea", elemento.Line())};
      };
      std::string codAsig, horas;
      if (asignaturas.Locate(idAsignaturas, idAsignatura)) {
        codAsig = codAsignatura.AsString();
        horas = horasAsignatura.AsString();
      } else if (Observando()) {
        Notificar("asignatura_desconocida",
                  "La asignatura " + Citar(idAsignatura) + " asignada al grupo " + Citar(idGrupo) + " (línea " +
                      Numero(asignada.Line()) + ") no está en ASIGNOMT: el registro " +
                      Numero(tabla.RecordCount() + 1) + " de ASIGT lleva CASIG vacío",
                  datosAsignada(asignada));
      }
      std::string codProf;
      bool algunoEncontrado = false;
      // The teacher is the last one assigned, found or not.
      const std::vector<saga::Element> docentes = asignada.SelectNodes("assigned-teachers/assigned-teacher");
      for (std::size_t k = 0; k < docentes.size(); ++k) {
        codProf.clear();
        const std::string idProfesor = Id(docentes[k], [&] {
          return Posicion{"assigned-teacher", k + 1,
                          Contexto("de la asignatura asignada", idAsignatura) + " " + Contexto("del grupo", idGrupo)};
        });
        if (profesores.Locate(idProfesores, idProfesor)) {
          codProf = abrevProfesor.AsString();
          algunoEncontrado = true;
        } else if (Observando()) {
          const bool ultimo = k + 1 == docentes.size();
          std::vector<Dato> datos = datosAsignada(docentes[k]);
          datos.insert(datos.begin(), DatoTexto("profesor", text::AnsiToUtf8(idProfesor)));
          std::string mensaje = "El profesor " + Citar(idProfesor) + " de la asignatura " + Citar(idAsignatura) +
                                " del grupo " + Citar(idGrupo) + " (línea " + Numero(docentes[k].Line()) +
                                ") no está en PROFT";
          if (!ultimo) {
            Notificar("profesor_desconocido", mensaje + "; no es el último asignado, así que no cuenta", std::move(datos));
          } else if (algunoEncontrado) {
            Notificar("ultimo_profesor_desconocido",
                      mensaje + ": es el último asignado y deja CPROF vacío en el registro " +
                          Numero(tabla.RecordCount() + 1) + " de ASIGT aunque otro anterior sí estaba",
                      std::move(datos));
          } else {
            Notificar("profesor_desconocido",
                      mensaje + ": el registro " + Numero(tabla.RecordCount() + 1) + " de ASIGT lleva CPROF vacío",
                      std::move(datos));
          }
        }
      }

      const std::optional<double> valorHoras = HorasComoNumero(horas);
      if (Observando() && valorHoras && !HorasSonNumero(horas)) {
        std::vector<Dato> datos = datosAsignada(asignada);
        datos.push_back(DatoTexto("horas", text::AnsiToUtf8(horas)));
        Notificar("horas_no_numericas",
                  "Las horas " + Citar(horas) + " de la asignatura " + Citar(idAsignatura) + " del grupo " +
                      Citar(idGrupo) + " no son un número: el registro " + Numero(tabla.RecordCount() + 1) +
                      " de ASIGT cuenta 1",
                  std::move(datos));
      }
      std::optional<std::int32_t> sesiones = TechoDeHoras(valorHoras.value_or(0.0));
      const bool horasCaben = sesiones.has_value();
      if (!horasCaben) {
        Fallar(ExportError("Las horas " + Citar(horas) + " de la asignatura " + Citar(idAsignatura) + " (código " +
                           Citar(codAsig) + "), asignada al grupo " + Citar(idGrupo) +
                           ", no caben en un entero de 32 bits; no se ha cambiado ninguna tabla"),
               "horas_fuera_de_rango", datosAsignada(asignada));
        sesiones = 0;  // only a dry run gets here: the record goes on without hours
      }
      tabla.Append();
      tabla.SetString(casig, codAsig);
      tabla.SetString(cprof, codProf);
      tabla.SetString(cgrup, codGrupo);
      tabla.SetString(caula, "");
      tabla.SetString(turnoCampo, turno);
      tabla.SetString(nivelCampo, nivel);
      tabla.SetString(cursoCampo, curso);
      tabla.SetString(grupoCampo, letra);
      if (valorHoras && horasCaben) tabla.SetFloat(horasCampo, *valorHoras);
      tabla.SetString(sesionesCampo, Sesiones(*sesiones));
      tabla.Post();
      Avisar(layout.name, tabla.RecordCount(), total);
    }
  }
  grupos.Close();
  profesores.Close();
  aulas.Close();
  asignaturas.Close();
  Guardar(layout, tabla);
}

}  // namespace pontexa::exportacion
