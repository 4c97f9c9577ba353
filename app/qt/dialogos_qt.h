#pragma once

// The dialogs a person answers: Qt's file dialog and message boxes.

#include <memory>

#include <QFileDialog>

#include "app/qt/dialogos.h"

namespace pontexa::app {

// A file dialog set up from the options: open mode, any file name accepted.
std::unique_ptr<QFileDialog> CrearDialogoArchivo(QWidget* padre, const OpcionesArchivo& opciones);

class DialogosQt : public Dialogos {
 public:
  std::optional<std::filesystem::path> PedirArchivo(QWidget* padre, const OpcionesArchivo& opciones) override;
  void Mensaje(QWidget* padre, const QString& texto) override;
  void Error(QWidget* padre, const QString& texto) override;
};

}  // namespace pontexa::app
