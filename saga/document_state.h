#pragma once

// Everything a loaded document holds. Elements point here (not at the
// Document object), so they stay valid when the Document is moved.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "saga/document.h"
#include "saga/layout.h"

namespace pontexa::saga::detail {

struct DocumentState {
  std::filesystem::path path;
  Encoding encoding = Encoding::Utf8;
  bool byteOrderMark = false;
  // Loaded for reading only: no white-space-only text, nothing for a save.
  bool readOnly = false;

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

  // Sections written as markup (SectionWriter): each stands in the tree as a
  // childless element named as its top element, and is saved from here.
  std::vector<std::pair<pugi::xml_node_struct*, std::string>> sections;
  const std::string* SectionMarkup(pugi::xml_node_struct* node) const {
    for (const auto& [placeholder, markup] : sections)
      if (placeholder == node) return &markup;
    return nullptr;
  }

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
