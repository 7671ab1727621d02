#include "platform/text_conversion.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

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
  // One U+FFFD for each maximal ill-formed subpart, as browsers and Qt read it.
  const struct {
    std::string_view bytes;
    std::u16string_view text;
  } cases[] = {
      {"\xFF"
       "a",
       u"\uFFFDa"},
      {"\xE6\x96", u"\uFFFD"},                        // truncated sequence
      {"\xF0\x9F\x98\xE6\x97\xA5", u"\uFFFD\u65E5"},  // truncated, then a whole one
      {"\xE6\x96"
       "a\x80\xBF",
       u"\uFFFDa\uFFFD\uFFFD"},                           // lone continuation bytes
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // never a lead byte
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong
      {"\xF0\x80", u"\uFFFD\uFFFD"},                      // overlong
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      // The well-formed edges of those ranges.
      {"\xE0\xA0\x80\xED\x9F\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", u"\u0800\uD7FF\U00010000\U0010FFFF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.bytes), c.text) << ::testing::PrintToString(c.bytes);
  }
}

}  // namespace
}  // namespace vornic
