#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "saga/document.h"
#include "saga/section_writer.h"
#include "support/temp_folder.h"

namespace pontexa::saga {
namespace {

constexpr std::string_view kSection = "time-tables";

// What the import does after taking the old section out: a new section at
// the end of the document element, and an attribute and an element besides.
void EditLikeTheImport(Document& document) {
  Element root = document.DocumentElement();
  SectionWriter section(document);
  section.Open(std::string(kSection));
  section.Open("time-table");
  section.Attribute("id", "tt1");
  section.Close();
  section.Close();
  root.AppendSection(std::move(section));
  root.SetAttribute("imported", "s\xED");
  Element note = document.CreateElement("note");
  note.SetAttribute("n", "1");
  root.AppendChild(note);
}

// Everything a reader sees of the elements on these paths: name, place in
// the file, text and attributes.
std::string View(const Document& document) {
  std::string out;
  for (const char* path : {"/r/a", "/r/b", "/r/b/time-tables", "/r/b/time-tables/x", "/r/c", "/r/time-tables",
                           "/r/note"}) {
    for (const Element& element : document.SelectNodes(path)) {
      out += element.Name() + "@" + std::to_string(element.Line()) + ":" + std::to_string(element.Column()) + " [" +
             element.Text() + "] " + std::to_string(element.AttributeCount()) + " " +
             element.FirstChildText().value_or("(none)") + "\n";
    }
  }
  return out;
}

Document LoadedThenRemoved(const std::string& bytes) {
  Document document = Document::Parse(bytes, "saga.xml");
  Element root = document.DocumentElement();
  for (Element old = root.SelectSingleNode(kSection); old; old = root.SelectSingleNode(kSection)) root.RemoveChild(old);
  return document;
}

std::string Utf16LE(std::string_view ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

std::string Crlf(std::string_view lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

const std::string kOldSection =
    "<time-tables>\n    <time-table id=\"tt1\" name='x > y'>\n      <lesson a=\"1\"/>\n"
    "      <!-- </time-tables> -->\n      <![CDATA[</time-tables><b>]]>\n      <?note </r>?>\n"
    "      <lesson b=\"\xC3\xB1\"></lesson>\n    </time-table>\n  </time-tables>";

struct Case {
  const char* what;
  std::string bytes;
};

std::vector<Case> Cases() {
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- <time-tables> -->\n";
  std::vector<Case> cases = {
      {"section last", head + "<r v=\"1\">\n  <a>uno</a>\n  " + kOldSection + "\n</r>\n"},
      {"section first", head + "<r>\n  " + kOldSection + "\n  <a>uno</a>\n  <c x='2'/>\n</r>"},
      {"section in the middle", head + "<r>\n  <a>uno</a>\n  " + kOldSection + "\n  <c></c>\n</r>"},
      {"two sections", head + "<r>\n  " + kOldSection + "\n  <a>uno</a>\n  " + kOldSection + "\n  <c/>\n</r>"},
      {"no section", head + "<r>\n  <a>uno</a>\n  <c/>\n</r>"},
      {"empty-element section", "<r>\n  <a/>\n  <time-tables/>\n  <c/>\n  <time-tables />\n</r>"},
      {"empty pair section", "<r>\n  <a/>\n  <time-tables></time-tables>\n</r>"},
      {"the only child", "<r><time-tables><time-table/></time-tables></r>"},
      {"the only child, empty", "<r><time-tables/></r>"},
      {"no layout, cut on the line", "<r><a>1</a>" + kOldSection + "<c y=\"\xC3\xA1\">2</c><b/></r>"},
      {"nested sections stay",
       "<r>\n  <b>\n    <time-tables><x>1</x></time-tables>\n  </b>\n  " + kOldSection + "\n  <c/>\n</r>"},
      {"markup-like text elsewhere",
       "<r>\n  <!-- <time-tables> --><![CDATA[<time-tables>]]>\n  <a t=\"&lt;time-tables&gt;\">&lt;</a>\n  " +
           kOldSection + "\n  <c>&amp;</c>\n</r>"},
      {"similar names", "<r>\n  <time-tables2/>\n  <time-table/>\n  " + kOldSection + "\n  <c/>\n</r>"},
      {"a lone root", "<r/>"},
      {"unsure: a doctype", "<!DOCTYPE r>\n<r>\n  " + kOldSection + "\n  <c/>\n</r>"},
      {"unsure: a '<' in a value", "<r>\n  <a x=\"<\"/>\n  " + kOldSection + "\n</r>"},
      {"epilog kept", "<r>\n  " + kOldSection + "\n</r>\n<!-- end -->\n"},
  };
  cases.push_back({"CRLF", Crlf(cases[2].bytes)});
  cases.push_back({"CRLF, two sections", Crlf(cases[3].bytes)});
  cases.push_back({"ISO-8859-1",
                   "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r>\n  <a>\xF1</a>\n  <time-tables>\n    "
                   "<t n=\"\xE1\"/>\n  </time-tables>\n  <c>\xE9</c>\n</r>\n"});
  cases.push_back({"UTF-16",
                   Utf16LE("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<r>\r\n  <a>1</a>\r\n  <time-tables>\r\n"
                           "    <t/>\r\n  </time-tables>\r\n  <c/>\r\n</r>\r\n")});
  return cases;
}

TEST(LoadReplacing, GivesWhatALoadAndRemovingTheSectionsGive) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    Document expected = LoadedThenRemoved(c.bytes);
    Document replaced = Document::ParseReplacing(c.bytes, "saga.xml", kSection);
    EXPECT_EQ(View(replaced), View(expected));
    EXPECT_EQ(replaced.Serialize(), expected.Serialize());
    EXPECT_EQ(replaced.FileEncoding(), expected.FileEncoding());

    EditLikeTheImport(expected);
    EditLikeTheImport(replaced);
    EXPECT_EQ(View(replaced), View(expected));
    const std::string saved = replaced.Serialize();
    EXPECT_EQ(saved, expected.Serialize());

    // The next import meets the section the last one wrote.
    Document again = Document::ParseReplacing(saved, "saga.xml", kSection);
    Document againExpected = LoadedThenRemoved(saved);
    EditLikeTheImport(again);
    EditLikeTheImport(againExpected);
    EXPECT_EQ(again.Serialize(), againExpected.Serialize());
  }
}

TEST(LoadReplacing, LoadsAFileAsParseDoes) {
  pontexa::testing::TempFolder folder;
  const std::string bytes = Cases()[3].bytes;
  const auto path = folder / "saga.xml";
  pontexa::testing::WriteBytes(path, bytes);
  Document loaded = Document::LoadReplacing(path, kSection);
  EXPECT_EQ(loaded.Path(), path);
  EXPECT_EQ(loaded.Serialize(), LoadedThenRemoved(bytes).Serialize());
}

std::string ErrorOf(const std::string& bytes, bool replacing) {
  try {
    if (replacing) {
      Document::ParseReplacing(bytes, "malo.xml", kSection);
    } else {
      Document::Parse(bytes, "malo.xml");
    }
  } catch (const DocumentError& error) {
    return error.what();
  }
  return "(sin error)";
}

TEST(LoadReplacing, RefusesWhatLoadRefusesWithTheSameMessage) {
  const std::string cases[] = {
      // Inside the section.
      "<r>\n  <time-tables>\n    <a>\n    </b>\n  </time-tables>\n</r>",
      "<r>\n  <time-tables>\n    <a x=1/>\n  </time-tables>\n</r>",
      "<r>\n  <time-tables>\n    <a>",
      "<r>\n  <time-tables>\n    <!-- never closed\n</r>",
      // After a section taken out: the place is told as in the file.
      "<r>\n  " + kOldSection + "\n  <c>\n  </d>\n</r>",
      "<r><a/>" + kOldSection + "<c></d></r>",
      "<r>\n  " + kOldSection + "<c x=1/></r>",
      "<r>\xC3\xB1<time-tables>\xC3\xB1\xC3\xB1</time-tables>\xC3\xB1<c></d></r>",
      "<r>\n  " + kOldSection + "\n</r>\nbasura",
      "<r>\n  " + kOldSection + "\n</r>\n<r/>",
      std::string("<r>\n  <time-tables>\0</time-tables></r>", 38),
      Crlf("<r>\n  " + kOldSection + "\n  " + kOldSection + "\n  <c>\n  </d>\n</r>"),
  };
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes);
    const std::string message = ErrorOf(bytes, true);
    EXPECT_NE(message, "(sin error)");
    EXPECT_EQ(message, ErrorOf(bytes, false));
  }
}

TEST(LoadReplacing, TellsThePlaceOfAnErrorAfterTheSectionInTheFile) {
  const std::string message = ErrorOf("<r>\n  <time-tables>\n    <x/>\n  </time-tables>  <c></d>\n</r>", true);
  EXPECT_NE(message.find("línea 4, columna 24"), std::string::npos) << message;
}

}  // namespace
}  // namespace pontexa::saga
