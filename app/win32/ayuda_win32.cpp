// The help file on Windows: the HTML help viewer of hhctrl.ocx, loaded when
// first asked for, so the program starts where it is missing.

#include <windows.h>

#include "app/help.h"
#include "platform/error.h"

namespace pontexa::app {

namespace {

// The viewer's commands, written here rather than taken from its header.
constexpr UINT kHhDisplayToc = 0x0001;
constexpr UINT kHhHelpContext = 0x000F;
using FuncionHtmlHelp = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

FuncionHtmlHelp Visor() {
  static HMODULE biblioteca = LoadLibraryW(L"hhctrl.ocx");
  static auto funcion =
      biblioteca != nullptr ? reinterpret_cast<FuncionHtmlHelp>(reinterpret_cast<void*>(GetProcAddress(biblioteca, "HtmlHelpW"))) : nullptr;
  if (funcion == nullptr) throw pontexa::Error("No está instalado el visor de ayuda HTML (hhctrl.ocx)");
  return funcion;
}

}  // namespace

void AyudaHtml::Abrir(const int* contexto) const {
  const FuncionHtmlHelp visor = Visor();
  if (contexto == nullptr) {
    visor(GetDesktopWindow(), archivo_.wstring().c_str(), kHhDisplayToc, 0);
  } else {
    visor(GetDesktopWindow(), archivo_.wstring().c_str(), kHhHelpContext, static_cast<DWORD_PTR>(*contexto));
  }
}

}  // namespace pontexa::app
