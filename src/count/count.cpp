#include "count/count.h"

#include <limits>
#include <stdexcept>

#include "mainwindow/form1.h"
#include "platform/window_services.h"

namespace vornic {

std::int32_t CountCharacters(std::u16string_view text) {
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw std::overflow_error("text too long to count");
  }
  // A fixed-size inner loop is one the compiler vectorises even at -O2, and
  // a block's count fits in sixteen bits.
  constexpr std::size_t kBlock = 256;
  const char16_t* units = text.data();
  const auto isLineBreak = [](char16_t unit) { return static_cast<std::uint16_t>((unit == u'\r') | (unit == u'\n')); };
  std::size_t lineBreaks = 0;
  std::size_t i = 0;
  for (; text.size() - i >= kBlock; i += kBlock) {
    std::uint16_t inBlock = 0;
    for (std::size_t j = 0; j < kBlock; ++j) inBlock = static_cast<std::uint16_t>(inBlock + isLineBreak(units[i + j]));
    lineBreaks += inBlock;
  }
  for (; i < text.size(); ++i) lineBreaks += isLineBreak(units[i]);
  return static_cast<std::int32_t>(text.size() - lineBreaks);
}

std::u16string CountCaption(std::int32_t count) {
  const std::string digits = std::to_string(count);
  std::u16string caption = u" = ";
  caption.append(digits.begin(), digits.end());
  return caption;
}

std::u16string LimitMessage(UiLanguage language) {
  const std::u16string_view lineBreak = u"\r\n";
  const std::u16string_view quote = u"\"";
  std::u16string message;
  if (language == UiLanguage::English) {
    message.append(u"Clipboard is too long.").append(lineBreak).append(lineBreak);
    message.append(u"This software limitation is 50000 strings.").append(lineBreak);
    message.append(u"[Include ").append(quote).append(u"Line-feed character").append(quote).append(u"]");
  } else {
    message.append(u"クリップボードの内容が大きいです。").append(lineBreak).append(lineBreak);
    message.append(u"このソフトの制限は50000文字までです。").append(lineBreak);
    message.append(u"[").append(quote).append(u"改行文字").append(quote).append(u"を含みます。]");
  }
  return message;
}

std::u16string_view LimitNotice(UiLanguage language) {
  return language == UiLanguage::English ? u"Limitation reached." : u"制限に達しました。";
}

void CountClipboardText(WindowServices& services) {
  if (!services.ClipboardHasText()) return;
  // Read once: the limit test, the display and the count all see the same
  // text, so a clipboard changed in between cannot slip past the limit.
  const ClipboardText read = services.ClipboardGetText(MaxClipboardLength);
  if (read.found == ClipboardText::Found::NoText) return;
  if (read.found == ClipboardText::Found::LongerThanLimit) {
    const UiLanguage language = services.IsChecked(Form1::mnuEn) ? UiLanguage::English : UiLanguage::Japanese;
    services.ShowMessage(LimitMessage(language));
    services.SetText(Form1::Text1, LimitNotice(language));
    return;
  }
  services.SetText(Form1::Text1, read.text);
  services.SetCaption(Form1::Label1, CountCaption(CountCharacters(read.text)));
}

}  // namespace vornic
