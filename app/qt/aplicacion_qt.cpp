#include "app/qt/aplicacion_qt.h"

#include <QCoreApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QString>
#include <QStringList>
#include <QTranslator>

#include "app/aplicacion.h"

namespace pontexa::app {

void PrepararAplicacion() {
  // The name, not the display name: Qt would append a display name to every
  // window caption, and the dialog's caption must stay as it is.
  QCoreApplication::setApplicationName(QString::fromUtf8(kTituloAplicacion));

  // The form speaks Spanish whatever the desktop's language, so Qt's own
  // dialogs do too ("Aceptar", "Cancelar", "Buscar en"...). Without the
  // translations installed they stay in English, which is no failure.
  auto* traductor = new QTranslator(QCoreApplication::instance());
  if (traductor->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(traductor);
  } else {
    delete traductor;
  }

  // Liberation Sans has Arial's metrics, so the titles wrap as designed.
  // MS Sans Serif has no metric-compatible free font; its successor
  // Microsoft Sans Serif comes first, then Liberation Sans, whose widths at
  // 11 pixels are closest among what the system has.
  QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans")});
  QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                             {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans")});
}

}  // namespace pontexa::app
