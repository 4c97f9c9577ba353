#include "saga/section_writer.h"

#include <algorithm>

#include <pugixml.hpp>

#include "saga/document_state.h"
#include "saga/messages.h"
#include "saga/texts.h"

namespace pontexa::saga {
namespace {

// Printable ASCII other than the markup characters: stored as it stands in
// every encoding a file may have.
bool StoredAsItStands(std::string_view ansi) {
  return std::all_of(ansi.begin(), ansi.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x80 && c != '&' && c != '<' && c != '>' && c != '"';
  });
}

}  // namespace

SectionWriter::SectionWriter(const Document& document) : encoding_(document.FileEncoding()), path_(document.Path()) {}

void SectionWriter::Fail(const std::string& what) const {
  throw DocumentError("No se puede escribir la sección en " + detail::Quoted(path_) + ": " + what);
}

void SectionWriter::EndStartTag() {
  if (!inStartTag_) return;
  markup_.push_back('>');
  inStartTag_ = false;
}

void SectionWriter::Open(std::string_view name) {
  if (name.empty()) Fail("un elemento sin nombre");
  if (open_.empty()) {
    if (!topName_.empty()) Fail("ya tiene su elemento '" + topName_ + "'; '" + std::string(name) + "' no cabe a su lado");
    topName_ = name;
  }
  EndStartTag();
  markup_.push_back('<');
  markup_.append(name);
  open_.emplace_back(name);
  inStartTag_ = true;
  tagAttributes_.clear();
}

void SectionWriter::Attribute(std::string_view name, std::string_view ansiValue) {
  if (name.empty()) Fail("un atributo sin nombre");
  if (!inStartTag_)
    Fail("el atributo '" + std::string(name) + "' llega " +
         (open_.empty() ? std::string("sin elemento abierto") : "después del contenido de '" + open_.back() + "'"));
  if (std::find(tagAttributes_.begin(), tagAttributes_.end(), name) != tagAttributes_.end())
    Fail("el atributo '" + std::string(name) + "' ya está en '" + open_.back() + "'");
  tagAttributes_.emplace_back(name);
  markup_.push_back(' ');
  markup_.append(name);
  markup_.append("=\"");
  if (StoredAsItStands(ansiValue)) {
    markup_.append(ansiValue);
  } else {
    markup_.append(detail::StoredAttributeValue(ansiValue, encoding_));
  }
  markup_.push_back('"');
}

void SectionWriter::Close() {
  if (open_.empty()) Fail("no hay ningún elemento abierto que cerrar");
  if (inStartTag_) {
    markup_.append("/>");
    inStartTag_ = false;
  } else {
    markup_.append("</");
    markup_.append(open_.back());
    markup_.push_back('>');
  }
  open_.pop_back();
}

void Element::AppendSection(SectionWriter&& section) {
  const auto where = [&] { return state_ ? detail::Quoted(state_->path) : std::string("un elemento vacío"); };
  if (!node_ || Node().type() != pugi::node_element || Node().parent().type() != pugi::node_document ||
      Node() == state_->detached)
    throw DocumentError("Una sección solo se puede añadir al elemento raíz, en " + where());
  if (section.topName_.empty() || section.Depth() != 0)
    throw DocumentError("La sección que se quiere añadir en " + where() + " no está terminada");
  if (section.encoding_ != state_->encoding)
    throw DocumentError("La sección que se quiere añadir en " + where() + " se escribió para otro archivo");

  pugi::xml_node parent = Node();
  pugi::xml_node last = parent.last_child();
  // Before the indentation of the closing tag, as AppendChild puts a child.
  const bool beforeLayout = last && last.type() == pugi::node_pcdata && detail::IsBlank(last.value());
  pugi::xml_node placeholder =
      beforeLayout ? parent.insert_child_before(pugi::node_element, last) : parent.append_child(pugi::node_element);
  if (!placeholder || !placeholder.set_name(section.topName_.c_str()))
    throw DocumentError("No hay memoria para añadir la sección '" + section.topName_ + "' en " + where());
  try {
    state_->sections.emplace_back(placeholder.internal_object(), std::move(section.markup_));
  } catch (...) {
    parent.remove_child(placeholder);
    throw;
  }
  section.markup_.clear();
  section.topName_.clear();
}

}  // namespace pontexa::saga
