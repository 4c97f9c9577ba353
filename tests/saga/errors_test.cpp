#include <gtest/gtest.h>

#include "saga/document.h"
#include "support/temp_folder.h"

namespace pontexa::saga {
namespace {

std::string ErrorOf(const std::string& bytes) {
  try {
    Document::Parse(bytes, "malo.xml");
  } catch (const DocumentError& error) {
    return error.what();
  }
  return "(sin error)";
}

TEST(LoadErrors, NotWellFormedNamesTheFileLineAndColumn) {
  struct Case {
    std::string bytes;
    std::string position;
  };
  const Case cases[] = {
      {"<document>\n  <a>\n  </b>\n</document>", "línea 3, columna"},
      {"<document>\r\n\r\n  <a x=1/>\r\n</document>", "línea 3, columna"},
      {"<document>\n  <a>", "línea 2, columna"},
      {"<document/>\n<second/>", "línea 2, columna 1"},
      {"texto\n<document/>", "línea 1, columna 1"},
      {"<document/>\nbasura", "línea 2, columna 7"},
      {"<document>\n<a>\xC3\xB1\xC3\xB1</b></document>", "línea 2, columna 8"},
      {std::string("<document>\n <a\0/></document>", 27), "línea 2, columna 4"},
  };
  for (const Case& c : cases) {
    const std::string message = ErrorOf(c.bytes);
    EXPECT_EQ(message.rfind("El archivo 'malo.xml' no es un XML válido: ", 0), 0u) << message;
    EXPECT_NE(message.find(c.position), std::string::npos) << message;
  }
}

TEST(LoadErrors, AFileWithoutDocumentElementIsAnError) {
  for (const std::string bytes : {"", "   \n", "<?xml version=\"1.0\"?>\n<!-- solo un comentario -->\n"}) {
    const std::string message = ErrorOf(bytes);
    EXPECT_NE(message.find("'malo.xml'"), std::string::npos) << message;
    EXPECT_NE(message.find("no hay elemento raíz"), std::string::npos) << message;
  }
}

// Found by fuzzing: after line breaks the declaration was taken for a plain
// instruction, its bogus encoding ignored, and the save then wrote it first,
// where it made the saved file unreadable.
TEST(LoadErrors, ADeclarationThatDoesNotStartTheFileIsAnError) {
  for (const std::string bytes : {"\r\r<?xml version=\"1.0\" encoding=\"cursowindows-1252\"?>\n<document/>",
                                  "\n<?xml version=\"1.0\"?><document/>",
                                  "<?xml version=\"1.0\"?>\n<?xml version=\"1.0\"?>\n<document/>"}) {
    const std::string message = ErrorOf(bytes);
    EXPECT_EQ(message.rfind("El archivo 'malo.xml' no es un XML válido: ", 0), 0u) << message;
    EXPECT_NE(message.find("la declaración XML no está al principio del archivo"), std::string::npos) << message;
  }
  EXPECT_NO_THROW(Document::Parse("<?xml version=\"1.0\"?>\n<document/>", "bueno.xml"));
}

TEST(LoadErrors, AnUnreadableFileIsNamed) {
  testing::TempFolder folder;
  try {
    Document::Load(folder / "no-existe.xml");
    FAIL();
  } catch (const DocumentError& error) {
    EXPECT_NE(std::string(error.what()).find("no-existe.xml"), std::string::npos) << error.what();
  }
}

TEST(LoadErrors, ExternalEntitiesAndTheDtdAreNeverRead) {
  testing::TempFolder folder;
  testing::WriteBytes(folder / "secreto.txt", "SECRETO");
  const std::string secret = (folder / "secreto.txt").string();
  const std::string file =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE document SYSTEM \"file://" + secret +
      "\" [\n  <!ENTITY leak SYSTEM \"file://" + secret + "\">\n  <!ENTITY passwd SYSTEM \"file:///etc/passwd\">\n]>\n"
      "<document><teachers><teacher id=\"&leak;\">&passwd;</teacher></teachers></document>\n";
  testing::WriteBytes(folder / "xxe.xml", file);
  Document doc = Document::Load(folder / "xxe.xml");
  const auto teachers = doc.SelectNodes("/document/teachers/teacher");
  ASSERT_EQ(teachers.size(), 1u);
  EXPECT_EQ(teachers[0].Attribute("id"), "&leak;");
  EXPECT_EQ(teachers[0].FirstChildText(), "&passwd;");
  EXPECT_EQ(doc.Serialize(), file);
}

TEST(LoadErrors, DeepNestingIsNoProblem) {
  std::string deep;
  for (int i = 0; i < 200000; ++i) deep += "<a>";
  deep += "x";
  for (int i = 0; i < 200000; ++i) deep += "</a>";
  const Document doc = Document::Parse("<document>" + deep + "</document>", "hondo.xml");
  EXPECT_EQ(doc.DocumentElement().FirstChildText(), "x");
}

}  // namespace
}  // namespace pontexa::saga
