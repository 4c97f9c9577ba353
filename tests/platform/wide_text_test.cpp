#include "platform/wide_text.h"

#include <gtest/gtest.h>

namespace pontexa::platform {
namespace {

TEST(WideText, RoundTripsEveryPlane) {
  const std::string text = "C:\\Users\\José Ñúñez\\centro público € 😀.xml";
  const std::u16string wide = Utf16FromUtf8(text);
  EXPECT_EQ(wide, u"C:\\Users\\José Ñúñez\\centro público € 😀.xml");
  EXPECT_EQ(Utf8FromUtf16(wide), text);
}

TEST(WideText, IllFormedInputBecomesReplacementCharacters) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  };
  for (const Case& c : {Case{"a\xFF" "b", u"a\uFFFDb"},           // not a lead byte
                        Case{"\xC3", u"\uFFFD"},                  // cut short
                        Case{"\xC0\xAF", u"\uFFFD\uFFFD"},        // overlong
                        Case{"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // a surrogate
                        Case{"\xC3" "A", u"\uFFFDA"}}) {          // the next byte is tried again
    EXPECT_EQ(Utf16FromUtf8(c.utf8), c.utf16);
  }
  // A lone surrogate, as a Windows name may hold.
  EXPECT_EQ(Utf8FromUtf16(std::u16string(u"x") + char16_t{0xD800} + u"y"), "x\xEF\xBF\xBDy");
  EXPECT_EQ(Utf8FromUtf16(std::u16string(1, char16_t{0xDC00})), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace pontexa::platform
