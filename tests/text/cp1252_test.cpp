#include "text/cp1252.h"

#include <gtest/gtest.h>

namespace pontexa::text {
namespace {

TEST(Cp1252, EveryByteRoundTripsThroughUnicode) {
  for (int b = 0; b < 256; ++b) {
    const char32_t cp = Cp1252ToUnicode(static_cast<unsigned char>(b));
    ASSERT_EQ(UnicodeToCp1252(cp), static_cast<unsigned char>(b)) << b;
  }
  const std::string all = [] {
    std::string s;
    for (int b = 1; b < 256; ++b) s += static_cast<char>(b);
    return s;
  }();
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
  EXPECT_EQ(Utf16ToAnsi(AnsiToUtf16(all)), all);
}

TEST(Cp1252, HoldsTheSpanishLettersAndTheEuro) {
  EXPECT_EQ(Utf8ToAnsi("Matemáticas"), "Matem\xE1ticas");
  EXPECT_EQ(Utf8ToAnsi("Ñ€"), "\xD1\x80");
  EXPECT_EQ(AnsiToUtf8("\x80\x8A"), "€Š");
  EXPECT_EQ(Utf8ToAnsi("Matemáticas").substr(0, 6), Utf8ToAnsi("Matemá"));
}

TEST(Cp1252, WhatItCannotHoldBecomesAQuestionMark) {
  EXPECT_EQ(Utf8ToAnsi("Ω≠😀"), "???");
  EXPECT_EQ(Utf8ToAnsi("a\xFF" "b\xC3"), "a?b?");    // malformed bytes, truncated sequence
  EXPECT_EQ(Utf8ToAnsi("\xC0\xAF"), "?");            // overlong '/'
  EXPECT_EQ(Utf8ToAnsi("\xED\xA0\x80"), "?");        // a lone surrogate
  EXPECT_EQ(Utf16ToAnsi(u"x\U0001F600y\xD800"), "x?y?");
}

TEST(Cp1252, CaseRulesIncludeAccentedLetters) {
  EXPECT_TRUE(SameTextIgnoringCase(Utf8ToAnsi("ÉÑÇŠŒŽŸ"), Utf8ToAnsi("éñçšœžÿ")));
  EXPECT_TRUE(SameTextIgnoringCase("ESO1a", "ESO1A"));
  EXPECT_FALSE(SameTextIgnoringCase("ESO1", "ESO1A"));
  EXPECT_FALSE(SameTextIgnoringCase(Utf8ToAnsi("×"), Utf8ToAnsi("÷")));
  EXPECT_EQ(AnsiUpperCase(Utf8ToAnsi("ßµ")), Utf8ToAnsi("ßµ"));
  EXPECT_EQ(CaseInsensitiveKey(Utf8ToAnsi("GIMNASIO Á")), CaseInsensitiveKey(Utf8ToAnsi("gimnasio á")));
  EXPECT_EQ(AsciiLowerCase(Utf8ToAnsi("EXPORTAR É")), Utf8ToAnsi("exportar É"));
}

}  // namespace
}  // namespace pontexa::text
