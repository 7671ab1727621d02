// Puts one clipboard profile on the system clipboard the way real programs
// do, then stays alive as its owner until the quit event is set.
//
// Usage: clipboard_producer.exe PROFILE[:N] READY_EVENT QUIT_EVENT
// Sets READY_EVENT once the clipboard holds the profile (for an owner that
// exits, once it has gone); exits 2 on failure.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "clipboard_blocks.h"

namespace {

enum class Owner {
  Window,    // an owner window that answers WM_RENDERFORMAT
  None,      // OpenClipboard(NULL), as console tools and some libraries do
  Ignoring,  // announces the text, answers WM_RENDERFORMAT without rendering
  Exited,    // announces the text, then ends without rendering
  Closing,   // announces the text, closes its window when asked to render it
};

Owner g_owner = Owner::Window;
std::wstring g_delayedText;  // rendered on WM_RENDERFORMAT
std::size_t g_units = 0;     // the N of PROFILE:N

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "clipboard_producer: %s failed (error %lu)\n", what, GetLastError());
  std::exit(2);
}

using namespace vornic_test;

// N units of text and a NUL.
bool PutLongText() {
  return PutBlock(CF_UNICODETEXT, (g_units + 1) * sizeof(wchar_t), [](void* data) {
    auto* units = static_cast<wchar_t*>(data);
    std::fill_n(units, g_units, L'x');
    units[g_units] = L'\0';
  });
}

bool PutDib(bool v5) {
  const DWORD headerSize = v5 ? sizeof(BITMAPV5HEADER) : sizeof(BITMAPINFOHEADER);
  std::string block(headerSize + 4 * 4 * 4, '\x7f');
  BITMAPV5HEADER header{};
  header.bV5Size = headerSize;
  header.bV5Width = 4;
  header.bV5Height = 4;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_RGB;
  header.bV5SizeImage = 4 * 4 * 4;
  header.bV5CSType = 0x73524742;  // LCS_sRGB, "sRGB"
  std::memcpy(block.data(), &header, headerSize);
  return PutBytes(v5 ? CF_DIBV5 : CF_DIB, block);
}

// The clipboard's HTML format, as browsers put it beside the plain text.
bool PutHtml() {
  const std::string fragment = "<b>Bold</b> text";
  const std::string head =
      "Version:0.9\r\nStartHTML:0000000000\r\nEndHTML:0000000000\r\n"
      "StartFragment:0000000000\r\nEndFragment:0000000000\r\n";
  std::string html = head + "<html><body><!--StartFragment-->" + fragment + "<!--EndFragment--></body></html>";
  const auto patch = [&](const char* key, std::size_t value) {
    char digits[11];
    std::snprintf(digits, sizeof digits, "%010zu", value);
    html.replace(html.find(key) + std::strlen(key), 10, digits);
  };
  patch("StartHTML:", head.size());
  patch("EndHTML:", html.size());
  patch("StartFragment:", html.find(fragment));
  patch("EndFragment:", html.find(fragment) + fragment.size());
  return PutBytes(RegisterClipboardFormatW(L"HTML Format"), html + '\0');
}

// Each profile fills the open, emptied clipboard.
struct Profile {
  const char* name;
  Owner owner;
  bool (*put)();
};

using namespace std::string_view_literals;

constexpr std::wstring_view kPaths = L"C:\\users\\Public\\a.txt\0C:\\users\\Public\\b.txt"sv;

const Profile kProfiles[] = {
    {"unicode", Owner::Window, [] { return PutUnits(L"Hello, 世界\r\nline two\0"sv); }},
    {"ansi", Owner::Window, [] { return PutBytes(CF_TEXT, "Plain ANSI text\r\n\0"sv); }},
    {"ansi-japanese", Owner::Window,
     [] {
       // "日本語のテキスト" CR LF "です" in code page 932, from a Japanese program.
       const LCID japanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT);
       return PutBytes(CF_TEXT,
                       "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83\x67\r\n\x82\xc5\x82\xb7\0"sv) &&
              PutBytes(CF_LOCALE, &japanese, sizeof japanese);
     }},
    {"oem", Owner::Window, [] { return PutBytes(CF_OEMTEXT, "OEM text\0"sv); }},
    {"delayed", Owner::Window,
     [] {
       g_delayedText = L"rendered late";
       return Announce(CF_UNICODETEXT);
     }},
    {"never-renders", Owner::Ignoring, [] { return Announce(CF_UNICODETEXT); }},
    {"owner-exited", Owner::Exited, [] { return Announce(CF_UNICODETEXT); }},
    {"gone-before-read", Owner::Closing, [] { return Announce(CF_UNICODETEXT); }},
    {"bitmap", Owner::Window, PutBitmap},
    {"bitmap-no-owner", Owner::None, PutBitmap},
    {"dib", Owner::Window, [] { return PutDib(false); }},
    {"dib-no-owner", Owner::None, [] { return PutDib(false); }},
    {"dibv5", Owner::Window, [] { return PutDib(true); }},
    {"dibv5-no-owner", Owner::None, [] { return PutDib(true); }},
    {"files", Owner::Window, [] { return PutFiles(kPaths); }},  // as Explorer copies them
    // As other file managers copy them: the paths as text too, a line each.
    {"files-with-names", Owner::Window,
     [] { return PutFiles(kPaths) && PutUnits(L"C:\\users\\Public\\a.txt\r\nC:\\users\\Public\\b.txt\0"sv); }},
    {"html", Owner::Window, [] { return PutHtml() && PutUnits(L"Bold text\0"sv); }},
    {"empty", Owner::Window, [] { return PutUnits(L"\0"sv); }},
    {"inner-nul", Owner::Window, [] { return PutUnits(L"ab\0cd\0"sv); }},
    // "abcd", no NUL, and one byte more: half a unit, not zero, so that a
    // read past the block's last whole unit finds it and counts at least 5.
    {"unterminated", Owner::Window, [] { return PutBytes(CF_UNICODETEXT, "a\0b\0c\0d\0e"sv); }},
    {"over-limit", Owner::Window, [] { return PutUnits(std::wstring(50001, L'x') + L'\0'); }},
    {"long", Owner::Window, PutLongText},
};

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_RENDERFORMAT && g_owner == Owner::Closing) {
    DestroyWindow(window);  // as a program that quits while the text is asked for
    return 0;
  }
  if (message == WM_RENDERFORMAT && wParam == CF_UNICODETEXT && !g_delayedText.empty()) {
    PutUnits({g_delayedText.c_str(), g_delayedText.size() + 1});
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  const Profile* profile = nullptr;
  if (argc == 4) {
    const std::string_view argument = argv[1];
    const std::string_view name = argument.substr(0, argument.find(':'));
    if (name.size() < argument.size()) g_units = std::strtoull(argv[1] + name.size() + 1, nullptr, 10);
    for (const Profile& candidate : kProfiles) {
      if (name == candidate.name) profile = &candidate;
    }
  }
  if (profile == nullptr) {
    std::fprintf(stderr, "usage: clipboard_producer PROFILE[:N] READY_EVENT QUIT_EVENT\n");
    return 2;
  }
  g_owner = profile->owner;
  // Made here when the caller has not made them: then it runs until ended.
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, argv[2]);
  HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, argv[3]);
  if (ready == nullptr || quit == nullptr) Fail("CreateEvent");

  HWND window = nullptr;
  if (profile->owner != Owner::None) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = OwnerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VornicClipboardProducer";
    if (RegisterClassW(&windowClass) == 0) Fail("RegisterClass");
    window = CreateWindowExW(0, windowClass.lpszClassName, L"producer", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             windowClass.hInstance, nullptr);
    if (window == nullptr) Fail("CreateWindowEx");
  }
  if (!FillClipboard(window, profile->put)) Fail("putting the profile");

  if (profile->owner == Owner::Exited) {
    DestroyWindow(window);  // WM_RENDERALLFORMATS goes unanswered
    SetEvent(ready);
    return 0;
  }
  SetEvent(ready);
  while (MsgWaitForMultipleObjects(1, &quit, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  return 0;
}
