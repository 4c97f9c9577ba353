#pragma once

// Scripted stand-ins for what the form's logic takes from outside: its view
// and the two directions. No toolkit, so the logic's tests run on every
// platform.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/transferencias.h"
#include "app/vista.h"
#include "platform/utf8_path.h"

namespace pontexa::app::prueba {

class TransferenciasGuionadas : public Transferencias {
 public:
  std::vector<std::string> llamadas;  // "Cargar <path>", "Exportar", "Importar"
  std::string fallaEn;                // the call that raises, if any
  std::string textoDelFallo = "No se puede crear la tabla 'ASIGNOMT'";
  std::function<void()> durante;      // runs inside Exportar and Importar

  void Cargar(const std::filesystem::path& archivo, Uso) override {
    Registrar("Cargar " + platform::Utf8(archivo), "Cargar");
  }
  void Exportar() override { Registrar("Exportar", "Exportar"); }
  void Importar() override { Registrar("Importar", "Importar"); }

 private:
  void Registrar(const std::string& llamada, const std::string& nombre) {
    llamadas.push_back(llamada);
    if (nombre != "Cargar" && durante) durante();
    if (fallaEn == nombre) throw std::runtime_error(textoDelFallo);
  }
};

// A view that records what the logic asked of it, in one list of events, and
// answers the file dialog from a script.
class VistaGuionada : public Vista {
 public:
  // Answers of the file dialog, in order; nothing left means "cancelled".
  std::deque<std::optional<std::filesystem::path>> respuestas;
  std::vector<OpcionesArchivo> pedidos;
  std::vector<std::string> mensajes;
  std::vector<std::string> errores;
  std::vector<std::string> ayuda;  // "Contenido", "Tema <n>"
  bool existe = true;
  std::vector<std::uint32_t> consultadas;
  std::vector<std::uint32_t> acopladas;
  bool espera = false;      // the hourglass is showing
  bool activas = true;      // the transfer buttons are enabled
  bool visible = false;
  int cierres = 0;
  bool fallaLaAyuda = false;
  // Called while a message box would be open, before it is confirmed.
  std::function<void(const std::string&)> alMostrarMensaje;
  // Called when the logic closes the dialog; the view would call FormClose.
  std::function<void()> alCerrar;

  std::optional<std::filesystem::path> ElegirArchivo(const OpcionesArchivo& opciones) override {
    pedidos.push_back(opciones);
    if (respuestas.empty()) return std::nullopt;
    auto respuesta = respuestas.front();
    respuestas.pop_front();
    return respuesta;
  }
  void MostrarMensaje(const std::string& texto) override {
    if (alMostrarMensaje) alMostrarMensaje(texto);
    mensajes.push_back(texto);
  }
  void MostrarError(const std::string& texto) override { errores.push_back(texto); }
  void CursorDeEspera(bool activo) override { espera = activo; }
  void ActivarTransferencias(bool a) override { activas = a; }
  void Cerrar() override {
    ++cierres;
    visible = false;
    if (alCerrar) alCerrar();
  }
  bool ExisteVentana(std::uint32_t handle) override {
    consultadas.push_back(handle);
    return existe;
  }
  void Acoplar(std::uint32_t handle) override { acopladas.push_back(handle); }
  void AyudaContenido() override { Ayuda("Contenido"); }
  void AyudaTema(int contexto) override { Ayuda("Tema " + std::to_string(contexto)); }
  bool Visible() const override { return visible; }

 private:
  void Ayuda(const std::string& llamada) {
    ayuda.push_back(llamada);
    if (fallaLaAyuda) throw std::runtime_error("No se encuentra el archivo de ayuda '/x/SAGA.chm'");
  }
};

}  // namespace pontexa::app::prueba
