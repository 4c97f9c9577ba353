#include "tables/dbf_header.h"

#include <gtest/gtest.h>

#include <functional>

#include "tables/dbf_fixture.h"

namespace pontexa::tables::dbf {
namespace {

using testing::DbfFixture;
using testing::DbfFlavour;

DbfFixture TwoFields(DbfFlavour flavour) {
  DbfFixture fixture;
  fixture.flavour = flavour;
  fixture.fields = {{"CODGRUPO", 'C', 10}, {"DIA", 'N', 2}};
  fixture.rows = {{"1A", "3"}, {"2B", "4"}};
  return fixture;
}

TEST(DbfHeader, FindsFieldsAndRecordsInEveryFlavour) {
  struct Case {
    DbfFlavour flavour;
    std::optional<std::uint8_t> version;
    Flavour expected;
    std::size_t headerLength;
  };
  const Case cases[] = {
      {DbfFlavour::DBase3, std::nullopt, Flavour::DBase3, 32 + 2 * 32 + 1},
      {DbfFlavour::DBase3, 0x83, Flavour::DBase3, 97},
      {DbfFlavour::DBase4, std::nullopt, Flavour::DBase4, 97},
      {DbfFlavour::DBase4, 0x04, Flavour::DBase4, 97},
      {DbfFlavour::DBase4, 0x8E, Flavour::DBase4, 97},
      {DbfFlavour::DBase7, std::nullopt, Flavour::DBase7, 68 + 2 * 48 + 1},
      {DbfFlavour::DBase7, 0x8C, Flavour::DBase7, 165},
      {DbfFlavour::FoxPro2, std::nullopt, Flavour::FoxPro, 97},
      {DbfFlavour::VisualFoxPro, std::nullopt, Flavour::VisualFoxPro, 97 + 263},
      {DbfFlavour::VisualFoxPro, 0x31, Flavour::VisualFoxPro, 97 + 263},
  };
  for (const Case& c : cases) {
    DbfFixture fixture = TwoFields(c.flavour);
    fixture.version = c.version;
    const std::string bytes = fixture.Bytes();
    SCOPED_TRACE(static_cast<int>(bytes[0] & 0xFF));
    const Header header = ParseHeader(bytes);
    EXPECT_EQ(header.flavour, c.expected);
    EXPECT_EQ(header.headerLength, c.headerLength);
    EXPECT_EQ(header.recordLength, 13u);
    EXPECT_EQ(header.recordCount, 2u);
    ASSERT_EQ(header.fields.size(), 2u);
    EXPECT_EQ(header.fields[0].name, "CODGRUPO");
    EXPECT_EQ(header.fields[0].offset, 1u);
    EXPECT_EQ(header.fields[1].name, "DIA");
    EXPECT_EQ(header.fields[1].type, 'N');
    EXPECT_EQ(header.fields[1].offset, 11u);
    EXPECT_EQ(header.fields[1].length, 2u);
    EXPECT_EQ(bytes.substr(header.headerLength + header.recordLength, 3), " 2B");
  }
}

TEST(DbfHeader, IntegerByteOrderFollowsTheFlavour) {
  DbfFixture fox;
  fox.flavour = DbfFlavour::VisualFoxPro;
  fox.fields = {{"N", 'I', 4}, {"B", 'B', 8}};
  const Header foxHeader = ParseHeader(fox.Bytes());
  EXPECT_EQ(foxHeader.fields[0].decoding, Decoding::IntegerLE);
  EXPECT_EQ(foxHeader.fields[1].decoding, Decoding::DoubleLE);

  DbfFixture seven = fox;
  seven.flavour = DbfFlavour::DBase7;
  seven.fields = {{"N", 'I', 4}, {"B", 'B', 10}};
  const Header sevenHeader = ParseHeader(seven.Bytes());
  EXPECT_EQ(sevenHeader.fields[0].decoding, Decoding::IntegerDBase7);
  EXPECT_EQ(sevenHeader.fields[1].decoding, Decoding::Memo);  // binary memo in dBase
}

TEST(DbfHeader, HonoursTheHeaderLengthPastTheDescriptors) {
  DbfFixture fixture = TwoFields(DbfFlavour::DBase7);
  fixture.extraHeaderBytes = 40;  // field properties
  const std::string bytes = fixture.Bytes();
  const Header header = ParseHeader(bytes);
  EXPECT_EQ(header.headerLength, 165u + 40u);
  EXPECT_EQ(bytes.substr(header.headerLength, 3), " 1A");
}

TEST(DbfHeader, NullFlagsAreHidden) {
  DbfFixture fixture;
  fixture.flavour = DbfFlavour::VisualFoxPro;
  fixture.fields = {{"ASIG", 'C', 5}, {"_NullFlags", '0', 1}};
  const Header header = ParseHeader(fixture.Bytes());
  EXPECT_FALSE(header.fields[0].hidden);
  EXPECT_TRUE(header.fields[1].hidden);
}

TEST(DbfHeader, MissingEndMarkAndTrailingBytesAreAccepted) {
  DbfFixture noMark = TwoFields(DbfFlavour::DBase3);
  noMark.endMark = false;
  EXPECT_EQ(ParseHeader(noMark.Bytes()).recordCount, 2u);

  DbfFixture fewer = TwoFields(DbfFlavour::DBase3);
  fewer.recordCount = 1;
  EXPECT_EQ(ParseHeader(fewer.Bytes() + "garbage").recordCount, 1u);
}

struct BrokenCase {
  const char* what;
  std::function<std::string()> bytes;
  const char* message;  // part of the reason
};

class BrokenHeader : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenHeader, IsReportedWithAReason) {
  const BrokenCase& c = GetParam();
  const std::string bytes = c.bytes();
  try {
    ParseHeader(bytes);
    FAIL() << "accepted " << c.what;
  } catch (const FormatError& error) {
    EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
  }
}

std::string With(DbfFixture fixture, const std::function<void(DbfFixture&)>& change) {
  change(fixture);
  return fixture.Bytes();
}

const DbfFixture kGood = TwoFields(DbfFlavour::DBase3);

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenHeader,
    ::testing::Values(
        BrokenCase{"empty file", [] { return std::string(); }, "demasiado corto"},
        BrokenCase{"header cut", [] { return kGood.Bytes().substr(0, 20); }, "demasiado corto"},
        BrokenCase{"unknown version", [] { auto b = kGood.Bytes(); b[0] = 0x02; return b; }, "0x02"},
        BrokenCase{"header longer than the file",
                   [] { return With(kGood, [](auto& f) { f.headerLength = 4000; }); }, "más larga que el archivo"},
        BrokenCase{"header length too small",
                   [] { return With(kGood, [](auto& f) { f.headerLength = 20; }); }, "demasiado pequeña"},
        BrokenCase{"zero record length",
                   [] { return With(kGood, [](auto& f) { f.recordLength = 0; }); }, "longitud de registro"},
        BrokenCase{"record length disagrees with the fields",
                   [] { return With(kGood, [](auto& f) { f.recordLength = 20; }); }, "ocupan 13"},
        BrokenCase{"record length shorter than the fields",
                   [] { return With(kGood, [](auto& f) { f.recordLength = 5; }); }, "más que la longitud"},
        BrokenCase{"descriptor past the header",
                   [] {
                     return With(kGood, [](auto& f) {
                       f.headerLength = 32 + 32 + 10;
                       f.terminator = false;
                     });
                   },
                   "sobrepasa la cabecera"},
        BrokenCase{"truncated records", [] { return kGood.Bytes().substr(0, 97 + 13 + 5); }, "truncado"},
        BrokenCase{"absurd record count",
                   [] { return With(kGood, [](auto& f) { f.recordCount = 0xFFFFFFFFu; }); }, "truncado"},
        BrokenCase{"unknown field type",
                   [] { return With(kGood, [](auto& f) { f.fields[1].type = 'Z'; }); }, "tipo desconocido ('Z')"},
        BrokenCase{"zero-length field",
                   [] {
                     return With(kGood, [](auto& f) {
                       f.fields.push_back({"VACIO", 'C', 0});
                     });
                   },
                   "longitud 0"},
        BrokenCase{"integer of the wrong width",
                   [] {
                     return With(kGood, [](auto& f) {
                       f.flavour = DbfFlavour::VisualFoxPro;
                       f.fields[1] = {"DIA", 'I', 2};
                     });
                   },
                   "en lugar de 4"},
        BrokenCase{"no fields",
                   [] {
                     return With(kGood, [](auto& f) {
                       f.fields.clear();
                       f.rows.clear();
                       f.recordLength = 5;
                     });
                   },
                   "no tiene campos"},
        BrokenCase{"dBase 7 descriptors cut by the header",
                   [] {
                     return With(TwoFields(DbfFlavour::DBase7), [](auto& f) {
                       f.version = 0x8C;
                       f.headerLength = 68 + 48 + 20;
                       f.terminator = false;
                     });
                   },
                   "sobrepasa la cabecera"}),
    [](const auto& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

TEST(DbfHeader, SurvivesEveryTruncation) {
  DbfFixture fixture = TwoFields(DbfFlavour::VisualFoxPro);
  const std::string bytes = fixture.Bytes();
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    try {
      const Header header = ParseHeader(std::string_view(bytes).substr(0, size));
      EXPECT_LE(header.headerLength + header.recordCount * header.recordLength, size);
    } catch (const FormatError&) {
    }
  }
}

}  // namespace
}  // namespace pontexa::tables::dbf
