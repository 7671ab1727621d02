// Drives a running Vornic.exe from another process, the way a user (or a
// screen reader) reaches it: its windows, controls, menus, message boxes and
// the system clipboard.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vornic_test {

// Waits for a condition, with a deadline that only guards against a hang:
// no test depends on how quickly anything happens.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD deadlineMs = 30000) {
  const ULONGLONG end = GetTickCount64() + deadlineMs;
  while (!condition()) {
    if (GetTickCount64() > end) return false;
    Sleep(10);
  }
  return true;
}

std::wstring WindowText(HWND window);  // through WM_GETTEXT, so it works across processes
std::wstring ClassName(HWND window);
std::vector<HWND> Children(HWND parent);  // in z-order, which is tab order
RECT ClientRectOf(HWND child);            // relative to its parent's client area

// Presses and releases a key, with a modifier (VK_SHIFT, VK_MENU) held if
// given, as the keyboard does: it goes to whichever program has the focus.
void PressKey(WORD key, WORD modifier = 0);

// The clipboard, owned by a hidden window of the test.
class Clipboard {
 public:
  Clipboard();
  ~Clipboard();
  Clipboard(const Clipboard&) = delete;
  Clipboard& operator=(const Clipboard&) = delete;

  // Puts exactly these code units (embedded NULs too) and a terminating NUL.
  void SetText(const std::wstring& units) const;
  void SetBitmapOnly() const;
  void Clear() const;
  void Open() const;  // and hold it open until Close
  void Close() const;

 private:
  HWND owner_;
};

// A Vornic.exe process with its main window found.
class VornicProcess {
 public:
  VornicProcess();
  ~VornicProcess();
  VornicProcess(const VornicProcess&) = delete;
  VornicProcess& operator=(const VornicProcess&) = delete;

  HWND form1 = nullptr;
  HWND text1 = nullptr;
  HWND command1 = nullptr;
  HWND label1 = nullptr;
  HWND command2 = nullptr;
  HWND command3 = nullptr;

  // Clicks that return once the click handler has finished.
  void Click(HWND button) const;
  // A click whose handler may wait for a message box: returns at once.
  void PostClick(HWND button) const;
  struct MenuItem {
    UINT id;  // 0 for items that open a drop-down menu
    bool checked;
    std::wstring caption;
  };
  // Every menu item of Form1, menu bar first, each drop-down after its item.
  [[nodiscard]] std::vector<MenuItem> MenuItems() const;
  // Chooses a menu item by its caption; returns once its handler finished.
  void ChooseMenuItem(const std::wstring& caption) const;
  [[nodiscard]] bool IsMenuItemChecked(const std::wstring& caption) const;
  [[nodiscard]] std::vector<std::wstring> MenuCaptions() const;
  // The face name of the control's font.
  [[nodiscard]] std::wstring FontFace(HWND control) const;
  // Destroys one of Vornic's windows from inside Vornic, behind its back.
  void DestroyWindowInside(HWND window) const;
  // Dialog boxes Vornic created since it started, message boxes among them.
  [[nodiscard]] LONG DialogsCreated() const;
  // Waits until the program handled everything posted before.
  void Sync() const;
  // Waits until the program's own message loop, or a message box's, takes
  // the next posted message: unlike Sync, not answered while the program
  // waits inside a call that sends to another process.
  void SyncPosted() const;

  // The message box of the program (caption "Vornic"), waited for.
  [[nodiscard]] HWND WaitForMessageBox() const;
  // The message box if one exists now, shown yet or not.
  [[nodiscard]] HWND MessageBoxNow() const;
  [[nodiscard]] HWND FindForm(const wchar_t* title) const;
  // Every message box of the program on the screen now, topmost first.
  [[nodiscard]] std::vector<HWND> MessageBoxes() const;

  // The window that has the keyboard focus in Vornic, as its thread sees it.
  [[nodiscard]] HWND Focus() const;
  [[nodiscard]] DWORD ProcessId() const { return process_.dwProcessId; }

  [[nodiscard]] bool WaitForExit(DWORD* exitCode) const;
  [[nodiscard]] bool IsRunning() const;

 private:
  PROCESS_INFORMATION process_{};
  HMODULE menuProbe_ = nullptr;
  HHOOK menuProbeHook_ = nullptr;
  HHOOK dialogCountHook_ = nullptr;
  HANDLE dialogCount_ = nullptr;
  HANDLE menuMemory_ = nullptr;
  HANDLE menuReady_ = nullptr;

  [[nodiscard]] std::wstring AskProbe(WPARAM question, LPARAM about) const;
};

}  // namespace vornic_test
