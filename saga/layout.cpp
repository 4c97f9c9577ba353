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

namespace {

std::size_t CountChars(std::string_view text, std::size_t from, std::size_t to) {
  std::size_t count = 0;
  for (std::size_t i = from; i < to; ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++count;
  return count;
}

}  // namespace

LineTable::Cut LineTable::Measure(std::string_view removed, std::size_t at, std::size_t replacedBy) {
  Cut cut;
  cut.at = at;
  cut.replacedBy = replacedBy;
  std::size_t lastLineStart = 0;
  for (std::size_t i = 0; i < removed.size(); ++i) {
    if (removed[i] == '\n') {
      ++cut.newlines;
      lastLineStart = i + 1;
    }
  }
  cut.lastLineChars = CountChars(removed, lastLineStart, removed.size());
  return cut;
}

void LineTable::SetCuts(std::vector<Cut> cuts) {
  cuts_ = std::move(cuts);
  newlinesThrough_.clear();
  newlinesThrough_.reserve(cuts_.size());
  std::size_t total = 0;
  for (const Cut& cut : cuts_) newlinesThrough_.push_back(total += cut.newlines);
}

std::pair<std::size_t, std::size_t> LineTable::Locate(std::string_view text, std::size_t offset) const {
  if (!usable_) return {0, 0};
  offset = std::min(offset, text.size());
  const auto after = std::lower_bound(newlines_.begin(), newlines_.end(), offset);
  std::size_t line = static_cast<std::size_t>(after - newlines_.begin()) + 1;
  const std::size_t lineStart = after == newlines_.begin() ? 0 : *(after - 1) + 1;

  // Cut bytes standing at the offset itself came before it.
  const auto cutsBefore = std::upper_bound(cuts_.begin(), cuts_.end(), offset,
                                           [](std::size_t at, const Cut& cut) { return at < cut.at; });
  const auto cutCount = static_cast<std::size_t>(cutsBefore - cuts_.begin());
  if (cutCount > 0) line += newlinesThrough_[cutCount - 1];

  // Back from the offset to the start of its line in the file, through the
  // cuts on the buffer's line.
  std::size_t column = 1;
  std::size_t end = offset;
  for (auto cut = cutsBefore; cut != cuts_.begin();) {
    --cut;
    if (cut->at < lineStart) break;
    column += CountChars(text, cut->at, end) + cut->lastLineChars;
    if (cut->newlines > 0) return {line, column};
    end = cut->at - cut->replacedBy;
  }
  return {line, column + CountChars(text, lineStart, end)};
}

namespace {

bool IsNameStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u == ':' || u >= 0x80;
}

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// A strict reader of the markup inside the root: each step either moves past
// one construct the parser would take as it stands, or gives up.
class ChildScanner {
 public:
  ChildScanner(std::string_view text, std::string_view wanted) : text_(text), wanted_(wanted) {}

  std::optional<std::vector<std::pair<std::size_t, std::size_t>>> Run(std::size_t rootStart) {
    at_ = rootStart;
    if (!StartTag()) return std::nullopt;
    while (!open_.empty()) {
      const char* const begin = text_.data() + at_;
      const void* next = std::memchr(begin, '<', text_.size() - at_);
      if (!next) return std::nullopt;
      at_ += static_cast<std::size_t>(static_cast<const char*>(next) - begin);
      const char kind = Peek(1);
      bool ok = false;
      if (kind == '/') {
        ok = EndTag();
      } else if (kind == '!') {
        ok = Skip("<!--", "-->") || Skip("<![CDATA[", "]]>");
      } else if (kind == '?') {
        ok = Instruction();
      } else {
        ok = StartTag();
      }
      if (!ok) return std::nullopt;
    }
    return std::move(found_);
  }

 private:
  char Peek(std::size_t ahead) const { return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0'; }
  bool IsSpaceAt() const { return at_ < text_.size() && IsSpace(text_[at_]); }
  bool SkipSpace() {
    const std::size_t from = at_;
    while (IsSpaceAt()) ++at_;
    return at_ != from;
  }
  std::string_view Name() {
    if (at_ >= text_.size() || !IsNameStart(text_[at_])) return {};
    const std::size_t from = at_;
    while (at_ < text_.size() && IsNameChar(text_[at_])) ++at_;
    return text_.substr(from, at_ - from);
  }
  bool Skip(std::string_view opening, std::string_view closing) {
    if (!StartsWith(text_, at_, opening)) return false;
    const std::size_t close = text_.find(closing, at_ + opening.size());
    if (close == std::string_view::npos) return false;
    at_ = close + closing.size();
    return true;
  }

  bool Instruction() {
    at_ += 2;
    const std::string_view target = Name();
    // A declaration inside the root is the parser's to refuse.
    if (target.empty() || (target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' &&
                           (target[2] | 0x20) == 'l'))
      return false;
    if (Peek(0) == '?' && Peek(1) == '>') {
      at_ += 2;
      return true;
    }
    if (!SkipSpace()) return false;
    const std::size_t close = text_.find("?>", at_);
    if (close == std::string_view::npos) return false;
    at_ = close + 2;
    return true;
  }

  bool StartTag() {
    const std::size_t start = at_;
    ++at_;
    const std::string_view name = Name();
    if (name.empty()) return false;
    bool empty = false;
    for (;;) {
      const bool spaced = SkipSpace();
      if (Peek(0) == '>') {
        ++at_;
        break;
      }
      if (Peek(0) == '/') {
        if (Peek(1) != '>') return false;
        at_ += 2;
        empty = true;
        break;
      }
      if (!spaced || Name().empty()) return false;
      SkipSpace();
      if (Peek(0) != '=') return false;
      ++at_;
      SkipSpace();
      const char quote = Peek(0);
      if (quote != '"' && quote != '\'') return false;
      const std::size_t close = text_.find(quote, at_ + 1);
      if (close == std::string_view::npos || text_.substr(at_ + 1, close - at_ - 1).find('<') != std::string_view::npos)
        return false;
      at_ = close + 1;
    }
    const bool wanted = open_.size() == 1 && name == wanted_;
    if (wanted && empty) found_.emplace_back(start, at_);
    if (wanted && !empty) sectionStart_ = start;
    if (!empty) open_.push_back(name);
    return true;
  }

  bool EndTag() {
    at_ += 2;
    if (Name() != open_.back()) return false;
    SkipSpace();
    if (Peek(0) != '>') return false;
    ++at_;
    open_.pop_back();
    if (open_.size() == 1 && sectionStart_ != std::string_view::npos) {
      found_.emplace_back(sectionStart_, at_);
      sectionStart_ = std::string_view::npos;
    }
    return true;
  }

  std::string_view text_;
  std::string_view wanted_;
  std::size_t at_ = 0;
  std::vector<std::string_view> open_;
  std::size_t sectionStart_ = std::string_view::npos;
  std::vector<std::pair<std::size_t, std::size_t>> found_;
};

}  // namespace

std::optional<std::vector<std::pair<std::size_t, std::size_t>>> FindRootChildren(std::string_view text,
                                                                                 std::size_t rootStart,
                                                                                 std::string_view name) {
  if (rootStart >= text.size() || text[rootStart] != '<') return std::nullopt;
  return ChildScanner(text, name).Run(rootStart);
}

}  // namespace pontexa::saga::detail
