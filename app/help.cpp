#include "app/help.h"

#include <system_error>

#include "platform/error.h"
#include "platform/utf8_path.h"

namespace pontexa::app {

void AyudaHtml::ComprobarArchivo() const {
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
