// The clipboard: plain-text test, Unicode text, emptying.
#include "platform/win32/win32_clipboard_text.h"
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
  explicit GlobalLockSession(HGLOBAL memory) : memory_(memory) {
    SetLastError(ERROR_SUCCESS);
    size_ = GlobalSize(memory);
    if (size_ == 0) ThrowErrorOr("GlobalSize", GetLastError(), "the memory block is empty or discarded");
    data_ = GlobalLock(memory);
    if (data_ == nullptr) ThrowLastError("GlobalLock");
  }
  ~GlobalLockSession() {
    if (data_ != nullptr) GlobalUnlock(memory_);
  }
  GlobalLockSession(const GlobalLockSession&) = delete;
  GlobalLockSession& operator=(const GlobalLockSession&) = delete;
  GlobalLockSession(GlobalLockSession&&) = delete;
  GlobalLockSession& operator=(GlobalLockSession&&) = delete;

  [[nodiscard]] const void* Data() const { return data_; }
  [[nodiscard]] std::size_t Size() const { return size_; }

  // FALSE with no error means the last lock is gone, as it should be.
  void Unlock() {
    data_ = nullptr;
    SetLastError(ERROR_SUCCESS);
    if (!GlobalUnlock(memory_) && GetLastError() != ERROR_SUCCESS) ThrowLastError("GlobalUnlock");
  }

 private:
  HGLOBAL memory_;
  std::size_t size_ = 0;
  void* data_ = nullptr;
};

// Whether the open clipboard lists the format, synthesised ones included.
// The end of the list is documented to leave no error, so a failure is
// told apart from an absent format; IsClipboardFormatAvailable can leave a
// stale error behind for an absent one.
bool ListsFormat(UINT format) {
  UINT listed = 0;
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    listed = EnumClipboardFormats(listed);
    if (listed == format) return true;
    if (listed == 0) {
      if (GetLastError() != ERROR_SUCCESS) ThrowLastError("EnumClipboardFormats");
      return false;
    }
  }
}

// CF_TEXT is listed whenever any text is: Windows converts between the text
// formats on demand. Files are no text, whatever text form a file manager
// puts beside CF_HDROP (Explorer puts none).
bool ListsPlainText() { return ListsFormat(CF_TEXT) && !ListsFormat(CF_HDROP); }

}  // namespace

bool Win32Services::DoClipboardHasText() {
  OpenClipboardSession clipboard;
  const bool listed = ListsPlainText();
  clipboard.Close();
  return listed;
}

ClipboardText Win32Services::DoClipboardGetText(std::size_t maxLength) {
  OpenClipboardSession clipboard;
  if (!ListsPlainText()) {
    clipboard.Close();
    return ClipboardText::None();
  }
  SetLastError(ERROR_SUCCESS);
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) {
    const DWORD error = GetLastError();
    // Emptied since the format test (also when an owner that announced the
    // text has gone without rendering it): no text, which is not a failure.
    if (!ListsFormat(CF_UNICODETEXT)) {
      clipboard.Close();
      return ClipboardText::None();
    }
    ThrowErrorOr("GetClipboardData", error, "the program that owns the clipboard did not provide the text");
  }
  // The system hands over the whole block, however long; read it in place
  // and copy no more than may be shown.
  GlobalLockSession lock(data);
  ClipboardText read = ReadUnicodeTextBlock(lock.Data(), lock.Size(), maxLength);
  lock.Unlock();
  clipboard.Close();
  return read;
}

void Win32Services::DoClipboardClear() {
  OpenClipboardSession clipboard;
  if (!EmptyClipboard()) ThrowLastError("EmptyClipboard");
  clipboard.Close();
}

}  // namespace vornic::win32
