#include "app/qt/MainForm.h"

#include <algorithm>
#include <utility>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include "app/help.h"
#include "app/qt/GradientPanel.h"
#include "app/qt/ventanas_nativas.h"

namespace pontexa::app {

namespace {

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

// The OK kind's glyph: a green check mark. No style offers one (their "OK"
// icon is a return arrow or nothing), so it is drawn here.
QIcon MarcaDeVerificacion() {
  QPixmap mapa(16, 16);
  mapa.fill(Qt::transparent);
  QPainter pintor(&mapa);
  pintor.setRenderHint(QPainter::Antialiasing);
  QPainterPath trazo;
  trazo.moveTo(2.5, 8.5);
  trazo.lineTo(6.5, 12.5);
  trazo.lineTo(13.5, 3.5);
  pintor.setPen(QPen(QColor(0, 128, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  pintor.drawPath(trazo);
  return QIcon(mapa);
}

QPushButton* CrearBoton(QWidget* padre, const char* nombre, const QString& texto, const QIcon& icono,
                        QRect geometria) {
  auto* boton = new QPushButton(texto, padre);
  boton->setObjectName(QLatin1String(nombre));
  if (!icono.isNull()) boton->setIcon(icono);
  boton->setGeometry(geometria);
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
  return panel;
}

}  // namespace

TMForm::TMForm(EntornoQt entorno, VistaDeLaLogica vista) : QDialog(nullptr), entorno_(std::move(entorno)) {
  setObjectName(QStringLiteral("MForm"));
  CrearComponentes();
  Vista& deLaLogica = vista ? vista(*this) : *this;
  logica_.emplace(deLaLogica, Entorno{entorno_.parametros, entorno_.transferencias, entorno_.archivoEstado,
                                      entorno_.carpetaInicial});
  logica_->FormCreate();
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

  Draw3D1 = CrearPanel(this, "Draw3D1", QRect(0, 168, 633, 97), kGradienteInferior, kRellenoInferior);
  Label1 = CrearEtiqueta(Draw3D1, "Label1", QStringLiteral("Pontexa para RX40 V-1.0"), QRect(8, 72, 213, 13));
  Label1->setFont(FuenteDelDialogo(true));
  QPalette rojo = Label1->palette();
  rojo.setColor(QPalette::WindowText, Qt::red);
  Label1->setPalette(rojo);
  BClose = CrearBoton(Draw3D1, "BClose", QStringLiteral("&Salir"),
                      style()->standardIcon(QStyle::SP_DialogCloseButton), QRect(256, 32, 89, 25));
  Button1 = CrearBoton(Draw3D1, "Button1", QStringLiteral("F1 AYUDA"), QIcon(), QRect(265, 67, 75, 18));

  const QIcon marca = MarcaDeVerificacion();
  Draw3D2 = CrearPanel(this, "Draw3D2", QRect(0, -1, 315, 169), kGradienteSuperior, kRellenoSuperior);
  Label3 = CrearEtiqueta(Draw3D2, "Label3", QStringLiteral("Transformar datos desde SAGA hacia Mirvane "),
                         QRect(24, 24, 265, 57));
  BExportar = CrearBoton(Draw3D2, "BExportar", QStringLiteral("Aceptar"), marca, QRect(96, 120, 89, 25));

  Draw3D3 = CrearPanel(this, "Draw3D3", QRect(316, 0, 317, 169), kGradienteSuperior, kRellenoSuperior);
  Label4 = CrearEtiqueta(Draw3D3, "Label4", QStringLiteral("Transformar datos desde Mirvane hacia SAGA"),
                         QRect(8, 24, 305, 57));
  BImportar = CrearBoton(Draw3D3, "BImportar", QStringLiteral("Aceptar"), marca, QRect(96, 120, 89, 25));

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

  OpenDialogXML = new TOpenDialog(this);
  OpenDialogXML->setObjectName(QStringLiteral("OpenDialogXML"));

  connect(BExportar, &QPushButton::clicked, this, [this] { logica_->BExportarClick(); });
  connect(BImportar, &QPushButton::clicked, this, [this] { logica_->BImportarClick(); });
  connect(BClose, &QPushButton::clicked, this, [this] { close(); });
  connect(Button1, &QPushButton::clicked, this, [this] { logica_->Button1Click(); });
}

QWidget* TMForm::PadreDeDialogos() { return isVisible() ? this : nullptr; }

std::optional<std::filesystem::path> TMForm::ElegirArchivo(const OpcionesArchivo& opciones) {
  return entorno_.dialogos.PedirArchivo(PadreDeDialogos(), opciones);
}

void TMForm::MostrarMensaje(const std::string& texto) {
  entorno_.dialogos.Mensaje(PadreDeDialogos(), QString::fromStdString(texto));
}

void TMForm::MostrarError(const std::string& texto) {
  entorno_.dialogos.Error(PadreDeDialogos(), QString::fromStdString(texto));
}

// The screen cursor is one application-wide setting, not a stack.
void TMForm::CursorDeEspera(bool activo) {
  if (!activo) {
    while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
  } else if (QApplication::overrideCursor() == nullptr) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::changeOverrideCursor(Qt::WaitCursor);
  }
}

void TMForm::ActivarTransferencias(bool activas) {
  BExportar->setEnabled(activas);
  BImportar->setEnabled(activas);
}

void TMForm::Cerrar() { close(); }

bool TMForm::ExisteVentana(std::uint32_t handle) { return entorno_.ventanas.Existe(handle); }

void TMForm::Acoplar(std::uint32_t handle) {
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  entorno_.ventanas.Acoplar(*this, handle);
}

void TMForm::AyudaContenido() { entorno_.ayuda.Contenido(); }

void TMForm::AyudaTema(int contexto) { entorno_.ayuda.Tema(contexto); }

bool TMForm::Visible() const { return isVisible(); }

void TMForm::Mostrar() {
  logica_->FormShow();
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

void TMForm::keyPressEvent(QKeyEvent* event) {
  // Every control of the dialog carries the same help context.
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    logica_->TeclaF1();
    return;
  }
  // No cancel button: Escape does not close the dialog.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) return;
  QDialog::keyPressEvent(event);
}

void TMForm::closeEvent(QCloseEvent* event) {
  logica_->FormClose();
  event->accept();
  cerrado_ = true;
  emit Cerrada();
}

}  // namespace pontexa::app
