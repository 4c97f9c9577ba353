#include "saga/document.h"

#include <algorithm>
#include <cstring>

#include <pugixml.hpp>

#include "platform/error_context.h"
#include "platform/files.h"
#include "saga/document_state.h"
#include "saga/encoding.h"
#include "saga/messages.h"

namespace pontexa::saga {
namespace {

using detail::DocumentState;

// Everything kept, nothing rewritten: references stay unexpanded and line
// ends untouched, so the tree can be written back exactly. White-space-only
// text is kept for the same reason; every operation skips it.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_comments | pugi::parse_pi |
                                   pugi::parse_declaration | pugi::parse_doctype | pugi::parse_ws_pcdata;
// A document only read needs no white-space-only text: every read skips it.
constexpr unsigned kReadParseOptions = kParseOptions & ~pugi::parse_ws_pcdata;
constexpr unsigned kWriteOptions = pugi::format_raw | pugi::format_no_escapes | pugi::format_no_declaration;

const char* Describe(pugi::xml_parse_status status) {
  switch (status) {
    case pugi::status_out_of_memory: return "no hay memoria suficiente";
    case pugi::status_unrecognized_tag: return "etiqueta no reconocida";
    case pugi::status_bad_pi: return "declaración XML o instrucción de proceso mal formada";
    case pugi::status_bad_comment: return "comentario mal formado";
    case pugi::status_bad_cdata: return "sección CDATA mal formada";
    case pugi::status_bad_doctype: return "declaración de tipo de documento mal formada";
    case pugi::status_bad_pcdata: return "texto mal formado";
    case pugi::status_bad_start_element: return "etiqueta de apertura mal formada";
    case pugi::status_bad_attribute: return "atributo mal formado";
    case pugi::status_bad_end_element: return "etiqueta de cierre mal formada";
    case pugi::status_end_element_mismatch: return "la etiqueta de cierre no corresponde a la de apertura";
    case pugi::status_no_document_element: return "no hay elemento raíz";
    default: return "error interno del analizador";
  }
}

[[noreturn]] void FailAt(const DocumentState& state, std::size_t offset, const std::string& description) {
  const auto [line, column] = state.Locate(offset);
  throw DocumentError(detail::NotValidXml(state.path) + ": " + detail::Position(line, column) + ": " + description);
}

// Gives "<a></a>" an empty text child, so that it is written back in that
// form and not as "<a/>". The walk is in document order, as are the offsets.
void KeepEmptyPairs(const std::vector<std::uint32_t>& pairs, pugi::xml_node root) {
  if (pairs.empty()) return;
  auto next = pairs.begin();
  pugi::xml_node node = root;
  while (node && next != pairs.end()) {
    if (node.type() == pugi::node_element) {
      const auto offset = node.offset_debug();
      while (next != pairs.end() && *next < offset) ++next;
      if (next != pairs.end() && *next == offset && !node.first_child()) node.append_child(pugi::node_pcdata);
    }
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node && node != root && !node.next_sibling()) node = node.parent();
    if (!node || node == root) break;
    node = node.next_sibling();
  }
}

// Takes out of the buffer what the root's children called `name` hold,
// leaving each as "<name/>" where it stood, so the parser builds no more than
// that and the text around it stays split as it would be. Gives false, with
// the buffer untouched, when the file is not plain enough to be sure where
// those children are.
bool CutRootChildren(DocumentState& state, std::string_view name) {
  const std::string_view text = state.buffer;
  const detail::SourceLayout ends = detail::ScanLayout(text, false);
  if (!ends.rootFound || ends.problem) return false;
  // A doctype may declare what the scan cannot tell apart.
  if (text.substr(0, ends.rootStart).find("<!DOCTYPE") != std::string_view::npos) return false;
  const auto ranges = detail::FindRootChildren(text, ends.rootStart, name);
  if (!ranges) return false;

  std::vector<detail::LineTable::Cut> cuts;
  char* const data = state.buffer.data();
  std::size_t write = 0, read = 0;
  for (const auto& [start, end] : *ranges) {
    const std::size_t nameEnd = start + 1 + name.size();
    const std::size_t removedFrom = nameEnd + 2;
    if (end <= removedFrom) continue;  // "<name/>" already
    // Measured first: the marker's end may be written over its first bytes.
    cuts.push_back(detail::LineTable::Measure(text.substr(nameEnd, end - nameEnd), 0, 2));
    std::memmove(data + write, data + read, nameEnd - read);
    write += nameEnd - read;
    data[write++] = '/';
    data[write++] = '>';
    cuts.back().at = write;
    read = end;
  }
  if (cuts.empty()) return true;
  std::memmove(data + write, data + read, state.buffer.size() - read);
  state.buffer.resize(write + (state.buffer.size() - read));
  // The section was most of the file: give its room back before the parse.
  state.buffer.shrink_to_fit();
  state.lines = detail::LineTable(state.buffer);
  state.lines.SetCuts(std::move(cuts));
  return true;
}

class StringSink final : public detail::ByteSink {
 public:
  explicit StringSink(std::string& out) : out_(out) {}
  void Put(std::string_view bytes) override { out_.append(bytes); }

 private:
  std::string& out_;
};

class FileSink final : public detail::ByteSink {
 public:
  explicit FileSink(platform::AtomicFile& file) : file_(file) {}
  void Put(std::string_view bytes) override { file_.Write(bytes); }

 private:
  platform::AtomicFile& file_;
};

// The document element holding sections made with SectionWriter: the tags
// as pugixml writes them, each section's markup in its placeholder's place.
void WriteRootWithSections(const DocumentState& state, pugi::xml_node root, detail::EncodingWriter& writer) {
  writer.Write("<");
  writer.Write(root.name());
  for (pugi::xml_attribute a = root.first_attribute(); a; a = a.next_attribute()) {
    writer.Write(" ");
    writer.Write(a.name());
    writer.Write("=\"");
    writer.Write(a.value());
    writer.Write("\"");
  }
  if (!root.first_child()) return writer.Write("/>");
  writer.Write(">");
  for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
    if (const std::string* markup = state.SectionMarkup(child.internal_object())) {
      writer.Write(*markup);
    } else {
      child.print(writer, "", kWriteOptions, pugi::encoding_utf8);
    }
  }
  writer.Write("</");
  writer.Write(root.name());
  writer.Write(">");
}

void WriteDocument(const DocumentState& state, detail::ByteSink& sink) {
  detail::EncodingWriter writer(state.encoding, sink);
  if (state.byteOrderMark) writer.WriteByteOrderMark();
  const auto writeNode = [&](pugi::xml_node node) {
    if (!state.sections.empty() && node == state.dom.document_element()) {
      WriteRootWithSections(state, node, writer);
    } else {
      node.print(writer, "", kWriteOptions, pugi::encoding_utf8);
    }
  };
  if (state.verbatimEdges) {
    writer.Write(state.prolog);
    writeNode(state.dom.document_element());
    writer.Write(state.epilog);
  } else {
    for (pugi::xml_node node = state.dom.first_child(); node; node = node.next_sibling())
      if (node != state.detached) writeNode(node);
  }
  writer.Finish();
}

}  // namespace

Document::Document(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;
Document::~Document() = default;

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
  try {
    return platform::ReadFile(path);
  } catch (const std::exception& error) {
    throw DocumentError(error.what());
  }
}

}  // namespace

Document Document::Load(const std::filesystem::path& path) { return Parse(ReadBytes(path), path); }

Document Document::LoadForReading(const std::filesystem::path& path) {
  return ParseForReading(ReadBytes(path), path);
}

Document Document::LoadReplacing(const std::filesystem::path& path, std::string_view rootChildName) {
  return ParseReplacing(ReadBytes(path), path, rootChildName);
}

Document Document::ParseReplacing(std::string bytes, const std::filesystem::path& displayName,
                                  std::string_view rootChildName) {
  Document document(Build(std::move(bytes), displayName, false, rootChildName));
  // What the scan left in place, or, when it was not sure, the whole of it.
  Element root = document.DocumentElement();
  for (Element child = root.SelectSingleNode(rootChildName); child; child = root.SelectSingleNode(rootChildName))
    root.RemoveChild(child);
  return document;
}

Document Document::Parse(std::string bytes, const std::filesystem::path& displayName) {
  return Document(Build(std::move(bytes), displayName, false));
}

Document Document::ParseForReading(std::string bytes, const std::filesystem::path& displayName) {
  return Document(Build(std::move(bytes), displayName, true));
}

std::unique_ptr<Document::Impl> Document::Build(std::string bytes, const std::filesystem::path& displayName,
                                                bool readOnly, std::string_view replacedChildName) {
  auto impl = std::make_unique<Impl>();
  DocumentState& state = *impl;
  state.path = displayName;
  state.readOnly = readOnly;
  {
    // A UTF-8 file is parsed in the very bytes read from disk.
    detail::DecodedText decoded = detail::DecodeFile(std::move(bytes), displayName);
    state.buffer = std::move(decoded.utf8);
    state.encoding = decoded.encoding;
    state.byteOrderMark = decoded.byteOrderMark;
  }
  state.lines = detail::LineTable(state.buffer);
  if (const void* nul = std::memchr(state.buffer.data(), '\0', state.buffer.size()))
    FailAt(state, static_cast<std::size_t>(static_cast<const char*>(nul) - state.buffer.data()),
           "carácter nulo en el texto");
  if (!replacedChildName.empty() && !readOnly) CutRootChildren(state, replacedChildName);

  // Text outside the root is refused in both uses; the rest of the layout
  // matters only to a save.
  detail::SourceLayout layout = detail::ScanLayout(state.buffer, !readOnly);
  if (layout.rootFound && !readOnly) {
    state.prolog.assign(state.buffer, 0, layout.rootStart);
    state.epilog.assign(state.buffer, layout.rootEnd);
  }

  const pugi::xml_parse_result result = state.dom.load_buffer_inplace(
      state.buffer.data(), state.buffer.size(), readOnly ? kReadParseOptions : kParseOptions, pugi::encoding_utf8);
  if (!result) FailAt(state, static_cast<std::size_t>(result.offset), Describe(result.status));
  if (layout.problem) FailAt(state, layout.problem->first, layout.problem->second);

  std::size_t before = 0, after = 0, roots = 0;
  pugi::xml_node root;
  for (pugi::xml_node node = state.dom.first_child(); node; node = node.next_sibling()) {
    if (node.type() == pugi::node_declaration && node.offset_debug() != 2) {
      // Only the file's first bytes may declare it: anywhere else the
      // declaration is not XML, and its encoding would be read differently
      // once the save puts it first.
      FailAt(state, static_cast<std::size_t>(std::max<std::ptrdiff_t>(node.offset_debug() - 2, 0)),
             "la declaración XML no está al principio del archivo");
    }
    if (node.type() == pugi::node_element) {
      if (++roots == 2) FailAt(state, static_cast<std::size_t>(node.offset_debug()) - 1, "hay más de un elemento raíz");
      root = node;
    } else {
      ++(roots == 0 ? before : after);
    }
  }
  if (!root) FailAt(state, state.buffer.size(), Describe(pugi::status_no_document_element));
  if (readOnly) return impl;

  state.verbatimEdges = layout.rootFound && static_cast<std::size_t>(root.offset_debug()) == layout.rootStart + 1 &&
                        before == layout.nodesBefore && after == layout.nodesAfter;
  if (!state.verbatimEdges) {
    state.prolog.clear();
    state.prolog.shrink_to_fit();
    state.epilog.clear();
    state.epilog.shrink_to_fit();
  }
  KeepEmptyPairs(layout.emptyPairs, root);
  return impl;
}

Element Document::DocumentElement() const {
  for (pugi::xml_node node = impl_->dom.first_child(); node; node = node.next_sibling())
    if (node.type() == pugi::node_element && node != impl_->detached) return Element(node.internal_object(), impl_.get());
  return {};
}

std::vector<Element> Document::SelectNodes(std::string_view absolutePath) const {
  return Element(impl_->dom.internal_object(), impl_.get()).SelectNodes(absolutePath);
}

Element Document::CreateElement(std::string_view name) {
  if (name.empty()) throw DocumentError("No se puede crear un elemento sin nombre en " + detail::Quoted(impl_->path));
  pugi::xml_node node = impl_->Detached().append_child(pugi::node_element);
  node.set_name(std::string(name).c_str());
  return Element(node.internal_object(), impl_.get());
}

void Document::Save() const { SaveTo(impl_->path); }

void Document::SaveTo(const std::filesystem::path& path) const {
  RequireEditable();
  try {
    platform::AtomicFile file(path);
    FileSink sink(file);
    WriteDocument(*impl_, sink);
    file.Commit();
  } catch (const std::exception& error) {
    throw DocumentError(
        WithContext("No se puede guardar el archivo " + detail::Quoted(path), detail::Quoted(path), error.what()));
  }
}

std::string Document::Serialize() const {
  RequireEditable();
  std::string out;
  out.reserve(impl_->buffer.size() + impl_->buffer.size() / 8);
  StringSink sink(out);
  WriteDocument(*impl_, sink);
  return out;
}

void Document::RequireEditable() const {
  if (impl_->readOnly)
    throw DocumentError("El archivo " + detail::Quoted(impl_->path) +
                        " se ha abierto solo para leerlo y no se puede guardar");
}

const std::filesystem::path& Document::Path() const { return impl_->path; }
bool Document::ForReadingOnly() const { return impl_->readOnly; }
Encoding Document::FileEncoding() const { return impl_->encoding; }

}  // namespace pontexa::saga
