#pragma once

// Reading the values of one SAGA element as the export steps need them:
// every text trimmed of blanks, an absent attribute or child read as the empty
// text, and an absent `id` (the key every table and lookup depends on) an error
// that points at the element.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "saga/document.h"

namespace pontexa::exportacion {

// Where an element sits, for messages: "subject" number 3, or "assigned-subject"
// number 2 "del grupo 'G01'".
struct Posicion {
  std::string_view elemento;
  std::size_t numero;        // 1-based position in its list
  std::string contexto = {}; // UTF-8, may be empty
};

// A text read from the document, without the blanks at its ends.
std::string Recortar(std::string id);

// The trimmed `id`; throws ExportError naming element, position, line and file.
std::string IdObligatorio(const saga::Document& documento, const saga::Element& elemento, const Posicion& posicion);

// The same, with the position made only when the id is missing: the messages'
// context costs more to build than the id to read.
template <typename HacerPosicion>
std::string IdObligatorio(const saga::Document& documento, const saga::Element& elemento, HacerPosicion hacerPosicion) {
  if (std::optional<std::string> id = elemento.Attribute("id")) return Recortar(std::move(*id));
  return IdObligatorio(documento, elemento, static_cast<const Posicion&>(hacerPosicion()));
}

// The attribute's trimmed value, '' when absent.
std::string AtributoRecortado(const saga::Element& elemento, std::string_view nombre);

// The trimmed text of the first child node, '' when the element has none.
std::string PrimerHijoRecortado(const saga::Element& elemento);

// A Windows-1252 value quoted for a UTF-8 message.
std::string Citar(std::string_view ansi);

}  // namespace pontexa::exportacion
