#include "saga/layout.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace pontexa::saga::detail {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool StartsWith(std::string_view text, std::size_t at, std::string_view prefix) {
  return text.size() - at >= prefix.size() && text.compare(at, prefix.size(), prefix) == 0;
}

bool EndsWith(std::string_view text, std::size_t from, std::size_t end, std::string_view suffix) {
  return end - from >= suffix.size() && text.compare(end - suffix.size(), suffix.size(), suffix) == 0;
}

// End (one past '>') of a doctype starting at `at`, or npos. Skips quoted
// literals, comments and the internal subset's brackets.
std::size_t DoctypeEnd(std::string_view text, std::size_t at) {
  int depth = 0;
  for (std::size_t i = at + 9; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      const std::size_t close = text.find(c, i + 1);
      if (close == std::string_view::npos) return close;
      i = close;
    } else if (c == '<' && StartsWith(text, i, "<!--")) {
      const std::size_t close = text.find("-->", i + 4);
      if (close == std::string_view::npos) return close;
      i = close + 2;
    } else if (c == '[') {
      ++depth;
    } else if (c == ']') {
      --depth;
    } else if (c == '>' && depth <= 0) {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

void FindEmptyPairs(std::string_view text, SourceLayout& layout) {
  const std::size_t limit = std::min(text.size(), static_cast<std::size_t>(std::numeric_limits<std::uint32_t>::max()));
  for (std::size_t hit = text.find("></", layout.rootStart); hit != std::string_view::npos && hit < layout.rootEnd;
       hit = text.find("></", hit + 3)) {
    if (hit == 0 || text[hit - 1] == '/') continue;
    std::size_t open = hit;
    while (open > layout.rootStart && text[open] != '<') --open;
    if (text[open] != '<' || open + 1 >= hit) continue;
    const char kind = text[open + 1];
    if (kind == '/' || kind == '!' || kind == '?') continue;
    if (open + 1 < limit) layout.emptyPairs.push_back(static_cast<std::uint32_t>(open + 1));
  }
}

}  // namespace

SourceLayout ScanLayout(std::string_view text, bool emptyPairs) {
  SourceLayout layout;
  std::size_t at = 0;
  for (;;) {
    while (at < text.size() && IsSpace(text[at])) ++at;
    if (at >= text.size()) return layout;
    std::size_t end = std::string_view::npos;
    if (StartsWith(text, at, "<?")) {
      end = text.find("?>", at + 2);
      if (end != std::string_view::npos) end += 2;
    } else if (StartsWith(text, at, "<!--")) {
      end = text.find("-->", at + 4);
      if (end != std::string_view::npos) end += 3;
    } else if (StartsWith(text, at, "<!DOCTYPE")) {
      end = DoctypeEnd(text, at);
    } else if (text[at] == '<' && at + 1 < text.size() && text[at + 1] != '!' && text[at + 1] != '/') {
      break;
    } else {
      layout.problem.emplace(at, "hay texto antes del elemento raíz");
      return layout;
    }
    if (end == std::string_view::npos) return layout;  // the parser reports it
    at = end;
    ++layout.nodesBefore;
  }
  layout.rootFound = true;
  layout.rootStart = at;

  std::size_t end = text.size();
  for (;;) {
    while (end > at && IsSpace(text[end - 1])) --end;
    std::size_t open = std::string_view::npos;
    if (EndsWith(text, at, end, "-->")) {
      open = text.rfind("<!--", end - 3);
    } else if (EndsWith(text, at, end, "?>")) {
      open = text.rfind("<?", end - 2);
    }
    if (open == std::string_view::npos || open <= at) break;
    end = open;
    ++layout.nodesAfter;
  }
  if (end == at || text[end - 1] != '>') layout.problem.emplace(end, "hay texto después del elemento raíz");
  layout.rootEnd = end;
  if (emptyPairs) FindEmptyPairs(text, layout);
  return layout;
}

LineTable::LineTable(std::string_view text) {
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
    usable_ = false;
    return;
  }
  // Counted first, so the table takes exactly its size.
  const char* const end = text.data() + text.size();
  std::size_t count = 0;
  for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, '\n', end - p))); ++p) ++count;
  newlines_.reserve(count);
  for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, '\n', end - p))); ++p)
    newlines_.push_back(static_cast<std::uint32_t>(p - text.data()));
}

std::pair<std::size_t, std::size_t> LineTable::Locate(std::string_view text, std::size_t offset) const {
  if (!usable_) return {0, 0};
  offset = std::min(offset, text.size());
  const auto after = std::lower_bound(newlines_.begin(), newlines_.end(), offset);
  const std::size_t line = static_cast<std::size_t>(after - newlines_.begin()) + 1;
  const std::size_t lineStart = after == newlines_.begin() ? 0 : *(after - 1) + 1;
  std::size_t column = 1;
  for (std::size_t i = lineStart; i < offset; ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++column;
  return {line, column};
}

}  // namespace pontexa::saga::detail
