// Vornic.exe driven from another process under the real window system: what
// the user sees and what the clipboard holds.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "painted_colours.h"
#include "platform/twips.h"
#include "vornic_driver.h"

namespace vornic_test {
namespace {

using vornic::PixelsToTwips;
using vornic::TwipsToPixels;
using vornic::TwipsToPixelSize;

LONG StyleOf(HWND window) { return GetWindowLongW(window, GWL_STYLE); }

bool HasIcon(HWND box) {
  for (HWND child : Children(box)) {
    if (ClassName(child) == L"Static" && (StyleOf(child) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
        SendMessageW(child, STM_GETICON, 0, 0) != 0) {
      return true;
    }
  }
  return false;
}

int ButtonCount(HWND box) {
  int buttons = 0;
  for (HWND child : Children(box)) buttons += ClassName(child) == L"Button" && IsWindowVisible(child) ? 1 : 0;
  return buttons;
}

std::wstring MessageText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

// Closes the box and waits until the handler that showed it has finished.
// The click only ends the box's modal loop, which may still answer a sent
// message (Wine 10 does); once the box is destroyed the handler goes on
// without answering any, so a message sent then waits for its end.
void AnswerMessageBox(const VornicProcess& vornic, HWND box) {
  SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  WaitUntil([&] { return IsWindow(box) == FALSE; });
  vornic.Sync();
}

float Dpi(HWND window) { return static_cast<float>(GetDpiForWindow(window)); }

// Presses the count button with a text over the limit on the clipboard;
// returns the limit box it opens (null if none shows).
HWND PressCountOver(const VornicProcess& vornic, const Clipboard& clipboard, const std::wstring& text) {
  clipboard.SetText(text);
  vornic.PostClick(vornic.command1);
  return vornic.WaitForMessageBox();
}

// Resizes a window by the given pixels, as a user dragging its corner.
void Grow(HWND window, int extraWidth, int extraHeight) {
  RECT outer{};
  GetWindowRect(window, &outer);
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + extraWidth, outer.bottom - outer.top + extraHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The system colours of a dark theme, for the programs started while this
// lives (Wine gives running ones no new colours); the old ones are put back,
// since they are the whole prefix's.
class DarkSystemColours {
 public:
  DarkSystemColours() {
    for (std::size_t i = 0; i < kElements.size(); ++i) saved_[i] = GetSysColor(kElements[i]);
    const std::array<COLORREF, kElements.size()> dark{RGB(24, 24, 24), RGB(240, 240, 240), RGB(48, 48, 48),
                                                      RGB(220, 220, 220)};
    set_ = SetSysColors(static_cast<int>(kElements.size()), kElements.data(), dark.data()) != FALSE;
  }
  ~DarkSystemColours() { SetSysColors(static_cast<int>(kElements.size()), kElements.data(), saved_.data()); }
  DarkSystemColours(const DarkSystemColours&) = delete;
  DarkSystemColours& operator=(const DarkSystemColours&) = delete;
  [[nodiscard]] bool Set() const { return set_; }

 private:
  static constexpr std::array<int, 4> kElements{COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT};
  std::array<COLORREF, kElements.size()> saved_{};
  bool set_ = false;
};

// The colours a control shows on the screen.
vornic::testing::Painted PaintedColours(HWND control) {
  RECT box{};
  GetWindowRect(control, &box);
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  HDC screen = GetDC(nullptr);
  HDC copy = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ original = SelectObject(copy, bitmap);
  BitBlt(copy, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
  SelectObject(copy, original);
  BITMAPINFO format{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  std::vector<RGBQUAD> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  GetDIBits(copy, bitmap, 0, static_cast<UINT>(height), pixels.data(), &format, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(copy);
  ReleaseDC(nullptr, screen);
  std::vector<vornic::Colour> colours;
  for (const RGBQUAD& pixel : pixels)
    colours.push_back(vornic::Colour::FromRgb(pixel.rgbRed, pixel.rgbGreen, pixel.rgbBlue));
  return vornic::testing::PaintedColours(colours);
}

class VornicWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { clipboard.Clear(); }

  Clipboard clipboard;
};

TEST_F(VornicWindowTest, StartsInJapaneseWithTheCreatedControls) {
  VornicProcess vornic;
  EXPECT_EQ(WindowText(vornic.command1), L"文字数");
  EXPECT_EQ(WindowText(vornic.command2), L"表示クリア");
  EXPECT_EQ(WindowText(vornic.command3), L"クリップボードクリア");
  EXPECT_EQ(vornic.MenuCaptions(), (std::vector<std::wstring>{L"著作", L"確認", L"言語", L"英語", L"日本語"}));
  EXPECT_TRUE(vornic.IsMenuItemChecked(L"日本語"));
  EXPECT_FALSE(vornic.IsMenuItemChecked(L"英語"));
  EXPECT_EQ(WindowText(vornic.text1), L"");
  EXPECT_EQ(WindowText(vornic.label1), L"");

  // Tab order (z-order): Text1, Command1, Command2, Command3; the label takes
  // no focus and lies below them all, so that before the first tick (at 4200, 0)
  // it does not cover Command2 and Command3.
  EXPECT_EQ(Children(vornic.form1),
            (std::vector<HWND>{vornic.text1, vornic.command1, vornic.command2, vornic.command3, vornic.label1}));
  for (HWND button : {vornic.command1, vornic.command2, vornic.command3}) {
    EXPECT_EQ(ClassName(button), L"Button");
    EXPECT_EQ(StyleOf(button) & BS_TYPEMASK, BS_PUSHBUTTON) << "no default button";
    EXPECT_NE(StyleOf(button) & WS_TABSTOP, 0);
    EXPECT_EQ(vornic.FontFace(button), L"ＭＳ ゴシック");
  }
  EXPECT_EQ(StyleOf(vornic.label1) & WS_TABSTOP, 0);
  EXPECT_NE(StyleOf(vornic.label1) & SS_NOPREFIX, 0);

  // Long lines scroll instead of wrapping; no 32767-unit cap.
  const LONG textStyle = StyleOf(vornic.text1);
  EXPECT_NE(textStyle & ES_MULTILINE, 0);
  EXPECT_NE(textStyle & WS_HSCROLL, 0);
  EXPECT_NE(textStyle & WS_VSCROLL, 0);
  EXPECT_NE(textStyle & ES_AUTOHSCROLL, 0);
  EXPECT_GT(SendMessageW(vornic.text1, EM_GETLIMITTEXT, 0, 0), 50000);
  EXPECT_EQ(vornic.FontFace(vornic.text1), L"ＭＳ Ｐゴシック");
  EXPECT_EQ(vornic.FontFace(vornic.label1), L"Arial");

  // The client area as created: 9330 x 4785 twips at 5820, 4230.
  const float dpi = Dpi(vornic.form1);
  RECT client{};
  GetClientRect(vornic.form1, &client);
  EXPECT_EQ(client.right, TwipsToPixelSize(9330, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixelSize(4785, dpi));
  POINT origin{0, 0};
  ClientToScreen(vornic.form1, &origin);
  EXPECT_EQ(origin.x, TwipsToPixels(5820, dpi));
  EXPECT_EQ(origin.y, TwipsToPixels(4230, dpi));
}

TEST_F(VornicWindowTest, LanguageMenuSwitchesCaptionsAndCheckMarks) {
  VornicProcess vornic;
  vornic.ChooseMenuItem(L"英語");
  EXPECT_EQ(WindowText(vornic.command1), L"Number of characters");
  EXPECT_EQ(WindowText(vornic.command2), L"Clear of display");
  EXPECT_EQ(WindowText(vornic.command3), L"Clear of clipboard");
  EXPECT_EQ(vornic.MenuCaptions(),
            (std::vector<std::wstring>{L"Author", L"Check", L"Language", L"English", L"Japanese"}));
  EXPECT_TRUE(vornic.IsMenuItemChecked(L"English"));
  EXPECT_FALSE(vornic.IsMenuItemChecked(L"Japanese"));
  EXPECT_EQ(vornic.FontFace(vornic.command1), L"ＭＳ ゴシック") << "the font is chosen at start-up only";

  vornic.ChooseMenuItem(L"Japanese");
  EXPECT_EQ(WindowText(vornic.command1), L"文字数");
  EXPECT_EQ(vornic.MenuCaptions(), (std::vector<std::wstring>{L"著作", L"確認", L"言語", L"英語", L"日本語"}));
  EXPECT_TRUE(vornic.IsMenuItemChecked(L"日本語"));
  EXPECT_FALSE(vornic.IsMenuItemChecked(L"英語"));
}

TEST_F(VornicWindowTest, CountShowsTheClipboardTextAndItsLengthWithoutLineBreaks) {
  VornicProcess vornic;
  clipboard.SetText(L"a\r\nb");
  vornic.Click(vornic.command1);
  EXPECT_EQ(WindowText(vornic.text1), L"a\r\nb");
  EXPECT_EQ(WindowText(vornic.label1), L" = 2");

  // Code units, not characters: a surrogate pair counts two, a lone one one.
  const std::wstring surrogates = {L'x', 0xD83D, 0xDE00, 0xDC00, L'\t', L'\n'};
  clipboard.SetText(surrogates);
  vornic.Click(vornic.command1);
  EXPECT_EQ(WindowText(vornic.text1), surrogates);
  EXPECT_EQ(WindowText(vornic.label1), L" = 5");

  // Clipboard text ends at its first NUL.
  clipboard.SetText(std::wstring(L"ab\0cd", 5));
  vornic.Click(vornic.command1);
  EXPECT_EQ(WindowText(vornic.text1), L"ab");
  EXPECT_EQ(WindowText(vornic.label1), L" = 2");

  clipboard.SetText(L"");
  vornic.Click(vornic.command1);
  EXPECT_EQ(WindowText(vornic.label1), L" = 0");

  // Exactly at the limit, beyond the edit control's default cap.
  std::wstring limit(49998, L'あ');
  limit += L"\r\n";
  clipboard.SetText(limit);
  vornic.Click(vornic.command1);
  EXPECT_EQ(WindowText(vornic.text1).size(), 50000U);
  EXPECT_EQ(WindowText(vornic.label1), L" = 49998");
}

TEST_F(VornicWindowTest, TextOverTheLimitIsRefusedWithAMessageInTheCurrentLanguage) {
  VornicProcess vornic;
  clipboard.SetText(L"abc");
  vornic.Click(vornic.command1);

  HWND box = PressCountOver(vornic, clipboard, std::wstring(50001, L'x'));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(
      MessageText(box),
      L"クリップボードの内容が大きいです。\r\n\r\nこのソフトの制限は50000文字までです。\r\n[\"改行文字\"を含みます。]");
  EXPECT_EQ(ButtonCount(box), 1);
  EXPECT_FALSE(HasIcon(box));
  AnswerMessageBox(vornic, box);
  EXPECT_EQ(WindowText(vornic.text1), L"制限に達しました。");
  EXPECT_EQ(WindowText(vornic.label1), L" = 3");

  // Several megabytes: refused the same way, in English now.
  vornic.ChooseMenuItem(L"英語");
  box = PressCountOver(vornic, clipboard, std::wstring(3 * 1024 * 1024, L'y'));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageText(box),
            L"Clipboard is too long.\r\n\r\nThis software limitation is 50000 strings.\r\n[Include \"Line-feed "
            L"character\"]");
  AnswerMessageBox(vornic, box);
  EXPECT_EQ(WindowText(vornic.text1), L"Limitation reached.");
  EXPECT_EQ(WindowText(vornic.label1), L" = 3");
}

TEST_F(VornicWindowTest, WhileTheLimitBoxIsOpenTheMainWindowTakesNoCommandsButTicksGoOn) {
  VornicProcess vornic;
  clipboard.SetText(L"abc");
  vornic.Click(vornic.command1);
  HWND box = PressCountOver(vornic, clipboard, std::wstring(50001, L'x'));
  ASSERT_NE(box, nullptr);

  // What another program or a screen reader can still send past the box.
  UINT english = 0;
  for (const VornicProcess::MenuItem& item : vornic.MenuItems()) english = item.caption == L"英語" ? item.id : english;
  ASSERT_NE(english, 0U);
  for (HWND button : {vornic.command1, vornic.command2, vornic.command3}) {
    PostMessageW(vornic.form1, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  }
  PostMessageW(vornic.form1, WM_COMMAND, MAKEWPARAM(english, 0), 0);
  // The menus are read by a message posted after them all: they were handled.
  EXPECT_EQ(vornic.MenuCaptions(), (std::vector<std::wstring>{L"著作", L"確認", L"言語", L"英語", L"日本語"}));
  EXPECT_EQ(vornic.MessageBoxes(), std::vector<HWND>{box});
  EXPECT_EQ(WindowText(vornic.text1), L"abc");
  EXPECT_EQ(WindowText(vornic.label1), L" = 3");
  EXPECT_EQ(WindowText(vornic.command1), L"文字数");
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));

  // The layout still follows the window.
  const LONG before = ClientRectOf(vornic.command3).right;
  Grow(vornic.form1, 80, 0);
  EXPECT_TRUE(WaitUntil([&] { return ClientRectOf(vornic.command3).right != before; }));

  AnswerMessageBox(vornic, box);
  EXPECT_TRUE(vornic.MessageBoxes().empty());
  EXPECT_EQ(WindowText(vornic.text1), L"制限に達しました。");
  EXPECT_EQ(WindowText(vornic.label1), L" = 3");
}

// A tick fails while the limit box is open; the report ends the program, and
// the count handler, resuming with its window gone, fails too: one report.
TEST_F(VornicWindowTest, AFailureWhileTheProgramIsEndingIsReportedOnce) {
  VornicProcess vornic;
  HWND limitBox = PressCountOver(vornic, clipboard, std::wstring(50001, L'x'));
  ASSERT_NE(limitBox, nullptr);
  ASSERT_EQ(vornic.DialogsCreated(), 1);

  // The next tick that resizes Text1 finds its window gone.
  vornic.DestroyWindowInside(vornic.text1);
  Grow(vornic.form1, 80, 80);
  HWND report = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    for (HWND box : vornic.MessageBoxes()) report = box != limitBox ? box : report;
    return report != nullptr;
  }));
  EXPECT_NE(MessageText(report).find(L"SetWindowPos"), std::wstring::npos)
      << "text: " << ::testing::PrintToString(MessageText(report));
  EXPECT_TRUE(HasIcon(report));
  SendMessageW(GetDlgItem(report, IDOK), BM_CLICK, 0, 0);

  DWORD exitCode = 0;
  ASSERT_TRUE(vornic.WaitForExit(&exitCode));
  EXPECT_EQ(exitCode, 1U);
  EXPECT_EQ(vornic.DialogsCreated(), 2) << "the limit box and one report, however briefly a second one showed";
}

TEST_F(VornicWindowTest, ClearCommandsAndClipboardWithoutText) {
  VornicProcess vornic;
  clipboard.SetText(L"hello");
  vornic.Click(vornic.command1);
  ASSERT_EQ(WindowText(vornic.label1), L" = 5");

  // A picture only: the count button changes nothing.
  clipboard.SetBitmapOnly();
  vornic.Click(vornic.command1);
  EXPECT_EQ(WindowText(vornic.text1), L"hello");
  EXPECT_EQ(WindowText(vornic.label1), L" = 5");

  vornic.Click(vornic.command2);
  EXPECT_EQ(WindowText(vornic.text1), L"");
  EXPECT_EQ(WindowText(vornic.label1), L"");
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP)) << "clear display leaves the clipboard alone";

  clipboard.SetText(L"again");
  vornic.Click(vornic.command1);
  vornic.Click(vornic.command3);
  EXPECT_EQ(WindowText(vornic.text1), L"");
  EXPECT_EQ(WindowText(vornic.label1), L"");
  EXPECT_EQ(CountClipboardFormats(), 0);
  vornic.Click(vornic.command1);
  EXPECT_EQ(WindowText(vornic.label1), L"");
}

TEST_F(VornicWindowTest, ClipboardHeldOpenBrieflyByAnotherProgramStillCounts) {
  VornicProcess vornic;
  clipboard.SetText(L"held");
  clipboard.Open();
  vornic.PostClick(vornic.command1);
  Sleep(100);
  clipboard.Close();
  vornic.Sync();
  EXPECT_TRUE(WaitUntil([&] { return WindowText(vornic.label1) == L" = 4"; }));
}

TEST_F(VornicWindowTest, ClipboardHeldOpenForLongIsReportedAndEndsTheProgram) {
  VornicProcess vornic;
  clipboard.SetText(L"held");
  clipboard.Open();
  vornic.PostClick(vornic.command1);
  HWND box = vornic.WaitForMessageBox();
  clipboard.Close();
  ASSERT_NE(box, nullptr);
  EXPECT_NE(MessageText(box).find(L"OpenClipboard"), std::wstring::npos)
      << "text: " << ::testing::PrintToString(MessageText(box));
  EXPECT_TRUE(HasIcon(box));
  SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  DWORD exitCode = 0;
  ASSERT_TRUE(vornic.WaitForExit(&exitCode));
  EXPECT_EQ(exitCode, 1U);
}

// Real key presses, through Vornic's own message loop.
TEST_F(VornicWindowTest, KeyboardGoesRoundTheControlsAndEscClosesNothing) {
  VornicProcess vornic;
  // The focus moves before the key's handling ends (the default button
  // changes after it): a message sent then waits for that end.
  const auto focusReaches = [&](HWND control) {
    const bool reached = WaitUntil([&] { return vornic.Focus() == control; });
    vornic.Sync();
    return reached;
  };
  ASSERT_TRUE(focusReaches(vornic.text1)) << "the text box has the first focus";

  // Esc in the text box; the Tab after it is handled after anything Esc posted.
  PressKey(VK_ESCAPE);
  PressKey(VK_TAB);
  ASSERT_TRUE(focusReaches(vornic.command1)) << "Tab leaves the text box";
  EXPECT_TRUE(IsWindow(vornic.form1)) << "Esc in the text box closes nothing";
  for (HWND next : {vornic.command2, vornic.command3, vornic.text1}) {
    PressKey(VK_TAB);
    EXPECT_TRUE(focusReaches(next));
  }
  for (HWND previous : {vornic.command3, vornic.command2, vornic.command1, vornic.text1}) {
    PressKey(VK_TAB, VK_SHIFT);
    EXPECT_TRUE(focusReaches(previous));
  }

  // A focused button shows as the default one while it has the focus, as in
  // any dialog; back in the text box, none is, and Enter is a line break.
  for (HWND button : {vornic.command1, vornic.command2, vornic.command3}) {
    EXPECT_EQ(StyleOf(button) & BS_TYPEMASK, BS_PUSHBUTTON);
  }
  PressKey(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(vornic.text1) == L"\r\n"; }));
  EXPECT_EQ(WindowText(vornic.label1), L"");

  // Space presses the focused button; Esc there does nothing.
  clipboard.SetText(L"Hello, world");
  PressKey(VK_TAB);
  ASSERT_TRUE(focusReaches(vornic.command1));
  PressKey(VK_ESCAPE);
  PressKey(VK_SPACE);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(vornic.label1) == L" = 12"; }));
}

std::vector<HWND> liveRegionChanges;

void CALLBACK RecordLiveRegionChange(HWINEVENTHOOK /*hook*/, DWORD /*event*/, HWND window, LONG object, LONG child,
                                     DWORD /*thread*/, DWORD /*time*/) {
  if (object == OBJID_CLIENT && child == CHILDID_SELF) liveRegionChanges.push_back(window);
}

// A screen reader hears each count: the count label, and only it, raises a
// live region's change. (Wine gives no accessible object of another process,
// so the names and the live setting themselves cannot be read here.)
TEST_F(VornicWindowTest, EachCountIsAnnouncedFromTheCountLabel) {
  VornicProcess vornic;
  liveRegionChanges.clear();
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                                       RecordLiveRegionChange, vornic.ProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  vornic.ChooseMenuItem(L"英語");  // new captions elsewhere: nothing to announce
  clipboard.SetText(L"abc");
  vornic.Click(vornic.command1);
  vornic.Click(vornic.command1);  // the same count again is spoken again
  // The events come as messages to this thread.
  EXPECT_TRUE(WaitUntil(
      [&] {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        return liveRegionChanges.size() >= 2;
      },
      5000));
  UnhookWinEvent(hook);
  EXPECT_EQ(liveRegionChanges, (std::vector<HWND>{vornic.label1, vornic.label1}));
}

// The controls follow the window's outer size W x H (twips).
void ExpectLayout(const VornicProcess& vornic, int outerWidth, int outerHeight) {
  SetWindowPos(vornic.form1, nullptr, 0, 0, outerWidth, outerHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const float dpi = Dpi(vornic.form1);
  const float w = PixelsToTwips(outerWidth, dpi);
  const float h = PixelsToTwips(outerHeight, dpi);
  const auto sameRect = [&](HWND control, float left, float top, float width, float height) {
    const RECT rect = ClientRectOf(control);
    return rect.left == TwipsToPixels(left, dpi) && rect.top == TwipsToPixels(top, dpi) &&
           rect.right - rect.left == TwipsToPixelSize(width, dpi) &&
           rect.bottom - rect.top == TwipsToPixelSize(height, dpi);
  };
  EXPECT_TRUE(WaitUntil([&] { return sameRect(vornic.command3, (w / 2 - 60) + w / 4 - 60, 0, w / 4, 375); }));
  EXPECT_TRUE(sameRect(vornic.command1, 0, 0, w / 2 - 60, 375));
  EXPECT_TRUE(sameRect(vornic.command2, w / 2 - 60, 0, w / 4 - 50, 375));
  EXPECT_TRUE(sameRect(vornic.label1, 0, 400, w - 100, 375));
  EXPECT_TRUE(sameRect(vornic.text1, 0, 800, w - 100, h - 800));
}

TEST_F(VornicWindowTest, LayoutFollowsTheWindowSize) {
  VornicProcess vornic;
  ExpectLayout(vornic, 400, 300);
  ExpectLayout(vornic, 800, 500);
}

TEST_F(VornicWindowTest, AboutWindowOpensAtTheOffsetAndCloses) {
  VornicProcess vornic;
  const float dpi = Dpi(vornic.form1);
  const int offset = TwipsToPixels(1500, dpi);
  SetWindowPos(vornic.form1, nullptr, 200, 133, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  vornic.ChooseMenuItem(L"確認");
  HWND form2 = vornic.FindForm(L"Author");
  ASSERT_NE(form2, nullptr);
  RECT rect{};
  GetWindowRect(form2, &rect);
  EXPECT_EQ(rect.left, 200 + offset);
  EXPECT_EQ(rect.top, 133 + offset);
  EXPECT_EQ(GetWindow(form2, GW_OWNER), nullptr);
  RECT client{};
  GetClientRect(form2, &client);
  EXPECT_EQ(client.right, TwipsToPixelSize(4125, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixelSize(1170, dpi));

  // Again after a move: the same window, at the new offset.
  SetWindowPos(vornic.form1, nullptr, 300, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  vornic.ChooseMenuItem(L"確認");
  EXPECT_EQ(vornic.FindForm(L"Author"), form2);
  GetWindowRect(form2, &rect);
  EXPECT_EQ(rect.left, 300 + offset);
  EXPECT_EQ(rect.top, 150 + offset);

  // The Close label (the only label that says so) destroys it from its own click.
  HWND closeLabel = nullptr;
  for (HWND child : Children(form2)) {
    if (WindowText(child) == L"   Close") closeLabel = child;
  }
  ASSERT_NE(closeLabel, nullptr);
  SendMessageW(closeLabel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(closeLabel, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  vornic.Sync();
  EXPECT_FALSE(IsWindow(form2));
  EXPECT_TRUE(vornic.IsRunning());

  vornic.ChooseMenuItem(L"確認");
  form2 = vornic.FindForm(L"Author");
  ASSERT_NE(form2, nullptr);
  GetWindowRect(form2, &rect);
  EXPECT_EQ(rect.left, 300 + offset);
}

// A dark theme's light window text on the about window's fixed colours was
// unreadable; the Close label takes the theme's own pair.
TEST_F(VornicWindowTest, AboutWindowIsReadableUnderADarkThemesSystemColours) {
  const DarkSystemColours dark;
  ASSERT_TRUE(dark.Set());
  VornicProcess vornic;
  vornic.ChooseMenuItem(L"確認");
  HWND form2 = vornic.FindForm(L"Author");
  ASSERT_NE(form2, nullptr);
  std::map<std::wstring, HWND> labels;  // and the picture, which has no text
  for (HWND child : Children(form2)) labels[WindowText(child)] = child;
  ASSERT_EQ(labels.size(), 6U);
  const vornic::Colour lilac = vornic::Colour::FromRgb(192, 192, 255);
  // Each label is painted on its own: wait until all show their text, not only the first read.
  const auto allPainted = [&] {
    for (const auto& [text, label] : labels) {
      const auto painted = PaintedColours(label);
      if (!text.empty() && painted.text == painted.background) return false;
    }
    return PaintedColours(labels.at(L"Vornic Team")).background == lilac;
  };
  ASSERT_TRUE(WaitUntil(allPainted));

  for (const auto& [text, label] : labels) {
    if (text.empty()) continue;
    const auto painted = PaintedColours(label);
    EXPECT_GE(vornic::ContrastRatio(painted.background, painted.text), vornic::kLeastTextContrast)
        << std::string(text.begin(), text.end());
  }
  const auto line = PaintedColours(labels.at(L"Vornic Team"));
  EXPECT_EQ(line.text, vornic::Colour::FromRgb(0, 0, 0));  // as in a light theme
  const auto close = PaintedColours(labels.at(L"   Close"));
  EXPECT_EQ(close.background, vornic::Colour::FromRgb(24, 24, 24));
  EXPECT_LT(vornic::ContrastRatio(close.text, vornic::Colour::FromRgb(240, 240, 240)), 1.2);  // give or take smoothing

  // The icon's corner is masked: the window's colour shows there, not that
  // colour XOR the pixel's own (an icon's masked pixels must be black).
  RECT picture{};
  GetWindowRect(labels.at(L""), &picture);
  HDC screen = GetDC(nullptr);
  const int inset = (picture.right - picture.left - 32) / 2;
  EXPECT_EQ(GetPixel(screen, picture.left + inset, picture.top + inset), RGB(128, 128, 255));
  ReleaseDC(nullptr, screen);
}

TEST_F(VornicWindowTest, ProgramEndsWhenItsLastWindowCloses) {
  VornicProcess vornic;
  vornic.ChooseMenuItem(L"確認");
  HWND form2 = vornic.FindForm(L"Author");
  ASSERT_NE(form2, nullptr);

  SendMessageW(vornic.form1, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(vornic.form1));
  SendMessageW(form2, WM_NULL, 0, 0);
  EXPECT_TRUE(vornic.IsRunning()) << "the about window keeps the program running";

  SendMessageW(form2, WM_CLOSE, 0, 0);
  DWORD exitCode = 99;
  ASSERT_TRUE(vornic.WaitForExit(&exitCode));
  EXPECT_EQ(exitCode, 0U);
}

}  // namespace
}  // namespace vornic_test
