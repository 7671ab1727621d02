// windows.h and commctrl.h (their settings come from the build:
// vornic_windows_api), and the few helpers every part of the Win32 backend
// shares: error reports, UTF-16 strings, DPI.
#pragma once

#include <windows.h>
// Needs windows.h before it.
#include <commctrl.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace vornic::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows strings are UTF-16");

// Throws WindowSystemError naming the operation and GetLastError's text.
[[noreturn]] void ThrowLastError(const char* operation);
[[noreturn]] void ThrowSystemError(const char* operation, DWORD errorCode);
[[noreturn]] void ThrowFailure(const char* operation, const char* reason);
// For calls whose last error may be left unset: the system's error when there
// is one, else the reason.
[[noreturn]] void ThrowErrorOr(const char* operation, DWORD errorCode, const char* reason);

// Runs a call and throws, naming it, when it returns `failure`. Where that
// value is also a valid answer (SetFocus's null: no window had the focus),
// the call failed only if it set an error. Most GDI calls set none.
enum class FailureValue { OnlyOnFailure, AlsoAnAnswer };
template <typename Call>
std::invoke_result_t<Call> Checked(const char* operation, std::invoke_result_t<Call> failure, Call&& call,
                                   FailureValue meaning = FailureValue::OnlyOnFailure) {
  SetLastError(ERROR_SUCCESS);
  const std::invoke_result_t<Call> result = std::forward<Call>(call)();
  if (result == failure) {
    const DWORD error = GetLastError();
    if (error != ERROR_SUCCESS || meaning == FailureValue::OnlyOnFailure) {
      ThrowErrorOr(operation, error, "the call failed");
    }
  }
  return result;
}

// A window's text; throws when it cannot be read.
std::u16string WindowText(HWND window);

std::wstring ToWide(std::u16string_view text);
std::u16string FromWide(std::wstring_view text);

// The window's dots per inch; the system's where Windows cannot tell per
// window (before Windows 10 version 1607).
UINT WindowDpi(HWND window);
// The outer rectangle of a window whose client area is `client`.
RECT OuterRectForClient(RECT client, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi);

// Owners for GDI and icon handles.
struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct IconDeleter {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
using OwnedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using OwnedBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using OwnedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

}  // namespace vornic::win32
