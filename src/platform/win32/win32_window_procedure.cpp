// The form window: its class and its procedure, one small function per
// message. Events go to Vornic through DispatchEvent; nothing here may let an
// exception reach the system's message loop.
#include <algorithm>
#include <cmath>

#include "platform/event_dispatch.h"
#include "platform/win32/resource.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_services.h"

namespace vornic::win32 {

namespace {

constexpr wchar_t kIconFormClass[] = L"VornicForm";
constexpr wchar_t kPlainFormClass[] = L"VornicPlainForm";

LiveForm* FormOf(HWND window) { return reinterpret_cast<LiveForm*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

// The control with this identifier, or -1.
int ControlIndex(const LiveForm& form, int id, int firstId) {
  const int index = id - firstId;
  return index >= 0 && static_cast<std::size_t>(index) < form.controls.size() ? index : -1;
}

bool IsClickable(ControlKind kind) {
  return kind == ControlKind::PushButton || kind == ControlKind::Label || kind == ControlKind::PictureBox;
}

bool OnNcCreate(HWND window, LPARAM lParam) {
  auto* form = static_cast<LiveForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
  form->window = window;
  SetLastError(ERROR_SUCCESS);
  return SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form)) != 0 ||
         GetLastError() == ERROR_SUCCESS;
}

// Runs a message's handler, whose failure is reported and ends the program
// (it must not reach the system's loop); the message then gets `fallback`.
template <typename Handler>
LRESULT Reported(Win32Services& services, LRESULT fallback, Handler&& handler) {
  LRESULT result = fallback;
  RunGuarded(services, [&] { result = handler(); });
  return result;
}

// The handler may unload this very form: `form` is not touched after DispatchEvent.
LRESULT OnCommand(LiveForm& form, WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  if (lParam != 0) {
    const int index = ControlIndex(form, id, kFirstControlId);
    // BN_CLICKED and STN_CLICKED are both 0.
    if (index >= 0 && code == BN_CLICKED && IsClickable(form.Definition(static_cast<std::size_t>(index)).kind)) {
      DispatchEvent(*form.services, *form.definition, index, EventKind::Clicked);
    }
    return 0;
  }
  const int index = ControlIndex(form, id, kFirstMenuItemId);
  if (index >= 0 && code == 0 && form.Definition(static_cast<std::size_t>(index)).kind == ControlKind::MenuItem) {
    DispatchEvent(*form.services, *form.definition, index, EventKind::MenuChosen);
  }
  return 0;
}

LRESULT OnTimer(LiveForm& form, WPARAM timerId) {
  const int index = ControlIndex(form, static_cast<int>(timerId), kFirstControlId);
  if (index >= 0) DispatchEvent(*form.services, *form.definition, index, EventKind::TimerTick);
  return 0;
}

LRESULT OnEraseBackground(const LiveForm& form, HDC dc) {
  RECT client{};
  Checked("GetClientRect", FALSE, [&] { return GetClientRect(form.window, &client); });
  Checked("FillRect", 0, [&] { return FillRect(dc, &client, form.background); });
  return 1;
}

COLORREF TextColour(const Colour& foreground) {
  return foreground.kind == Colour::Kind::Default ? GetSysColor(COLOR_WINDOWTEXT) : ColourValue(foreground);
}

LRESULT OnControlColourStatic(const LiveForm& form, HDC dc, HWND child, WPARAM wParam, LPARAM lParam) {
  const int index = ControlIndex(form, GetDlgCtrlID(child), kFirstControlId);
  if (index < 0 || form.controls[static_cast<std::size_t>(index)].background == nullptr) {
    return DefWindowProcW(form.window, WM_CTLCOLORSTATIC, wParam, lParam);
  }
  const PaintColours& colours = form.controls[static_cast<std::size_t>(index)].colours;
  Checked("SetBkColor", CLR_INVALID, [&] { return SetBkColor(dc, ColourValue(colours.background)); });
  Checked("SetTextColor", CLR_INVALID, [&] { return SetTextColor(dc, TextColour(colours.foreground)); });
  return reinterpret_cast<LRESULT>(form.controls[static_cast<std::size_t>(index)].background);
}

bool IsColouredLabel(const LiveForm& form, std::size_t index) {
  return form.Definition(index).kind == ControlKind::Label && form.controls[index].background != nullptr &&
         form.controls[index].window != nullptr;
}

// Coloured labels may overlap (the about window's lines do). Each paints what
// all of them show over its own box, every background first and every text
// after, so no label's background hides a neighbour's line.
void DrawColouredLabels(const LiveForm& form, std::size_t self, HDC dc) {
  const PixelRect& own = form.controls[self].pixels;
  const auto boxOf = [&](std::size_t index) {
    const PixelRect& other = form.controls[index].pixels;
    return RECT{other.left - own.left, other.top - own.top, other.left - own.left + other.width,
                other.top - own.top + other.height};
  };
  for (std::size_t index = 0; index < form.controls.size(); ++index) {
    if (!IsColouredLabel(form, index)) continue;
    const RECT box = boxOf(index);
    Checked("FillRect", 0, [&] { return FillRect(dc, &box, form.controls[index].background); });
  }
  Checked("SetBkMode", 0, [&] { return SetBkMode(dc, TRANSPARENT); });
  const HGDIOBJ originalFont = Checked("GetCurrentObject", nullptr, [&] { return GetCurrentObject(dc, OBJ_FONT); });
  try {
    for (std::size_t index = 0; index < form.controls.size(); ++index) {
      if (!IsColouredLabel(form, index)) continue;
      const LiveControl& control = form.controls[index];
      Checked("SetTextColor", CLR_INVALID, [&] { return SetTextColor(dc, TextColour(control.colours.foreground)); });
      Checked("SelectObject", nullptr,
              [&] { return SelectObject(dc, control.hasFont ? control.font.get() : form.font.get()); });
      const std::wstring text = ToWide(WindowText(control.window));
      if (text.empty()) continue;  // nothing to draw, and DrawText would answer 0
      RECT box = boxOf(index);
      Checked("DrawText", 0, [&] {
        return DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                         DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
      });
    }
  } catch (...) {
    SelectObject(dc, originalFont);  // the failure is reported already
    throw;
  }
  Checked("SelectObject", nullptr, [&] { return SelectObject(dc, originalFont); });
}

// Picture boxes: their background, and the program icon in the middle.
// Coloured labels: see DrawColouredLabels.
LRESULT OnDrawItem(const LiveForm& form, const DRAWITEMSTRUCT& item) {
  const int index = ControlIndex(form, static_cast<int>(item.CtlID), kFirstControlId);
  if (index < 0) return FALSE;
  if (form.Definition(static_cast<std::size_t>(index)).kind == ControlKind::Label) {
    DrawColouredLabels(form, static_cast<std::size_t>(index), item.hDC);
    return TRUE;
  }
  const LiveControl& control = form.controls[static_cast<std::size_t>(index)];
  Checked("FillRect", 0, [&] {
    return FillRect(item.hDC, &item.rcItem, control.background != nullptr ? control.background : form.background);
  });
  if (form.Definition(static_cast<std::size_t>(index)).showsProgramIcon && form.pictureIcon) {
    const int size = MulDiv(kProgramIconPixels, static_cast<int>(form.dpi), USER_DEFAULT_SCREEN_DPI);
    const int left = item.rcItem.left + (item.rcItem.right - item.rcItem.left - size) / 2;
    const int top = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - size) / 2;
    Checked("DrawIconEx", FALSE,
            [&] { return DrawIconEx(item.hDC, left, top, form.pictureIcon.get(), size, size, 0, nullptr, DI_NORMAL); });
  }
  return TRUE;
}

// The theme changed (system colours, high contrast): new brushes, repainted.
LRESULT OnThemeChanged(LiveForm& form) {
  ApplyColours(form);
  Checked("RedrawWindow", FALSE,
          [&] { return RedrawWindow(form.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN); });
  return 0;
}

LRESULT OnDpiChanged(LiveForm& form, WPARAM wParam, const RECT& suggested) {
  Win32Services& services = *form.services;
  RunGuarded(services, [&] {
    services.ApplyDpi(form, HIWORD(wParam));
    if (!SetWindowPos(form.window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                      suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE)) {
      ThrowLastError("SetWindowPos");
    }
  });
  return 0;
}

// Keyboard focus returns to the control that had it when the form was left.
LRESULT OnActivate(LiveForm& form, WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(form.window, focus)) form.lastFocus = focus;
  }
  return DefWindowProcW(form.window, WM_ACTIVATE, wParam, lParam);
}

LRESULT OnSetFocus(const LiveForm& form) {
  HWND target = form.lastFocus;
  if (target == nullptr || !IsWindow(target) || !IsChild(form.window, target)) {
    target = Checked(
        "GetNextDlgTabItem", nullptr, [&] { return GetNextDlgTabItem(form.window, nullptr, FALSE); },
        FailureValue::AlsoAnAnswer);
  }
  const auto focus = [&] { return SetFocus(target); };
  if (target != nullptr) Checked("SetFocus", nullptr, focus, FailureValue::AlsoAnAnswer);
  return 0;
}

LRESULT OnDestroy(const LiveForm& form) {
  ClearAnnotations(form);
  return 0;
}

LRESULT OnNcDestroy(HWND window, LiveForm& form, WPARAM wParam, LPARAM lParam) {
  Win32Services& services = *form.services;
  RunGuarded(services, [&] {
    Checked(
        "SetWindowLongPtr", 0, [&] { return SetWindowLongPtrW(window, GWLP_USERDATA, 0); }, FailureValue::AlsoAnAnswer);
  });
  services.FormDestroyed(form);
  return DefWindowProcW(window, WM_NCDESTROY, wParam, lParam);
}

LRESULT CALLBACK FormWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE && !OnNcCreate(window, lParam)) return FALSE;
  LiveForm* form = FormOf(window);
  if (form == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_COMMAND:
      return OnCommand(*form, wParam, lParam);
    case WM_TIMER:
      return OnTimer(*form, wParam);
    case WM_ERASEBKGND:
      return Reported(*form->services, 1, [&] { return OnEraseBackground(*form, reinterpret_cast<HDC>(wParam)); });
    case WM_CTLCOLORSTATIC:
      return Reported(*form->services, 0, [&] {
        return OnControlColourStatic(*form, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), wParam,
                                     lParam);
      });
    case WM_DRAWITEM:
      return Reported(*form->services, TRUE,
                      [&] { return OnDrawItem(*form, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); });
    case WM_SYSCOLORCHANGE:
      return Reported(*form->services, 0, [&] { return OnThemeChanged(*form); });
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETHIGHCONTRAST) Reported(*form->services, 0, [&] { return OnThemeChanged(*form); });
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_DPICHANGED:
      return OnDpiChanged(*form, wParam, *reinterpret_cast<const RECT*>(lParam));
    case WM_ACTIVATE:
      return OnActivate(*form, wParam, lParam);
    case WM_SETFOCUS:
      return Reported(*form->services, 0, [&] { return OnSetFocus(*form); });
    case WM_DESTROY:
      return OnDestroy(*form);
    case WM_NCDESTROY:
      return OnNcDestroy(window, *form, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

void RegisterFormClasses(HINSTANCE instance) {
  for (const bool withIcon : {true, false}) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = FormWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = Checked("LoadCursor", nullptr, [] { return LoadCursorW(nullptr, IDC_ARROW); });
    windowClass.lpszClassName = FormClassName(withIcon);
    if (withIcon) {
      windowClass.hIcon =
          Checked("LoadIcon", nullptr, [&] { return LoadIconW(instance, MAKEINTRESOURCEW(IDI_VORNIC)); });
      const int width = Checked("GetSystemMetrics", 0, [] { return GetSystemMetrics(SM_CXSMICON); });
      const int height = Checked("GetSystemMetrics", 0, [] { return GetSystemMetrics(SM_CYSMICON); });
      windowClass.hIconSm = static_cast<HICON>(Checked("LoadImage", nullptr, [&] {
        return LoadImageW(instance, MAKEINTRESOURCEW(IDI_VORNIC), IMAGE_ICON, width, height, LR_SHARED);
      }));
    }
    if (RegisterClassExW(&windowClass) == 0) ThrowLastError("RegisterClassEx");
  }
}

const wchar_t* FormClassName(bool showsProgramIcon) { return showsProgramIcon ? kIconFormClass : kPlainFormClass; }

OwnedFont CreateFontAt(const FontRequest& request, UINT dpi) {
  LOGFONTW font{};
  font.lfHeight = -static_cast<LONG>(std::lround(request.points * static_cast<float>(dpi) / 72.0F));
  font.lfWeight = request.bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = request.charset;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::size_t length = std::min<std::size_t>(request.family.size(), LF_FACESIZE - 1);
  for (std::size_t i = 0; i < length; ++i) font.lfFaceName[i] = static_cast<wchar_t>(request.family[i]);
  HFONT created = CreateFontIndirectW(&font);
  if (created == nullptr) ThrowLastError("CreateFontIndirect");
  return OwnedFont(created);
}

namespace {

int SystemColourIndex(Colour::Kind kind) {
  switch (kind) {
    case Colour::Kind::SystemWindow:
      return COLOR_WINDOW;
    case Colour::Kind::SystemWindowText:
      return COLOR_WINDOWTEXT;
    default:
      return COLOR_BTNFACE;
  }
}

}  // namespace

COLORREF ColourValue(const Colour& colour) {
  if (colour.kind == Colour::Kind::Rgb) return RGB(colour.red, colour.green, colour.blue);
  return GetSysColor(SystemColourIndex(colour.kind));
}

HBRUSH ColourBrush(const Colour& colour, OwnedBrush& owner) {
  switch (colour.kind) {
    case Colour::Kind::Default:
      owner.reset();
      return nullptr;
    case Colour::Kind::Rgb: {
      HBRUSH brush = CreateSolidBrush(ColourValue(colour));
      if (brush == nullptr) ThrowLastError("CreateSolidBrush");
      owner.reset(brush);
      return brush;
    }
    default: {
      owner.reset();
      HBRUSH brush = GetSysColorBrush(SystemColourIndex(colour.kind));  // owned by the system
      if (brush == nullptr) ThrowFailure("GetSysColorBrush", "no brush for the system colour");
      return brush;
    }
  }
}

OwnedIcon LoadProgramIcon(HINSTANCE instance, UINT dpi) {
  const int size = MulDiv(kProgramIconPixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
  HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(IDI_VORNIC), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
  if (icon == nullptr) ThrowLastError("LoadImage");
  return OwnedIcon(static_cast<HICON>(icon));
}

}  // namespace vornic::win32
