#include "export/exportador_pasos.h"

namespace pontexa::exportacion {

// Mirvane fills the days and hours; the export leaves the table empty.
void Exportador::ExportarDiasHoras() {
  const tables::TableLayout& layout = tables::kDiashorast;
  Avisar(layout.name, 0, 0);
  Guardar(layout, tables::DbfWriter(layout));
}

}  // namespace pontexa::exportacion
