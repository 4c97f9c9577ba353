#include "platform/system_error_text.h"

#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include "platform/wide_text.h"
#endif

namespace pontexa::platform {

std::string ErrnoText(int error) {
  if (error == ENOSPC) return "No queda espacio en el disco";
  if (error == EACCES || error == EPERM) return "Permiso denegado";
  if (error == ENOENT) return "No existe el archivo o la carpeta";
  if (error == EROFS) return "Sistema de archivos de solo lectura";
  return std::generic_category().message(error);
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
  if (text.empty()) return "error del sistema " + std::to_string(code);
  return Utf8FromWide(text);
}
#endif

}  // namespace pontexa::platform
