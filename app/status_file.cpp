#include "app/status_file.h"

#include <exception>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/error.h"
#include "platform/file_update.h"
#include "platform/error_context.h"
#include "platform/files.h"
#include "text/numbers.h"
#include "platform/utf8_path.h"

namespace pontexa::app {

namespace {

constexpr std::string_view kBomUtf8 = "\xEF\xBB\xBF";

struct Linea {
  std::string_view texto;  // without its line end
  std::string_view fin;    // "\r\n", "\n" or "" for a last line without one
};

std::vector<Linea> PartirLineas(std::string_view contenido) {
  std::vector<Linea> lineas;
  std::size_t inicio = 0;
  while (inicio < contenido.size()) {
    const std::size_t salto = contenido.find('\n', inicio);
    if (salto == std::string_view::npos) {
      lineas.push_back({contenido.substr(inicio), {}});
      break;
    }
    std::size_t finTexto = salto;
    if (finTexto > inicio && contenido[finTexto - 1] == '\r') --finTexto;
    lineas.push_back({contenido.substr(inicio, finTexto - inicio), contenido.substr(finTexto, salto + 1 - finTexto)});
    inicio = salto + 1;
  }
  return lineas;
}

std::string_view Recortar(std::string_view texto) {
  while (!texto.empty() && (texto.front() == ' ' || texto.front() == '\t')) texto.remove_prefix(1);
  while (!texto.empty() && (texto.back() == ' ' || texto.back() == '\t')) texto.remove_suffix(1);
  return texto;
}

char MinusculaAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IgualesSinMayusculas(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (MinusculaAscii(a[i]) != MinusculaAscii(b[i])) return false;
  }
  return true;
}

// The section a header line opens, or nothing for any other line.
std::optional<std::string_view> NombreDeSeccion(std::string_view linea) {
  linea = Recortar(linea);
  if (linea.empty() || linea.front() != '[') return std::nullopt;
  linea.remove_prefix(1);
  const std::size_t cierre = linea.find(']');
  return Recortar(cierre == std::string_view::npos ? linea : linea.substr(0, cierre));
}

// The key a line sets, or nothing for comments and lines without "=".
std::optional<std::string_view> NombreDeClave(std::string_view linea) {
  const std::string_view recortada = Recortar(linea);
  if (recortada.empty() || recortada.front() == ';') return std::nullopt;
  const std::size_t igual = linea.find('=');
  if (igual == std::string_view::npos) return std::nullopt;
  return Recortar(linea.substr(0, igual));
}

}  // namespace

std::string PonerValorIni(std::string_view contenido, std::string_view seccion, std::string_view clave,
                          std::string_view valor) {
  std::string_view bom;
  if (contenido.substr(0, kBomUtf8.size()) == kBomUtf8) {
    bom = kBomUtf8;
    contenido.remove_prefix(kBomUtf8.size());
  }
  const std::vector<Linea> lineas = PartirLineas(contenido);

  std::string_view finDeLinea = "\r\n";
  for (const Linea& linea : lineas) {
    if (!linea.fin.empty()) {
      finDeLinea = linea.fin;
      break;
    }
  }
  const std::string nueva = std::string(clave) + "=" + std::string(valor);

  // Locate the section's header, its last non-blank line and the key's line.
  std::optional<std::size_t> cabecera, ultimaNoVacia, lineaClave;
  for (std::size_t i = 0; i < lineas.size(); ++i) {
    if (const auto nombre = NombreDeSeccion(lineas[i].texto)) {
      if (cabecera) break;
      if (IgualesSinMayusculas(*nombre, seccion)) {
        cabecera = i;
        ultimaNoVacia = i;
      }
      continue;
    }
    if (!cabecera) continue;
    if (!Recortar(lineas[i].texto).empty()) ultimaNoVacia = i;
    if (const auto nombre = NombreDeClave(lineas[i].texto); nombre && IgualesSinMayusculas(*nombre, clave)) {
      lineaClave = i;
      break;
    }
  }

  std::string resultado(bom);
  resultado.reserve(bom.size() + contenido.size() + nueva.size() + seccion.size() + 8);
  auto copiar = [&](const Linea& linea) {
    resultado.append(linea.texto);
    resultado.append(linea.fin);
  };
  for (std::size_t i = 0; i < lineas.size(); ++i) {
    if (lineaClave && i == *lineaClave) {
      resultado.append(nueva);
      resultado.append(lineas[i].fin);
      continue;
    }
    copiar(lineas[i]);
    if (!lineaClave && ultimaNoVacia && i == *ultimaNoVacia) {
      if (lineas[i].fin.empty()) resultado.append(finDeLinea);
      resultado.append(nueva);
      resultado.append(finDeLinea);
    }
  }
  if (!cabecera) {
    if (!lineas.empty() && lineas.back().fin.empty()) resultado.append(finDeLinea);
    resultado.append("[").append(seccion).append("]").append(finDeLinea);
    resultado.append(nueva).append(finDeLinea);
  }
  return resultado;
}

void EscribirEstado(const std::filesystem::path& archivo, std::int32_t estado) {
  try {
    // Read and computed in full before the file is touched: the in-place
    // rewrite has no second copy to fall back on.
    std::string contenido;
    std::error_code error;
    if (std::filesystem::exists(archivo, error)) contenido = platform::ReadFile(archivo);
    const std::string texto = PonerValorIni(contenido, kSeccionEstado, kClaveEstado, text::FormatInteger(estado));
    platform::UpdateFile(archivo, texto);
  } catch (const std::exception& fallo) {
    throw pontexa::Error(
        WithContext("No se puede escribir el estado en " + platform::Quoted(archivo), platform::Quoted(archivo), fallo.what()));
  }
}

}  // namespace pontexa::app
