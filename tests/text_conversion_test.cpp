#include "platform/text_conversion.h"

#include <gtest/gtest.h>

namespace vornic {
namespace {

TEST(TextConversion, RoundTripsEveryPlane) {
  const std::u16string text = u"a\u00E9\u6587\U0001F600\0z";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
  EXPECT_EQ(Utf16ToUtf8(u"\u6587"), "\xE6\x96\x87");
}

TEST(TextConversion, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t{0xD800}}), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t{0xDC00}, u'a'}),
            "\xEF\xBF\xBD"
            "a");
  EXPECT_EQ(Utf8ToUtf16("\xFF"
                        "a"),
            u"\uFFFDa");
  EXPECT_EQ(Utf8ToUtf16("\xE6\x96"), u"\uFFFD\uFFFD");            // truncated sequence
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
}

}  // namespace
}  // namespace vornic
