// Pontexa.exe: the dialog that moves data between SAGA and Mirvane (Win32 view).
//
//   Pontexa.exe                        interactive
//   Pontexa.exe exportar|importar HWND automated, docked into Mirvane's window
//                                      HWND (hexadecimal, no prefix)

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "app/aplicacion.h"
#include "app/arranque.h"
#include "app/help.h"
#include "app/transferencias_nucleo.h"
#include "app/win32/ventana_principal.h"
#include "platform/files.h"
#include "platform/wide_text.h"
#ifdef PONTEXA_SEAMS_DE_PRUEBA
#include "app/seams_de_prueba.h"
#endif

namespace fs = std::filesystem;
using namespace pontexa;

namespace {

// The parameters as UTF-16 from the system, as UTF-8 for the program.
std::vector<std::string> Parametros() {
  int cuantos = 0;
  LPWSTR* lista = CommandLineToArgvW(GetCommandLineW(), &cuantos);
  std::vector<std::string> parametros;
  for (int i = 1; lista != nullptr && i < cuantos; ++i) parametros.push_back(platform::Utf8FromWide(lista[i]));
  LocalFree(lista);
  return parametros;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instancia, HINSTANCE, PWSTR, int) {
  // The XML document's component runtime wants a single-threaded apartment;
  // the file dialog does too.
  OleInitialize(nullptr);
  const fs::path carpetaPrograma = platform::ExecutablePath().parent_path();
  app::AyudaHtml ayuda(carpetaPrograma / app::kArchivoAyuda);
  app::TransferenciasDelNucleo transferencias;
  fs::path archivoEstado = app::ArchivoDeEstadoEn(carpetaPrograma);
  app::VentanaPrincipal::VistaDeLaLogica vista;
#ifdef PONTEXA_SEAMS_DE_PRUEBA
  archivoEstado = app::VistaConSeams::ArchivoDeEstado(archivoEstado);
  std::optional<app::VistaConSeams> seams;
  vista = [&seams](app::Vista& real) -> app::Vista& { return seams.emplace(app::VistaConSeams::DesdeElEntorno(real)); };
#endif
  int resultado = 0;
  {
    app::VentanaPrincipal MForm(
        instancia,
        app::EntornoWin32{Parametros(), transferencias, ayuda, archivoEstado, app::CarpetaInicialDelDialogo()}, vista);
    resultado = MForm.Ejecutar();
  }
  OleUninitialize();
  return resultado;
}
