#include "app/help.h"

#include <string>
#include <system_error>

#include "platform/error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "app/rutas.h"
#include "platform/utf8_path.h"
#endif

namespace pontexa::app {

namespace {

#ifdef _WIN32
// The HTML help viewer's commands (htmlhelp.h), without its import library.
constexpr UINT kHhDisplayToc = 0x0001;
constexpr UINT kHhHelpContext = 0x000F;
using FuncionHtmlHelp = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

void LlamarVisor(const std::filesystem::path& archivo, UINT orden, DWORD_PTR dato) {
  static HMODULE biblioteca = LoadLibraryW(L"hhctrl.ocx");
  static auto funcion =
      biblioteca != nullptr ? reinterpret_cast<FuncionHtmlHelp>(GetProcAddress(biblioteca, "HtmlHelpW")) : nullptr;
  if (funcion == nullptr) throw pontexa::Error("No está instalado el visor de ayuda HTML (hhctrl.ocx)");
  funcion(GetDesktopWindow(), archivo.wstring().c_str(), orden, dato);
}
#else
// A CHM viewer if one is installed; else the same pages as HTML (ayuda/
// beside the file) in the user's browser; else whatever the desktop opens
// the CHM with.
void Abrir(const std::filesystem::path& archivo) {
  const QString ruta = TextoDe(archivo);
  for (const char* visor : {"xchm", "kchmviewer"}) {
    const QString programa = QStandardPaths::findExecutable(QLatin1String(visor));
    if (!programa.isEmpty() && QProcess::startDetached(programa, QStringList{ruta})) return;
  }
  std::error_code error;
  const std::filesystem::path pagina = archivo.parent_path() / "ayuda" / "index.htm";
  if (std::filesystem::is_regular_file(pagina, error) && QDesktopServices::openUrl(QUrl::fromLocalFile(TextoDe(pagina))))
    return;
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(ruta))) {
    throw pontexa::Error("No hay ningún programa para mostrar el archivo de ayuda " + platform::Quoted(archivo));
  }
}
#endif

}  // namespace

std::filesystem::path UbicarAyuda(const std::filesystem::path& junto) {
  std::error_code error;
  if (std::filesystem::is_regular_file(junto, error)) return junto;
  const std::filesystem::path compartido = junto.parent_path().parent_path() / "share" / "pontexa" / junto.filename();
  if (std::filesystem::is_regular_file(compartido, error)) return compartido;
  return junto;
}

void AyudaHtml::ComprobarArchivo() {
#ifndef _WIN32
  archivo_ = UbicarAyuda(archivo_);
#endif
  std::error_code error;
  if (!std::filesystem::is_regular_file(archivo_, error)) {
    throw pontexa::Error("No se encuentra el archivo de ayuda " + platform::Quoted(archivo_));
  }
}

void AyudaHtml::Contenido() {
  ComprobarArchivo();
#ifdef _WIN32
  LlamarVisor(archivo_, kHhDisplayToc, 0);
#else
  Abrir(archivo_);
#endif
}

void AyudaHtml::Tema(int contexto) {
  ComprobarArchivo();
#ifdef _WIN32
  LlamarVisor(archivo_, kHhHelpContext, static_cast<DWORD_PTR>(contexto));
#else
  // The viewers here take no context number; the file opens at its start.
  (void)contexto;
  Abrir(archivo_);
#endif
}

}  // namespace pontexa::app
