#include "export/exportador_pasos.h"

namespace pontexa::exportacion {

// Initials, or the name's first six characters; a clash drops the last
// character before the counter, letter case ignored.
void Exportador::ExportarAulas() {
  ExportarNombrados(tables::kAulat, "/document/locations/location", "location", ListaCodigos::Aulas(), CodigoAula);
}

}  // namespace pontexa::exportacion
