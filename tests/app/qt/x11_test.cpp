// The real program on a real X server: docked into a foreign window by its id,
// run from the command line as Mirvane runs it, leaving its status behind.
// Starts its own Xvfb; skipped where there is none.

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_folder.h"

namespace fs = std::filesystem;
using pontexa::testing::ReadBytes;
using pontexa::testing::SourceDir;
using pontexa::testing::TempFolder;
using namespace std::chrono_literals;

namespace {

std::string Hex(std::uint32_t valor) {
  std::ostringstream texto;
  texto << std::hex << std::uppercase << valor;
  return texto.str();
}

// The file's bytes, or nothing yet while another process is still making it.
std::string Leer(const fs::path& archivo) {
  std::ifstream entrada(archivo, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(entrada), std::istreambuf_iterator<char>());
}

bool Esperar(const std::function<bool()>& condicion, std::chrono::seconds plazo) {
  const auto fin = std::chrono::steady_clock::now() + plazo;
  while (std::chrono::steady_clock::now() < fin) {
    if (condicion()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return condicion();
}

class ServidorX : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) GTEST_SKIP() << "Xvfb is not installed";
    const fs::path numero = carpeta_ / "display", pid = carpeta_ / "xvfb.pid";
    const std::string orden = "Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>'" + numero.string() +
                              "' 2>/dev/null & echo $! >'" + pid.string() + "'";
    ASSERT_EQ(std::system(orden.c_str()), 0);
    ASSERT_TRUE(Esperar([&] { return Leer(pid).find('\n') != std::string::npos; }, 10s));
    pidXvfb_ = std::stoi(Leer(pid));
    ASSERT_TRUE(Esperar([&] { return Leer(numero).find('\n') != std::string::npos; }, 20s));
    display_ = ":" + Leer(numero).substr(0, Leer(numero).find('\n'));

    conexion_ = xcb_connect(display_.c_str(), nullptr);
    ASSERT_EQ(xcb_connection_has_error(conexion_), 0);
    const xcb_screen_t* pantalla = xcb_setup_roots_iterator(xcb_get_setup(conexion_)).data;
    padre_ = xcb_generate_id(conexion_);
    const std::uint32_t valores[] = {pantalla->white_pixel, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
    xcb_create_window(conexion_, XCB_COPY_FROM_PARENT, padre_, pantalla->root, 0, 0, 1280, 1024, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, pantalla->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                      valores);
    xcb_map_window(conexion_, padre_);
    xcb_flush(conexion_);

    fs::create_directories(carpeta_ / "c" / "QORDA");
    saga_ = carpeta_ / "centro.xml";
    fs::copy_file(SourceDir() / "ejemplos" / "saga" / "instituto.xml", saga_);
  }

  void TearDown() override {
    if (conexion_ != nullptr) xcb_disconnect(conexion_);
    if (pidXvfb_ > 0) std::system(("kill " + std::to_string(pidXvfb_) + " 2>/dev/null").c_str());
  }

  // Starts the program in the background; Terminado() tells when it ended.
  void Lanzar(const std::string& parametros, const std::optional<std::string>& archivo) {
    const fs::path rc = carpeta_ / "rc";
    fs::remove(rc);
    std::string orden = "(env DISPLAY=" + display_ + " QT_QPA_PLATFORM=xcb PONTEXA_UNIDAD_C='" +
                        (carpeta_ / "c").string() + "' PONTEXA_MIRVANE_INI='" + estado_.string() +
                        "' PONTEXA_PRUEBA_SIN_MENSAJES=1";
    if (archivo) orden += " PONTEXA_PRUEBA_ARCHIVO='" + *archivo + "'";
    orden += " timeout 60 '" PONTEXA_PROGRAMA "' " + parametros + " 2>'" + (carpeta_ / "stderr").string() +
             "'; echo $? >'" + rc.string() + ".tmp'; mv '" + rc.string() + ".tmp' '" + rc.string() + "') &";
    ASSERT_EQ(std::system(orden.c_str()), 0);
  }
  bool Terminado() const { return fs::exists(carpeta_ / "rc"); }
  void EsperarFin() {
    ASSERT_TRUE(Esperar([&] { return Terminado(); }, 70s));
    EXPECT_EQ(ReadBytes(carpeta_ / "rc"), "0\n") << Salida();
  }
  std::string Salida() const { return Leer(carpeta_ / "stderr"); }
  // What the message and error boxes said, without Qt's own warnings.
  std::string Mensajes() const {
    std::istringstream lineas(Salida());
    std::string linea, mensajes;
    while (std::getline(lineas, linea)) {
      if (linea.rfind("Mensaje: ", 0) == 0 || linea.rfind("Error: ", 0) == 0) mensajes += linea + "\n";
    }
    return mensajes;
  }
  std::string Estado() const { return fs::exists(estado_) ? ReadBytes(estado_) : "(sin archivo)"; }

  // Windows that were created in or reparented into the parent window.
  std::vector<xcb_window_t> HijosQueLlegaron() {
    std::vector<xcb_window_t> hijos;
    while (xcb_generic_event_t* evento = xcb_poll_for_event(conexion_)) {
      const auto tipo = evento->response_type & ~0x80;
      if (tipo == XCB_REPARENT_NOTIFY) {
        const auto* r = reinterpret_cast<xcb_reparent_notify_event_t*>(evento);
        if (r->parent == padre_) hijos.push_back(r->window);
      } else if (tipo == XCB_CREATE_NOTIFY) {
        const auto* c = reinterpret_cast<xcb_create_notify_event_t*>(evento);
        if (c->parent == padre_) hijos.push_back(c->window);
      }
      std::free(evento);
    }
    return hijos;
  }

  struct Hijo {
    xcb_window_t id;
    int x, y, ancho, alto;
    bool visible;
  };
  std::vector<Hijo> HijosActuales() {
    std::vector<Hijo> hijos;
    xcb_query_tree_reply_t* arbol = xcb_query_tree_reply(conexion_, xcb_query_tree(conexion_, padre_), nullptr);
    if (arbol == nullptr) return hijos;
    const xcb_window_t* ids = xcb_query_tree_children(arbol);
    for (int i = 0; i < xcb_query_tree_children_length(arbol); ++i) {
      auto* g = xcb_get_geometry_reply(conexion_, xcb_get_geometry(conexion_, ids[i]), nullptr);
      auto* a = xcb_get_window_attributes_reply(conexion_, xcb_get_window_attributes(conexion_, ids[i]), nullptr);
      if (g != nullptr && a != nullptr) {
        hijos.push_back({ids[i], g->x, g->y, g->width, g->height, a->map_state == XCB_MAP_STATE_VIEWABLE});
      }
      std::free(g);
      std::free(a);
    }
    std::free(arbol);
    return hijos;
  }

  TempFolder carpeta_;
  fs::path estado_ = carpeta_ / "Mirvane.ini";
  fs::path saga_;
  int pidXvfb_ = 0;
  std::string display_;
  xcb_connection_t* conexion_ = nullptr;
  xcb_window_t padre_ = 0;
};

TEST_F(ServidorX, ExportDocksIntoTheGivenWindowFinishesClosesAndLeavesOne) {
  Lanzar("EXPORTAR " + Hex(padre_), saga_.string());
  EsperarFin();
  EXPECT_EQ(Mensajes(), "Mensaje: Proceso finalizado\n") << Salida();
  EXPECT_EQ(Estado(), "[Transformadores]\r\nTransformado=1\r\n");
  for (const char* tabla : {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"}) {
    EXPECT_TRUE(fs::exists(carpeta_ / "c" / "QORDA" / (std::string(tabla) + ".DBF"))) << tabla;
  }
  EXPECT_FALSE(HijosQueLlegaron().empty()) << "the dialog never became a child of the parent window";
}

TEST_F(ServidorX, UnknownWordShowsTheDialogInsideTheWindowUntilSalirWritesZero) {
  Lanzar("ver " + Hex(padre_), std::nullopt);
  std::optional<Hijo> dialogo;
  ASSERT_TRUE(Esperar(
      [&] {
        for (const Hijo& h : HijosActuales()) {
          if (h.visible && h.ancho == 632 && h.alto == 266) dialogo = h;
        }
        return dialogo.has_value();
      },
      30s))
      << Salida();
  // Centred by the screen's size, counted within the parent window.
  EXPECT_EQ(dialogo->x, (1280 - 632) / 2);
  EXPECT_EQ(dialogo->y, (1024 - 266) / 2);
  EXPECT_FALSE(Terminado());

  // "&Salir": the lower panel starts at y 168, the button at (256, 32) in it.
  const std::string clic = "DISPLAY=" + display_ + " xdotool mousemove --window " + std::to_string(dialogo->id) +
                           " 300 212 click 1";
  ASSERT_EQ(std::system(clic.c_str()), 0);
  EsperarFin();
  EXPECT_EQ(Estado(), "[Transformadores]\r\nTransformado=0\r\n");
}

TEST_F(ServidorX, IdNamingNoWindowRunsUndockedAndStillWritesTheStatus) {
  // Xvfb hands out ids from its clients' ranges; this one belongs to none.
  Lanzar("exportar 7FFFFFF0", std::string());
  EsperarFin();
  EXPECT_EQ(Mensajes(), "Mensaje: No existe archivo\n") << Salida();
  EXPECT_EQ(Estado(), "[Transformadores]\r\nTransformado=-1\r\n");
  EXPECT_TRUE(HijosQueLlegaron().empty());
}

}  // namespace
