#pragma once

// Docking into a foreign window given by its native handle (an X window id
// on X11; on Windows the Win32 view docks by itself).

#include <cstdint>
#include <memory>

class QWidget;
class QWindow;

namespace pontexa::app {

class VentanasNativas {
 public:
  virtual ~VentanasNativas() = default;
  // Whether the handle names a window that exists now.
  virtual bool Existe(std::uint32_t handle) = 0;
  // Makes `ventana` a child of that window.
  virtual void Acoplar(QWidget& ventana, std::uint32_t handle) = 0;
};

class VentanasDelSistema : public VentanasNativas {
 public:
  VentanasDelSistema();
  ~VentanasDelSistema() override;
  bool Existe(std::uint32_t handle) override;
  void Acoplar(QWidget& ventana, std::uint32_t handle) override;

 private:
  // The foreign parent must outlive the docked window: whoever owns this
  // object keeps it beyond the form.
  std::unique_ptr<QWindow> anfitriona_;
};

}  // namespace pontexa::app
