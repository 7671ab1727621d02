#include "count/count.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <string>

#include "count/line_breaks.h"

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

TEST(CountCharacters, LongTextsCountExactly) {
  std::u16string text;
  for (int i = 0; i < 25000; ++i) text += (i % 2 == 0) ? u"ab" : u"\r\n";
  EXPECT_EQ(CountCharacters(text), 25000);
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

namespace vornic {
namespace {

// Every vector kernel against the plain loop: all lengths around the vector
// widths, line breaks at every position, and texts long enough to fold the
// sixteen-bit lane counters.
TEST(LineBreakKernels, AgreeWithThePlainLoopEverywhere) {
  std::mt19937 random(7);
  std::u16string text(300000, u'x');
  for (char16_t& unit : text) {
    const auto roll = random() % 8;
    unit = roll == 0 ? u'\r' : roll == 1 ? u'\n' : roll == 2 ? char16_t{0x0D0A} : static_cast<char16_t>(random());
  }
  const std::u16string allBreaks(1100000, u'\n');
  for (const LineBreakKernel kernel : AvailableLineBreakKernels()) {
    SCOPED_TRACE(static_cast<int>(kernel));
    for (std::size_t length = 0; length <= 200; ++length) {
      for (const std::size_t offset : {0, 1, 7}) {
        const std::u16string_view part(text.data() + offset, length);
        ASSERT_EQ(CountLineBreaks(kernel, part.data(), part.size()),
                  static_cast<std::size_t>(
                      std::count_if(part.begin(), part.end(), [](char16_t u) { return u == u'\r' || u == u'\n'; })));
      }
    }
    EXPECT_EQ(CountLineBreaks(kernel, allBreaks.data(), allBreaks.size()), allBreaks.size());
    EXPECT_EQ(CountLineBreaks(kernel, text.data(), text.size()),
              CountLineBreaks(LineBreakKernel::Scalar, text.data(), text.size()));
  }
}

}  // namespace
}  // namespace vornic
