#include <algorithm>
#include <array>
#include <cstring>

#include <pugixml.hpp>

#include "saga/document.h"
#include "saga/document_state.h"
#include "saga/messages.h"
#include "saga/texts.h"
#include "text/cp1252.h"

namespace pontexa::saga {
namespace {

// Compared in place, byte by byte: names are short and most differ at the
// first byte, so a library call per node costs more than the comparison.
bool NameIs(const char* name, std::string_view wanted) {
  for (const char c : wanted) {
    if (*name != c) return false;  // also stops at the end of a shorter name
    ++name;
  }
  return *name == '\0';
}

bool IsBlankText(pugi::xml_node node) {
  return node.type() == pugi::node_pcdata && detail::IsBlank(node.value());
}

// A path of plain child steps, split at '/'. Empty steps ("a//b", a trailing
// '/') are not plain child steps. The few steps of a usual path are kept in
// place: the export asks for a path for every assigned subject.
class Steps {
 public:
  Steps(std::string_view path, const std::filesystem::path& file) {
    std::string_view rest = path;
    if (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
    while (true) {
      const std::size_t slash = rest.find('/');
      const std::string_view step = rest.substr(0, slash);
      if (step.empty())
        throw DocumentError("La ruta '" + std::string(path) + "' no es válida en " + detail::Quoted(file));
      if (count_ < kInPlace) {
        inPlace_[count_] = step;
      } else {
        if (more_.empty()) more_.assign(inPlace_.begin(), inPlace_.end());
        more_.push_back(step);
      }
      ++count_;
      if (slash == std::string_view::npos) break;
      rest.remove_prefix(slash + 1);
    }
  }
  std::size_t size() const { return count_; }
  std::string_view operator[](std::size_t i) const { return more_.empty() ? inPlace_[i] : more_[i]; }

 private:
  static constexpr std::size_t kInPlace = 6;
  std::array<std::string_view, kInPlace> inPlace_{};
  std::vector<std::string_view> more_;  // all of them, once there are more than kInPlace
  std::size_t count_ = 0;
};

// Depth-first, so the result is in document order. Recursion is bounded by
// the number of steps.
void Collect(pugi::xml_node parent, const Steps& steps, std::size_t depth,
             detail::DocumentState* state, std::vector<Element>& out, Element (*make)(pugi::xml_node_struct*, detail::DocumentState*)) {
  const std::string_view step = steps[depth];
  const bool last = depth + 1 == steps.size();
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
    if (!NameIs(child.name(), step) || child.type() != pugi::node_element) continue;
    if (last) {
      out.push_back(make(child.internal_object(), state));
    } else {
      Collect(child, steps, depth + 1, state, out, make);
    }
  }
}

void AppendCdata(std::string& out, const char* text) {
  for (const char* s = text; *s; ++s) {
    if (*s == '\r') {
      out.push_back('\n');
      if (s[1] == '\n') ++s;
    } else {
      out.push_back(*s);
    }
  }
}

// The text of every text and CDATA node below `node`, in document order;
// walked without recursion, since nesting depth is the file's to choose.
void AppendDescendantText(std::string& out, pugi::xml_node top) {
  pugi::xml_node node = top.first_child();
  while (node) {
    if (node.type() == pugi::node_pcdata) {
      if (!detail::IsBlank(node.value())) detail::AppendExpanded(out, node.value(), false);
    } else if (node.type() == pugi::node_cdata) {
      AppendCdata(out, node.value());
    }
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node != top && !node.next_sibling()) node = node.parent();
    if (node == top) break;
    node = node.next_sibling();
  }
}

// Whether a stored value reads as it stands: plain ASCII, with nothing to
// expand; such a value is its own Windows-1252 text. Sets `end` at its end.
bool IsPlainAscii(const char* stored, bool attribute, const char*& end) {
  const char* s = stored;
  for (; *s; ++s) {
    const auto c = static_cast<unsigned char>(*s);
    if (c >= 0x80 || c == '&' || c == '\r' || (attribute && (c == '\n' || c == '\t'))) return false;
  }
  end = s;
  return true;
}

std::string ToAnsi(const char* stored, bool attribute) {
  const char* end = nullptr;
  if (IsPlainAscii(stored, attribute, end)) return std::string(stored, end);
  if (stored[std::strcspn(stored, attribute ? "&\r\n\t" : "&\r")] == '\0') return text::Utf8ToAnsi(stored);
  std::string utf8;
  detail::AppendExpanded(utf8, stored, attribute);
  return text::Utf8ToAnsi(utf8);
}

}  // namespace

pugi::xml_node Element::Node() const { return pugi::xml_node(node_); }

std::string Element::Name() const { return node_ ? text::Utf8ToAnsi(Node().name()) : std::string(); }

std::vector<Element> Element::SelectNodes(std::string_view path) const {
  std::vector<Element> out;
  if (!node_) return out;
  const Steps steps(path, state_->path);
  pugi::xml_node start = Node();
  if (!path.empty() && path.front() == '/') start = start.root();
  Collect(start, steps, 0, state_, out, [](pugi::xml_node_struct* n, detail::DocumentState* s) { return Element(n, s); });
  return out;
}

Element Element::SelectSingleNode(std::string_view childName) const {
  if (!node_) return {};
  for (pugi::xml_node child = Node().first_child(); child; child = child.next_sibling())
    if (child.type() == pugi::node_element && NameIs(child.name(), childName)) return Element(child.internal_object(), state_);
  return {};
}

std::size_t Element::AttributeCount() const {
  std::size_t count = 0;
  if (node_)
    for (pugi::xml_attribute a = Node().first_attribute(); a; a = a.next_attribute()) ++count;
  return count;
}

std::optional<std::string> Element::Attribute(std::string_view name) const {
  if (!node_) return std::nullopt;
  // A short name goes to the parser's own lookup in one call, NUL-terminated
  // on the stack; a longer one is compared attribute by attribute.
  char terminated[32];
  if (name.size() < sizeof terminated && name.find('\0') == std::string_view::npos) {
    std::copy(name.begin(), name.end(), terminated);
    terminated[name.size()] = '\0';
    const pugi::xml_attribute a = Node().attribute(terminated);
    if (!a) return std::nullopt;
    return ToAnsi(a.value(), true);
  }
  for (pugi::xml_attribute a = Node().first_attribute(); a; a = a.next_attribute())
    if (NameIs(a.name(), name)) return ToAnsi(a.value(), true);
  return std::nullopt;
}

namespace {
// The DOM drops the layout around text: line breaks and indentation at either
// end of a text are not part of it (a name followed by its element's
// indentation must not carry a line break into a table field). Inner white
// space stays as written.
std::string WithoutLayoutAtEnds(std::string text) {
  const auto isLayout = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  std::size_t end = text.size();
  while (end > 0 && isLayout(text[end - 1])) --end;
  std::size_t begin = 0;
  while (begin < end && isLayout(text[begin])) ++begin;
  return text.substr(begin, end - begin);
}
}  // namespace

std::optional<std::string> Element::FirstChildText() const {
  const std::optional<std::string> raw = RawFirstChildText();
  if (!raw) return std::nullopt;
  // CDATA says exactly what it holds; only markup text carries layout.
  pugi::xml_node child = Node().first_child();
  while (child && IsBlankText(child)) child = child.next_sibling();
  if (child.type() == pugi::node_cdata) return raw;
  return WithoutLayoutAtEnds(*raw);
}

std::optional<std::string> Element::RawFirstChildText() const {
  if (!node_) return std::nullopt;
  pugi::xml_node child = Node().first_child();
  while (child && IsBlankText(child)) child = child.next_sibling();
  if (!child) return std::nullopt;
  switch (child.type()) {
    case pugi::node_pcdata:
      return ToAnsi(child.value(), false);
    case pugi::node_cdata: {
      std::string utf8;
      AppendCdata(utf8, child.value());
      return text::Utf8ToAnsi(utf8);
    }
    case pugi::node_element:
      return Element(child.internal_object(), state_).RawText();
    default:  // comment, processing instruction: their content
      return text::Utf8ToAnsi(child.value());
  }
}

std::string Element::Text() const { return WithoutLayoutAtEnds(RawText()); }

std::string Element::RawText() const {
  if (!node_) return {};
  std::string utf8;
  AppendDescendantText(utf8, Node());
  return text::Utf8ToAnsi(utf8);
}

std::optional<std::string> Element::AttributeUtf8(std::string_view name) const {
  if (!node_) return std::nullopt;
  for (pugi::xml_attribute a = Node().first_attribute(); a; a = a.next_attribute()) {
    if (!NameIs(a.name(), name)) continue;
    std::string utf8;
    detail::AppendExpanded(utf8, a.value(), true);
    return utf8;
  }
  return std::nullopt;
}

void Element::SetAttribute(std::string_view name, std::string_view ansiValue) {
  if (!node_ || Node().type() != pugi::node_element || name.empty() || state_->SectionMarkup(node_))
    throw DocumentError("No se puede poner el atributo '" + std::string(name) + "' en " +
                        (state_ ? detail::Quoted(state_->path) : std::string("un elemento vacío")));
  const std::string stored = detail::StoredAttributeValue(ansiValue, state_->encoding);
  pugi::xml_node node = Node();
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
    if (NameIs(a.name(), name)) {
      a.set_value(stored.c_str());
      return;
    }
  }
  node.append_attribute(std::string(name).c_str()).set_value(stored.c_str());
}

void Element::AppendChild(Element child) {
  if (!node_ || !child.node_ || child.state_ != state_ || child.Node().type() != pugi::node_element ||
      state_->SectionMarkup(node_) || state_->SectionMarkup(child.node_))
    throw DocumentError("No se puede añadir el elemento en " +
                        (state_ ? detail::Quoted(state_->path) : std::string("un elemento vacío")));
  pugi::xml_node parent = Node();
  // Goes before the indentation of the closing tag, so the layout stays and
  // a second import writes the same bytes as the first.
  pugi::xml_node last = parent.last_child();
  const pugi::xml_node moved = (last && IsBlankText(last) && last != child.Node())
                                   ? parent.insert_move_before(child.Node(), last)
                                   : parent.append_move(child.Node());
  if (!moved)
    throw DocumentError("No se puede añadir el elemento '" + child.Name() + "' dentro de '" + Name() + "' en " +
                        detail::Quoted(state_->path));
}

void Element::RemoveChild(Element child) {
  if (!node_ || !child.node_ || child.state_ != state_ || child.Node().parent() != Node())
    throw DocumentError("No se puede quitar el elemento '" + child.Name() + "': no es hijo de '" + Name() + "'" +
                        (state_ ? " en " + detail::Quoted(state_->path) : std::string()));
  // Kept aside rather than destroyed: whoever still holds it stays valid.
  state_->Detached().append_move(child.Node());
  // A section's markup is never written again once out of the tree.
  auto& sections = state_->sections;
  sections.erase(std::remove_if(sections.begin(), sections.end(),
                                [&](const auto& section) { return section.first == child.node_; }),
                 sections.end());
}

std::size_t Element::Line() const {
  if (!node_) return 0;
  const std::ptrdiff_t offset = Node().offset_debug();
  return offset <= 0 ? 0 : state_->Locate(static_cast<std::size_t>(offset) - 1).first;
}

std::size_t Element::Column() const {
  if (!node_) return 0;
  const std::ptrdiff_t offset = Node().offset_debug();
  return offset <= 0 ? 0 : state_->Locate(static_cast<std::size_t>(offset) - 1).second;
}

}  // namespace pontexa::saga
