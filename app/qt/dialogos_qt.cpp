#include "app/qt/dialogos_qt.h"

#include <QDir>
#include <QMessageBox>
#include <QStringList>

#include "app/aplicacion.h"
#include "app/qt/rutas.h"

namespace pontexa::app {

namespace {

void Caja(QWidget* padre, QMessageBox::Icon icono, const QString& texto) {
  QMessageBox caja(icono, QString::fromUtf8(kTituloAplicacion), texto, QMessageBox::Ok, padre);
  caja.exec();
}

}  // namespace

std::unique_ptr<QFileDialog> CrearDialogoArchivo(QWidget* padre, const OpcionesArchivo& opciones) {
  auto dialogo = std::make_unique<QFileDialog>(padre, QString::fromStdString(opciones.titulo));
  dialogo->setAcceptMode(QFileDialog::AcceptOpen);
  // The chosen file need not exist; the caller checks.
  dialogo->setFileMode(QFileDialog::AnyFile);
  dialogo->setNameFilter(QString::fromStdString(opciones.filtro));
  dialogo->setDefaultSuffix(QString::fromStdString(opciones.extension));
  const QString carpeta = TextoDe(opciones.carpetaInicial);
  if (!carpeta.isEmpty() && QDir(carpeta).exists()) dialogo->setDirectory(carpeta);
  return dialogo;
}

std::optional<std::filesystem::path> DialogosQt::PedirArchivo(QWidget* padre, const OpcionesArchivo& opciones) {
  const std::unique_ptr<QFileDialog> dialogo = CrearDialogoArchivo(padre, opciones);
  if (dialogo->exec() != QDialog::Accepted) return std::nullopt;
  const QStringList elegidos = dialogo->selectedFiles();
  if (elegidos.isEmpty()) return std::nullopt;
  return RutaDe(elegidos.front());
}

void DialogosQt::Mensaje(QWidget* padre, const QString& texto) { Caja(padre, QMessageBox::NoIcon, texto); }

void DialogosQt::Error(QWidget* padre, const QString& texto) { Caja(padre, QMessageBox::Critical, texto); }

}  // namespace pontexa::app
