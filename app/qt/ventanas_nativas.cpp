#include "app/qt/ventanas_nativas.h"

#include <cstdint>
#include <cstdlib>

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#if defined(PONTEXA_CON_XCB)
#include <xcb/xcb.h>
#endif

namespace pontexa::app {

VentanasDelSistema::VentanasDelSistema() = default;
VentanasDelSistema::~VentanasDelSistema() = default;

bool VentanasDelSistema::Existe(std::uint32_t handle) {
  if (handle == 0) return false;
#ifdef PONTEXA_CON_XCB
  if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
    xcb_connection_t* conexion = x11->connection();
    xcb_generic_error_t* error = nullptr;
    xcb_get_window_attributes_reply_t* respuesta =
        xcb_get_window_attributes_reply(conexion, xcb_get_window_attributes(conexion, handle), &error);
    const bool existe = respuesta != nullptr;
    std::free(respuesta);
    std::free(error);
    return existe;
  }
#endif
  // A platform that cannot tell: take the handle at its word.
  return true;
}

void VentanasDelSistema::Acoplar(QWidget& ventana, std::uint32_t handle) {
  anfitriona_.reset(QWindow::fromWinId(static_cast<WId>(handle)));
  if (!anfitriona_) return;
  ventana.winId();  // the widget's own native window, to put inside the foreign one
  if (QWindow* propia = ventana.windowHandle()) propia->setParent(anfitriona_.get());
}

}  // namespace pontexa::app
