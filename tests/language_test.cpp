#include "language/language.h"

#include <gtest/gtest.h>

#include "mainwindow/form1.h"

namespace vornic {
namespace {

TEST(CaptionTable, HoldsEveryCaptionInTableOrder) {
  const ControlRef order[] = {Form1::Command1, Form1::Command2,    Form1::Command3, Form1::mnuAuthor,
                              Form1::mnuCheck, Form1::mnuLanguage, Form1::mnuEn,    Form1::mnuJap};
  const std::u16string_view japanese[] = {u"\u6587\u5B57\u6570",
                                          u"\u8868\u793A\u30AF\u30EA\u30A2",
                                          u"\u30AF\u30EA\u30C3\u30D7\u30DC\u30FC\u30C9\u30AF\u30EA\u30A2",
                                          u"\u8457\u4F5C",
                                          u"\u78BA\u8A8D",
                                          u"\u8A00\u8A9E",
                                          u"\u82F1\u8A9E",
                                          u"\u65E5\u672C\u8A9E"};
  const std::u16string_view english[] = {u"Number of characters",
                                         u"Clear of display",
                                         u"Clear of clipboard",
                                         u"Author",
                                         u"Check",
                                         u"Language",
                                         u"English",
                                         u"Japanese"};
  ASSERT_EQ(CaptionTable.size(), 8U);
  for (std::size_t i = 0; i < CaptionTable.size(); ++i) {
    EXPECT_EQ(CaptionTable[i].control, order[i]) << i;
    EXPECT_EQ(CaptionTable[i].In(UiLanguage::Japanese), japanese[i]) << i;
    EXPECT_EQ(CaptionTable[i].In(UiLanguage::English), english[i]) << i;
  }
}

TEST(ButtonFontFamily, FullWidthMsGothicOrArial) {
  // Full-width M and S, an ordinary space, then katakana.
  EXPECT_EQ(ButtonFontFamily(UiLanguage::Japanese), u"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF");
  EXPECT_EQ(ButtonFontFamily(UiLanguage::English), u"Arial");
}

}  // namespace
}  // namespace vornic
