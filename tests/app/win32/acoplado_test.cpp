// The Win32 dialog as Mirvane starts it: this test is the parent program. It
// makes a top-level window, starts the test build of Pontexa.exe with that
// window's handle in hexadecimal, and looks at the dialog from outside, as
// Mirvane and screen readers see it: window classes, parents, client sizes
// and window texts. Runs under Wine on a real X server (Xvfb).

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/utf8_path.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using pontexa::testing::ReadBytes;

namespace {

// A build path as Windows names it: under Wine the build tree is on drive Z:.
std::wstring RutaWindows(const std::string& ruta) {
  std::wstring ancha = fs::path(pontexa::platform::PathFromUtf8(ruta)).wstring();
  if (!ancha.empty() && ancha[0] == L'/') ancha = L"Z:" + ancha;
  for (wchar_t& c : ancha) {
    if (c == L'/') c = L'\\';
  }
  return ancha;
}

const std::wstring kPrograma = RutaWindows(PONTEXA_PROGRAMA);
const fs::path kEstado = fs::path(kPrograma).parent_path() / L"Mirvane.ini";
const fs::path kQorda = L"C:\\QORDA";
const wchar_t* const kTablas[] = {L"ASIGNOMT.DBF", L"PROFT.DBF", L"AULAT.DBF",
                                  L"GRUPOST.DBF",  L"ASIGT.DBF", L"DIASHORAST.DBF"};

std::wstring Texto(HWND ventana) {
  wchar_t texto[256] = {};
  GetWindowTextW(ventana, texto, 256);
  return texto;
}

std::wstring Clase(HWND ventana) {
  wchar_t clase[64] = {};
  GetClassNameW(ventana, clase, 64);
  return clase;
}

std::vector<HWND> Descendientes(HWND ventana) {
  std::vector<HWND> todas;
  EnumChildWindows(
      ventana,
      [](HWND hija, LPARAM lista) {
        reinterpret_cast<std::vector<HWND>*>(lista)->push_back(hija);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&todas));
  return todas;
}

HWND PorTexto(HWND raiz, const std::wstring& texto) {
  for (HWND w : Descendientes(raiz)) {
    if (Texto(w) == texto) return w;
  }
  return nullptr;
}

// A top-level window of one process with a given class (and title, if given).
HWND VentanaDelProceso(DWORD proceso, const wchar_t* clase, const wchar_t* titulo = nullptr) {
  struct Busqueda {
    DWORD proceso;
    const wchar_t* clase;
    const wchar_t* titulo;
    HWND hallada;
  } busqueda{proceso, clase, titulo, nullptr};
  EnumWindows(
      [](HWND w, LPARAM datos) {
        auto* b = reinterpret_cast<Busqueda*>(datos);
        DWORD duenno = 0;
        GetWindowThreadProcessId(w, &duenno);
        if (duenno == b->proceso && Clase(w) == b->clase && (b->titulo == nullptr || Texto(w) == b->titulo)) {
          b->hallada = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&busqueda));
  return busqueda.hallada;
}

std::string Hexadecimal(HWND ventana) {
  char texto[24];
  std::snprintf(texto, sizeof texto, "%lX",
                static_cast<unsigned long>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(ventana))));
  return texto;
}

class Acoplado : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW clase = {};
    clase.lpfnWndProc = DefWindowProcW;
    clase.hInstance = GetModuleHandleW(nullptr);
    clase.lpszClassName = L"PruebaMirvane";
    RegisterClassW(&clase);
    padre_ = CreateWindowExW(0, L"PruebaMirvane", L"Mirvane (prueba)", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900,
                             600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(padre_, nullptr);
    std::error_code error;
    fs::remove(kEstado, error);
    SetEnvironmentVariableW(L"PONTEXA_MIRVANE_INI", nullptr);
    SetEnvironmentVariableW(L"PONTEXA_PRUEBA_SIN_MENSAJES", nullptr);
    SetEnvironmentVariableW(L"PONTEXA_PRUEBA_ARCHIVO", nullptr);
  }
  void TearDown() override {
    if (proceso_.hProcess != nullptr) {
      if (WaitForSingleObject(proceso_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(proceso_.hProcess, 1);
      CloseHandle(proceso_.hProcess);
      CloseHandle(proceso_.hThread);
    }
    DestroyWindow(padre_);
  }

  void Arrancar(const std::string& palabra, const std::string& handle) {
    std::wstring orden = L"\"" + kPrograma + L"\" " + fs::path(palabra + " " + handle).wstring();
    STARTUPINFOW inicio = {};
    inicio.cb = sizeof inicio;
    ASSERT_TRUE(CreateProcessW(kPrograma.c_str(), orden.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &inicio,
                               &proceso_))
        << GetLastError();
  }

  // Pumps this window's messages (the docked dialog shares its input) until
  // `listo` holds or the program ends; bounded in time.
  bool EsperarA(const std::function<bool()>& listo, int segundos = 60) {
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(segundos);
    while (std::chrono::steady_clock::now() < limite) {
      if (listo()) return true;
      MsgWaitForMultipleObjects(1, &proceso_.hProcess, FALSE, 50, QS_ALLINPUT);
      MSG mensaje;
      while (PeekMessageW(&mensaje, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&mensaje);
        DispatchMessageW(&mensaje);
      }
    }
    return listo();
  }
  bool Terminado() { return WaitForSingleObject(proceso_.hProcess, 0) == WAIT_OBJECT_0; }
  bool EsperarFin() {
    return EsperarA([this] { return Terminado(); });
  }
  HWND FormularioAcoplado() { return FindWindowExW(padre_, nullptr, L"TMForm", nullptr); }
  std::string Estado() { return fs::exists(kEstado) ? ReadBytes(kEstado) : "(sin archivo)"; }

  HWND padre_ = nullptr;
  PROCESS_INFORMATION proceso_ = {};
};

TEST_F(Acoplado, ExportRunsDockedWritesTheSixTablesAndLeavesStatusOne) {
  std::error_code error;
  fs::create_directories(kQorda, error);
  for (const wchar_t* tabla : kTablas) fs::remove(kQorda / tabla, error);
  SetEnvironmentVariableW(L"PONTEXA_PRUEBA_ARCHIVO", RutaWindows(PONTEXA_SOURCE_DIR "/ejemplos/saga/instituto.xml").c_str());
  Arrancar("exportar", Hexadecimal(padre_));

  // The real message box "Proceso finalizado" holds the run while the form
  // is docked, not yet visible.
  HWND caja = nullptr;
  ASSERT_TRUE(EsperarA([&] { return (caja = VentanaDelProceso(proceso_.dwProcessId, L"#32770", L"Pontexa")) != nullptr; }));
  HWND form = FormularioAcoplado();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(GetParent(form), padre_);
  EXPECT_FALSE(GetWindowLongW(form, GWL_STYLE) & WS_CAPTION);
  RECT cliente;
  GetClientRect(form, &cliente);
  EXPECT_EQ(cliente.right, 632);
  EXPECT_EQ(cliente.bottom, 266);
  EXPECT_NE(PorTexto(caja, L"Proceso finalizado"), nullptr);

  PostMessageW(caja, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(EsperarFin());
  for (const wchar_t* tabla : kTablas) {
    EXPECT_GT(fs::file_size(kQorda / tabla, error), 0u) << fs::path(tabla).string();
  }
  EXPECT_EQ(Estado(), "[Transformadores]\r\nTransformado=1\r\n");
}

// How the user leaves the waiting dialog: a click on "&Salir", its Alt+S, or
// Enter on it (it has the focus when the dialog shows).
struct Salida {
  const char* nombre;
  UINT mensaje;
  WPARAM w;
  LPARAM l;
};

class Esperando : public Acoplado, public ::testing::WithParamInterface<Salida> {};

TEST_P(Esperando, UnknownWordShowsTheFormDockedAndSalirWritesZero) {
  SetEnvironmentVariableW(L"PONTEXA_PRUEBA_SIN_MENSAJES", L"1");
  Arrancar("ver", Hexadecimal(padre_));
  HWND form = nullptr;
  ASSERT_TRUE(EsperarA([&] { return (form = FormularioAcoplado()) != nullptr && IsWindowVisible(form); }));
  EXPECT_EQ(GetParent(form), padre_);
  RECT cliente;
  GetClientRect(form, &cliente);
  EXPECT_EQ(cliente.right, 632);
  EXPECT_EQ(cliente.bottom, 266);

  // Every component is a child window with its caption as window text.
  std::vector<std::wstring> textos;
  for (HWND w : Descendientes(form)) textos.push_back(Texto(w));
  for (const wchar_t* caption : {L"&Salir", L"F1 AYUDA", L"Aceptar", L"Pontexa para RX40 V-1.0",
                                 L"Transformar datos desde SAGA hacia Mirvane ",
                                 L"Transformar datos desde Mirvane hacia SAGA"}) {
    EXPECT_NE(std::find(textos.begin(), textos.end(), caption), textos.end()) << fs::path(caption).string();
  }
  EXPECT_EQ(std::count(textos.begin(), textos.end(), L"Aceptar"), 2);

  HWND salir = PorTexto(padre_, L"&Salir");
  ASSERT_NE(salir, nullptr);
  PostMessageW(salir, GetParam().mensaje, GetParam().w, GetParam().l);
  ASSERT_TRUE(EsperarFin());
  EXPECT_EQ(Estado(), "[Transformadores]\r\nTransformado=0\r\n");
}

INSTANTIATE_TEST_SUITE_P(Formas, Esperando,
                         ::testing::Values(Salida{"Click", BM_CLICK, 0, 0},
                                           Salida{"AltS", WM_SYSCHAR, L's', LPARAM(1) << 29},
                                           Salida{"Enter", WM_KEYDOWN, VK_RETURN, 1}),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(Acoplado, HandleNamingNoWindowRunsUndockedWithItsFrame) {
  HWND ida = CreateWindowExW(0, L"PruebaMirvane", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  const std::string handle = Hexadecimal(ida);
  DestroyWindow(ida);
  SetEnvironmentVariableW(L"PONTEXA_PRUEBA_SIN_MENSAJES", L"1");
  Arrancar("ver", handle);

  HWND form = nullptr;
  ASSERT_TRUE(EsperarA([&] {
    form = VentanaDelProceso(proceso_.dwProcessId, L"TMForm");
    return form != nullptr && IsWindowVisible(form);
  }));
  EXPECT_EQ(GetParent(form), nullptr);
  EXPECT_EQ(FormularioAcoplado(), nullptr);
  const LONG estilo = GetWindowLongW(form, GWL_STYLE);
  EXPECT_TRUE(estilo & WS_CAPTION);
  EXPECT_TRUE(estilo & WS_SYSMENU);
  EXPECT_FALSE(estilo & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_EQ(Texto(form), L"Exportar e importar datos entre Mirvane y SAGA");
  RECT cliente;
  GetClientRect(form, &cliente);
  EXPECT_EQ(cliente.right, 632);
  EXPECT_EQ(cliente.bottom, 266);

  // Still the automated mode: closing it writes the status.
  PostMessageW(form, WM_CLOSE, 0, 0);
  ASSERT_TRUE(EsperarFin());
  EXPECT_EQ(Estado(), "[Transformadores]\r\nTransformado=0\r\n");
}

}  // namespace
