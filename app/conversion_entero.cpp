#include "app/conversion_entero.h"

#include <string>

#include "platform/error.h"
#include "text/numbers.h"

namespace pontexa::app {

namespace {

int ValorHexadecimal(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::int32_t> LeerEntero(std::string_view texto) {
  std::size_t i = 0;
  while (i < texto.size() && texto[i] == ' ') ++i;
  bool negativo = false;
  if (i < texto.size() && (texto[i] == '+' || texto[i] == '-')) {
    negativo = texto[i] == '-';
    ++i;
  }
  bool hexadecimal = false;
  if (i < texto.size() && (texto[i] == '$' || texto[i] == 'x' || texto[i] == 'X')) {
    hexadecimal = true;
    ++i;
  } else if (i + 1 < texto.size() && texto[i] == '0' && (texto[i + 1] == 'x' || texto[i + 1] == 'X')) {
    hexadecimal = true;
    i += 2;
  }
  // Decimal text is the numbers module's; only the "$" form is read here.
  if (!hexadecimal) return text::ParseInt32(texto);
  if (i == texto.size()) return std::nullopt;

  std::uint64_t valor = 0;
  for (; i < texto.size(); ++i) {
    const int digito = ValorHexadecimal(texto[i]);
    if (digito < 0) return std::nullopt;
    valor = valor * 16 + static_cast<unsigned>(digito);
    // Far below what 64 bits hold, so checking per digit is enough.
    if (valor > 0xFFFFFFFFull) return std::nullopt;
  }
  auto bits = static_cast<std::uint32_t>(valor);
  if (negativo) bits = 0u - bits;
  return static_cast<std::int32_t>(bits);
}

std::int32_t StrToInt(std::string_view texto) {
  if (const std::optional<std::int32_t> valor = LeerEntero(texto)) return *valor;
  throw pontexa::Error("'" + std::string(texto) + "' no es un valor entero válido");
}

}  // namespace pontexa::app
