// The window contract on the Win32 backend, in this process (under Wine here).
#include <cstring>
#include <memory>
#include <string>

#include "contract/window_contract.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_services.h"
// windows.h first
#include <shlobj.h>

namespace vornic::contract {
namespace {

std::wstring boxText;

// Runs inside the message box's own loop: reads its text and presses OK.
BOOL CALLBACK AnswerBox(HWND window, LPARAM /*unused*/) {
  wchar_t className[16]{};
  GetClassNameW(window, className, 16);
  if (std::wstring_view(className) != L"#32770") return TRUE;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM) -> BOOL {
        wchar_t childClass[16]{};
        GetClassNameW(child, childClass, 16);
        wchar_t text[512]{};
        if (lstrcmpiW(childClass, L"Static") == 0 && GetWindowTextW(child, text, 512) > 0) boxText = text;
        return TRUE;
      },
      0);
  PostMessageW(window, WM_COMMAND, IDOK, 0);
  return FALSE;
}

void CALLBACK PollForBox(HWND /*window*/, UINT /*message*/, UINT_PTR /*timer*/, DWORD /*time*/) {
  EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0);
}

HGLOBAL Block(const void* bytes, std::size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory != nullptr) {
    std::memcpy(GlobalLock(memory), bytes, size);
    GlobalUnlock(memory);
  }
  return memory;
}

HGLOBAL Units(const std::u16string& text) { return Block(text.c_str(), (text.size() + 1) * sizeof(char16_t)); }

// An owner that announces text for later and never renders it.
LRESULT CALLBACK NeverRenders(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_RENDERFORMAT || message == WM_RENDERALLFORMATS) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

class Win32Backend final : public ContractBackend {
 public:
  WindowInspection& Fresh() override {
    services_ = std::make_unique<win32::Win32Services>(GetModuleHandleW(nullptr));
    return *services_;
  }
  void Finish() override {
    services_.reset();
    if (owner_ != nullptr) DestroyWindow(owner_);
    owner_ = nullptr;
  }
  std::u16string ReportFatalErrorAndRead(std::u16string_view message) override {
    boxText.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, PollForBox);
    services_->ReportFatalError(message);
    KillTimer(nullptr, timer);
    return win32::FromWide(boxText);
  }
  [[nodiscard]] bool HasFocus() const override { return true; }
  int NextInTabOrder(const FormDefinition& form, int control) override {
    HWND window = services_->WindowOf(form);
    HWND next = GetNextDlgTabItem(window, GetDlgItem(window, win32::kFirstControlId + control), FALSE);
    return next == nullptr ? -1 : GetDlgCtrlID(next) - win32::kFirstControlId;
  }
  // Put as another program puts it, from a window of its own: Explorer's
  // files are CF_HDROP alone, with no text form.
  bool PutOnClipboard(ClipboardShape shape) override {
    if (owner_ == nullptr) {
      WNDCLASSW windowClass{};
      windowClass.lpfnWndProc = NeverRenders;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.lpszClassName = L"VornicContractClipboardOwner";
      RegisterClassW(&windowClass);
      owner_ = CreateWindowExW(0, windowClass.lpszClassName, L"owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, nullptr);
    }
    if (owner_ == nullptr || !OpenClipboard(owner_) || !EmptyClipboard()) return false;
    HANDLE data = nullptr;
    UINT format = CF_UNICODETEXT;
    switch (shape) {
      case ClipboardShape::Text:
        data = Units(std::u16string(kClipboardText));
        break;
      case ClipboardShape::Picture:
        data = CreateBitmap(1, 1, 1, 32, nullptr);
        format = CF_BITMAP;
        break;
      case ClipboardShape::Files: {
        DROPFILES header{sizeof(DROPFILES), {}, FALSE, TRUE};
        std::string drop(reinterpret_cast<const char*>(&header), sizeof header);
        constexpr char16_t kFiles[] = u"C:\\users\\Public\\report.pdf\0";  // a list ends with an empty name
        drop.append(reinterpret_cast<const char*>(kFiles), sizeof kFiles);
        data = Block(drop.data(), drop.size());
        format = CF_HDROP;
        break;
      }
      case ClipboardShape::LongerThanLimit:
        data = Units(std::u16string(kClipboardLimit + 1, u'x'));
        break;
      case ClipboardShape::FailingRead:
        break;  // announced, to be rendered later: never
    }
    const bool put = SetClipboardData(format, data) != nullptr || data == nullptr;
    return CloseClipboard() && put;
  }

 private:
  std::unique_ptr<win32::Win32Services> services_;
  HWND owner_ = nullptr;
};

}  // namespace

ContractBackend& Backend() {
  static Win32Backend backend;
  return backend;
}

}  // namespace vornic::contract
