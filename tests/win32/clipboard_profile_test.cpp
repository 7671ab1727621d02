// What real programs put on the clipboard, put there by a separate producer
// process, and what Vornic.exe does with it when its buttons are clicked.
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>

#include "clipboard_producer_process.h"
#include "vornic_driver.h"

namespace vornic_test {
namespace {

enum class Outcome {
  Counts,          // Text1 shows the text, Label1 its count
  NothingChanges,  // no plain text: no change, no message
  LimitMessage,    // the limit box, then the limit notice; Label1 unchanged
  Failure,         // a message naming the failed operation, then exit status 1
};

struct Profile {
  const char* name;  // as the producer knows it
  Outcome outcome;
  const wchar_t* text;   // Counts: Text1; Failure: the operation the message names
  const wchar_t* count;  // Counts: Label1
};

constexpr Outcome kCounts = Outcome::Counts;
constexpr Outcome kNothing = Outcome::NothingChanges;
const std::wstring kAtTheLimit(50000, L'x');

// Every profile is then emptied by the clear-clipboard button while the
// producer, not Vornic, owns the clipboard.
const Profile kProfiles[] = {
    {"unicode", kCounts, L"Hello, 世界\r\nline two", L" = 17"},
    {"ansi", kCounts, L"Plain ANSI text\r\n", L" = 15"},
    // Code page 932 bytes with a Japanese CF_LOCALE: converted with the
    // locale's code page, whatever the system's own.
    {"ansi-japanese", kCounts, L"日本語のテキスト\r\nです", L" = 10"},
    {"oem", kCounts, L"OEM text", L" = 8"},
    {"delayed", kCounts, L"rendered late", L" = 13"},
    // A live owner asked for the text it announced gives none: a failed read.
    {"never-renders", Outcome::Failure, L"GetClipboardData", nullptr},
    // What an owner announced but never rendered goes with it.
    {"owner-exited", kNothing, nullptr, nullptr},
    // Announced at the format test, gone with its owner when read.
    {"gone-before-read", kNothing, nullptr, nullptr},
    {"bitmap", kNothing, nullptr, nullptr},
    {"bitmap-no-owner", kNothing, nullptr, nullptr},
    {"dib", kNothing, nullptr, nullptr},
    {"dib-no-owner", kNothing, nullptr, nullptr},
    {"dibv5", kNothing, nullptr, nullptr},
    {"dibv5-no-owner", kNothing, nullptr, nullptr},
    {"files", kNothing, nullptr, nullptr},
    // Files are no text, whatever text comes with them.
    {"files-with-names", kNothing, nullptr, nullptr},
    // HTML beside its plain text: the plain text counts.
    {"html", kCounts, L"Bold text", L" = 9"},
    {"empty", kCounts, L"", L" = 0"},
    {"inner-nul", kCounts, L"ab", L" = 2"},
    // Four units, no NUL, and an odd byte that is not zero. Windows keeps the
    // block as it is; Wine 8 writes a NUL over its last two bytes, which
    // leaves the four units too (over an even block it would cut "d"). A read
    // past the fourth unit would count 5 or more on Windows.
    {"unterminated", kCounts, L"abcd", L" = 4"},
    {"over-limit", Outcome::LimitMessage, nullptr, nullptr},
    {"long:50000", kCounts, kAtTheLimit.c_str(), L" = 50000"},
};

// Presses a button and waits, within bounds, until its handler has finished
// or shows a message box; returns the box if there is one.
HWND Press(const VornicProcess& vornic, HWND button) {
  vornic.PostClick(button);
  vornic.SyncPosted();
  return vornic.MessageBoxNow();
}

std::wstring MessageText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

void ExpectDisplay(const VornicProcess& vornic, const std::wstring& text, const std::wstring& count) {
  EXPECT_EQ(WindowText(vornic.text1), text);
  EXPECT_EQ(WindowText(vornic.label1), count);
}

bool OwnedBy(const VornicProcess& vornic) {
  DWORD owner = 0;
  GetWindowThreadProcessId(GetClipboardOwner(), &owner);
  DWORD vornicProcess = 0;
  GetWindowThreadProcessId(vornic.form1, &vornicProcess);
  return GetClipboardOwner() != nullptr && owner == vornicProcess;
}

void PrintTo(const Profile& profile, std::ostream* out) { *out << profile.name; }

class ClipboardProfileTest : public ::testing::TestWithParam<Profile> {};

TEST_P(ClipboardProfileTest, CountThenClearClipboard) {
  const Profile& profile = GetParam();
  Clipboard clipboard;
  clipboard.SetText(L"baseline");
  auto vornic = std::make_unique<VornicProcess>();
  HWND box = Press(*vornic, vornic->command1);
  ASSERT_EQ(box, nullptr) << MessageText(box);
  ExpectDisplay(*vornic, L"baseline", L" = 8");

  const Producer producer(profile.name);
  box = Press(*vornic, vornic->command1);
  switch (profile.outcome) {
    case Outcome::Counts:
      ASSERT_EQ(box, nullptr) << MessageText(box);
      ExpectDisplay(*vornic, profile.text, profile.count);
      break;
    case Outcome::NothingChanges:
      ASSERT_EQ(box, nullptr) << MessageText(box);
      ExpectDisplay(*vornic, L"baseline", L" = 8");
      break;
    case Outcome::LimitMessage:
      ASSERT_NE(box, nullptr);
      EXPECT_NE(MessageText(box).find(L"50000"), std::wstring::npos) << MessageText(box);
      ASSERT_EQ(Press(*vornic, GetDlgItem(vornic->WaitForMessageBox(), IDOK)), nullptr);
      ExpectDisplay(*vornic, L"制限に達しました。", L" = 8");
      break;
    case Outcome::Failure: {
      ASSERT_NE(box, nullptr);
      EXPECT_NE(MessageText(box).find(profile.text), std::wstring::npos) << MessageText(box);
      PostMessageW(GetDlgItem(vornic->WaitForMessageBox(), IDOK), BM_CLICK, 0, 0);
      DWORD exitCode = 0;
      ASSERT_TRUE(vornic->WaitForExit(&exitCode));
      EXPECT_EQ(exitCode, 1U);
      vornic = std::make_unique<VornicProcess>();
      break;
    }
  }

  EXPECT_FALSE(OwnedBy(*vornic));
  EXPECT_EQ(Press(*vornic, vornic->command3), nullptr);
  EXPECT_EQ(CountClipboardFormats(), 0);
  ExpectDisplay(*vornic, L"", L"");
}

std::string ProfileName(const ::testing::TestParamInfo<Profile>& info) {
  std::string name = info.param.name;
  for (char& character : name) character = std::isalnum(static_cast<unsigned char>(character)) ? character : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Producer, ClipboardProfileTest, ::testing::ValuesIn(kProfiles), ProfileName);

}  // namespace
}  // namespace vornic_test
