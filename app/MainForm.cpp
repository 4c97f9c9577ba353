#include "app/MainForm.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <system_error>
#include <utility>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include "app/GradientPanel.h"
#include "app/conversion_entero.h"
#include "app/estado.h"
#include "app/help.h"
#include "app/status_file.h"
#include "app/transferencias.h"
#include "app/ventanas_nativas.h"

namespace pontexa::app {

namespace {

constexpr int kContextoAyuda = 1;
const char* const kPropiedadContexto = "helpContext";

const QColor kGradienteInferior[] = {QColor(194, 205, 254), QColor(207, 242, 254), QColor(204, 216, 230)};
const QColor kRellenoInferior(204, 216, 230);
const QColor kGradienteSuperior[] = {QColor(249, 211, 125), QColor(255, 255, 255), QColor(255, 238, 221)};
const QColor kRellenoSuperior(0, 255, 0);

QFont FuenteDelDialogo(bool negrita = false) {
  QFont fuente(QStringLiteral("MS Sans Serif"));
  fuente.setPixelSize(11);
  fuente.setBold(negrita);
  return fuente;
}

QFont FuenteDeTitulo() {
  QFont fuente(QStringLiteral("Arial"));
  fuente.setPixelSize(16);
  fuente.setBold(true);
  return fuente;
}

// Only A to Z change; every other byte stays, as the runtime's LowerCase does.
std::string MinusculasAZ(std::string texto) {
  for (char& c : texto) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return texto;
}

bool ExisteArchivo(const std::filesystem::path& archivo) {
  std::error_code error;
  return !archivo.empty() && std::filesystem::is_regular_file(archivo, error);
}

// The screen cursor is one application-wide setting, not a stack.
void CursorDeEspera() {
  if (QApplication::overrideCursor() == nullptr) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::changeOverrideCursor(Qt::WaitCursor);
  }
}

void CursorNormal() {
  while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
}

// The error box ends the text with a full stop unless it already ends in
// punctuation at or before "." in character order.
std::string ConPunto(std::string texto) {
  if (!texto.empty() && static_cast<unsigned char>(texto.back()) > '.') texto += '.';
  return texto;
}

QPushButton* CrearBoton(QWidget* padre, const char* nombre, const QString& texto, QStyle::StandardPixmap icono,
                        QRect geometria) {
  auto* boton = new QPushButton(texto, padre);
  boton->setObjectName(QLatin1String(nombre));
  if (icono != QStyle::SP_CustomBase) boton->setIcon(boton->style()->standardIcon(icono, nullptr, boton));
  boton->setGeometry(geometria);
  boton->setProperty(kPropiedadContexto, kContextoAyuda);
  return boton;
}

QLabel* CrearEtiqueta(QWidget* padre, const char* nombre, const QString& texto, QRect geometria) {
  auto* etiqueta = new QLabel(texto, padre);
  etiqueta->setObjectName(QLatin1String(nombre));
  etiqueta->setGeometry(geometria);
  etiqueta->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return etiqueta;
}

GradientPanel* CrearPanel(QWidget* padre, const char* nombre, QRect geometria, const QColor (&gradiente)[3],
                          const QColor& relleno) {
  auto* panel = new GradientPanel(padre);
  panel->setObjectName(QLatin1String(nombre));
  panel->setGeometry(geometria);
  panel->SetGradiente(gradiente[0], gradiente[1], gradiente[2]);
  panel->SetColorRelleno(relleno);
  panel->setProperty(kPropiedadContexto, kContextoAyuda);
  return panel;
}

}  // namespace

TOpenDialog::TOpenDialog(QObject* parent, Dialogos& dialogos) : QObject(parent), dialogos_(dialogos) {}

bool TOpenDialog::Execute(QWidget* padre) {
  std::optional<std::filesystem::path> elegido = dialogos_.PedirArchivo(padre, opciones);
  if (!elegido) return false;
  fileName_ = std::move(*elegido);
  return true;
}

TMForm::TMForm(Entorno entorno) : QDialog(nullptr), entorno_(std::move(entorno)) {
  setObjectName(QStringLiteral("MForm"));
  CrearComponentes();
  FormCreate();
}

TMForm::~TMForm() = default;

void TMForm::CrearComponentes() {
  setWindowTitle(QStringLiteral("Exportar e importar datos entre Mirvane y SAGA"));
  // A fixed dialog frame: a close box, no minimize or maximize box, no resizing.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(632, 266);
  setFont(FuenteDelDialogo());
  QPalette paleta = palette();
  paleta.setColor(QPalette::Window, paleta.color(QPalette::Button));
  setPalette(paleta);
  setAutoFillBackground(true);
  setProperty(kPropiedadContexto, kContextoAyuda);

  Draw3D1 = CrearPanel(this, "Draw3D1", QRect(0, 168, 633, 97), kGradienteInferior, kRellenoInferior);
  Label1 = CrearEtiqueta(Draw3D1, "Label1", QStringLiteral("Pontexa para RX40 V-1.0"), QRect(8, 72, 213, 13));
  Label1->setFont(FuenteDelDialogo(true));
  QPalette rojo = Label1->palette();
  rojo.setColor(QPalette::WindowText, Qt::red);
  Label1->setPalette(rojo);
  BClose = CrearBoton(Draw3D1, "BClose", QStringLiteral("&Salir"), QStyle::SP_DialogCloseButton,
                      QRect(256, 32, 89, 25));
  Button1 = CrearBoton(Draw3D1, "Button1", QStringLiteral("F1 AYUDA"), QStyle::SP_CustomBase, QRect(265, 67, 75, 18));

  Draw3D2 = CrearPanel(this, "Draw3D2", QRect(0, -1, 315, 169), kGradienteSuperior, kRellenoSuperior);
  Label3 = CrearEtiqueta(Draw3D2, "Label3", QStringLiteral("Transformar datos desde SAGA hacia Mirvane "),
                         QRect(24, 24, 265, 57));
  BExportar = CrearBoton(Draw3D2, "BExportar", QStringLiteral("Aceptar"), QStyle::SP_DialogOkButton,
                         QRect(96, 120, 89, 25));

  Draw3D3 = CrearPanel(this, "Draw3D3", QRect(316, 0, 317, 169), kGradienteSuperior, kRellenoSuperior);
  Label4 = CrearEtiqueta(Draw3D3, "Label4", QStringLiteral("Transformar datos desde Mirvane hacia SAGA"),
                         QRect(8, 24, 305, 57));
  BImportar = CrearBoton(Draw3D3, "BImportar", QStringLiteral("Aceptar"), QStyle::SP_DialogOkButton,
                         QRect(96, 120, 89, 25));

  for (QLabel* titulo : {Label3, Label4}) {
    titulo->setFont(FuenteDeTitulo());
    titulo->setWordWrap(true);
  }
  BExportar->setDefault(true);

  // Tab order: the lower panel first, then the two upper ones left to right.
  QWidget::setTabOrder(BClose, Button1);
  QWidget::setTabOrder(Button1, BExportar);
  QWidget::setTabOrder(BExportar, BImportar);
  BClose->setFocus();

  OpenDialogXML = new TOpenDialog(this, entorno_.dialogos);
  OpenDialogXML->setObjectName(QStringLiteral("OpenDialogXML"));
  OpenDialogXML->opciones = {QStringLiteral("Archivo XML"), QStringLiteral("*.xml"), QStringLiteral("xml"),
                             entorno_.carpetaInicial};

  connect(BExportar, &QPushButton::clicked, this, [this] { BExportarClick(); });
  connect(BImportar, &QPushButton::clicked, this, [this] { BImportarClick(); });
  connect(BClose, &QPushButton::clicked, this, [this] { close(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

template <typename Manejador>
void TMForm::Ejecutar(Manejador&& manejador) {
  try {
    manejador();
  } catch (const std::exception& fallo) {
    MostrarError(fallo.what());
  } catch (...) {
    MostrarError("Error desconocido");
  }
}

void TMForm::MostrarError(const std::string& texto) {
  entorno_.dialogos.Error(PadreDeDialogos(), QString::fromStdString(ConPunto(texto)));
}

// While the dialog is hidden (the automated run before it shows) the
// dialogs stand on their own rather than over an invisible window.
QWidget* TMForm::PadreDeDialogos() { return isVisible() ? this : nullptr; }

void TMForm::FormCreate() {
  Transformado = 0;
  if (entorno_.parametros.size() != 2) return;
  Ejecutar([this] {
    // A failed conversion leaves the dialog undocked, framed and interactive.
    const auto handle = static_cast<std::uint32_t>(StrToInt("$" + entorno_.parametros[1]));
    // A number that names no window: the dialog stays undocked and framed, so
    // it can still be seen and closed, but the run stays automated.
    if (entorno_.ventanas.Existe(handle)) {
      setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
      entorno_.ventanas.Acoplar(*this, handle);
    }
    NumParametros = 2;
  });
}

void TMForm::FormShow() {
  // Counts the parameters again: a bad handle still runs the direction.
  if (entorno_.parametros.size() != 2) return;
  if (MinusculasAZ(entorno_.parametros[0]) == "importar") BImportarClick();
  if (MinusculasAZ(entorno_.parametros[0]) == "exportar") BExportarClick();
}

void TMForm::FormClose() {
  if (NumParametros != 2) return;
  // A status that cannot be written is reported once; the dialog closes
  // anyway, so Mirvane is never left with a window that cannot be closed.
  Ejecutar([this] { EscribirEstado(entorno_.archivoEstado, Transformado); });
}

void TMForm::Mostrar() {
  FormShow();
  if (cerrado_) return;
  Centrar();
  show();
}

void TMForm::Centrar() {
  const QScreen* pantalla = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  if (pantalla == nullptr) return;
  const QRect area = pantalla->geometry();
  const int x = std::max(0, (area.width() - width()) / 2);
  const int y = std::max(0, (area.height() - height()) / 2);
  // Docked, the same numbers count within the parent window.
  const bool acoplado = windowHandle() != nullptr && windowHandle()->parent() != nullptr;
  move(acoplado ? QPoint(x, y) : area.topLeft() + QPoint(x, y));
}

void TMForm::BExportarClick() {
  Ejecutar([this] {
    if (OpenDialogXML->Execute(PadreDeDialogos())) ArchivoXML = OpenDialogXML->FileName();
    if (!ExisteArchivo(ArchivoXML)) {
      entorno_.dialogos.Mensaje(PadreDeDialogos(), QStringLiteral("No existe archivo"));
      if (NumParametros == 2) {
        Transformado = -1;
        close();
      }
      return;
    }
    entorno_.transferencias.Cargar(ArchivoXML, Transferencias::Uso::Exportar);
    CursorDeEspera();
    try {
      entorno_.transferencias.Exportar();
    } catch (...) {
      // A failed export must not leave the hourglass behind.
      CursorNormal();
      throw;
    }
    CursorNormal();
    TerminarTransferencia();
  });
}

void TMForm::BImportarClick() {
  Ejecutar([this] {
    if (OpenDialogXML->Execute(PadreDeDialogos())) ArchivoXML = OpenDialogXML->FileName();
    if (!ExisteArchivo(ArchivoXML)) {
      entorno_.dialogos.Mensaje(PadreDeDialogos(), QStringLiteral("No existe archivo"));
      if (NumParametros == 2) {
        Transformado = 0;
        close();
      }
      return;
    }
    entorno_.transferencias.Cargar(ArchivoXML, Transferencias::Uso::Importar);
    entorno_.transferencias.Importar();
    CursorNormal();
    TerminarTransferencia();
  });
}

void TMForm::TerminarTransferencia() {
  Transformado = 1;
  entorno_.dialogos.Mensaje(PadreDeDialogos(), QStringLiteral("Proceso finalizado"));
  // Only once the message is confirmed: one finished transfer per start.
  BExportar->setEnabled(false);
  BImportar->setEnabled(false);
  if (NumParametros == 2) close();
}

void TMForm::Button1Click() {
  Ejecutar([this] { entorno_.ayuda.Contenido(); });
}

void TMForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    int contexto = kContextoAyuda;
    for (QWidget* w = focusWidget(); w != nullptr; w = w->parentWidget()) {
      const QVariant valor = w->property(kPropiedadContexto);
      if (valor.isValid()) {
        contexto = valor.toInt();
        break;
      }
      if (w == this) break;
    }
    Ejecutar([this, contexto] { entorno_.ayuda.Tema(contexto); });
    return;
  }
  // No cancel button: Escape does not close the dialog.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) return;
  QDialog::keyPressEvent(event);
}

void TMForm::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
  cerrado_ = true;
  emit Cerrada();
}

}  // namespace pontexa::app
