#include "platform/system_errors.h"

#include <cerrno>
#include <charconv>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include "platform/wide_text.h"
#endif

namespace pontexa::platform {

namespace {

// The C library speaks English here whatever the user's language; these are
// the errors a school's files and disks can meet.
const char* SpanishText(int error) {
  switch (error) {
    case EACCES:
    case EPERM: return "Permiso denegado";
    case ENOENT: return "No existe el archivo o la carpeta";
    case ENOSPC: return "No queda espacio en el disco";
    case EROFS: return "Sistema de archivos de solo lectura";
    case EIO: return "Error de entrada/salida";
    case EISDIR: return "Es una carpeta";
    case ENOTDIR: return "Una parte de la ruta no es una carpeta";
    case EXDEV: return "El origen y el destino están en discos o sistemas de archivos distintos";
    case EEXIST: return "El archivo ya existe";
    case EBUSY: return "El archivo o la carpeta está en uso";
    case ETXTBSY: return "El archivo está en uso por un programa en ejecución";
    case EMFILE: return "Este programa tiene demasiados archivos abiertos";
    case ENFILE: return "El sistema tiene demasiados archivos abiertos";
    case ENAMETOOLONG: return "El nombre del archivo es demasiado largo";
    case ELOOP: return "Hay demasiados enlaces simbólicos en la ruta";
    case EFBIG: return "El archivo es demasiado grande";
#ifdef EDQUOT
    case EDQUOT: return "Se ha superado la cuota de disco";
#endif
    case ENOTEMPTY: return "La carpeta no está vacía";
    case ENOMEM: return "No queda memoria suficiente";
    case EINVAL: return "Argumento no válido";
    case EBADF: return "Descriptor de archivo no válido";
    case EPIPE: return "La salida está cerrada";
    case EINTR: return "Operación interrumpida";
    case EAGAIN: return "El recurso no está disponible por ahora";
    case ENXIO: return "No existe el dispositivo o la dirección";
    case ENODEV: return "No existe el dispositivo";
    case ETIMEDOUT: return "Se ha agotado el tiempo de espera";
#ifdef ESTALE
    case ESTALE: return "El archivo de la red ya no es válido";
#endif
#if defined(ENOTSUP) && defined(EOPNOTSUPP) && ENOTSUP != EOPNOTSUPP
    case EOPNOTSUPP:
#endif
#ifdef ENOTSUP
    case ENOTSUP: return "El sistema de archivos no admite esta operación";
#endif
    default: return nullptr;
  }
}

}  // namespace

std::string ErrnoText(int error) {
  if (const char* text = SpanishText(error)) return text;
  // A rare one: the number lets the user look it up, the system's words help.
  char number[16];
  const auto end = std::to_chars(number, number + sizeof number, error).ptr;
  return "Error del sistema " + std::string(number, end) + " (" + std::generic_category().message(error) + ")";
}

#ifdef _WIN32
std::string WindowsErrorText(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length > 0 && buffer != nullptr ? std::wstring(buffer, length) : std::wstring();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' || text.back() == L'.'))
    text.pop_back();
  if (text.empty()) {
    char number[16];
    const auto end = std::to_chars(number, number + sizeof number, code).ptr;
    return "Error del sistema " + std::string(number, end);
  }
  return Utf8FromWide(text);
}
#endif

}  // namespace pontexa::platform
