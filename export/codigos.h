#pragma once

// The short codes the export gives subjects, teachers, rooms and groups, and
// the working lists that keep each table's codes unique. Pure functions over
// Windows-1252 texts (one byte per character); the names are already trimmed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace pontexa::exportacion {

// Every code lands in a 10-character field (COD, ABREV).
inline constexpr std::size_t kLongitudCodigo = 10;

// Subject: a leading non-capital, then the capitals 'A'..'Z'; a lone character
// becomes the initials (names with blanks) or the first 6 characters; at most
// 10. An empty name gives the empty code.
std::string CodigoAsignatura(std::string_view nombre);

// Teacher: the first character and the one after each blank, at most 10.
std::string CodigoProfesor(std::string_view nombre);

// Room: the initials as for teachers, or the first 6 characters when the
// trimmed initials have fewer than 2; cut to the field's 10 characters.
std::string CodigoAula(std::string_view nombre);

// Level, course and letter of a group name, and the base of its code.
struct PartesGrupo {
  std::string nivel;  // first word, or the first character of a one-word name
  std::string curso;  // the last character but one
  std::string grupo;  // the last character
  std::string base;   // first 6 characters of nivel + curso + grupo
};
PartesGrupo DividirNombreGrupo(std::string_view nombre);

// TURNO: the last character of the trimmed regime.
std::string TurnoDeRegimen(std::string_view regimen);

// "name (description)".
std::string DescripcionGrupo(std::string_view nombre, std::string_view descripcion);

// The hours text of a subject as ASIGT stores it: "." read as ",", then a
// decimal number with "," as separator whatever the user's settings; any text
// that is no number gives 1; a number beyond a double gives an infinity (0 when
// it is too small). The empty text gives nothing (HORAS stays empty).
std::optional<double> HorasComoNumero(std::string_view horas);

// Whether HorasComoNumero reads `horas` as the number it says (not the 1 of a
// text that is no number). The empty text counts as a number.
bool HorasSonNumero(std::string_view horas);

// The ceiling of the stored hours, or nothing when it does not fit a 32-bit
// signed integer (NaN and infinities included).
std::optional<std::int32_t> TechoDeHoras(double horas);

// SESIONES for n sessions: n times "1" up to 13; from 14 on, the decimal
// n - 13 followed by thirteen "1".
std::string Sesiones(std::int32_t n);

// `base` followed by the counter; when that would not fit the 10-character
// field, the base is cut so that base and counter take exactly 10.
std::string ConContador(std::string_view base, std::uint64_t contador);

// A table's working list of codes. A code that clashes with one already given
// is adjusted (see Choque) and then takes the first free counter 1, 2, ...
// Codes are judged as stored: everything given here fits the field.
class ListaCodigos {
 public:
  enum class Comparacion { ConMayusculas, SinMayusculas };
  enum class Choque {
    SoloContador,        // teachers, groups
    QuitarDigitoFinal,   // subjects: a trailing digit goes before the counter
    QuitarUltimo,        // rooms: the last character goes before the counter
  };

  ListaCodigos(Comparacion comparacion, Choque choque) : comparacion_(comparacion), choque_(choque) {}

  static ListaCodigos Asignaturas() { return {Comparacion::ConMayusculas, Choque::QuitarDigitoFinal}; }
  static ListaCodigos Profesores() { return {Comparacion::SinMayusculas, Choque::SoloContador}; }
  static ListaCodigos Aulas() { return {Comparacion::SinMayusculas, Choque::QuitarUltimo}; }
  static ListaCodigos Grupos() { return {Comparacion::SinMayusculas, Choque::SoloContador}; }

  // The unique code for `codigo` (at most 10 characters), which joins the list.
  std::string Dar(std::string codigo);

  bool Contiene(std::string_view codigo) const;
  std::size_t Tamano() const { return dados_.size(); }

 private:
  std::string Clave(std::string_view codigo) const;

  Comparacion comparacion_;
  Choque choque_;
  std::unordered_set<std::string> dados_;  // keys of the codes given
  // Per base (its key), the last counter tried: the codes are never removed,
  // so every earlier candidate of that base is still taken.
  std::unordered_map<std::string, std::uint64_t> ultimoContador_;
};

}  // namespace pontexa::exportacion
