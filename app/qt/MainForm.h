#pragma once

// The main form drawn with Qt (the Linux view): the components, their
// layout and look, and the events they report to the form's logic
// (app/formulario.h), whose requests this view answers.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>
#include <QObject>

#include "app/formulario.h"
#include "app/qt/dialogos.h"
#include "app/vista.h"

class QCloseEvent;
class QKeyEvent;
class QLabel;
class QPushButton;

namespace pontexa::app {

class Ayuda;
class GradientPanel;
class Transferencias;
class VentanasNativas;

// Everything the Qt form takes from outside.
struct EntornoQt {
  std::vector<std::string> parametros;  // the command line, without the program
  Dialogos& dialogos;
  Transferencias& transferencias;
  Ayuda& ayuda;
  VentanasNativas& ventanas;
  std::filesystem::path archivoEstado;   // Mirvane.ini
  std::filesystem::path carpetaInicial;  // where the file dialog opens
};

// The file-open dialog component, a name in the component tree.
class TOpenDialog : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;
};

class TMForm : public QDialog, public Vista {
  Q_OBJECT

 public:
  // The view the logic talks to, given this form: the form itself, or a test
  // seam around it.
  using VistaDeLaLogica = std::function<Vista&(Vista&)>;

  // Builds the dialog; FormCreate runs at the end.
  explicit TMForm(EntornoQt entorno, VistaDeLaLogica vista = {});
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

  // Vista.
  std::optional<std::filesystem::path> ElegirArchivo(const OpcionesArchivo& opciones) override;
  void MostrarMensaje(const std::string& texto) override;
  void MostrarError(const std::string& texto) override;
  void CursorDeEspera(bool activo) override;
  void ActivarTransferencias(bool activas) override;
  void Cerrar() override;
  bool ExisteVentana(std::uint32_t handle) override;
  void Acoplar(std::uint32_t handle) override;
  void AyudaContenido() override;
  void AyudaTema(int contexto) override;
  bool Visible() const override;

 signals:
  void Cerrada();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CrearComponentes();
  void Centrar();
  // While the dialog is hidden (the automated run before it shows) the
  // dialogs stand on their own rather than over an invisible window.
  QWidget* PadreDeDialogos();

  EntornoQt entorno_;
  std::optional<Formulario> logica_;
  bool cerrado_ = false;
};

}  // namespace pontexa::app
