#include <gtest/gtest.h>

#include "saga/document.h"
#include "support/temp_folder.h"

namespace pontexa::saga {
namespace {

std::string Utf16(std::u16string_view text, bool littleEndian, bool bom) {
  std::string bytes;
  auto put = [&](char16_t u) {
    const char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
    bytes += littleEndian ? std::string{low, high} : std::string{high, low};
  };
  if (bom) put(0xFEFF);
  for (const char16_t u : text) put(u);
  return bytes;
}

const std::u16string kUtf16Body =
    u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<document>\r\n"
    u"  <subjects><subject id=\"1\" name=\"Educación Física\" hours=\"2\"/></subjects>\r\n"
    u"  <teachers><teacher id=\"t\">MUÑOZ</teacher></teachers>\r\n</document>\r\n";

struct EncodingCase {
  const char* title;
  std::string bytes;
  Encoding encoding;
  bool euro;  // whether the fixture holds '€' as a character of its own
};

std::vector<EncodingCase> Cases() {
  const std::string body =
      "<document>\n  <subjects><subject id=\"1\" name=\"Educaci\xC3\xB3n F\xC3\xADsica\" hours=\"2\"/></subjects>\n"
      "  <teachers><teacher id=\"t\">MU\xC3\x91OZ</teacher></teachers>\n</document>\n";
  const std::string latin1 =
      "<document>\n  <subjects><subject id=\"1\" name=\"Educaci\xF3n F\xEDsica\" hours=\"2\"/></subjects>\n"
      "  <teachers><teacher id=\"t\">MU\xD1OZ</teacher></teachers>\n</document>\n";
  const std::string windows1252 =
      "<document>\n  <subjects><subject id=\"1\" name=\"Educaci\xF3n F\xEDsica\" hours=\"2\"/></subjects>\n"
      "  <teachers><teacher id=\"t\">MU\xD1OZ \x80</teacher></teachers>\n</document>\n";
  return {
      {"UTF-8 declared", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body, Encoding::Utf8, false},
      {"UTF-8 undeclared", body, Encoding::Utf8, false},
      {"UTF-8 with BOM", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + body, Encoding::Utf8Bom, false},
      {"UTF-16LE with BOM", Utf16(kUtf16Body, true, true), Encoding::Utf16LE, false},
      {"UTF-16BE with BOM", Utf16(kUtf16Body, false, true), Encoding::Utf16BE, false},
      {"UTF-16LE without BOM", Utf16(kUtf16Body, true, false), Encoding::Utf16LE, false},
      {"UTF-16BE without BOM", Utf16(kUtf16Body, false, false), Encoding::Utf16BE, false},
      {"ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + latin1, Encoding::Latin1, false},
      {"latin1 alias", "<?xml version='1.0' encoding='latin1'?>\n" + latin1, Encoding::Latin1, false},
      {"iso_8859-1 alias", "<?xml version=\"1.0\" encoding=\"iso_8859-1\" standalone=\"yes\"?>" + latin1,
       Encoding::Latin1, false},
      {"windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n" + windows1252, Encoding::Windows1252, true},
      {"cp1252 alias", "<?xml version=\"1.0\" encoding=\"CP1252\"?>\n" + windows1252, Encoding::Windows1252, true},
  };
}

TEST(Encodings, EveryEncodingReadsTheSameTextsAndWritesTheSameBytesBack) {
  for (const EncodingCase& c : Cases()) {
    SCOPED_TRACE(c.title);
    const Document doc = Document::Parse(c.bytes, "escuela.xml");
    EXPECT_EQ(doc.FileEncoding(), c.encoding);
    const auto subjects = doc.SelectNodes("/document/subjects/subject");
    ASSERT_EQ(subjects.size(), 1u);
    EXPECT_EQ(subjects[0].Attribute("name"), "Educaci\xF3n F\xEDsica");
    const auto teachers = doc.SelectNodes("/document/teachers/teacher");
    ASSERT_EQ(teachers.size(), 1u);
    EXPECT_EQ(teachers[0].FirstChildText(), c.euro ? "MU\xD1OZ \x80" : "MU\xD1OZ");
    EXPECT_TRUE(doc.Serialize() == c.bytes);
  }
}

TEST(Encodings, AnUnknownDeclaredEncodingIsAnErrorNamingIt) {
  try {
    Document::Parse("<?xml version=\"1.0\" encoding=\"KOI8-R\"?><document/>", "ruso.xml");
    FAIL() << "expected an error";
  } catch (const DocumentError& error) {
    EXPECT_NE(std::string(error.what()).find("'ruso.xml'"), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("koi8-r"), std::string::npos) << error.what();
  }
}

TEST(Encodings, BrokenUtf16IsAnError) {
  std::string odd = Utf16(u"<document/>", true, true);
  odd.push_back('x');
  EXPECT_THROW(Document::Parse(odd, "roto.xml"), DocumentError);
}

TEST(Encodings, NewValuesTheEncodingCannotHoldBecomeCharacterReferences) {
  struct Case {
    const char* declaration;
    std::string expected;  // bytes of the written attribute
  };
  const Case cases[] = {
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "v=\"5 &#8364; \xF1 &#8220;x&#8221;\""},
      {"<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "v=\"5 \x80 \xF1 \x93x\x94\""},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "v=\"5 \xE2\x82\xAC \xC3\xB1 \xE2\x80\x9Cx\xE2\x80\x9D\""},
  };
  for (const Case& c : cases) {
    Document doc = Document::Parse(std::string(c.declaration) + "<document/>", "x.xml");
    Element root = doc.DocumentElement();
    root.SetAttribute("v", "5 \x80 \xF1 \x93x\x94");
    const std::string written = doc.Serialize();
    EXPECT_NE(written.find(c.expected), std::string::npos) << c.declaration << "\n" << written;
    EXPECT_EQ(written.find('?', written.find("<document")), std::string::npos) << written;
    // and it reads back as the same text
    EXPECT_EQ(Document::Parse(written, "x.xml").DocumentElement().Attribute("v"), "5 \x80 \xF1 \x93x\x94");
  }
}

TEST(Encodings, Utf16FilesGetNewValuesInUtf16) {
  Document doc = Document::Parse(Utf16(u"<document/>", false, true), "x.xml");
  doc.DocumentElement().SetAttribute("v", "\x80");
  EXPECT_EQ(doc.Serialize(), Utf16(u"<document v=\"€\"/>", false, true));
}

}  // namespace
}  // namespace pontexa::saga
