#include "app/help.h"

#include <system_error>

#include "platform/error.h"
#include "platform/utf8_path.h"

namespace pontexa::app {

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
  Abrir(nullptr);
}

void AyudaHtml::Tema(int contexto) {
  ComprobarArchivo();
  Abrir(&contexto);
}

}  // namespace pontexa::app
