#include "app/aplicacion.h"

#include <QCoreApplication>

namespace pontexa::app {

// The name, not the display name: Qt would append a display name to every
// window caption, and the dialog's caption must stay as it is.
void PrepararAplicacion() { QCoreApplication::setApplicationName(kTituloAplicacion); }

QString TituloAplicacion() { return kTituloAplicacion; }

}  // namespace pontexa::app
