#include "vornic_driver.h"

#include <sstream>
#include <stdexcept>

#include "clipboard_blocks.h"
#include "menu_probe.h"

namespace vornic_test {

namespace {

struct WindowSearch {
  DWORD processId;
  const wchar_t* className;  // null: any
  const wchar_t* title;
  HWND found;
  std::vector<HWND>* all;  // null: stop at the first
  bool hiddenToo = false;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != search.processId || (!search.hiddenToo && !IsWindowVisible(window))) return TRUE;
  if (search.className != nullptr && ClassName(window) != search.className) return TRUE;
  if (WindowText(window) != search.title) return TRUE;
  search.found = window;
  if (search.all == nullptr) return FALSE;
  search.all->push_back(window);
  return TRUE;
}

HWND FindTopLevel(DWORD processId, const wchar_t* className, const wchar_t* title) {
  WindowSearch search{processId, className, title, nullptr, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter) {
  auto& children = *reinterpret_cast<std::vector<HWND>*>(parameter);
  children.push_back(window);
  return TRUE;
}

std::wstring ModulePath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring result = path;
  return result.substr(0, result.find_last_of(L"\\/") + 1);
}

}  // namespace

std::wstring WindowText(HWND window) {
  const auto length = static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  const auto copied = static_cast<std::size_t>(
      SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(text.data())));
  text.resize(copied);
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

RECT ClientRectOf(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void PressKey(WORD key, WORD modifier) {
  std::vector<INPUT> inputs;
  const auto add = [&](WORD code, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.dwFlags = flags;
    inputs.push_back(input);
  };
  if (modifier != 0) add(modifier, 0);
  add(key, 0);
  add(key, KEYEVENTF_KEYUP);
  if (modifier != 0) add(modifier, KEYEVENTF_KEYUP);
  if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size()) {
    throw std::runtime_error("SendInput failed");
  }
}

// Clipboard -------------------------------------------------------------------

Clipboard::Clipboard()
    : owner_(
          CreateWindowExW(0, L"STATIC", L"clipboard owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {
  if (owner_ == nullptr) throw std::runtime_error("cannot create the clipboard owner window");
}

Clipboard::~Clipboard() { DestroyWindow(owner_); }

void Clipboard::Open() const {
  if (!WaitUntil([&] { return OpenClipboard(owner_) != FALSE; })) throw std::runtime_error("OpenClipboard failed");
}

void Clipboard::Close() const { CloseClipboard(); }

void Clipboard::SetText(const std::wstring& units) const {
  if (!FillClipboard(owner_, [&] { return PutUnits({units.c_str(), units.size() + 1}); })) {
    throw std::runtime_error("cannot put the text on the clipboard");
  }
}

void Clipboard::SetBitmapOnly() const {
  if (!FillClipboard(owner_, PutBitmap)) throw std::runtime_error("cannot put the bitmap on the clipboard");
}

void Clipboard::Clear() const {
  if (!FillClipboard(owner_, [] { return true; })) throw std::runtime_error("cannot empty the clipboard");
}

// VornicProcess --------------------------------------------------------------

VornicProcess::VornicProcess() {
  std::wstring commandLine = L"\"" + ModulePath() + L"Vornic.exe\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_)) {
    throw std::runtime_error("cannot start Vornic.exe");
  }
  WaitForInputIdle(process_.hProcess, 30000);
  if (!WaitUntil([&] { return (form1 = FindForm(L"Vornic")) != nullptr; })) {
    throw std::runtime_error("Vornic's main window did not appear");
  }
  menuMemory_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                   static_cast<DWORD>(kMenuProbeUnits * sizeof(wchar_t)), kMenuProbeMemory);
  menuReady_ = CreateEventW(nullptr, TRUE, FALSE, kMenuProbeReady);
  menuProbe_ = LoadLibraryW((ModulePath() + L"vornic_menu_probe.dll").c_str());
  const auto hook =
      reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(menuProbe_, "MenuProbeHook")));
  menuProbeHook_ = hook != nullptr ? SetWindowsHookExW(WH_GETMESSAGE, hook, menuProbe_, process_.dwThreadId) : nullptr;
  dialogCount_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), kDialogCountMemory);
  const auto countHook =
      reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(menuProbe_, "DialogCountHook")));
  dialogCountHook_ =
      countHook != nullptr ? SetWindowsHookExW(WH_CBT, countHook, menuProbe_, process_.dwThreadId) : nullptr;
  if (menuMemory_ == nullptr || menuReady_ == nullptr || menuProbeHook_ == nullptr || dialogCount_ == nullptr ||
      dialogCountHook_ == nullptr) {
    throw std::runtime_error("cannot install the menu probe");
  }
  // By kind, the buttons in z-order, which is the tab order.
  std::vector<HWND> buttons;
  for (HWND child : Children(form1)) {
    const std::wstring kind = ClassName(child);
    if (kind == L"Button") buttons.push_back(child);
    if (kind == L"Edit") text1 = child;
    if (kind == L"Static") label1 = child;
  }
  if (Children(form1).size() != 5 || buttons.size() != 3 || text1 == nullptr || label1 == nullptr) {
    throw std::runtime_error("Form1 should have a text box, three buttons and a label");
  }
  command1 = buttons[0];
  command2 = buttons[1];
  command3 = buttons[2];
  // The first layout tick moves Label1 under the buttons.
  if (!WaitUntil([&] { return ClientRectOf(label1).left == 0; })) throw std::runtime_error("no layout tick");
}

VornicProcess::~VornicProcess() {
  if (IsRunning()) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 30000);
  }
  if (menuProbeHook_ != nullptr) UnhookWindowsHookEx(menuProbeHook_);
  if (dialogCountHook_ != nullptr) UnhookWindowsHookEx(dialogCountHook_);
  if (dialogCount_ != nullptr) CloseHandle(dialogCount_);
  if (menuProbe_ != nullptr) FreeLibrary(menuProbe_);
  if (menuReady_ != nullptr) CloseHandle(menuReady_);
  if (menuMemory_ != nullptr) CloseHandle(menuMemory_);
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

void VornicProcess::Click(HWND button) const { SendMessageW(button, BM_CLICK, 0, 0); }

void VornicProcess::PostClick(HWND button) const { PostMessageW(button, BM_CLICK, 0, 0); }

void VornicProcess::Sync() const { SendMessageW(form1, WM_NULL, 0, 0); }

void VornicProcess::SyncPosted() const { static_cast<void>(AskProbe(kDescribeMenus, 0)); }

// Wine keeps menus and fonts per process, so the probe reads them from
// inside Vornic.
std::wstring VornicProcess::AskProbe(WPARAM question, LPARAM about) const {
  ResetEvent(menuReady_);
  PostMessageW(form1, RegisterWindowMessageW(kMenuProbeMessage), question, about);
  if (WaitForSingleObject(menuReady_, 30000) != WAIT_OBJECT_0) throw std::runtime_error("the probe did not answer");
  const auto* memory = static_cast<const wchar_t*>(MapViewOfFile(menuMemory_, FILE_MAP_READ, 0, 0, 0));
  std::wstring answer(memory);
  UnmapViewOfFile(memory);
  return answer;
}

std::wstring VornicProcess::FontFace(HWND control) const {
  return AskProbe(kDescribeFont, reinterpret_cast<LPARAM>(control));
}

void VornicProcess::DestroyWindowInside(HWND window) const {
  static_cast<void>(AskProbe(kDestroyWindow, reinterpret_cast<LPARAM>(window)));
}

LONG VornicProcess::DialogsCreated() const {
  const auto* count = static_cast<const LONG*>(MapViewOfFile(dialogCount_, FILE_MAP_READ, 0, 0, sizeof(LONG)));
  if (count == nullptr) throw std::runtime_error("cannot read the dialog count");
  const LONG dialogs = *count;
  UnmapViewOfFile(count);
  return dialogs;
}

std::vector<VornicProcess::MenuItem> VornicProcess::MenuItems() const {
  std::wistringstream lines{AskProbe(kDescribeMenus, 0)};
  std::vector<MenuItem> items;
  std::wstring id;
  std::wstring checked;
  std::wstring caption;
  while (std::getline(lines, id, L'\t') && std::getline(lines, checked, L'\t') && std::getline(lines, caption)) {
    items.push_back({static_cast<UINT>(std::stoul(id)), checked == L"1", caption});
  }
  return items;
}

void VornicProcess::ChooseMenuItem(const std::wstring& caption) const {
  for (const MenuItem& item : MenuItems()) {
    if (item.caption == caption && item.id != 0) {
      SendMessageW(form1, WM_COMMAND, MAKEWPARAM(item.id, 0), 0);
      return;
    }
  }
  throw std::runtime_error("no such menu item");
}

bool VornicProcess::IsMenuItemChecked(const std::wstring& caption) const {
  for (const MenuItem& item : MenuItems()) {
    if (item.caption == caption) return item.checked;
  }
  throw std::runtime_error("no such menu item");
}

std::vector<std::wstring> VornicProcess::MenuCaptions() const {
  std::vector<std::wstring> captions;
  for (const MenuItem& item : MenuItems()) captions.push_back(item.caption);
  return captions;
}

HWND VornicProcess::FindForm(const wchar_t* title) const { return FindTopLevel(process_.dwProcessId, nullptr, title); }

std::vector<HWND> VornicProcess::MessageBoxes() const {
  std::vector<HWND> boxes;
  WindowSearch search{process_.dwProcessId, L"#32770", L"Vornic", nullptr, &boxes};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return boxes;
}

HWND VornicProcess::WaitForMessageBox() const {
  HWND box = nullptr;
  WaitUntil([&] { return (box = FindTopLevel(process_.dwProcessId, L"#32770", L"Vornic")) != nullptr; });
  return box;
}

HWND VornicProcess::MessageBoxNow() const {
  WindowSearch search{process_.dwProcessId, L"#32770", L"Vornic", nullptr, nullptr, true};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool VornicProcess::WaitForExit(DWORD* exitCode) const {
  if (WaitForSingleObject(process_.hProcess, 30000) != WAIT_OBJECT_0) return false;
  return GetExitCodeProcess(process_.hProcess, exitCode) != FALSE;
}

HWND VornicProcess::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(process_.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

bool VornicProcess::IsRunning() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

}  // namespace vornic_test
