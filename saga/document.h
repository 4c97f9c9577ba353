#pragma once

// The SAGA exchange file: a small value-type API over a pugixml DOM.
//
// Texts cross this boundary as Windows-1252 byte strings (text/cp1252.h);
// element and attribute names and paths are plain ASCII. White-space-only text
// is invisible to every operation here (a document loaded for editing keeps it
// only so that the save writes the file back as it was; one loaded for reading
// does not keep it at all).

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"

namespace pugi {
class xml_node;
struct xml_node_struct;
}  // namespace pugi

namespace pontexa::saga {

namespace detail {
struct DocumentState;
}  // namespace detail

// Raised for a file that cannot be read, is not well-formed, has no document
// element, or cannot be saved. The message names the file and, for parse
// errors, the parser's description with line and column.
class DocumentError : public pontexa::Error {
 public:
  using pontexa::Error::Error;
};

enum class Encoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Latin1, Windows1252 };

class Document;
class SectionWriter;

class Element {
 public:
  Element() = default;
  explicit operator bool() const { return node_ != nullptr; }

  std::string Name() const;

  // Elements matching a relative path of plain child steps ("a/b"), in
  // document order: all matching grandchildren through every matching child.
  std::vector<Element> SelectNodes(std::string_view relativePath) const;
  // First child element with that name, or an empty Element.
  Element SelectSingleNode(std::string_view childName) const;

  // All attributes count, whatever their names.
  std::size_t AttributeCount() const;
  // The attribute's value in Windows-1252, or nothing when absent.
  std::optional<std::string> Attribute(std::string_view name) const;
  // The same value as the file holds it, references expanded, in UTF-8: what
  // Attribute() gives before Windows-1252 replaces what it lacks by '?'.
  std::optional<std::string> AttributeUtf8(std::string_view name) const;

  // Text of the first child node (of whatever kind; for an element, the text
  // of all its descendants joined in document order), or nothing when the
  // element has no child node. Like Text(), without the line breaks, tabs and
  // blanks of the file's layout at its two ends.
  std::optional<std::string> FirstChildText() const;
  // Text of all descendants, joined in document order.
  std::string Text() const;

  // New attributes go after the existing ones; an existing one keeps its place.
  void SetAttribute(std::string_view name, std::string_view ansiValue);
  // Adds `child` (made by Document::CreateElement) as the last child element.
  void AppendChild(Element child);
  void RemoveChild(Element child);
  // Adds a section written with SectionWriter (every element closed) as the
  // last child element, as AppendChild would; only on the document element.
  // It can be found by its top element's name and removed like any child;
  // what it holds is saved but not read until the file is loaded again.
  // Throws DocumentError.
  void AppendSection(SectionWriter&& section);

  // 1-based line and column of the element's start tag in the loaded file;
  // 0 for an element made after loading.
  std::size_t Line() const;
  std::size_t Column() const;

  bool operator==(const Element& other) const { return node_ == other.node_; }

 private:
  friend class Document;
  Element(pugi::xml_node_struct* node, detail::DocumentState* state) : node_(node), state_(state) {}
  pugi::xml_node Node() const;
  std::optional<std::string> RawFirstChildText() const;
  std::string RawText() const;

  pugi::xml_node_struct* node_ = nullptr;
  // Survives a move of the Document; lives as long as the Document does.
  detail::DocumentState* state_ = nullptr;
};

class Document {
 public:
  // Reads and parses a file. Throws DocumentError.
  static Document Load(const std::filesystem::path& path);
  // Parses bytes as if read from a file called `displayName` (tests, fuzzing).
  static Document Parse(std::string bytes, const std::filesystem::path& displayName);

  // The same, for a document that is only read (the export): every read
  // gives what it gives on a document loaded for editing, and the same files
  // are refused with the same messages, but nothing that only a save needs is
  // kept (white-space-only text, the bytes around the root, the form of empty
  // elements), so it takes much less memory and time. Save(), SaveTo() and
  // Serialize() throw DocumentError.
  static Document LoadForReading(const std::filesystem::path& path);
  static Document ParseForReading(std::string bytes, const std::filesystem::path& displayName);

  // The same as Load (or Parse) followed by RemoveChild of every child of the
  // document element called `rootChildName`: the same tree, positions and
  // errors, and the same bytes on a save after the same edits. What those
  // children hold is never built, so a file whose section is about to be
  // replaced loads in little more memory than one without it.
  static Document LoadReplacing(const std::filesystem::path& path, std::string_view rootChildName);
  static Document ParseReplacing(std::string bytes, const std::filesystem::path& displayName,
                                 std::string_view rootChildName);

  Document(Document&&) noexcept;
  Document& operator=(Document&&) noexcept;
  ~Document();

  Element DocumentElement() const;
  // Elements matching an absolute path of plain child steps
  // ("/document/subjects/subject"), in document order.
  std::vector<Element> SelectNodes(std::string_view absolutePath) const;
  // A new element, not yet in the tree.
  Element CreateElement(std::string_view name);

  // Writes the document over the file it was loaded from, atomically, in the
  // encoding it had and with the same declaration, doctype, comments and
  // processing instructions. A character the encoding cannot hold is written
  // as a character reference. Throws DocumentError; on failure the file on
  // disk is unchanged.
  void Save() const;
  void SaveTo(const std::filesystem::path& path) const;
  // The bytes Save() would write.
  std::string Serialize() const;

  const std::filesystem::path& Path() const;
  Encoding FileEncoding() const;
  // True for a document made by LoadForReading or ParseForReading.
  bool ForReadingOnly() const;

  struct Impl;

 private:
  friend class Element;
  explicit Document(std::unique_ptr<Impl> impl);
  static std::unique_ptr<Impl> Build(std::string bytes, const std::filesystem::path& displayName, bool readOnly,
                                     std::string_view replacedChildName = {});
  void RequireEditable() const;
  std::unique_ptr<Impl> impl_;
};

}  // namespace pontexa::saga
