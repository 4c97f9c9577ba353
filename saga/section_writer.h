#pragma once

// A new element tree written straight into the form the file stores it in.
//
// A tree made with CreateElement/SetAttribute/AppendChild costs a DOM node
// per element and per attribute: several times the bytes of the element's
// own text. A large section written once and never read back (the import's
// time tables) is built here instead, as one markup string in document
// order, and handed to the document element with Element::AppendSection.
// The saved file holds exactly the bytes the same tree made of nodes gives.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "saga/document.h"

namespace pontexa::saga {

class SectionWriter {
 public:
  // Values are stored by the rules of `document`'s file encoding.
  explicit SectionWriter(const Document& document);

  SectionWriter(SectionWriter&&) noexcept = default;
  SectionWriter& operator=(SectionWriter&&) noexcept = default;

  // Starts an element inside the one open, or the section's single top
  // element. Throws DocumentError for an empty name or a second top element.
  void Open(std::string_view name);
  // Only right after Open, before any child; each name once. Throws
  // DocumentError otherwise.
  void Attribute(std::string_view name, std::string_view ansiValue);
  // Ends the innermost open element. Throws DocumentError when none is open.
  void Close();

  // Elements open now.
  std::size_t Depth() const { return open_.size(); }

 private:
  friend class Element;
  [[noreturn]] void Fail(const std::string& what) const;
  void EndStartTag();

  Encoding encoding_;
  std::filesystem::path path_;  // for messages
  std::string markup_;          // UTF-8
  std::string topName_;         // empty until the top element is opened
  std::vector<std::string> open_;
  bool inStartTag_ = false;                // "<name ..." written, its end not yet
  std::vector<std::string> tagAttributes_;  // names in the start tag being written
};

}  // namespace pontexa::saga
