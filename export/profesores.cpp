#include "export/exportador_pasos.h"

namespace pontexa::exportacion {

// Initials of the name; a clash takes a counter, letter case ignored.
void Exportador::ExportarProfesores() {
  ExportarNombrados(tables::kProft, "/document/teachers/teacher", "teacher", ListaCodigos::Profesores(),
                    CodigoProfesor);
}

}  // namespace pontexa::exportacion
