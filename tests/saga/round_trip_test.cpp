#include <gtest/gtest.h>

#include "saga/document.h"

namespace pontexa::saga {
namespace {

std::string Crlf(std::string text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

const std::string kIndented =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
    "<!DOCTYPE document [\n  <!ENTITY centro \"IES\">\n  <!-- it's a note -->\n]>\n"
    "<!-- exportado por SAGA -->\n"
    "<?saga-version 4.2?>\n"
    "<document version=\"2\">\n"
    "  <subjects>\n"
    "    <subject id=\"1\" name=\"Lengua &amp; Literatura\" hours=\"4\"/>\n"
    "    <subject id=\"2\" name=\"caf&#233; &centro;\" note=\"a&#10;b\"/>\n"
    "  </subjects>\n"
    "  <!-- profesores -->\n"
    "  <teachers>\n"
    "    <teacher id=\"t1\">Ana &gt; Luis</teacher>\n"
    "    <teacher id=\"t2\"><![CDATA[<x> & y]]></teacher>\n"
    "    <teacher id=\"t3\"></teacher>\n"
    "    <teacher id=\"t4\">  </teacher>\n"
    "    <teacher id=\"t5\"><?pi inside?></teacher>\n"
    "  </teachers>\n"
    "  <time-tables>\n"
    "    <time-table id=\"tt1\" name=\"Anterior\"><days/></time-table>\n"
    "  </time-tables>\n"
    "</document>\n"
    "<!-- fin -->\n";

TEST(RoundTrip, AnUnchangedFileIsWrittenBackByteForByte) {
  const std::string cases[] = {
      kIndented,
      Crlf(kIndented),
      "<document/>",
      "\n\n<document></document>\n\n\n",
      "<document><a></a><b/><c>x</c><d>\n</d></document>",
      "<?xml version=\"1.0\"?><document attribute=\"line\nbreak\ttab\"/><!--x--><?y z?>",
  };
  for (const std::string& file : cases) {
    const Document doc = Document::Parse(file, "escuela.xml");
    EXPECT_EQ(doc.Serialize(), file);
  }
}

void ReplaceTimeTables(Document& doc, const std::string& name) {
  Element root = doc.DocumentElement();
  while (Element old = root.SelectSingleNode("time-tables")) root.RemoveChild(old);
  root.AppendChild(doc.CreateElement("time-tables"));
  Element section = root.SelectSingleNode("time-tables");
  Element table = doc.CreateElement("time-table");
  table.SetAttribute("id", "tt1");
  table.SetAttribute("name", name);
  section.AppendChild(table);
  Element days = doc.CreateElement("days");
  table.AppendChild(days);
  Element day = doc.CreateElement("day");
  days.AppendChild(day);
  day.SetAttribute("id", "1");
  day.SetAttribute("name", "");
}

TEST(RoundTrip, ReplacingTheSectionChangesNothingElseAndTwiceIsLikeOnce) {
  for (const std::string& original : {kIndented, Crlf(kIndented)}) {
    Document doc = Document::Parse(original, "escuela.xml");
    ReplaceTimeTables(doc, "Mirvane");
    const std::string once = doc.Serialize();
    const std::string section = "<time-tables><time-table id=\"tt1\" name=\"Mirvane\"><days><day id=\"1\" name=\"\"/>"
                                "</days></time-table></time-tables>";
    const std::size_t oldStart = original.find("<time-tables>");
    const std::size_t oldEnd = original.find("</time-tables>") + 14;
    EXPECT_EQ(once, original.substr(0, oldStart) + section + original.substr(oldEnd));

    Document again = Document::Parse(once, "escuela.xml");
    ReplaceTimeTables(again, "Mirvane");
    EXPECT_EQ(again.Serialize(), once);
  }
}

TEST(RoundTrip, EverySectionGoesAndTheNewOneIsTheRootsLastChild) {
  Document doc = Document::Parse(
      "<document>\n  <time-tables id=\"a\"/>\n  <groups><time-tables id=\"deep\"/></groups>\n"
      "  <time-tables id=\"b\"></time-tables>\n</document>",
      "x.xml");
  ReplaceTimeTables(doc, "M");
  EXPECT_EQ(doc.Serialize(),
            "<document>\n  \n  <groups><time-tables id=\"deep\"/></groups>\n  <time-tables><time-table id=\"tt1\" "
            "name=\"M\"><days><day id=\"1\" name=\"\"/></days></time-table></time-tables>\n</document>");
}

TEST(RoundTrip, ANewSectionInAFileWithoutOneGoesBeforeTheClosingTagsIndentation) {
  Document doc = Document::Parse("<document>\r\n  <subjects/>\r\n</document>\r\n", "x.xml");
  ReplaceTimeTables(doc, "M");
  const std::string once = doc.Serialize();
  EXPECT_EQ(once, "<document>\r\n  <subjects/><time-tables><time-table id=\"tt1\" name=\"M\"><days><day id=\"1\" "
                  "name=\"\"/></days></time-table></time-tables>\r\n</document>\r\n");
  Document again = Document::Parse(once, "x.xml");
  ReplaceTimeTables(again, "M");
  EXPECT_EQ(again.Serialize(), once);
}

TEST(RoundTrip, Latin1FileTakesTheEuroAsAReferenceAndKeepsTheRest) {
  const std::string original =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<document>\r\n"
      "  <subjects><subject id=\"1\" name=\"Educaci\xF3n F\xEDsica\"/></subjects>\r\n"
      "  <time-tables><time-table id=\"tt1\" name=\"viejo\"/></time-tables>\r\n</document>\r\n";
  Document doc = Document::Parse(original, "x.xml");
  ReplaceTimeTables(doc, "Precio \x80 \xD1");
  EXPECT_EQ(doc.Serialize(),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<document>\r\n"
            "  <subjects><subject id=\"1\" name=\"Educaci\xF3n F\xEDsica\"/></subjects>\r\n"
            "  <time-tables><time-table id=\"tt1\" name=\"Precio &#8364; \xD1\"><days><day id=\"1\" name=\"\"/>"
            "</days></time-table></time-tables>\r\n</document>\r\n");
}

TEST(Editing, SetAttributeKeepsThePlaceOfExistingOnesAndEscapesMarkup) {
  Document doc = Document::Parse("<document b=\"1\" a=\"2\"/>", "x.xml");
  Element root = doc.DocumentElement();
  root.SetAttribute("c", "x<y & \"z\"\r\n\t>");
  root.SetAttribute("b", "nuevo");
  root.SetAttribute("empty", "");
  EXPECT_EQ(doc.Serialize(),
            "<document b=\"nuevo\" a=\"2\" c=\"x&lt;y &amp; &quot;z&quot;&#13;&#10;&#9;&gt;\" empty=\"\"/>");
  EXPECT_EQ(root.Attribute("c"), "x<y & \"z\"\r\n\t>");
  EXPECT_EQ(root.AttributeCount(), 4u);
}

TEST(Editing, ARemovedElementStaysUsableAndCanBePlacedAgain) {
  Document doc = Document::Parse("<document><a id=\"1\"/><b/></document>", "x.xml");
  Element root = doc.DocumentElement();
  Element a = root.SelectSingleNode("a");
  root.RemoveChild(a);
  EXPECT_EQ(a.Attribute("id"), "1");
  EXPECT_EQ(doc.Serialize(), "<document><b/></document>");
  root.AppendChild(a);
  EXPECT_EQ(doc.Serialize(), "<document><b/><a id=\"1\"/></document>");
}

TEST(Editing, ImpossibleMovesAreErrors) {
  Document doc = Document::Parse("<document><a><b/></a></document>", "x.xml");
  Document other = Document::Parse("<document/>", "y.xml");
  Element root = doc.DocumentElement();
  Element a = root.SelectSingleNode("a");
  EXPECT_THROW(a.SelectSingleNode("b").AppendChild(a), DocumentError);         // into its own child
  EXPECT_THROW(root.AppendChild(other.CreateElement("x")), DocumentError);     // from another document
  EXPECT_THROW(root.RemoveChild(a.SelectSingleNode("b")), DocumentError);      // not a child of root
  EXPECT_THROW(root.AppendChild(Element()), DocumentError);
  EXPECT_EQ(doc.Serialize(), "<document><a><b/></a></document>");
}

TEST(Editing, NewElementsAreNotWrittenUntilPlaced) {
  Document doc = Document::Parse("<document/>", "x.xml");
  Element loose = doc.CreateElement("time-tables");
  loose.SetAttribute("id", "1");
  EXPECT_EQ(doc.Serialize(), "<document/>");
  EXPECT_EQ(doc.DocumentElement().Name(), "document");
  EXPECT_TRUE(doc.SelectNodes("/time-tables").empty());
}

}  // namespace
}  // namespace pontexa::saga
