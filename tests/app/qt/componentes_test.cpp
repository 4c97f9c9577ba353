// The dialog's layout: every component's name, kind, parent, geometry and
// caption, and the settings a look at the screen would catch.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <algorithm>

#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>

#include "app/qt/GradientPanel.h"
#include "app/qt/MainForm.h"
#include "guion.h"

using namespace pontexa::app;
using namespace pontexa::app::prueba;

namespace {

class Componentes : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TMForm>(EntornoQt{{}, dialogos_, transferencias_, ayuda_, ventanas_, "Mirvane.ini", "."});
  }
  DialogosGuionados dialogos_;
  TransferenciasGuionadas transferencias_;
  AyudaGuionada ayuda_;
  VentanasGuionadas ventanas_;
  std::unique_ptr<TMForm> form_;
};

struct Esperado {
  const char* nombre;
  const char* clase;
  const char* padre;
  QRect geometria;
  const char* texto;  // caption, or nullptr for none
};

const std::vector<Esperado> kComponentes = {
    {"Draw3D1", "pontexa::app::GradientPanel", "MForm", {0, 168, 633, 97}, nullptr},
    {"Label1", "QLabel", "Draw3D1", {8, 72, 213, 13}, "Pontexa para RX40 V-1.0"},
    {"BClose", "QPushButton", "Draw3D1", {256, 32, 89, 25}, "&Salir"},
    {"Button1", "QPushButton", "Draw3D1", {265, 67, 75, 18}, "F1 AYUDA"},
    {"Draw3D2", "pontexa::app::GradientPanel", "MForm", {0, -1, 315, 169}, nullptr},
    {"Label3", "QLabel", "Draw3D2", {24, 24, 265, 57}, "Transformar datos desde SAGA hacia Mirvane "},
    {"BExportar", "QPushButton", "Draw3D2", {96, 120, 89, 25}, "Aceptar"},
    {"Draw3D3", "pontexa::app::GradientPanel", "MForm", {316, 0, 317, 169}, nullptr},
    {"Label4", "QLabel", "Draw3D3", {8, 24, 305, 57}, "Transformar datos desde Mirvane hacia SAGA"},
    {"BImportar", "QPushButton", "Draw3D3", {96, 120, 89, 25}, "Aceptar"},
};

TEST_F(Componentes, EachHasItsNameKindParentGeometryAndCaption) {
  for (const Esperado& e : kComponentes) {
    SCOPED_TRACE(e.nombre);
    auto* w = form_->findChild<QWidget*>(QLatin1String(e.nombre));
    ASSERT_NE(w, nullptr);
    EXPECT_STREQ(w->metaObject()->className(), e.clase);
    ASSERT_NE(w->parentWidget(), nullptr);
    EXPECT_EQ(w->parentWidget()->objectName().toStdString(), e.padre);
    EXPECT_EQ(w->geometry(), e.geometria);
    if (auto* etiqueta = qobject_cast<QLabel*>(w)) {
      EXPECT_EQ(etiqueta->text().toStdString(), e.texto);
    }
    if (auto* boton = qobject_cast<QPushButton*>(w)) {
      EXPECT_EQ(boton->text().toStdString(), e.texto);
    }
  }
  // The members name the same widgets.
  EXPECT_EQ(form_->BExportar, form_->findChild<QPushButton*>("BExportar"));
  EXPECT_EQ(form_->Draw3D2, form_->findChild<GradientPanel*>("Draw3D2"));
  EXPECT_EQ(form_->OpenDialogXML, form_->findChild<TOpenDialog*>("OpenDialogXML"));
}

TEST_F(Componentes, DialogHasItsCaptionClientSizeAndFixedFrame) {
  EXPECT_EQ(form_->objectName(), "MForm");
  EXPECT_EQ(form_->windowTitle(), "Exportar e importar datos entre Mirvane y SAGA");
  EXPECT_EQ(form_->size(), QSize(632, 266));
  EXPECT_EQ(form_->minimumSize(), form_->maximumSize());
  const Qt::WindowFlags banderas = form_->windowFlags();
  EXPECT_TRUE(banderas.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(banderas.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(banderas.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(form_->font().family(), "MS Sans Serif");
  EXPECT_EQ(form_->font().pixelSize(), 11);
}

TEST_F(Componentes, PanelsCarryTheirGradientAndFillColours) {
  struct Colores {
    GradientPanel* panel;
    QColor inicio, medio, fin, relleno;
  };
  const QColor naranja(249, 211, 125), crema(255, 238, 221), lima(0, 255, 0);
  for (const Colores& c : std::vector<Colores>{
           {form_->Draw3D1, {194, 205, 254}, {207, 242, 254}, {204, 216, 230}, {204, 216, 230}},
           {form_->Draw3D2, naranja, Qt::white, crema, lima},
           {form_->Draw3D3, naranja, Qt::white, crema, lima}}) {
    SCOPED_TRACE(c.panel->objectName().toStdString());
    EXPECT_EQ(c.panel->Inicio(), c.inicio);
    EXPECT_EQ(c.panel->Medio(), c.medio);
    EXPECT_EQ(c.panel->Fin(), c.fin);
    EXPECT_EQ(c.panel->ColorRelleno(), c.relleno);
  }
  // Painted top to bottom: start colour at the top, end colour at the bottom.
  const QImage imagen = form_->Draw3D2->grab().toImage();
  const QColor arriba(imagen.pixel(2, 0)), abajo(imagen.pixel(2, imagen.height() - 1));
  EXPECT_LE(std::abs(arriba.green() - 211) + std::abs(arriba.blue() - 125), 4);
  EXPECT_LE(std::abs(abajo.green() - 238) + std::abs(abajo.blue() - 221), 4);
}

TEST_F(Componentes, LabelsAndButtonsCarryTheirFontsColoursAndGlyphs) {
  for (QLabel* titulo : {form_->Label3, form_->Label4}) {
    EXPECT_EQ(titulo->font().family(), "Arial");
    EXPECT_EQ(titulo->font().pixelSize(), 16);
    EXPECT_TRUE(titulo->font().bold());
    EXPECT_TRUE(titulo->wordWrap());
    EXPECT_FALSE(titulo->autoFillBackground());
  }
  EXPECT_TRUE(form_->Label1->font().bold());
  EXPECT_EQ(form_->Label1->font().pixelSize(), 11);
  EXPECT_EQ(form_->Label1->palette().color(QPalette::WindowText), QColor(Qt::red));
  EXPECT_FALSE(form_->Label1->autoFillBackground());

  EXPECT_FALSE(form_->BExportar->icon().isNull());
  EXPECT_FALSE(form_->BImportar->icon().isNull());
  EXPECT_FALSE(form_->BClose->icon().isNull());
  EXPECT_TRUE(form_->Button1->icon().isNull());
  EXPECT_TRUE(form_->BExportar->isDefault());
}

TEST_F(Componentes, OkButtonsShowAGreenCheckMarkAndNoRimOfThePanelColour) {
  const QColor lima(0, 255, 0);
  for (QPushButton* boton : {form_->BExportar, form_->BImportar, form_->BClose, form_->Button1}) {
    SCOPED_TRACE(boton->objectName().toStdString());
    for (QPalette::ColorRole papel : {QPalette::Window, QPalette::Button, QPalette::Base}) {
      EXPECT_NE(boton->palette().color(papel), lima) << papel;
    }
  }
  // The glyph is drawn by the form: mostly green strokes, not the style's arrow.
  const QImage glifo = form_->BExportar->icon().pixmap(16, 16).toImage();
  int verdes = 0, otros = 0;
  for (int y = 0; y < glifo.height(); ++y) {
    for (int x = 0; x < glifo.width(); ++x) {
      const QColor c = glifo.pixelColor(x, y);
      if (c.alpha() < 128) continue;
      (c.green() > 2 * std::max(c.red(), c.blue()) ? verdes : otros)++;
    }
  }
  EXPECT_GT(verdes, 15);
  EXPECT_EQ(otros, 0);
  // And a painted button shows no lime pixel anywhere.
  form_->show();
  const QImage boton = form_->BExportar->grab().toImage();
  for (int y = 0; y < boton.height(); ++y) {
    for (int x = 0; x < boton.width(); ++x) ASSERT_NE(boton.pixelColor(x, y), lima) << x << "," << y;
  }
}

TEST_F(Componentes, MissingFontsGetMetricCompatibleStandIns) {
  if (QFontInfo(QFont("Liberation Sans")).family() != "Liberation Sans") {
    GTEST_SKIP() << "fonts-liberation is not installed";
  }
  EXPECT_EQ(QFontInfo(form_->Label3->font()).family(), QFontInfo(QFont("Arial")).family());
  const QString arial = QFontInfo(form_->Label3->font()).family();
  EXPECT_TRUE(arial == "Arial" || arial == "Liberation Sans") << arial.toStdString();
  const QString sans = QFontInfo(form_->font()).family();
  EXPECT_TRUE(sans == "MS Sans Serif" || sans == "Microsoft Sans Serif" || sans == "Liberation Sans")
      << sans.toStdString();
}

TEST_F(Componentes, TabOrderRunsLowerPanelThenLeftThenRight) {
  std::vector<std::string> orden;
  QWidget* w = form_->BClose;
  for (int i = 0; i < 4; ++i) {
    orden.push_back(w->objectName().toStdString());
    do {
      w = w->nextInFocusChain();
    } while (w->focusPolicy() == Qt::NoFocus);
  }
  EXPECT_EQ(orden, (std::vector<std::string>{"BClose", "Button1", "BExportar", "BImportar"}));
  EXPECT_EQ(w, form_->BClose);
}

}  // namespace
