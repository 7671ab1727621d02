// The window contract on the Win32 backend, in this process (under Wine here).
#include <memory>
#include <string>

#include "contract/window_contract.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_services.h"
#include "win32/clipboard_blocks.h"

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

bool Put(ClipboardShape shape) {
  using namespace vornic_test;
  switch (shape) {
    case ClipboardShape::Text:
      return PutUnits(std::u16string(kClipboardText) + u'\0');
    case ClipboardShape::Picture:
      return PutBitmap();
    case ClipboardShape::Files:
      return PutFiles(L"C:\\users\\Public\\report.pdf");
    case ClipboardShape::LongerThanLimit:
      return PutUnits(std::u16string(kClipboardLimit + 1, u'x') + u'\0');
    case ClipboardShape::FailingRead:
      return Announce(CF_UNICODETEXT);  // never rendered
  }
  return false;
}

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
    return owner_ != nullptr && vornic_test::FillClipboard(owner_, [&] { return Put(shape); });
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
