// The help file on Linux: a CHM viewer if one is installed; else the same
// pages as HTML (ayuda/ beside the file) in the user's browser; else whatever
// the desktop opens the CHM with.

#include <filesystem>
#include <system_error>

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "app/help.h"
#include "app/qt/rutas.h"
#include "platform/error.h"
#include "platform/utf8_path.h"

namespace pontexa::app {

// The viewers here take no context number; a topic opens the file at its start.
void AyudaHtml::Abrir(const int*) const {
  const QString ruta = TextoDe(archivo_);
  for (const char* visor : {"xchm", "kchmviewer"}) {
    const QString programa = QStandardPaths::findExecutable(QLatin1String(visor));
    if (!programa.isEmpty() && QProcess::startDetached(programa, QStringList{ruta})) return;
  }
  std::error_code error;
  const std::filesystem::path pagina = archivo_.parent_path() / "ayuda" / "index.htm";
  if (std::filesystem::is_regular_file(pagina, error) && QDesktopServices::openUrl(QUrl::fromLocalFile(TextoDe(pagina))))
    return;
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(ruta))) {
    throw pontexa::Error("No hay ningún programa para mostrar el archivo de ayuda " + platform::Quoted(archivo_));
  }
}

}  // namespace pontexa::app
