#include "export/codigos.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "text/clipper.h"
#include "text/cp1252.h"
#include "text/numbers.h"

namespace pontexa::exportacion {
namespace {

constexpr char kBlanco = ' ';
constexpr std::int32_t kLargoNombreCorto = 6;  // first characters taken as a code
constexpr std::int32_t kSesionesSueltas = 13;  // sessions written one "1" each

bool EsMayuscula(char c) { return c >= 'A' && c <= 'Z'; }
bool EsDigito(char c) { return c >= '0' && c <= '9'; }

std::int32_t Largo(std::string_view texto) {
  return static_cast<std::int32_t>(std::min<std::size_t>(texto.size(), std::numeric_limits<std::int32_t>::max()));
}

// The first character and each character that follows a blank.
std::string Iniciales(std::string_view nombre) {
  if (nombre.empty()) return {};
  return std::string(1, nombre.front()) + Clipper::AfterSpaces(nombre);
}

}  // namespace

std::string CodigoAsignatura(std::string_view nombre) {
  if (nombre.empty()) return {};
  std::string codigo;
  if (!EsMayuscula(nombre.front())) codigo.push_back(nombre.front());
  codigo += Clipper::UpperOnly(nombre);
  if (codigo.size() == 1) {
    if (nombre.find(kBlanco) != std::string_view::npos) {
      codigo = Iniciales(nombre);
    } else {
      codigo = Clipper::LeftStr(nombre, kLargoNombreCorto);
    }
  }
  if (codigo.size() > kLongitudCodigo) codigo.resize(kLongitudCodigo);
  return codigo;
}

std::string CodigoProfesor(std::string_view nombre) {
  return Clipper::LeftStr(Iniciales(nombre), static_cast<std::int32_t>(kLongitudCodigo));
}

std::string CodigoAula(std::string_view nombre) {
  std::string codigo = Iniciales(nombre);
  if (Clipper::AllTrim(codigo).size() < 2) codigo = Clipper::LeftStr(nombre, kLargoNombreCorto);
  // Judged as stored: ABREV keeps 10 characters.
  if (codigo.size() > kLongitudCodigo) codigo.resize(kLongitudCodigo);
  return codigo;
}

PartesGrupo DividirNombreGrupo(std::string_view nombre) {
  PartesGrupo partes;
  const std::int32_t largo = Largo(nombre);
  if (largo > 0) {
    // The last character but one; a one-character name gives that character.
    const std::int32_t posicion = std::max<std::int32_t>(largo - 1, 1);
    partes.curso = std::string(1, nombre[static_cast<std::size_t>(posicion - 1)]);
  }
  const std::size_t blanco = nombre.find(kBlanco);
  if (blanco != std::string_view::npos) partes.nivel = Clipper::AllTrim(nombre.substr(0, blanco + 1));
  if (partes.nivel.empty()) partes.nivel = Clipper::LeftStr(nombre, 1);
  partes.grupo = Clipper::RightStr(nombre, 1);
  partes.base = Clipper::LeftStr(partes.nivel + partes.curso + partes.grupo, kLargoNombreCorto);
  return partes;
}

std::string TurnoDeRegimen(std::string_view regimen) { return Clipper::Right(Clipper::AllTrim(regimen), 1); }

std::string DescripcionGrupo(std::string_view nombre, std::string_view descripcion) {
  std::string texto(nombre);
  texto += " (";
  texto += descripcion;
  texto += ")";
  return texto;
}

namespace {

// A number whose exponent takes it beyond a double: an infinity of its sign,
// or 0 below the smallest value; nothing when the text is no number at all.
std::optional<double> FueraDeLosDouble(std::string_view texto, char separador) {
  const std::size_t e = texto.find_first_of("eE");
  if (e == std::string_view::npos || e == 0 || texto[e - 1] == kBlanco) return std::nullopt;
  const std::optional<double> mantisa = text::ParseFloat(texto.substr(0, e), separador);
  if (!mantisa) return std::nullopt;
  std::string_view exponente = texto.substr(e + 1);
  while (!exponente.empty() && exponente.back() == kBlanco) exponente.remove_suffix(1);
  bool negativo = false;
  if (!exponente.empty() && (exponente.front() == '+' || exponente.front() == '-')) {
    negativo = exponente.front() == '-';
    exponente.remove_prefix(1);
  }
  if (exponente.empty() || !std::all_of(exponente.begin(), exponente.end(), EsDigito)) return std::nullopt;
  if (negativo || *mantisa == 0) return std::copysign(0.0, *mantisa);
  return std::copysign(std::numeric_limits<double>::infinity(), *mantisa);
}

}  // namespace

namespace {

std::optional<double> LeerHoras(std::string_view horas) {
  std::string texto(horas);
  std::replace(texto.begin(), texto.end(), '.', ',');
  if (const std::optional<double> valor = text::ParseFloat(texto, ',')) return valor;
  return FueraDeLosDouble(texto, ',');
}

}  // namespace

std::optional<double> HorasComoNumero(std::string_view horas) {
  if (horas.empty()) return std::nullopt;
  return LeerHoras(horas).value_or(1.0);
}

bool HorasSonNumero(std::string_view horas) { return horas.empty() || LeerHoras(horas).has_value(); }

std::optional<std::int32_t> TechoDeHoras(double horas) {
  if (!std::isfinite(horas)) return std::nullopt;
  const double techo = std::ceil(horas);
  if (techo < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
      techo > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(techo);
}

std::string Sesiones(std::int32_t n) {
  if (n <= 0) return {};
  if (n <= kSesionesSueltas) return std::string(static_cast<std::size_t>(n), '1');
  return text::FormatInteger(static_cast<std::int64_t>(n) - kSesionesSueltas) + std::string(kSesionesSueltas, '1');
}

std::string ConContador(std::string_view base, std::uint64_t contador) {
  const std::string numero = text::FormatInteger(static_cast<std::int64_t>(contador));
  std::string codigo(base);
  if (codigo.size() + numero.size() > kLongitudCodigo) {
    codigo.resize(kLongitudCodigo > numero.size() ? kLongitudCodigo - numero.size() : 0);
  }
  return codigo + numero;
}

std::string ListaCodigos::Clave(std::string_view codigo) const {
  return comparacion_ == Comparacion::ConMayusculas ? std::string(codigo) : text::CaseInsensitiveKey(codigo);
}

bool ListaCodigos::Contiene(std::string_view codigo) const { return dados_.count(Clave(codigo)) != 0; }

std::string ListaCodigos::Dar(std::string codigo) {
  std::string clave = Clave(codigo);
  if (dados_.count(clave) != 0) {
    // The entry that clashes equals the code, so its last character is the code's.
    const bool quitar = !codigo.empty() && (choque_ == Choque::QuitarUltimo ||
                                            (choque_ == Choque::QuitarDigitoFinal && EsDigito(codigo.back())));
    if (quitar) codigo.pop_back();
    std::uint64_t& contador = ultimoContador_[Clave(codigo)];
    std::string candidato;
    do {
      ++contador;
      candidato = ConContador(codigo, contador);
      clave = Clave(candidato);
    } while (dados_.count(clave) != 0);
    codigo = std::move(candidato);
  }
  dados_.insert(std::move(clave));
  return codigo;
}

}  // namespace pontexa::exportacion
