#pragma once

// The main form drawn with plain Win32 (the Windows view): every component
// a real child window whose window text is its caption, the layout, fonts,
// colours and glyphs of the form, and the events it reports to the form's
// logic (app/formulario.h), whose requests this view answers.

#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/formulario.h"
#include "app/vista.h"

namespace pontexa::app {

class Ayuda;

// Everything the Win32 form takes from outside.
struct EntornoWin32 {
  std::vector<std::string> parametros;  // the command line, without the program
  Transferencias& transferencias;
  Ayuda& ayuda;
  std::filesystem::path archivoEstado;   // Mirvane.ini
  std::filesystem::path carpetaInicial;  // where the file dialog opens
};

class VentanaPrincipal : public Vista {
 public:
  // The view the logic talks to, given this form: the form itself, or a test
  // seam around it.
  using VistaDeLaLogica = std::function<Vista&(Vista&)>;

  // Builds the dialog, hidden; FormCreate runs at the end.
  VentanaPrincipal(HINSTANCE instancia, EntornoWin32 entorno, VistaDeLaLogica vista = {});
  ~VentanaPrincipal() override;
  VentanaPrincipal(const VentanaPrincipal&) = delete;
  VentanaPrincipal& operator=(const VentanaPrincipal&) = delete;

  // FormShow, then, unless that closed the dialog, the centring, the dialog
  // itself and its message loop until it closes. Returns the exit code.
  int Ejecutar();

  // Vista.
  std::optional<std::filesystem::path> ElegirArchivo(const OpcionesArchivo& opciones) override;
  void MostrarMensaje(const std::string& texto) override;
  void MostrarError(const std::string& texto) override;
  void CursorDeEspera(bool activo) override;
  void ActivarTransferencias(bool activas) override;
  void Cerrar() override;
  bool ExisteVentana(std::uint32_t handle) override;
  void Acoplar(std::uint32_t handle) override;
  void AyudaContenido() override;
  void AyudaTema(int contexto) override;
  bool Visible() const override;

 private:
  static LRESULT CALLBACK ProcedimientoFormulario(HWND ventana, UINT mensaje, WPARAM w, LPARAM l);
  static LRESULT CALLBACK ProcedimientoPanel(HWND ventana, UINT mensaje, WPARAM w, LPARAM l);
  LRESULT ProcesarFormulario(UINT mensaje, WPARAM w, LPARAM l);
  LRESULT ProcesarPanel(HWND panel, UINT mensaje, WPARAM w, LPARAM l);
  void CrearComponentes();
  HWND CrearPanel(int id, int x, int y, int ancho, int alto);
  HWND CrearControl(HWND padre, const wchar_t* clase, const wchar_t* texto, DWORD estilo, int id, int x, int y,
                    int ancho, int alto, HFONT fuente);
  void PintarPanel(HWND panel, HDC dc);
  void DibujarBoton(const DRAWITEMSTRUCT& boton);
  void Pulsado(int id);
  void Centrar();
  // The window the boxes stand over: none while the dialog is hidden.
  HWND Dueno() const;
  // Handles the keys a dialog handles: Tab, Enter, Alt+S, F1.
  bool MensajeDeDialogo(MSG& mensaje);

  HINSTANCE instancia_;
  EntornoWin32 entorno_;
  std::optional<Formulario> logica_;
  HWND formulario_ = nullptr;
  HWND Draw3D1 = nullptr, Draw3D2 = nullptr, Draw3D3 = nullptr;
  HWND BExportar = nullptr, BClose = nullptr, BImportar = nullptr, Button1 = nullptr;
  HWND Label1 = nullptr, Label3 = nullptr, Label4 = nullptr;
  HFONT fuente_ = nullptr, fuenteNegrita_ = nullptr, fuenteTitulo_ = nullptr;
  HBRUSH fondo_ = nullptr;
  bool espera_ = false;
  bool cerrado_ = false;
};

}  // namespace pontexa::app
