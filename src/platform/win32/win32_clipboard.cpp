// The clipboard: plain-text test, Unicode text, emptying.
#include <algorithm>

#include "platform/win32/win32_services.h"

namespace vornic::win32 {

namespace {

// Another program may hold the clipboard open for a moment: retry for about
// a second, then report the failure rather than hang.
constexpr int kOpenAttempts = 50;
constexpr DWORD kOpenRetryMs = 20;

class OpenClipboardSession {
 public:
  OpenClipboardSession() {
    for (int attempt = 1;; ++attempt) {
      if (OpenClipboard(nullptr)) return;
      if (attempt == kOpenAttempts) ThrowLastError("OpenClipboard");
      Sleep(kOpenRetryMs);
    }
  }
  ~OpenClipboardSession() {
    if (open_) CloseClipboard();
  }
  OpenClipboardSession(const OpenClipboardSession&) = delete;
  OpenClipboardSession& operator=(const OpenClipboardSession&) = delete;
  OpenClipboardSession(OpenClipboardSession&&) = delete;
  OpenClipboardSession& operator=(OpenClipboardSession&&) = delete;

  void Close() {
    open_ = false;
    if (!CloseClipboard()) ThrowLastError("CloseClipboard");
  }

 private:
  bool open_ = true;
};

class GlobalLockSession {
 public:
  explicit GlobalLockSession(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {
    if (data_ == nullptr) ThrowLastError("GlobalLock");
  }
  ~GlobalLockSession() { GlobalUnlock(memory_); }
  GlobalLockSession(const GlobalLockSession&) = delete;
  GlobalLockSession& operator=(const GlobalLockSession&) = delete;
  GlobalLockSession(GlobalLockSession&&) = delete;
  GlobalLockSession& operator=(GlobalLockSession&&) = delete;

  [[nodiscard]] const void* Data() const { return data_; }

 private:
  HGLOBAL memory_;
  void* data_;
};

}  // namespace

// CF_TEXT is there whenever any text is: Windows converts between the text
// formats on demand.
bool Win32Services::DoClipboardHasText() {
  SetLastError(ERROR_SUCCESS);
  if (IsClipboardFormatAvailable(CF_TEXT)) return true;
  if (GetLastError() != ERROR_SUCCESS) ThrowLastError("IsClipboardFormatAvailable");
  return false;
}

// The text ends at its first NUL, and never past the memory block.
std::u16string Win32Services::DoClipboardGetText() {
  OpenClipboardSession clipboard;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  // Another program may have emptied the clipboard since the format test:
  // then there is no text, which is not a failure.
  if (data == nullptr && !IsClipboardFormatAvailable(CF_UNICODETEXT)) return {};
  if (data == nullptr) ThrowLastError("GetClipboardData");
  std::u16string text;
  {
    const GlobalLockSession lock(data);
    const std::size_t capacity = GlobalSize(data) / sizeof(wchar_t);
    const auto* units = static_cast<const wchar_t*>(lock.Data());
    const wchar_t* end = std::find(units, units + capacity, L'\0');
    text.assign(units, end);
  }
  clipboard.Close();
  return text;
}

void Win32Services::DoClipboardClear() {
  OpenClipboardSession clipboard;
  if (!EmptyClipboard()) ThrowLastError("EmptyClipboard");
  clipboard.Close();
}

}  // namespace vornic::win32
