#include "ejecutar_cli.h"

#include <cstdlib>

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;

namespace pontexa::testing {

Salida Ejecutar(const TempFolder& tmp, const std::string& argumentos) {
  const fs::path out = tmp / "stdout.txt";
  const fs::path err = tmp / "stderr.txt";
  const std::string orden =
      "\"" + std::string(PONTEXA_CLI) + "\" " + argumentos + " >\"" + out.string() + "\" 2>\"" + err.string() + "\"";
  const int estado = std::system(orden.c_str());
  Salida salida;
#if defined(_WIN32)
  salida.codigo = estado;
#else
  salida.codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
#endif
  salida.out = ReadBytes(out);
  salida.err = ReadBytes(err);
  return salida;
}

std::string Citado(const fs::path& ruta) { return "\"" + ruta.string() + "\""; }

std::string UltimaLinea(std::string texto) {
  while (!texto.empty() && (texto.back() == '\n' || texto.back() == '\r')) texto.pop_back();
  const std::size_t salto = texto.rfind('\n');
  return salto == std::string::npos ? texto : texto.substr(salto + 1);
}

}  // namespace pontexa::testing
