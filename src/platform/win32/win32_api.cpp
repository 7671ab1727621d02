#include "platform/win32/win32_api.h"

#include "platform/window_system_error.h"

namespace vornic::win32 {

namespace {

std::string ToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<std::size_t>(bytes), '\0');
  // Only the text of an error report: without it, the error number still names the failure.
  if (WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), bytes, nullptr, nullptr) != bytes) return {};
  return out;
}

std::string SystemErrorText(DWORD errorCode) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, errorCode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
  LocalFree(buffer);  // part of a failure report already: a leak here is not another
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  std::string result = "error " + std::to_string(errorCode);
  if (!text.empty()) result += ": " + ToUtf8(text);
  return result;
}

}  // namespace

void ThrowSystemError(const char* operation, DWORD errorCode) {
  throw WindowSystemError(operation, SystemErrorText(errorCode));
}

void ThrowLastError(const char* operation) { ThrowSystemError(operation, GetLastError()); }

void ThrowFailure(const char* operation, const char* reason) { throw WindowSystemError(operation, reason); }

void ThrowErrorOr(const char* operation, DWORD errorCode, const char* reason) {
  if (errorCode == ERROR_SUCCESS) ThrowFailure(operation, reason);
  ThrowSystemError(operation, errorCode);
}

std::wstring ToWide(std::u16string_view text) { return {text.begin(), text.end()}; }

std::u16string FromWide(std::wstring_view text) { return {text.begin(), text.end()}; }

std::u16string WindowText(HWND window) {
  const auto readLength = [&] { return GetWindowTextLengthW(window); };
  const int length = Checked("GetWindowTextLength", 0, readLength, FailureValue::AlsoAnAnswer);
  if (length == 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = Checked(
      "GetWindowText", 0, [&] { return GetWindowTextW(window, text.data(), length + 1); }, FailureValue::AlsoAnAnswer);
  text.resize(static_cast<std::size_t>(copied));
  return FromWide(text);
}

namespace {

// Windows 10 1607 and later only; looked up so that older systems fall back.
template <typename Function>
Function User32Function(const char* name) {
  static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  // Through void(*)(): the generic function pointer type, so no cast warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

// What Windows before 10 version 1607 scales by: the screen's DPI when the
// user signed in, the same for every window. Without it a DPI-aware program
// would be drawn at 96 DPI on a larger setting, and Windows would not scale it.
UINT SystemDpi() {
  const HDC screen = Checked("GetDC", nullptr, [] { return GetDC(nullptr); });
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi <= 0) ThrowFailure("GetDeviceCaps", "the screen has no DPI");
  return static_cast<UINT>(dpi);
}

}  // namespace

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

RECT OuterRectForClient(RECT client, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi) {
  using AdjustForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = User32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
  const BOOL adjusted = adjustForDpi != nullptr ? adjustForDpi(&client, style, hasMenu, exStyle, dpi)
                                                : AdjustWindowRectEx(&client, style, hasMenu, exStyle);
  if (!adjusted) ThrowLastError("AdjustWindowRectEx");
  return client;
}

}  // namespace vornic::win32
