// A section written as markup must save to the very bytes the same tree made
// of DOM nodes saves to, in every encoding and layout a file may have.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "saga/document.h"
#include "saga/section_writer.h"
#include "support/temp_folder.h"

namespace pontexa::saga {
namespace {

using namespace std::string_literals;

// One tree, described once and built both ways.
struct Node {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<Node> children;
};

// Windows-1252 values: markup characters, both quotes, control characters,
// line ends, a tab, and characters beyond ASCII ('é', '€', 'ÿ').
const Node kTree{
    "time-tables",
    {},
    {{"time-table",
      {{"id", "tt1"}, {"name", "A & B <c> \"d\" 'e'"}},
      {{"days",
        {},
        {{"day", {{"id", "1"}, {"name", "Mi\xE9rcoles \x80 \xFF"}}, {{"interval", {{"id", "i1"}, {"begin", "09:00"}}, {}}}},
         {"day", {{"id", "2"}, {"name", "l\x01nea\r\nsalto\ttab\x1F"}}, {}}}},
       {"inputs", {}, {{"input", {{"id", ""}}, {{"groups", {}, {{"group", {}, {}}}}}}}},
       {"empty", {}, {}}}}}};

void BuildWithNodes(Document& doc, Element parent, const Node& node) {
  Element element = doc.CreateElement(node.name);
  for (const auto& [name, value] : node.attributes) element.SetAttribute(name, value);
  parent.AppendChild(element);
  for (const Node& child : node.children) BuildWithNodes(doc, element, child);
}

void Write(SectionWriter& writer, const Node& node) {
  writer.Open(node.name);
  for (const auto& [name, value] : node.attributes) writer.Attribute(name, value);
  for (const Node& child : node.children) Write(writer, child);
  writer.Close();
}

std::string Utf16LE(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t u : text) bytes += std::string{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  return bytes;
}

struct FileCase {
  const char* title;
  std::string bytes;
};

const std::vector<FileCase>& FileCases() {
  static const std::vector<FileCase> cases{
      {"utf-8, indented", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<document>\n  <a x=\"1\"/>\n</document>\n"},
      {"utf-8, not indented", "<document v=\"2\"><a/><b>t</b></document>"},
      {"utf-8, empty root", "<document/>"},
      {"utf-8, prolog the parser rewrites", "<!-- c --><document>\n</document><?pi x?>"},
      {"iso-8859-1, CRLF",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<document>\r\n  <a n=\"F\xEDsica\"/>\r\n</document>\r\n"},
      {"windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><document>\n</document>"},
      {"utf-16le with BOM", Utf16LE(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<document>\r\n  <a/>\r\n</document>\r\n")},
  };
  return cases;
}

TEST(SectionWriter, SavesTheBytesOfTheSameTreeMadeOfNodes) {
  for (const FileCase& file : FileCases()) {
    SCOPED_TRACE(file.title);
    Document withNodes = Document::Parse(file.bytes, "escuela.xml");
    BuildWithNodes(withNodes, withNodes.DocumentElement(), kTree);

    Document withSection = Document::Parse(file.bytes, "escuela.xml");
    SectionWriter writer(withSection);
    Write(writer, kTree);
    withSection.DocumentElement().AppendSection(std::move(writer));

    EXPECT_EQ(withSection.Serialize(), withNodes.Serialize());
  }
}

TEST(SectionWriter, GoesBeforeTheClosingTagsIndentationAndHoldsReferencesTheEncodingNeeds) {
  Document doc = Document::Parse(
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<document>\n  <a/>\n</document>\n", "escuela.xml");
  SectionWriter writer(doc);
  writer.Open("s");
  writer.Attribute("v", "\x80 \xE9 <&>\"\n");
  writer.Open("t");
  writer.Close();
  writer.Close();
  doc.DocumentElement().AppendSection(std::move(writer));
  EXPECT_EQ(doc.Serialize(),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<document>\n  <a/><s v=\"&#8364; \xE9 &lt;&amp;&gt;&quot;&#10;\">"
            "<t/></s>\n</document>\n");
}

TEST(SectionWriter, ASavedSectionReadsBackAsWritten) {
  testing::TempFolder folder;
  const auto file = folder / "escuela.xml";
  testing::WriteBytes(file, FileCases()[4].bytes);
  {
    Document doc = Document::Load(file);
    SectionWriter writer(doc);
    Write(writer, kTree);
    doc.DocumentElement().AppendSection(std::move(writer));
    doc.Save();
  }
  const Document doc = Document::Load(file);
  const std::vector<Element> days = doc.SelectNodes("/document/time-tables/time-table/days/day");
  ASSERT_EQ(days.size(), 2u);
  EXPECT_EQ(days[0].Attribute("name"), "Mi\xE9rcoles \x80 \xFF");
  // Stored as references, line ends, tabs and control characters come back as such.
  EXPECT_EQ(days[1].Attribute("name"), "l\x01nea\r\nsalto\ttab\x1F");
  EXPECT_EQ(doc.SelectNodes("/document/time-tables/time-table")[0].Attribute("name"), "A & B <c> \"d\" 'e'");
}

TEST(SectionWriter, TheSectionIsFoundByNameAndRemovedLikeAnyChild) {
  const std::string original = "<document>\n  <a/>\n</document>\n";
  Document doc = Document::Parse(original, "escuela.xml");
  Element root = doc.DocumentElement();
  SectionWriter writer(doc);
  Write(writer, kTree);
  root.AppendSection(std::move(writer));

  // A later child goes after it, as after any child.
  Element later = doc.CreateElement("z");
  root.AppendChild(later);
  EXPECT_TRUE(doc.Serialize().ends_with("</time-table></time-tables><z/>\n</document>\n")) << doc.Serialize();

  Element section = root.SelectSingleNode("time-tables");
  ASSERT_TRUE(section);
  EXPECT_THROW(section.AppendChild(doc.CreateElement("x")), DocumentError);
  EXPECT_THROW(section.SetAttribute("x", "1"), DocumentError);
  root.RemoveChild(section);
  root.RemoveChild(later);
  EXPECT_EQ(doc.Serialize(), original);
}

TEST(SectionWriter, MisuseThrowsAndLeavesTheDocumentAsItWas) {
  const std::string original = "<document><a/></document>";
  Document doc = Document::Parse(original, "escuela.xml");
  Document other = Document::Parse("\xFF\xFE<\0d\0/\0>\0"s, "otro.xml");
  Element root = doc.DocumentElement();
  const std::vector<std::pair<const char*, std::function<void()>>> misuses{
      {"attribute with nothing open", [&] { SectionWriter w(doc); w.Attribute("id", "1"); }},
      {"attribute after a child",
       [&] {
         SectionWriter w(doc);
         w.Open("s");
         w.Open("t");
         w.Close();
         w.Attribute("id", "1");
       }},
      {"attribute after a closed top element",
       [&] {
         SectionWriter w(doc);
         w.Open("s");
         w.Close();
         w.Attribute("id", "1");
       }},
      {"the same attribute twice",
       [&] {
         SectionWriter w(doc);
         w.Open("s");
         w.Attribute("id", "1");
         w.Attribute("id", "2");
       }},
      {"close with nothing open", [&] { SectionWriter w(doc); w.Close(); }},
      {"a second top element",
       [&] {
         SectionWriter w(doc);
         w.Open("s");
         w.Close();
         w.Open("t");
       }},
      {"an empty name", [&] { SectionWriter w(doc); w.Open(""); }},
      {"an empty attribute name",
       [&] {
         SectionWriter w(doc);
         w.Open("s");
         w.Attribute("", "1");
       }},
      {"appended with an element open",
       [&] {
         SectionWriter w(doc);
         w.Open("s");
         root.AppendSection(std::move(w));
       }},
      {"appended with nothing written", [&] { root.AppendSection(SectionWriter(doc)); }},
      {"appended below the document element",
       [&] {
         SectionWriter w(doc);
         w.Open("s");
         w.Close();
         root.SelectSingleNode("a").AppendSection(std::move(w));
       }},
      {"appended to an element not in the tree",
       [&] {
         SectionWriter w(doc);
         w.Open("s");
         w.Close();
         doc.CreateElement("x").AppendSection(std::move(w));
       }},
      {"appended to an empty element",
       [&] {
         SectionWriter w(doc);
         w.Open("s");
         w.Close();
         Element().AppendSection(std::move(w));
       }},
      {"written for a file in another encoding",
       [&] {
         SectionWriter w(other);
         w.Open("s");
         w.Close();
         root.AppendSection(std::move(w));
       }},
  };
  for (const auto& [title, misuse] : misuses) {
    SCOPED_TRACE(title);
    EXPECT_THROW(misuse(), DocumentError);
    EXPECT_EQ(doc.Serialize(), original);
  }
}

}  // namespace
}  // namespace pontexa::saga
