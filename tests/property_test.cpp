// Long random sessions of every user action and of whatever other programs
// put on the clipboard, checked against a model of what the screen must show.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "about/form2.h"
#include "count/count.h"
#include "language/language.h"
#include "mainwindow/form1.h"
#include "platform/headless/headless_services.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vornic {
namespace {

using headless::HeadlessWindowServices;

// The label for a text, counted here without the code under test.
std::u16string ExpectedLabel(std::u16string_view text) {
  int count = 0;
  for (const char16_t unit : text) {
    if (unit != u'\r' && unit != u'\n') ++count;
  }
  const std::string digits = std::to_string(count);
  return u" = " + std::u16string(digits.begin(), digits.end());
}

// What the user must see, derived from the actions alone.
struct ExpectedScreen {
  std::u16string text1;
  std::u16string label1;
  UiLanguage language = UiLanguage::Japanese;
};

class RandomSession {
 public:
  explicit RandomSession(unsigned seed) : random_(seed) { ui_.recordCalls = false; }

  void Run(int steps) {
    ASSERT_TRUE(StartVornic(ui_));
    for (int step = 0; step < steps && !::testing::Test::HasFailure(); ++step) {
      TakeOneAction();
      CheckInvariants(step);
    }
  }

 private:
  std::u16string RandomText() {
    // Mostly short, sometimes around the limit, rarely far over it.
    static constexpr std::size_t kLengths[] = {0, 1, 2, 10, 100, 49999, 50000, 50001, 300000};
    const std::size_t length = Pick(9) < 6 ? Pick(200) : kLengths[Pick(9)];
    static constexpr char16_t kUnits[] = {u'a', u'\r', u'\n', u'\0', u'\t', 0xD800, 0xDFFF, u'\u6587', 0xFFFF};
    std::u16string text(length, u'x');
    for (char16_t& unit : text) unit = kUnits[Pick(9)];
    return text;
  }

  std::size_t Pick(std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_); }

  void TakeOneAction() {
    switch (Pick(12)) {
      case 0:
        ui_.clipboard = {.text = RandomText(), .otherFormats = {}};
        break;
      case 1:
        ui_.clipboard = {.text = {}, .otherFormats = {Pick(2) == 0 ? "image" : "files"}};
        break;
      case 2:
      case 3:
        Count();
        break;
      case 4:
        ui_.Click(Form1::Command2);
        expected_.text1.clear();
        expected_.label1.clear();
        break;
      case 5:
        ui_.Click(Form1::Command3);
        expected_.text1.clear();
        expected_.label1.clear();
        break;
      case 6:
        ui_.ChooseMenu(Form1::mnuEn);
        expected_.language = UiLanguage::English;
        break;
      case 7:
        ui_.ChooseMenu(Form1::mnuJap);
        expected_.language = UiLanguage::Japanese;
        break;
      case 8:
        ui_.ChooseMenu(Form1::mnuCheck);
        break;
      case 9:
        if (Pick(2) == 0) {
          ui_.Click(Form2::Label2);
        } else {
          ui_.Close(Form2::Window);
        }
        break;
      case 10:
        ui_.Resize(Form1::Window, static_cast<float>(Pick(30000)), static_cast<float>(Pick(20000)));
        break;
      default:
        ui_.Tick();
        break;
    }
  }

  void Count() {
    ui_.Click(Form1::Command1);
    const auto& text = ui_.clipboard.text;
    if (!text) return;
    if (text->size() > MaxClipboardLength) {
      expected_.text1 = LimitNotice(expected_.language);
    } else {
      expected_.text1 = *text;
      expected_.label1 = ExpectedLabel(*text);
    }
  }

  void CheckInvariants(int step) {
    ASSERT_TRUE(ui_.Running()) << "step " << step;
    EXPECT_NE(ui_.IsChecked(Form1::mnuEn), ui_.IsChecked(Form1::mnuJap)) << "step " << step;
    EXPECT_LE(ui_.LoadedFormCount(), 2U);
    EXPECT_EQ(ui_.GetText(Form1::Text1), expected_.text1) << "step " << step;
    const std::u16string label = ui_.GetCaption(Form1::Label1);
    EXPECT_EQ(label, expected_.label1) << "step " << step;
    EXPECT_TRUE(label.empty() || (label.starts_with(u" = ") && label.size() > 3 &&
                                  label.find_first_not_of(u"0123456789", 3) == std::u16string::npos));
    for (const CaptionEntry& entry : CaptionTable) {
      EXPECT_EQ(ui_.GetCaption(entry.control), entry.In(expected_.language)) << "step " << step;
    }
    EXPECT_EQ(ui_.IsChecked(Form1::mnuEn), expected_.language == UiLanguage::English);
  }

  std::mt19937 random_;
  HeadlessWindowServices ui_;
  ExpectedScreen expected_;
};

TEST(RandomSessions, KeepTheScreenConsistentWithEveryAction) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    SCOPED_TRACE(seed);
    RandomSession(seed).Run(400);
  }
}

#if defined(__GLIBC__)
std::size_t HeapInUse() { return mallinfo2().uordblks; }

TEST(Soak, TenThousandCountsAndAnHourOfTicksDoNotGrowTheHeap) {
  HeadlessWindowServices ui;
  ui.recordCalls = false;
  ASSERT_TRUE(StartVornic(ui));
  ui.answerMessageBox = [](std::u16string_view) {};
  auto session = [&](int rounds) {
    for (int i = 0; i < rounds; ++i) {
      ui.clipboard.text = std::u16string(static_cast<std::size_t>(i % 3 == 0 ? 50001 : 2000), u'w');
      ui.Click(Form1::Command1);
      ui.messagesShown.clear();
      for (int tick = 0; tick < 36; ++tick) ui.Tick();  // 10000 rounds: an hour of 10 ms ticks
    }
  };
  session(100);  // warm up
  const std::size_t before = HeapInUse();
  session(10000);
  EXPECT_LE(HeapInUse(), before + 64 * 1024);
}
#endif

}  // namespace
}  // namespace vornic
