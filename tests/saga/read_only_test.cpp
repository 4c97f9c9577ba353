#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "saga/document.h"
#include "support/temp_folder.h"

namespace pontexa::saga {
namespace {

namespace fs = std::filesystem;

// An indented file with every kind of first child the export meets: a text,
// an element after the indentation, CDATA after blanks, a comment, a text
// followed by the indentation of child elements, nothing but blanks.
const std::string kIndented =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<!-- exported by SAGA -->\r\n"
    "<document>\r\n"
    "  <subjects>\r\n"
    "    <subject id=\" S1 \" name=\"F\xC3\xADsica &amp; Qu\xC3\xADmica\" hours=\"2,5\"/>\r\n"
    "    <subject name=\"Tutor\xC3\xAD" "a\" id=\"S2\"></subject>\r\n"
    "  </subjects>\r\n"
    "  <teachers>\r\n"
    "    <teacher id=\"P1\">Pe\xC3\xB1" "a Ib\xC3\xA1\xC3\xB1" "ez, Luc\xC3\xAD" "a</teacher>\r\n"
    "    <teacher id=\"P2\">\r\n      <name>Ana</name>\r\n      <surname>Gil</surname>\r\n    </teacher>\r\n"
    "    <teacher id=\"P3\">  \r\n\t <![CDATA[ <raw> ]]></teacher>\r\n"
    "    <teacher id=\"P4\"><!--nota--><name>Luis</name></teacher>\r\n"
    "    <teacher id=\"P5\">   \r\n   </teacher>\r\n"
    "  </teachers>\r\n"
    "  <groups>\r\n"
    "    <group id=\"G1\" regim=\"ORD-M\" name=\"ESO 1A\">Primero de ESO A\r\n"
    "      <assigned-subjects>\r\n"
    "        <assigned-subject id=\"S1\">\r\n"
    "          <assigned-teachers>\r\n"
    "            <assigned-teacher id=\"P1\"/>\r\n"
    "            <assigned-teacher id=\"P2\"/>\r\n"
    "          </assigned-teachers>\r\n"
    "        </assigned-subject>\r\n"
    "      </assigned-subjects>\r\n"
    "      <assigned-subjects>\r\n        <assigned-subject id=\"S2\"/>\r\n      </assigned-subjects>\r\n"
    "    </group>\r\n"
    "  </groups>\r\n"
    "</document>\r\n";

// Everything the export reads of a document, in reading order, as one text.
std::string Reading(const Document& doc) {
  std::string out;
  auto add = [&](const Element& e) {
    out += e.Name() + "@" + std::to_string(e.Line()) + ":" + std::to_string(e.Column());
    out += " n=" + std::to_string(e.AttributeCount());
    for (const char* name : {"id", "name", "hours", "regim"})
      if (const auto value = e.Attribute(name)) out += std::string(" ") + name + "=[" + *value + "]";
    const auto first = e.FirstChildText();
    out += " first=" + (first ? "[" + *first + "]" : std::string("none"));
    out += " text=[" + e.Text() + "]\n";
  };
  for (const char* path : {"/document/subjects/subject", "/document/teachers/teacher", "/document/groups/group"})
    for (const Element& e : doc.SelectNodes(path)) add(e);
  for (const Element& group : doc.SelectNodes("/document/groups/group"))
    for (const Element& subject : group.SelectNodes("assigned-subjects/assigned-subject")) {
      add(subject);
      for (const Element& teacher : subject.SelectNodes("assigned-teachers/assigned-teacher")) add(teacher);
    }
  add(doc.DocumentElement());
  add(doc.DocumentElement().SelectSingleNode("groups"));
  return out;
}

TEST(ReadOnly, ReadsGiveWhatTheyGiveOnADocumentLoadedForEditing) {
  // The same file as UTF-8 and as UTF-16, so both decoding paths are covered.
  std::string utf16 = "\xFF\xFE";
  for (const char c : std::string("<document><teachers>\r\n  <teacher id='P1'>\r\n    <n>Ana</n>\r\n  </teacher>"
                                  "\r\n</teachers></document>")) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  for (const std::string& bytes : {kIndented, utf16}) {
    const Document edited = Document::Parse(bytes, "escuela.xml");
    const Document read = Document::ParseForReading(bytes, "escuela.xml");
    EXPECT_FALSE(edited.ForReadingOnly());
    EXPECT_TRUE(read.ForReadingOnly());
    EXPECT_EQ(Reading(read), Reading(edited));
    EXPECT_EQ(read.FileEncoding(), edited.FileEncoding());
  }
}

TEST(ReadOnly, TheIndentedFileReadsAsExpected) {
  const Document doc = Document::ParseForReading(kIndented, "escuela.xml");
  const auto subjects = doc.SelectNodes("/document/subjects/subject");
  ASSERT_EQ(subjects.size(), 2u);
  EXPECT_EQ(subjects[0].Attribute("name"), "F\xEDsica & Qu\xEDmica");
  EXPECT_EQ(subjects[0].AttributeCount(), 3u);
  EXPECT_EQ(subjects[1].FirstChildText(), std::nullopt);
  const auto teachers = doc.SelectNodes("/document/teachers/teacher");
  ASSERT_EQ(teachers.size(), 5u);
  EXPECT_EQ(teachers[0].FirstChildText(), "Pe\xF1" "a Ib\xE1\xF1" "ez, Luc\xED" "a");
  EXPECT_EQ(teachers[1].FirstChildText(), "Ana");
  EXPECT_EQ(teachers[2].FirstChildText(), " <raw> ");
  EXPECT_EQ(teachers[3].FirstChildText(), "nota");
  EXPECT_EQ(teachers[4].FirstChildText(), std::nullopt);
  EXPECT_EQ(teachers[1].Line(), 10u);
  EXPECT_EQ(teachers[1].Column(), 5u);
  const auto groups = doc.SelectNodes("/document/groups/group");
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].FirstChildText(), "Primero de ESO A");
  const auto assigned = groups[0].SelectNodes("assigned-subjects/assigned-subject");
  ASSERT_EQ(assigned.size(), 2u);
  EXPECT_EQ(assigned[0].SelectNodes("assigned-teachers/assigned-teacher").size(), 2u);
  EXPECT_EQ(assigned[1].Attribute("id"), "S2");
}

TEST(ReadOnly, TheSameFilesAreRefusedWithTheSameMessages) {
  const std::string cases[] = {
      "<document>\n  <a>\n  </b>\n</document>",
      "<document/>\n<second/>",
      "texto\n<document/>",
      "<document/>\nbasura",
      std::string("<document>\n <a\0/></document>", 27),
      "",
      "   \n",
      "<?xml version=\"1.0\"?>\n<!-- solo un comentario -->\n",
      "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><document/>",
      std::string("\xFF\xFE<\0d", 5),  // UTF-16 cut in the middle of a character
  };
  auto errorOf = [](auto parse) -> std::string {
    try {
      parse();
    } catch (const DocumentError& error) {
      return error.what();
    }
    return "(sin error)";
  };
  for (const std::string& bytes : cases) {
    const std::string edited = errorOf([&] { Document::Parse(bytes, "malo.xml"); });
    EXPECT_NE(edited, "(sin error)") << bytes;
    EXPECT_EQ(errorOf([&] { Document::ParseForReading(bytes, "malo.xml"); }), edited) << bytes;
  }
  testing::TempFolder folder;
  const fs::path missing = folder / "no-existe.xml";
  EXPECT_EQ(errorOf([&] { Document::LoadForReading(missing); }), errorOf([&] { Document::Load(missing); }));
}

TEST(ReadOnly, SavingIsRefusedAndTheFileStaysAsItWas) {
  testing::TempFolder folder;
  const fs::path file = folder / "escuela.xml";
  testing::WriteBytes(file, kIndented);
  Document doc = Document::LoadForReading(file);
  EXPECT_EQ(doc.Path(), file);
  doc.DocumentElement().AppendChild(doc.CreateElement("time-tables"));
  for (auto save : {+[](const Document& d, const fs::path&) { d.Save(); },
                    +[](const Document& d, const fs::path& f) { d.SaveTo(f.parent_path() / "copia.xml"); },
                    +[](const Document& d, const fs::path&) { (void)d.Serialize(); }}) {
    try {
      save(doc, file);
      ADD_FAILURE() << "saved a document loaded for reading";
    } catch (const DocumentError& error) {
      EXPECT_NE(std::string(error.what()).find("escuela.xml"), std::string::npos) << error.what();
    }
  }
  EXPECT_EQ(testing::ReadBytes(file), kIndented);
  EXPECT_FALSE(fs::exists(folder / "copia.xml"));
}

}  // namespace
}  // namespace pontexa::saga
