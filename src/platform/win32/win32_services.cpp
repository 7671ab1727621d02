#include "platform/win32/win32_services.h"

#include <objbase.h>

#include <vector>

#include "platform/event_dispatch.h"
#include "platform/platform_services.h"

namespace vornic {

std::unique_ptr<WindowServices> CreatePlatformServices(int /*argc*/, char** /*argv*/) {
  return std::make_unique<win32::Win32Services>(GetModuleHandleW(nullptr));
}

}  // namespace vornic

namespace vornic::win32 {

// COM carries the controls' annotations for screen readers; on a thread
// where it cannot start, they go without (see win32_accessibility.cpp).
Win32Services::Win32Services(HINSTANCE instance)
    : instance_(instance), comStarted_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

// Best effort: a destructor has no one to report to.
Win32Services::~Win32Services() {
  std::vector<HWND> windows;
  for (const auto& [definition, form] : forms_) windows.push_back(form->window);
  for (HWND window : windows) DestroyWindow(window);
  if (comStarted_) CoUninitialize();
}

// The program's active window owns a message box; with none, the box
// disables all of the program's windows instead.
HWND Win32Services::MessageOwner() const {
  HWND active = GetActiveWindow();
  for (const auto& [definition, form] : forms_) {
    if (form->window == active) return active;
  }
  return nullptr;
}

void Win32Services::DoShowMessage(std::u16string_view text) {
  HWND owner = MessageOwner();
  const UINT flags = MB_OK | (owner == nullptr ? MB_TASKMODAL : 0U);
  if (MessageBoxW(owner, ToWide(text).c_str(), ToWide(kApplicationTitle).c_str(), flags) == 0) {
    ThrowLastError("MessageBox");
  }
}

void Win32Services::DoReportFatalError(std::u16string_view message) {
  if (MessageBoxW(nullptr, ToWide(message).c_str(), ToWide(kApplicationTitle).c_str(),
                  MB_OK | MB_ICONERROR | MB_TASKMODAL) == 0) {
    ThrowLastError("MessageBox");
  }
}

// Best effort throughout: the program is ending whether or not a window
// refuses to go.
void Win32Services::DoEndProgram(int exitStatus) {
  exitStatus_ = exitStatus;
  std::vector<HWND> windows;
  for (const auto& [definition, form] : forms_) windows.push_back(form->window);
  for (HWND window : windows) DestroyWindow(window);
  PostQuitMessage(exitStatus);
}

// Runs until the program's last window is gone (not only Form1), or until
// EndProgram.
int Win32Services::DoRunEventLoop() {
  MSG message{};
  while (!forms_.empty()) {
    const BOOL received = GetMessageW(&message, nullptr, 0, 0);
    if (received == 0) break;
    if (received == -1) {
      ReportFailureAndEnd(*this, "GetMessage failed");
      break;
    }
    // Tab and the arrow keys move between controls of the active form.
    HWND active = GetActiveWindow();
    if (active != nullptr && active == MessageOwner() && IsDialogMessageW(active, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return exitStatus_;
}

}  // namespace vornic::win32
