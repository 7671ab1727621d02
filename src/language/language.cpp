#include "language/language.h"

#include "mainwindow/form1.h"
#include "platform/window_services.h"

namespace vornic {

const std::array<CaptionEntry, 8> CaptionTable{{
    {Form1::Command1, u"文字数", u"Number of characters"},
    {Form1::Command2, u"表示クリア", u"Clear of display"},
    {Form1::Command3, u"クリップボードクリア", u"Clear of clipboard"},
    {Form1::mnuAuthor, u"著作", u"Author"},
    {Form1::mnuCheck, u"確認", u"Check"},
    {Form1::mnuLanguage, u"言語", u"Language"},
    {Form1::mnuEn, u"英語", u"English"},
    {Form1::mnuJap, u"日本語", u"Japanese"},
}};

namespace {

UiLanguage CheckedLanguage(WindowServices& services) {
  return services.IsChecked(Form1::mnuJap) ? UiLanguage::Japanese : UiLanguage::English;
}

void WriteCaptions(WindowServices& services, UiLanguage language) {
  for (const CaptionEntry& entry : CaptionTable) services.SetCaption(entry.control, entry.In(language));
}

}  // namespace

std::u16string_view ButtonFontFamily(UiLanguage language) {
  return language == UiLanguage::Japanese ? u"ＭＳ ゴシック" : u"Arial";
}

void ApplyLanguage(WindowServices& services) { WriteCaptions(services, CheckedLanguage(services)); }

void ApplyStartupLanguage(WindowServices& services) {
  const UiLanguage language = CheckedLanguage(services);
  for (const ControlRef button : {Form1::Command1, Form1::Command2, Form1::Command3}) {
    services.SetFontFamily(button, ButtonFontFamily(language));
  }
  WriteCaptions(services, language);
}

void SelectEnglish(WindowServices& services) {
  services.SetChecked(Form1::mnuEn, true);
  services.SetChecked(Form1::mnuJap, false);
  ApplyLanguage(services);
}

void SelectJapanese(WindowServices& services) {
  services.SetChecked(Form1::mnuEn, false);
  services.SetChecked(Form1::mnuJap, true);
  ApplyLanguage(services);
}

}  // namespace vornic
