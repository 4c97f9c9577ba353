#include "ejecutar_cli.h"

#include <cstdlib>

#include "platform/utf8_path.h"

#if defined(_WIN32)
#include "platform/wide_text.h"
#else
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;

namespace pontexa::testing {

Salida Ejecutar(const TempFolder& tmp, const std::string& argumentos) {
  const fs::path out = tmp / "stdout.txt";
  const fs::path err = tmp / "stderr.txt";
  const std::string orden = Citado(Programa()) + " " + argumentos + " >" + Citado(out) + " 2>" + Citado(err);
#if defined(_WIN32)
  // cmd /c drops the first and the last quote of a line that starts with one;
  // the wide call keeps every letter of the names (the ANSI one would not).
  const int estado = _wsystem(platform::WideFromUtf8("\"" + orden + "\"").c_str());
#else
  const int estado = std::system(orden.c_str());
#endif
  Salida salida;
#if defined(_WIN32)
  salida.codigo = estado;
#else
  salida.codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
#endif
  salida.out = ReadBytes(out);
  salida.err = ReadBytes(err);
#if defined(_WIN32)
  // Text-mode output ends its lines with CR LF on Windows, as every program there.
  for (std::string* texto : {&salida.out, &salida.err}) {
    std::string sinCr;
    for (std::size_t i = 0; i < texto->size(); ++i)
      if (!((*texto)[i] == '\r' && i + 1 < texto->size() && (*texto)[i + 1] == '\n')) sinCr += (*texto)[i];
    *texto = std::move(sinCr);
  }
#endif
  return salida;
}

std::string Citado(const fs::path& ruta) { return "\"" + platform::Utf8(ruta) + "\""; }

fs::path Programa() {
  // Built as a POSIX path; under Wine it names the same file from the current drive.
  return fs::absolute(platform::PathFromUtf8(PONTEXA_CLI)).make_preferred();
}

std::string UltimaLinea(std::string texto) {
  while (!texto.empty() && (texto.back() == '\n' || texto.back() == '\r')) texto.pop_back();
  const std::size_t salto = texto.rfind('\n');
  return salto == std::string::npos ? texto : texto.substr(salto + 1);
}

}  // namespace pontexa::testing
