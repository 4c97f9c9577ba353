#pragma once

// The modal dialogs the form shows: the file choice and the message boxes.
// Behind an interface so that tests (and the test seams of the program) can
// answer them without a person.

#include <filesystem>
#include <optional>

#include <QString>

class QWidget;

namespace pontexa::app {

struct OpcionesArchivo {
  QString titulo;
  QString filtro;      // one pattern, shown as written
  QString extension;   // added to a typed name without one
  std::filesystem::path carpetaInicial;
};

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
