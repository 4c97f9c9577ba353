#pragma once

// The program's one dialog: the two transfer buttons, help and close, and the
// automated mode in which Mirvane starts the program inside one of its windows.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>
#include <QObject>
#include <QString>

#include "app/dialogos.h"

class QCloseEvent;
class QKeyEvent;
class QLabel;
class QPushButton;

namespace pontexa::app {

class Ayuda;
class GradientPanel;
class Transferencias;
class VentanasNativas;

// Everything the form takes from outside.
struct Entorno {
  std::vector<std::string> parametros;  // the command line, without the program
  Dialogos& dialogos;
  Transferencias& transferencias;
  Ayuda& ayuda;
  VentanasNativas& ventanas;
  std::filesystem::path archivoEstado;   // Mirvane.ini
  std::filesystem::path carpetaInicial;  // where the file dialog opens
};

// The file-open dialog component: its settings and the last chosen name.
class TOpenDialog : public QObject {
  Q_OBJECT

 public:
  TOpenDialog(QObject* parent, Dialogos& dialogos);
  // Asks for a file; true and FileName() set when one was chosen.
  bool Execute(QWidget* padre);
  const std::filesystem::path& FileName() const { return fileName_; }

  OpcionesArchivo opciones;

 private:
  Dialogos& dialogos_;
  std::filesystem::path fileName_;
};

class TMForm : public QDialog {
  Q_OBJECT

 public:
  // Builds the dialog; FormCreate runs at the end.
  explicit TMForm(Entorno entorno);
  ~TMForm() override;

  // Shows the dialog as the program's start does: FormShow first (which runs
  // the direction of the automated mode), then, unless that closed the dialog,
  // the centring and the dialog itself.
  void Mostrar();
  // True once the dialog has been closed.
  bool Cerrado() const { return cerrado_; }

  // The components, in their declaration order.
  GradientPanel* Draw3D1 = nullptr;
  GradientPanel* Draw3D2 = nullptr;
  QPushButton* BExportar = nullptr;
  QPushButton* BClose = nullptr;
  QLabel* Label3 = nullptr;
  GradientPanel* Draw3D3 = nullptr;
  QLabel* Label4 = nullptr;
  QPushButton* BImportar = nullptr;
  TOpenDialog* OpenDialogXML = nullptr;
  QLabel* Label1 = nullptr;
  QPushButton* Button1 = nullptr;

  // The event handlers.
  void BExportarClick();
  void BImportarClick();
  void Button1Click();

 signals:
  void Cerrada();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CrearComponentes();
  void FormCreate();
  void FormShow();
  void FormClose();
  void Centrar();
  // Runs a handler as the platform runs an event: an error it raises is shown
  // in an error box and ends the handler there.
  template <typename Manejador>
  void Ejecutar(Manejador&& manejador);
  void MostrarError(const std::string& texto);
  QWidget* PadreDeDialogos();
  void TerminarTransferencia();

  Entorno entorno_;
  bool cerrado_ = false;
};

}  // namespace pontexa::app
