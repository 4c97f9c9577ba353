#pragma once

// Scripted stand-ins for what the Qt form takes from outside: its dialogs,
// help and docking (the directions are the logic's, in guion_logica.h).

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <QString>
#include <QWidget>

#include "app/help.h"
#include "app/qt/MainForm.h"
#include "app/qt/dialogos.h"
#include "app/qt/ventanas_nativas.h"
#include "guion_logica.h"

// Readable failures for Qt strings.
inline void PrintTo(const QString& texto, std::ostream* salida) { *salida << '"' << texto.toStdString() << '"'; }

namespace pontexa::app::prueba {

class DialogosGuionados : public Dialogos {
 public:
  // Answers of the file dialog, in order; nothing left means "cancelled".
  std::deque<std::optional<std::filesystem::path>> respuestas;
  std::vector<OpcionesArchivo> pedidos;
  std::vector<QWidget*> padres;
  std::vector<QString> mensajes;
  std::vector<QString> errores;
  // Called while a message box would be open, before it is confirmed.
  std::function<void(const QString&)> alMostrarMensaje;

  std::optional<std::filesystem::path> PedirArchivo(QWidget* padre, const OpcionesArchivo& opciones) override {
    pedidos.push_back(opciones);
    padres.push_back(padre);
    if (respuestas.empty()) return std::nullopt;
    auto respuesta = respuestas.front();
    respuestas.pop_front();
    return respuesta;
  }
  void Mensaje(QWidget*, const QString& texto) override {
    if (alMostrarMensaje) alMostrarMensaje(texto);
    mensajes.push_back(texto);
  }
  void Error(QWidget*, const QString& texto) override { errores.push_back(texto); }
};

class AyudaGuionada : public Ayuda {
 public:
  std::vector<std::string> llamadas;
  bool falla = false;
  void Contenido() override { Registrar("Contenido"); }
  void Tema(int contexto) override { Registrar("Tema " + std::to_string(contexto)); }

 private:
  void Registrar(const std::string& llamada) {
    llamadas.push_back(llamada);
    if (falla) throw std::runtime_error("No se encuentra el archivo de ayuda '/x/SAGA.chm'");
  }
};

class VentanasGuionadas : public VentanasNativas {
 public:
  bool existe = true;
  std::vector<std::uint32_t> consultadas;
  std::vector<std::uint32_t> acopladas;
  Qt::WindowFlags banderasAlAcoplar;

  bool Existe(std::uint32_t handle) override {
    consultadas.push_back(handle);
    return existe;
  }
  void Acoplar(QWidget& ventana, std::uint32_t handle) override {
    acopladas.push_back(handle);
    banderasAlAcoplar = ventana.windowFlags();
  }
};

}  // namespace pontexa::app::prueba
