#include "count/count.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace vornic {
namespace {

TEST(CountCharacters, SubtractsEveryCarriageReturnAndLineFeed) {
  EXPECT_EQ(CountCharacters(u""), 0);
  EXPECT_EQ(CountCharacters(u"a\r\nb"), 2);
  EXPECT_EQ(CountCharacters(u"a\rb"), 2);
  EXPECT_EQ(CountCharacters(u"a\nb"), 2);
  EXPECT_EQ(CountCharacters(u"\r\n\r\n\r\n"), 0);
  EXPECT_EQ(CountCharacters(u"\n\r\r"), 0);
}

TEST(CountCharacters, CountsEveryOtherCodeUnit) {
  EXPECT_EQ(CountCharacters(u"\t \v\f"), 4);
  EXPECT_EQ(CountCharacters(std::u16string(3, u'\0')), 3);
  EXPECT_EQ(CountCharacters(u"文字数"), 3);
  EXPECT_EQ(CountCharacters(u"\U0001F600"), 2);  // a surrogate pair is two code units
  EXPECT_EQ(CountCharacters(std::u16string{char16_t{0xD800}, u'x', char16_t{0xDC00}}), 3);
  EXPECT_EQ(CountCharacters(u"\u2028\u0085"), 2);  // other line separators are characters
}

// Lengths around the loop's blocks: a break in the tail or at a block's edge counts too.
TEST(CountCharacters, LongTextsCountExactly) {
  for (const std::size_t length : {255U, 256U, 257U, 511U, 50000U, 50001U}) {
    EXPECT_EQ(CountCharacters(std::u16string(length, u'\n')), 0) << length;
    std::u16string text;
    for (std::size_t i = 0; i < length; ++i) text += (i % 3 == 0) ? u'x' : u'\r';
    EXPECT_EQ(CountCharacters(text), static_cast<std::int32_t>((length + 2) / 3)) << length;
  }
}

TEST(CountCaption, IsBlankEqualsBlankThenPlainDigits) {
  EXPECT_EQ(CountCaption(0), u" = 0");
  EXPECT_EQ(CountCaption(1234), u" = 1234");
  EXPECT_EQ(CountCaption(50000), u" = 50000");
  EXPECT_EQ(CountCaption(std::numeric_limits<std::int32_t>::max()), u" = 2147483647");
}

TEST(LimitMessage, EnglishCodeUnitByCodeUnit) {
  const std::u16string expected =
      u"Clipboard is too long.\r\n\r\nThis software limitation is 50000 strings.\r\n[Include \"Line-feed character\"]";
  EXPECT_EQ(LimitMessage(UiLanguage::English), expected);
}

TEST(LimitMessage, JapaneseCodeUnitByCodeUnit) {
  const std::u16string expected =
      u"\u30AF\u30EA\u30C3\u30D7\u30DC\u30FC\u30C9\u306E\u5185\u5BB9\u304C\u5927\u304D\u3044\u3067\u3059\u3002"
      u"\r\n\r\n"
      u"\u3053\u306E\u30BD\u30D5\u30C8\u306E\u5236\u9650\u306F50000\u6587\u5B57\u307E\u3067\u3067\u3059\u3002"
      u"\r\n"
      u"[\"\u6539\u884C\u6587\u5B57\"\u3092\u542B\u307F\u307E\u3059\u3002]";
  EXPECT_EQ(LimitMessage(UiLanguage::Japanese), expected);
}

TEST(LimitMessage, HasFourLinesAndNoTrailingBreak) {
  for (const UiLanguage language : {UiLanguage::English, UiLanguage::Japanese}) {
    const std::u16string message = LimitMessage(language);
    std::size_t breaks = 0;
    for (std::size_t at = message.find(u"\r\n"); at != std::u16string::npos; at = message.find(u"\r\n", at + 2)) {
      ++breaks;
    }
    EXPECT_EQ(breaks, 3U);
    EXPECT_NE(message.back(), u'\n');
  }
}

TEST(LimitNotice, InBothLanguages) {
  EXPECT_EQ(LimitNotice(UiLanguage::English), u"Limitation reached.");
  EXPECT_EQ(LimitNotice(UiLanguage::Japanese), u"\u5236\u9650\u306B\u9054\u3057\u307E\u3057\u305F\u3002");
}

}  // namespace
}  // namespace vornic
