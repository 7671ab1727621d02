// Loaded into Vornic.exe by a message hook of the test driver: reads the
// menu bar from inside, where Wine keeps menus (they are per process there,
// unlike on Windows). Answers a registered message posted to a form with one
// line per menu item, "id<TAB>checked<TAB>caption", in a shared memory block;
// asked about a control (wParam 1, lParam the control), with its font's face
// name, which another process cannot read either; asked to destroy one of
// Vornic's windows (wParam 2), does so from Vornic's own thread, the only one
// that can. A second hook counts the dialog boxes Vornic creates, even one
// that closes before anyone could see it.
#include "menu_probe.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace {

void DescribeMenu(HMENU menu, std::wstring& out) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    wchar_t caption[256] = {};
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
    item.dwTypeData = caption;
    item.cch = 255;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item)) continue;
    out += std::to_wstring(item.hSubMenu != nullptr ? 0U : item.wID);
    out += (item.fState & MFS_CHECKED) != 0 ? L"\t1\t" : L"\t0\t";
    out += caption;
    out += L'\n';
    if (item.hSubMenu != nullptr) DescribeMenu(item.hSubMenu, out);
  }
}

std::wstring FontFace(HWND control) {
  auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW logFont{};
  if (font == nullptr || GetObjectW(font, sizeof logFont, &logFont) == 0) return L"";
  return logFont.lfFaceName;
}

void Answer(const MSG& question) {
  std::wstring description;
  if (question.wParam == vornic_test::kDescribeFont) {
    description = FontFace(reinterpret_cast<HWND>(question.lParam));
  } else if (question.wParam == vornic_test::kDestroyWindow) {
    DestroyWindow(reinterpret_cast<HWND>(question.lParam));
  } else if (HMENU menuBar = GetMenu(question.hwnd)) {
    DescribeMenu(menuBar, description);
  }
  HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, vornic_test::kMenuProbeMemory);
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, vornic_test::kMenuProbeReady);
  if (mapping != nullptr && ready != nullptr) {
    if (auto* memory = static_cast<wchar_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0))) {
      description.resize(std::min<std::size_t>(description.size(), vornic_test::kMenuProbeUnits - 1));
      description.copy(memory, description.size());
      memory[description.size()] = L'\0';
      UnmapViewOfFile(memory);
    }
    SetEvent(ready);
  }
  if (ready != nullptr) CloseHandle(ready);
  if (mapping != nullptr) CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeHook(int code, WPARAM removal, LPARAM message) {
  const auto* posted = reinterpret_cast<const MSG*>(message);
  if (code == HC_ACTION && removal == PM_REMOVE &&
      posted->message == RegisterWindowMessageW(vornic_test::kMenuProbeMessage)) {
    Answer(*posted);
  }
  return CallNextHookEx(nullptr, code, removal, message);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK DialogCountHook(int code, WPARAM window, LPARAM creation) {
  wchar_t name[16] = {};
  if (code == HCBT_CREATEWND && GetClassNameW(reinterpret_cast<HWND>(window), name, 16) > 0 &&
      std::wstring_view(name) == L"#32770") {
    if (HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, vornic_test::kDialogCountMemory)) {
      if (auto* count = static_cast<LONG*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(LONG)))) {
        InterlockedIncrement(count);
        UnmapViewOfFile(count);
      }
      CloseHandle(mapping);
    }
  }
  return CallNextHookEx(nullptr, code, window, creation);
}
