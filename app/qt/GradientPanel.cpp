#include "app/qt/GradientPanel.h"

#include <QLinearGradient>
#include <QPainter>

namespace pontexa::app {

GradientPanel::GradientPanel(QWidget* parent) : QWidget(parent) {
  // Painted whole every time: nothing of the parent shows through.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void GradientPanel::SetGradiente(const QColor& inicio, const QColor& medio, const QColor& fin) {
  inicio_ = inicio;
  medio_ = medio;
  fin_ = fin;
  update();
}

void GradientPanel::SetColorRelleno(const QColor& color) {
  // Painted only, not put in the palette: children would inherit it, and
  // the buttons would get a rim of the fill colour.
  relleno_ = color;
  update();
}

void GradientPanel::paintEvent(QPaintEvent*) {
  QPainter pintor(this);
  pintor.fillRect(rect(), relleno_);
  QLinearGradient gradiente(0, 0, 0, height());
  gradiente.setColorAt(0.0, inicio_);
  gradiente.setColorAt(0.5, medio_);
  gradiente.setColorAt(1.0, fin_);
  pintor.fillRect(rect(), gradiente);
}

}  // namespace pontexa::app
