#include <gtest/gtest.h>

#include "saga/document.h"

namespace pontexa::saga {
namespace {

Document Parse(const std::string& xml) { return Document::Parse(xml, "prueba.xml"); }

std::vector<std::string> Ids(const std::vector<Element>& elements) {
  std::vector<std::string> ids;
  for (const Element& e : elements) ids.push_back(e.Attribute("id").value_or("<sin id>"));
  return ids;
}

TEST(Selection, AbsolutePathTakesOnlyChildrenOfTheNamedParents) {
  const Document doc = Parse(
      "<document>\n"
      "  <subjects><subject id='1'/><other><subject id='x'/></other><subject id='2'/></subjects>\n"
      "  <subject id='y'/>\n"
      "  <subjects><subject id='3'/></subjects>\n"
      "</document>");
  EXPECT_EQ(Ids(doc.SelectNodes("/document/subjects/subject")), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_TRUE(doc.SelectNodes("/document/teachers/teacher").empty());
  EXPECT_TRUE(doc.SelectNodes("/other/subjects/subject").empty());
}

TEST(Selection, RelativePathCollectsGrandchildrenThroughEveryMatchingChildInDocumentOrder) {
  const Document doc = Parse(
      "<document><groups>"
      "<group id='g1'>"
      "  <assigned-subjects><assigned-subject id='a'/><assigned-subject id='b'/></assigned-subjects>"
      "  <assigned-teachers><assigned-subject id='not-me'/></assigned-teachers>"
      "  <assigned-subjects><assigned-subject id='c'/></assigned-subjects>"
      "</group>"
      "<group id='g2'><assigned-subjects><assigned-subject id='d'/></assigned-subjects></group>"
      "</groups></document>");
  const std::vector<Element> groups = doc.SelectNodes("/document/groups/group");
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(Ids(groups[0].SelectNodes("assigned-subjects/assigned-subject")), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(Ids(groups[1].SelectNodes("assigned-subjects/assigned-subject")), (std::vector<std::string>{"d"}));
  EXPECT_TRUE(groups[1].SelectNodes("assigned-teachers/assigned-teacher").empty());
}

TEST(Selection, DepthOfNestingDoesNotMatterAndRootNameIsExact) {
  const Document doc = Parse("<Document><subjects><subject id='1'/></subjects></Document>");
  EXPECT_TRUE(doc.SelectNodes("/document/subjects/subject").empty());
  EXPECT_EQ(doc.SelectNodes("/Document/subjects/subject").size(), 1u);
}

TEST(Selection, PathsThatAreNotPlainChildStepsAreRefused) {
  const Document doc = Parse("<document/>");
  for (const char* path : {"", "/", "//document", "/document/", "a//b"})
    EXPECT_THROW(doc.SelectNodes(path), DocumentError) << path;
}

TEST(Selection, SingleNodeIsTheFirstChildElementWithThatName) {
  const Document doc = Parse(
      "<document><a><time-tables id='deep'/></a><time-tables id='1'/><time-tables id='2'/></document>");
  const Element found = doc.DocumentElement().SelectSingleNode("time-tables");
  ASSERT_TRUE(found);
  EXPECT_EQ(found.Attribute("id"), "1");
  EXPECT_FALSE(doc.DocumentElement().SelectSingleNode("inputs"));
}

TEST(Attributes, CountIncludesEveryAttributeWhateverItsName) {
  const Document doc = Parse(
      "<document><subjects>"
      "<subject id='1' name='Lengua'/>"
      "<subject hours='3' id='2' name='Historia'/>"
      "<subject id='3' name='Música' extra=''/>"
      "</subjects></document>");
  const auto subjects = doc.SelectNodes("/document/subjects/subject");
  ASSERT_EQ(subjects.size(), 3u);
  EXPECT_EQ(subjects[0].AttributeCount(), 2u);
  EXPECT_EQ(subjects[1].AttributeCount(), 3u);
  EXPECT_EQ(subjects[1].Attribute("hours"), "3");
  EXPECT_EQ(subjects[2].AttributeCount(), 3u);
  EXPECT_EQ(subjects[2].Attribute("extra"), "");
  EXPECT_EQ(subjects[2].Attribute("hours"), std::nullopt);
  EXPECT_EQ(subjects[2].Attribute("ID"), std::nullopt);  // names keep their case
}

TEST(Attributes, ValuesAreExpandedAndNormalisedAsAnXmlParserDoes) {
  const Document doc = Parse(
      "<document a='x &amp; y &lt;z&gt; &quot;q&quot; &apos;' b='caf&#233; &#x20AC;' "
      "c='line\r\nbreak\ttab' d='&unknown; &#0;' e='Ñandú €'/>");
  const Element root = doc.DocumentElement();
  EXPECT_EQ(root.Attribute("a"), "x & y <z> \"q\" '");
  EXPECT_EQ(root.Attribute("b"), "caf\xE9 \x80");
  EXPECT_EQ(root.Attribute("c"), "line break tab");
  EXPECT_EQ(root.Attribute("d"), "&unknown; &#0;");
  EXPECT_EQ(root.Attribute("e"), "\xD1" "and\xFA \x80");
}

TEST(Texts, FirstChildTextTakesTheFirstNodeThatIsNotBlank) {
  struct Case {
    const char* teacher;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"<teacher id='t'>Pérez Gómez, Ana</teacher>", "P\xE9rez G\xF3mez, Ana"},
      {"<teacher id='t'>\n    <name>Ana</name>\n    <surname>Pérez</surname>\n  </teacher>", "Ana"},
      {"<teacher id='t'><name>Ana <b>María</b></name>tail</teacher>", "Ana Mar\xED" "a"},
      {"<teacher id='t'>  \r\n\t <![CDATA[ <raw> &amp; ]]></teacher>", " <raw> &amp; "},
      {"<teacher id='t'>R&amp;D <x/>after</teacher>", "R&D"},
      // the file's layout around a text is not part of it; inner breaks are
      {"<teacher id='t'>\n    Primero de ESO A\n    <x/></teacher>", "Primero de ESO A"},
      {"<teacher id='t'>Ana\n  Mar\xC3\xAD" "a\t</teacher>", "Ana\n  Mar\xED" "a"},
      {"<teacher id='t'><!--note--><name>Ana</name></teacher>", "note"},
      {"<teacher id='t'/>", std::nullopt},
      {"<teacher id='t'>   \n   </teacher>", std::nullopt},
      {"<teacher id='t'></teacher>", std::nullopt},
  };
  for (const Case& c : cases) {
    const Document doc = Parse(std::string("<document><teachers>") + c.teacher + "</teachers></document>");
    const auto teachers = doc.SelectNodes("/document/teachers/teacher");
    ASSERT_EQ(teachers.size(), 1u);
    EXPECT_EQ(teachers[0].FirstChildText(), c.expected) << c.teacher;
  }
}

TEST(Texts, TextJoinsAllDescendantTextInDocumentOrder) {
  const Document doc = Parse("<document>\n  <a>one<b>two<c>three</c></b>\n  <d>four</d>five</a>\n</document>");
  EXPECT_EQ(doc.DocumentElement().SelectSingleNode("a").Text(), "onetwothreefourfive");
}

TEST(Texts, LineEndsInsideTextBecomeNewlines) {
  const Document doc = Parse("<document><a>x\r\ny\rz</a></document>");
  EXPECT_EQ(doc.DocumentElement().SelectSingleNode("a").FirstChildText(), "x\ny\nz");
}

TEST(Positions, LineAndColumnOfTheStartTagCountCharacters) {
  const Document doc = Parse("<document>\r\n  <a/>\n\t\xC3\xB1\xC3\xB1<b\nid='1'/></document>");
  const Element root = doc.DocumentElement();
  EXPECT_EQ(root.Line(), 1u);
  EXPECT_EQ(root.Column(), 1u);
  EXPECT_EQ(root.SelectSingleNode("a").Line(), 2u);
  EXPECT_EQ(root.SelectSingleNode("a").Column(), 3u);
  // the tab and two two-byte letters count one column each
  EXPECT_EQ(root.SelectSingleNode("b").Line(), 3u);
  EXPECT_EQ(root.SelectSingleNode("b").Column(), 4u);
}

TEST(Positions, ElementsMadeAfterLoadingHaveNone) {
  Document doc = Parse("<document/>");
  const Element made = doc.CreateElement("time-tables");
  EXPECT_EQ(made.Line(), 0u);
  EXPECT_EQ(made.Column(), 0u);
}

TEST(Elements, SurviveAMoveOfTheirDocument) {
  Document doc = Parse("<document><a id='1'/></document>");
  const Element a = doc.DocumentElement().SelectSingleNode("a");
  Document moved = std::move(doc);
  EXPECT_EQ(a.Attribute("id"), "1");
  EXPECT_EQ(moved.DocumentElement().Name(), "document");
}

TEST(Elements, AnEmptyElementAnswersWithNothing) {
  const Element none;
  EXPECT_FALSE(none);
  EXPECT_TRUE(none.SelectNodes("a/b").empty());
  EXPECT_FALSE(none.SelectSingleNode("a"));
  EXPECT_EQ(none.AttributeCount(), 0u);
  EXPECT_EQ(none.Attribute("id"), std::nullopt);
  EXPECT_EQ(none.FirstChildText(), std::nullopt);
  EXPECT_EQ(none.Text(), "");
  Element writable;
  EXPECT_THROW(writable.SetAttribute("id", "1"), DocumentError);
}

}  // namespace
}  // namespace pontexa::saga
