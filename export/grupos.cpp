#include <vector>

#include "export/codigos.h"
#include "export/exportador_pasos.h"
#include "export/lectura.h"

namespace pontexa::exportacion {

void Exportador::ExportarGrupos() {
  const tables::TableLayout& layout = tables::kGrupost;
  tables::DbfWriter tabla(layout);
  const std::size_t abrev = tabla.FieldIndex("ABREV"), turnoCampo = tabla.FieldIndex("TURNO"),
                    nivel = tabla.FieldIndex("NIVEL"), curso = tabla.FieldIndex("CURSO"),
                    letra = tabla.FieldIndex("GRUPO"), idSaga = tabla.FieldIndex("IDSAGA"),
                    descrip = tabla.FieldIndex("DESCRIP");
  ListaCodigos codigos = ListaCodigos::Grupos();
  const std::vector<saga::Element> grupos = documento_.SelectNodes("/document/groups/group");
  tabla.Reserve(grupos.size());
  Avisar(layout.name, 0, grupos.size());
  IdsVistos vistos;
  for (std::size_t i = 0; i < grupos.size(); ++i) {
    const saga::Element& grupo = grupos[i];
    const std::string id = Id(grupo, [&] { return Posicion{"group", i + 1}; });
    if (Observando()) RevisarElemento(layout.name, grupo, {"group", i + 1}, id, vistos);
    const std::string nombre = AtributoRecortado(grupo, "name");
    const std::string turno = TurnoDeRegimen(AtributoRecortado(grupo, "regim"));
    const std::string descripcion = DescripcionGrupo(nombre, PrimerHijoRecortado(grupo));
    // The code works on the uncut level; the table keeps 5 characters of it.
    const PartesGrupo partes = DividirNombreGrupo(nombre);
    const std::string codigo = codigos.Dar(partes.base);
    if (Observando()) RevisarCodigo(layout.name, id, nombre, partes.base, codigo);

    tabla.Append();
    tabla.SetString(abrev, codigo);
    tabla.SetString(turnoCampo, turno);
    tabla.SetString(nivel, partes.nivel);
    tabla.SetString(curso, partes.curso);
    tabla.SetString(letra, partes.grupo);
    tabla.SetString(idSaga, id);
    tabla.SetString(descrip, descripcion);
    tabla.Post();
    Avisar(layout.name, i + 1, grupos.size());
  }
  Guardar(layout, tabla);
}

}  // namespace pontexa::exportacion
