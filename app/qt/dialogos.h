#pragma once

// The modal dialogs the Qt view shows: the file choice and the message
// boxes. Behind an interface so that tests can answer them without a person.

#include <filesystem>
#include <optional>

#include <QString>

#include "app/vista.h"

class QWidget;

namespace pontexa::app {

class Dialogos {
 public:
  virtual ~Dialogos() = default;
  // The chosen path (it need not exist), or nothing when cancelled.
  virtual std::optional<std::filesystem::path> PedirArchivo(QWidget* padre, const OpcionesArchivo& opciones) = 0;
  // A message with one button; returns once it is confirmed.
  virtual void Mensaje(QWidget* padre, const QString& texto) = 0;
  // An error box with one button.
  virtual void Error(QWidget* padre, const QString& texto) = 0;
};

}  // namespace pontexa::app
