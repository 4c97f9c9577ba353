#pragma once

// Everything a loaded document holds. Elements point here (not at the
// Document object), so they stay valid when the Document is moved.

#include <filesystem>
#include <string>

#include <pugixml.hpp>

#include "saga/document.h"
#include "saga/layout.h"

namespace pontexa::saga::detail {

struct DocumentState {
  std::filesystem::path path;
  Encoding encoding = Encoding::Utf8;
  bool byteOrderMark = false;

  // The file as UTF-8; the tree's names and values point into it.
  std::string buffer;
  LineTable lines;

  // The bytes before and after the root element, written back as they were.
  bool verbatimEdges = false;
  std::string prolog;
  std::string epilog;

  pugi::xml_document dom;
  // Holds elements made but not yet placed, and elements taken out: never
  // written, and keeps them valid for whoever still refers to them.
  pugi::xml_node detached;

  pugi::xml_node Detached() {
    if (!detached) detached = dom.append_child(pugi::node_element);
    return detached;
  }
  std::pair<std::size_t, std::size_t> Locate(std::size_t offset) const { return lines.Locate(buffer, offset); }
};

}  // namespace pontexa::saga::detail

namespace pontexa::saga {
struct Document::Impl : detail::DocumentState {};
}  // namespace pontexa::saga
