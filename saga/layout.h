#pragma once

// What the tree does not keep of a file's bytes, found by one pass over the
// UTF-8 buffer before the parser changes it in place: where the root element
// starts and ends (the bytes around it are written back as they stand), which
// elements were written as a start and an end tag with nothing between, and
// where each line starts (for line and column).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pontexa::saga::detail {

struct SourceLayout {
  std::size_t rootStart = 0;  // the root's '<'
  std::size_t rootEnd = 0;    // one past the root's last '>'
  std::size_t nodesBefore = 0;  // declaration, doctype, comments and PIs before the root
  std::size_t nodesAfter = 0;   // comments and PIs after it
  // Name offsets of start tags followed at once by their end tag ("<a></a>"),
  // ascending. A few may be false hits (inside comments or CDATA); they match
  // no element.
  std::vector<std::uint32_t> emptyPairs;
  // Offset and description of something outside the root that is not XML.
  std::optional<std::pair<std::size_t, std::string>> problem;
  bool rootFound = false;
};

// Without `emptyPairs`, only the ends are scanned (for a document never saved).
SourceLayout ScanLayout(std::string_view utf8, bool emptyPairs = true);

// Byte ranges [first, second) of the root's child elements called `name`, in
// order, from the root's '<' at `rootStart`. The scan accepts only markup the
// parser surely accepts too and nests as it does; on anything else (an odd
// construct, a mismatched tag, the end of the text) it gives nothing, and the
// parser is left to judge the whole file.
std::optional<std::vector<std::pair<std::size_t, std::size_t>>> FindRootChildren(std::string_view utf8,
                                                                                 std::size_t rootStart,
                                                                                 std::string_view name);

// Line starts of a buffer, for turning offsets into line and column.
class LineTable {
 public:
  LineTable() = default;
  explicit LineTable(std::string_view utf8);
  // 1-based line and column (in characters) of a byte offset.
  std::pair<std::size_t, std::size_t> Locate(std::string_view utf8, std::size_t offset) const;

  // Bytes of the file that are not in the buffer: the `replacedBy` bytes
  // (of a single line) before offset `at` of the buffer stand for them. They
  // held `newlines` line ends and, after the last of them (or in all,
  // without any), `lastLineChars` characters. Positions are then told as in
  // the file.
  struct Cut {
    std::size_t at = 0;
    std::size_t replacedBy = 0;
    std::size_t newlines = 0;
    std::size_t lastLineChars = 0;
  };
  static Cut Measure(std::string_view removed, std::size_t at, std::size_t replacedBy);
  // In ascending order of `at`.
  void SetCuts(std::vector<Cut> cuts);

 private:
  std::vector<std::uint32_t> newlines_;  // offsets of '\n'
  std::vector<Cut> cuts_;
  std::vector<std::size_t> newlinesThrough_;  // line ends cut up to and with each cut
  bool usable_ = true;
};

}  // namespace pontexa::saga::detail
