#include "text/clipper.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "text/cp1252.h"

namespace pontexa::Clipper {
namespace {

// Test texts are written in UTF-8 and turned into the system's Windows-1252.
std::string A(const char* utf8) { return text::Utf8ToAnsi(utf8); }

struct Case {
  const char* function;
  std::function<std::string(const std::string&)> apply;
  const char* input;
  const char* expected;
};

class ClipperTest : public ::testing::TestWithParam<Case> {};

TEST_P(ClipperTest, GivesTheExpectedText) {
  const Case& c = GetParam();
  EXPECT_EQ(text::AnsiToUtf8(c.apply(A(c.input))), c.expected) << c.function << "('" << c.input << "')";
}

const auto kAllTrim = [](const std::string& s) { return AllTrim(s); };
const auto kLTrim = [](const std::string& s) { return LTrim(s); };
const auto kRTrim = [](const std::string& s) { return RTrim(s); };
const auto kUpperOnly = [](const std::string& s) { return UpperOnly(s); };
const auto kAfterSpaces = [](const std::string& s) { return AfterSpaces(s); };
auto RightN(int n) { return [n](const std::string& s) { return Right(s, n); }; }
auto LeftStrN(int n) { return [n](const std::string& s) { return LeftStr(s, n); }; }
auto RightStrN(int n) { return [n](const std::string& s) { return RightStr(s, n); }; }

INSTANTIATE_TEST_SUITE_P(
    Examples, ClipperTest,
    ::testing::Values(
        Case{"AllTrim", kAllTrim, "", ""}, Case{"AllTrim", kAllTrim, "   ", ""},
        Case{"AllTrim", kAllTrim, "  Lengua  castellana ", "Lengua  castellana"},
        Case{"AllTrim", kAllTrim, "\tab ", "\tab"}, Case{"AllTrim", kAllTrim, "\xC2\xA0x ", "\xC2\xA0x"},
        Case{"LTrim", kLTrim, "", ""}, Case{"LTrim", kLTrim, "   ", ""}, Case{"LTrim", kLTrim, "  ab ", "ab "},
        Case{"RTrim", kRTrim, "", ""}, Case{"RTrim", kRTrim, "   ", ""}, Case{"RTrim", kRTrim, "  ab ", "  ab"},
        Case{"RTrim", kRTrim, "ab\n", "ab\n"},
        Case{"Right1", RightN(1), "", ""}, Case{"Right1", RightN(1), "   ", " "},
        Case{"Right1", RightN(1), "Mañana", "a"}, Case{"Right5", RightN(5), "AB", "AB"},
        Case{"Right0", RightN(0), "AB", ""}, Case{"Right-1", RightN(-1), "AB", ""},
        Case{"Right-1", RightN(-1), "", ""}, Case{"Right2", RightN(2), "Mañana", "na"},
        Case{"UpperOnly", kUpperOnly, "", ""}, Case{"UpperOnly", kUpperOnly, "   ", ""},
        Case{"UpperOnly", kUpperOnly, "Educación Física", "EF"}, Case{"UpperOnly", kUpperOnly, "Ética", ""},
        Case{"UpperOnly", kUpperOnly, "2º ESO", "ESO"}, Case{"UpperOnly", kUpperOnly, "ÑANDÚ", "AND"},
        Case{"AfterSpaces", kAfterSpaces, "", ""}, Case{"AfterSpaces", kAfterSpaces, "   ", "  "},
        Case{"AfterSpaces", kAfterSpaces, "Lengua castellana y literatura", "cyl"},
        Case{"AfterSpaces", kAfterSpaces, "Ana  Pérez", " P"}, Case{"AfterSpaces", kAfterSpaces, "abc ", ""},
        Case{"AfterSpaces", kAfterSpaces, "a\tb c", "c"},
        Case{"LeftStr10", LeftStrN(10), "", ""}, Case{"LeftStr10", LeftStrN(10), "   ", "   "},
        Case{"LeftStr10", LeftStrN(10), "Matemáticas aplicadas", "Matemática"},
        Case{"LeftStr6", LeftStrN(6), "Matemáticas", "Matemá"}, Case{"LeftStr0", LeftStrN(0), "abc", ""},
        Case{"LeftStr-3", LeftStrN(-3), "abc", ""},
        Case{"RightStr1", RightStrN(1), "", ""}, Case{"RightStr1", RightStrN(1), "   ", " "},
        Case{"RightStr1", RightStrN(1), "MAT2", "2"}, Case{"RightStr5", RightStrN(5), "ab", "ab"},
        Case{"RightStr0", RightStrN(0), "ab", ""}, Case{"RightStr1", RightStrN(1), "ESO 1Ñ", "Ñ"}));

}  // namespace
}  // namespace pontexa::Clipper
