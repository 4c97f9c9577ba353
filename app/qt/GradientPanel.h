#pragma once

// A panel filled with a vertical three-colour gradient: the start colour at
// the top, the middle colour half-way, the end colour at the bottom.

#include <QColor>
#include <QWidget>

namespace pontexa::app {

class GradientPanel : public QWidget {
  Q_OBJECT

 public:
  explicit GradientPanel(QWidget* parent = nullptr);

  void SetGradiente(const QColor& inicio, const QColor& medio, const QColor& fin);
  // The panel's own colour, behind the gradient (and what shows if it is off).
  void SetColorRelleno(const QColor& color);

  QColor Inicio() const { return inicio_; }
  QColor Medio() const { return medio_; }
  QColor Fin() const { return fin_; }
  QColor ColorRelleno() const { return relleno_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor inicio_ = Qt::white, medio_ = Qt::white, fin_ = Qt::white, relleno_ = Qt::white;
};

}  // namespace pontexa::app
