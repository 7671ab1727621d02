// The whole program, driven as a user would, on the in-memory window system.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>

#include "about/form2.h"
#include "count/count.h"
#include "language/language.h"
#include "mainwindow/form1.h"
#include "platform/headless/headless_services.h"
#include "platform/text_conversion.h"
#include "window_contract.h"

namespace vornic {
namespace {

using headless::ClipboardContents;
using headless::HeadlessWindowServices;

const std::u16string kMsGothic = u"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF";

class VornicProgram : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(StartVornic(ui)); }

  void Copy(std::u16string text) { ui.clipboard = {.text = std::move(text), .otherFormats = {}}; }
  void CountWith(std::u16string text) {
    Copy(std::move(text));
    ui.Click(Form1::Command1);
  }
  std::u16string Text1() const { return ui.GetText(Form1::Text1); }
  std::u16string Label1() const { return ui.GetCaption(Form1::Label1); }
  void ExpectCaptions(UiLanguage language) const {
    for (const CaptionEntry& entry : CaptionTable) {
      EXPECT_EQ(ui.GetCaption(entry.control), entry.In(language)) << entry.control.Definition().name;
    }
    EXPECT_EQ(ui.IsChecked(Form1::mnuJap), language == UiLanguage::Japanese);
    EXPECT_EQ(ui.IsChecked(Form1::mnuEn), language == UiLanguage::English);
  }
  // Service calls made since the mark, with the reads of the test itself left out.
  std::vector<std::string> CallsSince(std::size_t mark) const {
    return {ui.calls.begin() + static_cast<std::ptrdiff_t>(mark), ui.calls.end()};
  }

  HeadlessWindowServices ui;
};

TEST_F(VornicProgram, StartsInJapaneseWithTheJapaneseButtonFont) {
  EXPECT_TRUE(ui.IsVisible(Form1::Window));
  EXPECT_FALSE(ui.IsLoaded(Form2::Window));
  ExpectCaptions(UiLanguage::Japanese);
  for (const ControlRef button : {Form1::Command1, Form1::Command2, Form1::Command3}) {
    EXPECT_EQ(ui.GetFontFamily(button), kMsGothic);
  }
  EXPECT_EQ(Text1(), u"");
  EXPECT_EQ(Label1(), u"");
  EXPECT_EQ(ui.GetFontFamily(Form1::Text1), u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF");
}

TEST_F(VornicProgram, StartUpLoadsSetsFontsThenCaptionsThenShows) {
  HeadlessWindowServices fresh;
  ASSERT_TRUE(StartVornic(fresh));
  const std::vector<std::string> expected{
      "LoadForm Form1",
      "IsChecked Form1.mnuJap",
      "SetFontFamily Form1.Command1",
      "SetFontFamily Form1.Command2",
      "SetFontFamily Form1.Command3",
      "SetCaption Form1.Command1",
      "SetCaption Form1.Command2",
      "SetCaption Form1.Command3",
      "SetCaption Form1.mnuAuthor",
      "SetCaption Form1.mnuCheck",
      "SetCaption Form1.mnuLanguage",
      "SetCaption Form1.mnuEn",
      "SetCaption Form1.mnuJap",
      "ShowForm Form1",
  };
  EXPECT_EQ(fresh.calls, expected);
}

TEST_F(VornicProgram, CountShowsTheTextAndItsLengthWithoutLineBreaks) {
  CountWith(u"a\r\nb");
  EXPECT_EQ(Text1(), u"a\r\nb");
  EXPECT_EQ(Label1(), u" = 2");

  CountWith(u"\r\n\r\n");
  EXPECT_EQ(Label1(), u" = 0");

  CountWith(u"");
  EXPECT_EQ(Text1(), u"");
  EXPECT_EQ(Label1(), u" = 0");
  EXPECT_TRUE(ui.messagesShown.empty());
}

TEST_F(VornicProgram, CountWithoutTextOnTheClipboardChangesNothing) {
  CountWith(u"before");
  for (const ClipboardContents& contents :
       {ClipboardContents{}, ClipboardContents{.text = {}, .otherFormats = {"image"}},
        ClipboardContents{.text = {}, .otherFormats = {"files"}},
        // A file manager's text form of the files it copied.
        ClipboardContents{.text = std::u16string(contract::kCopiedFile), .otherFormats = {"files"}}}) {
    ui.clipboard = contents;
    const std::size_t mark = ui.calls.size();
    ui.Click(Form1::Command1);
    EXPECT_EQ(CallsSince(mark), std::vector<std::string>{"ClipboardHasText"});
  }
  EXPECT_EQ(Text1(), u"before");
  EXPECT_EQ(Label1(), u" = 6");
  EXPECT_TRUE(ui.messagesShown.empty());
}

TEST_F(VornicProgram, TheLimitIs50000CodeUnitsLineBreaksIncluded) {
  std::u16string atLimit(49998, u'x');
  atLimit += u"\r\n";
  CountWith(atLimit);
  EXPECT_EQ(Text1(), atLimit);
  EXPECT_EQ(Label1(), u" = 49998");
  EXPECT_TRUE(ui.messagesShown.empty());

  CountWith(std::u16string(50001, u'x'));
  ASSERT_EQ(ui.messagesShown.size(), 1U);
  EXPECT_EQ(ui.messagesShown[0], LimitMessage(UiLanguage::Japanese));
  EXPECT_EQ(Text1(), u"\u5236\u9650\u306B\u9054\u3057\u307E\u3057\u305F\u3002");
  EXPECT_EQ(Label1(), u" = 49998");  // the previous count stays
}

TEST_F(VornicProgram, RefusalSpeaksTheChosenLanguage) {
  ui.ChooseMenu(Form1::mnuEn);
  CountWith(std::u16string(50001, u'\n'));
  ASSERT_EQ(ui.messagesShown.size(), 1U);
  EXPECT_EQ(ui.messagesShown[0], LimitMessage(UiLanguage::English));
  EXPECT_EQ(Text1(), u"Limitation reached.");
  EXPECT_EQ(Label1(), u"");
}

TEST_F(VornicProgram, WhileTheLimitBoxIsOpenOnlyTicksAndTheAboutWindowGetThrough) {
  ui.ChooseMenu(Form1::mnuCheck);
  CountWith(u"abc");
  int boxesOpen = 0;
  ui.answerMessageBox = [&](std::u16string_view) {
    ++boxesOpen;
    ASSERT_EQ(boxesOpen, 1) << "a count ran inside the count";
    // What a screen reader can still press while the box keeps out the mouse.
    ui.Click(Form1::Command1);
    ui.Click(Form1::Command2);
    ui.Click(Form1::Command3);
    ui.ChooseMenu(Form1::mnuEn);
    ui.ChooseMenu(Form1::mnuCheck);
    ui.Tick();
    ui.Click(Form2::Label2);
    --boxesOpen;
  };
  CountWith(std::u16string(60000, u'y'));
  EXPECT_EQ(ui.messagesShown.size(), 1U);
  EXPECT_EQ(Text1(), u"\u5236\u9650\u306B\u9054\u3057\u307E\u3057\u305F\u3002");
  EXPECT_EQ(Label1(), u" = 3");
  EXPECT_TRUE(ui.clipboard.text.has_value());
  ExpectCaptions(UiLanguage::Japanese);
  EXPECT_EQ(ui.GetMetric(Form1::Label1, Metric::Top), 400);  // the tick got through
  EXPECT_FALSE(ui.IsLoaded(Form2::Window));                  // and so did the about window's Close

  ui.Click(Form1::Command2);  // with the box closed, clicks count again
  EXPECT_EQ(Text1(), u"");
}

TEST_F(VornicProgram, AFailureWhileTheProgramIsEndingIsReportedOnce) {
  // A tick fails while the limit box is open; the count then resumes and its
  // next call fails too, its window gone.
  ui.answerMessageBox = [this](std::u16string_view) {
    ui.FailNext("SetMetric");
    ui.Tick();
    ui.Tick();
  };
  CountWith(std::u16string(50001, u'y'));
  EXPECT_EQ(ui.exitStatus, 1);
  ASSERT_EQ(ui.fatalErrorsShown.size(), 1U);
  EXPECT_NE(Utf16ToUtf8(ui.fatalErrorsShown[0]).find("SetMetric"), std::string::npos);
  EXPECT_EQ(std::count(ui.calls.begin(), ui.calls.end(), "EndProgram"), 1);
}

TEST_F(VornicProgram, AClipboardChangedDuringTheCountCannotSlipPastTheLimit) {
  // Another program swaps in a huge text right after the first read. The
  // command reads once, so what it shows is what it tested.
  int reads = 0;
  ui.beforeClipboardRead = [&] {
    if (++reads == 2) ui.clipboard.text = std::u16string(200000, u'z');
  };
  CountWith(u"short");
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(Text1(), u"short");
  EXPECT_EQ(Label1(), u" = 5");

  // And the other way: a huge text tested, a short one swapped in later.
  reads = 0;
  ui.beforeClipboardRead = [&] {
    if (++reads == 2) ui.clipboard.text = u"tiny";
  };
  CountWith(std::u16string(50001, u'z'));
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(ui.messagesShown.size(), 1U);
  EXPECT_EQ(Label1(), u" = 5");
}

TEST_F(VornicProgram, AClipboardEmptiedJustBeforeTheReadChangesNothing) {
  CountWith(u"before");
  ui.beforeClipboardRead = [this] { ui.clipboard = {}; };
  CountWith(u"gone");
  EXPECT_TRUE(ui.Running());
  EXPECT_EQ(Text1(), u"before");
  EXPECT_EQ(Label1(), u" = 6");
  EXPECT_TRUE(ui.messagesShown.empty());
}

TEST_F(VornicProgram, HostileTextsAreShownAndCountedUnchanged) {
  const std::u16string hostile{char16_t{0xD800}, u'\0', u'a', char16_t{0xDFFF}, u'\r', u'\0', char16_t{0xFFFF}};
  CountWith(hostile);
  EXPECT_EQ(Text1(), hostile);
  EXPECT_EQ(Label1(), u" = 6");

  CountWith(u"\r");
  EXPECT_EQ(Label1(), u" = 0");

  CountWith(std::u16string(8 * 1024 * 1024, u'm'));
  EXPECT_EQ(ui.messagesShown.size(), 1U);
  EXPECT_EQ(Label1(), u" = 0");
}

TEST_F(VornicProgram, ClearDisplayEmptiesTextBoxThenLabel) {
  ui.Click(Form1::Command2);  // nothing shown yet: no error
  CountWith(u"hello");
  const std::size_t mark = ui.calls.size();
  ui.Click(Form1::Command2);
  EXPECT_EQ(CallsSince(mark), (std::vector<std::string>{"SetText Form1.Text1", "SetCaption Form1.Label1"}));
  EXPECT_EQ(Text1(), u"");
  EXPECT_EQ(Label1(), u"");
  EXPECT_EQ(ui.clipboard.text, u"hello");  // the clipboard is left alone
}

TEST_F(VornicProgram, ClearClipboardEmptiesDisplayThenEveryFormat) {
  CountWith(u"hello");
  ui.clipboard.otherFormats = {"image", "files"};
  const std::size_t mark = ui.calls.size();
  ui.Click(Form1::Command3);
  EXPECT_EQ(CallsSince(mark),
            (std::vector<std::string>{"SetText Form1.Text1", "SetCaption Form1.Label1", "ClipboardClear"}));
  EXPECT_TRUE(ui.clipboard.IsEmpty());
  EXPECT_EQ(Text1(), u"");

  ui.Click(Form1::Command1);  // nothing to count until something is copied again
  EXPECT_EQ(Label1(), u"");
  CountWith(u"again");
  EXPECT_EQ(Label1(), u" = 5");
}

TEST_F(VornicProgram, LanguageMenuSwitchesAllCaptionsButNotTheButtonFont) {
  ui.ChooseMenu(Form1::mnuEn);
  ExpectCaptions(UiLanguage::English);
  EXPECT_EQ(ui.GetFontFamily(Form1::Command1), kMsGothic);

  ui.ChooseMenu(Form1::mnuEn);  // again: the same captions
  ExpectCaptions(UiLanguage::English);

  ui.ChooseMenu(Form1::mnuJap);
  ExpectCaptions(UiLanguage::Japanese);
  EXPECT_EQ(ui.GetFontFamily(Form1::Command3), kMsGothic);
}

// The order of every handler's calls, and what each call touches, is part of
// what the program promises: a reordered step shows here first.
TEST(VornicHandlers, CallTheServicesInTheirOrder) {
  std::vector<std::string> switchTo[2];
  for (const UiLanguage language : {UiLanguage::English, UiLanguage::Japanese}) {
    const bool english = language == UiLanguage::English;
    std::vector<std::string>& calls = switchTo[english ? 0 : 1];
    calls = {english ? "SetChecked Form1.mnuEn on" : "SetChecked Form1.mnuEn off",
             english ? "SetChecked Form1.mnuJap off" : "SetChecked Form1.mnuJap on", "IsChecked Form1.mnuJap"};
    for (const char* control :
         {"Command1", "Command2", "Command3", "mnuAuthor", "mnuCheck", "mnuLanguage", "mnuEn", "mnuJap"}) {
      calls.push_back(std::string("SetCaption Form1.") + control);
    }
  }
  const struct {
    const char* name;
    std::optional<std::u16string> clipboardText;
    std::function<void(HeadlessWindowServices&)> act;
    std::vector<std::string> expected;
  } cases[] = {
      {"count",
       u"ab\r\n",
       [](HeadlessWindowServices& u) { u.Click(Form1::Command1); },
       {"ClipboardHasText", "ClipboardGetText", "SetText Form1.Text1", "SetCaption Form1.Label1"}},
      {"refusal",
       std::u16string(50001, u'x'),
       [](HeadlessWindowServices& u) { u.Click(Form1::Command1); },
       {"ClipboardHasText", "ClipboardGetText", "IsChecked Form1.mnuEn", "ShowMessage", "SetText Form1.Text1"}},
      {"English", {}, [](HeadlessWindowServices& u) { u.ChooseMenu(Form1::mnuEn); }, switchTo[0]},
      {"Japanese", {}, [](HeadlessWindowServices& u) { u.ChooseMenu(Form1::mnuJap); }, switchTo[1]},
      {"layout",
       {},
       [](HeadlessWindowServices& u) { u.Tick(); },
       {"GetFormMetric Form1 Width", "GetFormMetric Form1 Height", "SetMetric Form1.Text1 Left",
        "SetMetric Form1.Text1 Top", "SetMetric Form1.Label1 Left", "SetMetric Form1.Label1 Top",
        "SetMetric Form1.Text1 Height", "SetMetric Form1.Text1 Width", "SetMetric Form1.Label1 Width",
        "SetMetric Form1.Command1 Width", "SetMetric Form1.Command2 Width", "SetMetric Form1.Command2 Left",
        "SetMetric Form1.Command3 Width", "SetMetric Form1.Command3 Left"}},
      {"about window",
       {},
       [](HeadlessWindowServices& u) { u.ChooseMenu(Form1::mnuCheck); },
       {"LoadForm Form2", "PlaceFormAtOffset Form2 Form1", "ShowForm Form2"}},
  };
  for (const auto& testCase : cases) {
    HeadlessWindowServices ui;
    ASSERT_TRUE(StartVornic(ui));
    ui.clipboard.text = testCase.clipboardText;
    const std::size_t mark = ui.calls.size();
    testCase.act(ui);
    EXPECT_EQ(std::vector<std::string>(ui.calls.begin() + static_cast<std::ptrdiff_t>(mark), ui.calls.end()),
              testCase.expected)
        << testCase.name;
  }
}

TEST_F(VornicProgram, FirstTickMovesTextBoxAndLabelUnderTheButtons) {
  EXPECT_EQ(ui.GetMetric(Form1::Text1, Metric::Top), 1080);
  EXPECT_EQ(ui.GetMetric(Form1::Label1, Metric::Left), 4200);
  ui.Tick();
  EXPECT_EQ(ui.GetMetric(Form1::Text1, Metric::Left), 0);
  EXPECT_EQ(ui.GetMetric(Form1::Text1, Metric::Top), 800);
  EXPECT_EQ(ui.GetMetric(Form1::Label1, Metric::Left), 0);
  EXPECT_EQ(ui.GetMetric(Form1::Label1, Metric::Top), 400);
  const float outerWidth = ui.GetFormMetric(Form1::Window, Metric::Width);
  const float outerHeight = ui.GetFormMetric(Form1::Window, Metric::Height);
  EXPECT_EQ(ui.GetMetric(Form1::Text1, Metric::Width), outerWidth - 100);
  EXPECT_EQ(ui.GetMetric(Form1::Text1, Metric::Height), outerHeight - 800);
  // What the layout never touches keeps its created value.
  EXPECT_EQ(ui.GetMetric(Form1::Command1, Metric::Left), 0);
  EXPECT_EQ(ui.GetMetric(Form1::Command2, Metric::Height), 375);
  EXPECT_EQ(ui.GetMetric(Form1::Label1, Metric::Height), 375);
}

TEST_F(VornicProgram, ControlsFollowEveryResize) {
  ui.Resize(Form1::Window, 6000, 5000);
  ui.Tick();
  EXPECT_EQ(ui.GetMetric(Form1::Command1, Metric::Width), 2940);
  EXPECT_EQ(ui.GetMetric(Form1::Command2, Metric::Left), 2940);
  EXPECT_EQ(ui.GetMetric(Form1::Command3, Metric::Left), 4380);
  ui.Resize(Form1::Window, 12000, 801);
  ui.Tick();
  EXPECT_EQ(ui.GetMetric(Form1::Command1, Metric::Width), 5940);
  EXPECT_EQ(ui.GetMetric(Form1::Command2, Metric::Width), 2950);
  EXPECT_EQ(ui.GetMetric(Form1::Command3, Metric::Width), 3000);
  EXPECT_EQ(ui.GetMetric(Form1::Command3, Metric::Left), 8880);
  EXPECT_EQ(ui.GetMetric(Form1::Text1, Metric::Height), 1);
  ui.Resize(Form1::Window, 90, 800);  // too small for any of it: nothing fails
  ui.Tick();
  EXPECT_EQ(ui.GetMetric(Form1::Text1, Metric::Height), 1);
  EXPECT_EQ(ui.GetMetric(Form1::Command1, Metric::Width), 5940);
  EXPECT_TRUE(ui.Running());
}

TEST_F(VornicProgram, AboutWindowOpensAtTheOffsetFromTheMainWindow) {
  ui.Move(Form1::Window, 3000, 2000);
  ui.ChooseMenu(Form1::mnuCheck);
  ASSERT_TRUE(ui.IsVisible(Form2::Window));
  EXPECT_EQ(ui.GetFormMetric(Form2::Window, Metric::Left), 4500);
  EXPECT_EQ(ui.GetFormMetric(Form2::Window, Metric::Top), 3500);
  EXPECT_EQ(ui.GetCaption(Form2::Label2), u"   Close");

  ui.Move(Form1::Window, 100, 200);  // Check again: the same window, moved
  ui.ChooseMenu(Form1::mnuCheck);
  EXPECT_EQ(ui.LoadedFormCount(), 2U);
  EXPECT_EQ(ui.GetFormMetric(Form2::Window, Metric::Left), 1600);
  EXPECT_EQ(ui.GetFormMetric(Form2::Window, Metric::Top), 1700);
}

TEST_F(VornicProgram, CloseLabelDestroysTheAboutWindowAndCheckMakesANewOne) {
  ui.ChooseMenu(Form1::mnuCheck);
  ui.Click(Form2::Label2);
  EXPECT_FALSE(ui.IsLoaded(Form2::Window));
  EXPECT_TRUE(ui.Running());

  ui.ChooseMenu(Form1::mnuEn);
  ui.ChooseMenu(Form1::mnuCheck);
  EXPECT_EQ(ui.GetFormMetric(Form2::Window, Metric::Left), ui.GetFormMetric(Form1::Window, Metric::Left) + 1500);
}

TEST_F(VornicProgram, SwitchingLanguageLeavesTheAboutWindowAlone) {
  ui.ChooseMenu(Form1::mnuCheck);
  const std::size_t mark = ui.calls.size();
  ui.ChooseMenu(Form1::mnuEn);
  for (const std::string& call : CallsSince(mark)) EXPECT_EQ(call.find("Form2"), std::string::npos) << call;
  for (int element = 0; element < 3; ++element) {
    EXPECT_EQ(ui.GetCaption(Form2::Label1(element)), Form2::Label1(element).Definition().content);
  }
  EXPECT_EQ(ui.GetCaption(Form2::Label2), u"   Close");
}

TEST_F(VornicProgram, AnOpenAboutWindowOutlivesTheMainWindow) {
  ui.ChooseMenu(Form1::mnuCheck);
  ui.Close(Form1::Window);
  EXPECT_TRUE(ui.Running());
  EXPECT_TRUE(ui.IsVisible(Form2::Window));
  const std::size_t mark = ui.calls.size();
  ui.Tick();  // Form1's timer went with it
  EXPECT_EQ(ui.calls.size(), mark);
  ui.Close(Form2::Window);
  EXPECT_EQ(ui.exitStatus, 0);
  EXPECT_EQ(ui.RunEventLoop(), 0);
}

TEST_F(VornicProgram, ClosingTheMainWindowAloneEndsTheProgram) {
  ui.Close(Form1::Window);
  EXPECT_EQ(ui.exitStatus, 0);
}

TEST_F(VornicProgram, AFailureIsShownByNameAndEndsTheProgramWithNothingElseDone) {
  CountWith(u"kept");
  ui.FailNext("ClipboardGetText");
  const std::size_t mark = ui.calls.size();
  ui.Click(Form1::Command1);
  EXPECT_EQ(CallsSince(mark),
            (std::vector<std::string>{"ClipboardHasText", "ClipboardGetText", "ReportFatalError", "EndProgram"}));
  ASSERT_EQ(ui.fatalErrorsShown.size(), 1U);
  EXPECT_NE(Utf16ToUtf8(ui.fatalErrorsShown[0]).find("ClipboardGetText"), std::string::npos);
  EXPECT_EQ(ui.exitStatus, 1);
  EXPECT_EQ(ui.LoadedFormCount(), 0U);
  ui.Click(Form1::Command1);  // an ended program takes no more events
  EXPECT_EQ(ui.calls.size(), mark + 4);
}

TEST_F(VornicProgram, FailuresInEveryHandlerEndTheProgram) {
  const std::pair<const char*, std::function<void(HeadlessWindowServices&)>> cases[] = {
      {"ClipboardClear", [](HeadlessWindowServices& u) { u.Click(Form1::Command3); }},
      {"SetMetric", [](HeadlessWindowServices& u) { u.Tick(); }},
      {"SetChecked", [](HeadlessWindowServices& u) { u.ChooseMenu(Form1::mnuEn); }},
      {"ShowForm", [](HeadlessWindowServices& u) { u.ChooseMenu(Form1::mnuCheck); }},
  };
  for (const auto& [operation, act] : cases) {
    HeadlessWindowServices fresh;
    ASSERT_TRUE(StartVornic(fresh));
    fresh.FailNext(operation);
    act(fresh);
    EXPECT_EQ(fresh.exitStatus, 1) << operation;
    ASSERT_EQ(fresh.fatalErrorsShown.size(), 1U) << operation;
    EXPECT_NE(Utf16ToUtf8(fresh.fatalErrorsShown[0]).find(std::string(operation) + " failed: "), std::string::npos);
  }
}

TEST(VornicStartUp, AFailureAtStartUpEndsTheProgram) {
  HeadlessWindowServices ui;
  ui.FailNext("SetFontFamily");
  EXPECT_FALSE(StartVornic(ui));
  EXPECT_EQ(ui.exitStatus, 1);
  EXPECT_EQ(ui.fatalErrorsShown.size(), 1U);
}

TEST_F(VornicProgram, ThousandsOfClicksKeepAConsistentDisplay) {
  for (int i = 0; i < 3000; ++i) {
    CountWith(std::u16string(static_cast<std::size_t>(i % 7), u'q') + u"\r\n");
    ui.Click(Form1::Command2);
    ui.Tick();
  }
  CountWith(u"end");
  EXPECT_EQ(Label1(), u" = 3");
  EXPECT_TRUE(ui.Running());
}

}  // namespace
}  // namespace vornic
