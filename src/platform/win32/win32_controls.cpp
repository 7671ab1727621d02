// Controls: the child windows and menu items of a form, and their properties.
#include <algorithm>
#include <tuple>
#include <vector>

#include "platform/twips.h"
#include "platform/win32/win32_services.h"

namespace vornic::win32 {

namespace {

// Never equal to a real geometry: forces the next ApplyGeometry through.
constexpr PixelRect kUnknownPixels{-1, -1, -1, -1};

BYTE CharsetValue(Charset charset) {
  switch (charset) {
    case Charset::Ansi:
      return ANSI_CHARSET;
    case Charset::ShiftJis:
      return SHIFTJIS_CHARSET;
    default:
      return DEFAULT_CHARSET;
  }
}

PixelRect PixelsOf(const TwipsRect& twips, UINT dpi) {
  const auto dotsPerInch = static_cast<float>(dpi);
  return {TwipsToPixels(twips.left, dotsPerInch), TwipsToPixels(twips.top, dotsPerInch),
          TwipsToPixelSize(twips.width, dotsPerInch), TwipsToPixelSize(twips.height, dotsPerInch)};
}

void SetWindowTextOrThrow(HWND window, std::u16string_view text) {
  if (!SetWindowTextW(window, ToWide(text).c_str())) ThrowLastError("SetWindowText");
}

constexpr UINT_PTR kTextBoxSubclass = 1;

// Under the dialog manager a multi-line edit takes itself for part of a
// dialog box: on Tab it asks its parent for the next control
// (WM_NEXTDLGCTL, which only a dialog box answers), and on Esc it posts its
// parent WM_CLOSE, which would close the form. Like a one-line edit, it
// leaves both keys to the dialog manager, which moves the focus on Tab and
// on Esc reaches for an IDCANCEL control that no form has.
LRESULT CALLBACK TextBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                                  DWORD_PTR /*data*/) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, TextBoxProcedure, kTextBoxSubclass);  // gone anyway
  const LRESULT wanted = DefSubclassProc(window, message, wParam, lParam);
  if (message != WM_GETDLGCODE || lParam == 0) return wanted;
  const MSG& key = *reinterpret_cast<const MSG*>(lParam);
  // VK_TAB and VK_ESCAPE are also the characters these keys type.
  const bool dialogKey =
      (key.message == WM_KEYDOWN || key.message == WM_CHAR) && (key.wParam == VK_TAB || key.wParam == VK_ESCAPE);
  return dialogKey ? wanted & ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB) : wanted;
}

}  // namespace

FontRequest FontRequestOf(const FontDefinition& font) {
  return {std::u16string(font.family), font.points, font.bold, CharsetValue(font.charset)};
}

// Tab order is z-order, and each new child goes to the bottom: create them
// in tab-index order. Labels and pictures take no focus and go below every
// control that does, so that a label not yet laid out never covers a button.
void Win32Services::CreateControls(LiveForm& form) {
  std::vector<std::size_t> order(form.controls.size());
  for (std::size_t index = 0; index < order.size(); ++index) order[index] = index;
  const auto rank = [&](std::size_t index) {
    const ControlDefinition& control = form.Definition(index);
    const bool takesFocus = control.kind == ControlKind::PushButton || control.kind == ControlKind::TextBox;
    return std::tuple(!takesFocus, control.tabIndex < 0, control.tabIndex);
  };
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
  for (const std::size_t index : order) CreateControl(form, index);
  AnnotateControls(form);
}

void Win32Services::CreateControl(LiveForm& form, std::size_t index) {
  const ControlDefinition& definition = form.Definition(index);
  const wchar_t* className = nullptr;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  switch (definition.kind) {
    case ControlKind::PushButton:
      className = L"BUTTON";
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
    case ControlKind::TextBox:
      className = L"EDIT";
      style |= WS_TABSTOP | ES_LEFT;
      exStyle = WS_EX_CLIENTEDGE;
      if (definition.multiLine) style |= ES_MULTILINE | ES_WANTRETURN;
      // No horizontal scrolling means word wrap in a multi-line edit.
      if (definition.horizontalScrollBar) style |= WS_HSCROLL | ES_AUTOHSCROLL;
      if (definition.verticalScrollBar) style |= WS_VSCROLL | ES_AUTOVSCROLL;
      if (!definition.multiLine) style |= ES_AUTOHSCROLL;
      break;
    case ControlKind::Label:
      // SS_NOTIFY on every label: the form's routes decide which clicks matter.
      className = L"STATIC";
      // Coloured labels are drawn by the form, so that overlapping ones
      // do not hide each other's text.
      style |= (definition.background.kind == Colour::Kind::Default ? SS_LEFT | SS_NOPREFIX : SS_OWNERDRAW) | SS_NOTIFY;
      break;
    case ControlKind::PictureBox:
      className = L"STATIC";
      style |= SS_OWNERDRAW | SS_NOTIFY;
      if (definition.showsProgramIcon && !form.pictureIcon) form.pictureIcon = LoadProgramIcon(instance_, form.dpi);
      break;
    case ControlKind::Timer:
    case ControlKind::MenuItem:
      return;
  }
  LiveControl& control = form.controls[index];
  control.twips = definition.geometry;
  control.pixels = PixelsOf(control.twips, form.dpi);
  control.window = CreateWindowExW(
      exStyle, className, ToWide(definition.content).c_str(), style, control.pixels.left, control.pixels.top,
      control.pixels.width, control.pixels.height, form.window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId) + static_cast<INT_PTR>(index)), instance_, nullptr);
  if (control.window == nullptr) ThrowLastError("CreateWindowEx");
  if (definition.kind == ControlKind::TextBox) {
    // Lift the 32767-character default: the program shows up to 50000.
    SendMessageW(control.window, EM_SETLIMITTEXT, 0, 0);
    if (!SetWindowSubclass(control.window, TextBoxProcedure, kTextBoxSubclass, 0)) {
      ThrowFailure("SetWindowSubclass", "the text box could not be subclassed");
    }
  }
  if (definition.font != nullptr) {
    control.hasFont = true;
    control.fontRequest = FontRequestOf(*definition.font);
  }
  ApplyFont(form, control);
}

void Win32Services::ApplyFont(LiveForm& form, LiveControl& control) {
  if (!control.hasFont) {
    SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(form.font.get()), TRUE);
    return;
  }
  OwnedFont font = CreateFontAt(control.fontRequest, form.dpi);
  SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  control.font = std::move(font);  // the old one is no longer in use
}

// Skips the system call when the pixels did not change: the layout timer
// writes every property on every tick.
void Win32Services::ApplyGeometry(const LiveForm& form, LiveControl& control) {
  const PixelRect target = PixelsOf(control.twips, form.dpi);
  if (target == control.pixels) return;
  // No copied bits: a moved label would carry along what overlapped it.
  if (!SetWindowPos(control.window, nullptr, target.left, target.top, target.width, target.height,
                    SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS)) {
    ThrowLastError("SetWindowPos");
  }
  control.pixels = target;
}

void Win32Services::ApplyDpi(LiveForm& form, UINT dpi) {
  form.dpi = dpi;
  OwnedFont formFont = CreateFontAt(form.fontRequest, dpi);
  form.font.swap(formFont);  // the old font stays alive until every control has the new one
  for (std::size_t index = 0; index < form.controls.size(); ++index) {
    LiveControl& control = form.controls[index];
    if (control.window == nullptr) continue;
    ApplyFont(form, control);
    control.pixels = kUnknownPixels;
    ApplyGeometry(form, control);
  }
  if (form.pictureIcon) form.pictureIcon = LoadProgramIcon(instance_, dpi);
}

void Win32Services::DoSetCaption(ControlRef control, std::u16string_view caption) {
  LiveControl& live = Live(control);
  if (control.Definition().kind != ControlKind::MenuItem) {
    SetWindowTextOrThrow(live.window, caption);
    if (control.Definition().announcesChanges) AnnounceChange(live.window);
    return;
  }
  std::wstring text = ToWide(caption);
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STRING;
  item.dwTypeData = text.data();
  if (!SetMenuItemInfoW(live.menu, live.menuPosition, TRUE, &item)) ThrowLastError("SetMenuItemInfo");
  const LiveForm& form = Live(*control.form);
  if (live.menu == form.menuBar && !DrawMenuBar(form.window)) ThrowLastError("DrawMenuBar");
}

std::u16string Win32Services::DoGetCaption(ControlRef control) const {
  const LiveControl& live = Live(control);
  if (control.Definition().kind != ControlKind::MenuItem) return WindowText(live.window);
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STRING;
  if (!GetMenuItemInfoW(live.menu, live.menuPosition, TRUE, &item)) ThrowLastError("GetMenuItemInfo");
  std::wstring text(item.cch + 1, L'\0');
  item.dwTypeData = text.data();
  item.cch += 1;
  if (!GetMenuItemInfoW(live.menu, live.menuPosition, TRUE, &item)) ThrowLastError("GetMenuItemInfo");
  text.resize(item.cch);
  return FromWide(text);
}

void Win32Services::DoSetText(ControlRef control, std::u16string_view text) {
  SetWindowTextOrThrow(Live(control).window, text);
}

std::u16string Win32Services::DoGetText(ControlRef control) const { return WindowText(Live(control).window); }

void Win32Services::DoSetMetric(ControlRef control, Metric metric, float twips) {
  LiveControl& live = Live(control);
  switch (metric) {
    case Metric::Left:
      live.twips.left = twips;
      break;
    case Metric::Top:
      live.twips.top = twips;
      break;
    case Metric::Width:
      live.twips.width = twips;
      break;
    case Metric::Height:
      live.twips.height = twips;
      break;
  }
  ApplyGeometry(Live(*control.form), live);
}

float Win32Services::DoGetMetric(ControlRef control, Metric metric) const {
  const LiveControl& live = Live(control);
  switch (metric) {
    case Metric::Left:
      return live.twips.left;
    case Metric::Top:
      return live.twips.top;
    case Metric::Width:
      return live.twips.width;
    case Metric::Height:
      return live.twips.height;
  }
  return 0;
}

// A new family keeps size and weight. The character set becomes the
// system's default, so that a Japanese family is not mapped to a Western
// font and captions in any language keep their glyphs.
void Win32Services::DoSetFontFamily(ControlRef control, std::u16string_view family) {
  LiveControl& live = Live(control);
  LiveForm& form = Live(*control.form);
  if (!live.hasFont) live.fontRequest = form.fontRequest;
  live.fontRequest.family = std::u16string(family);
  live.fontRequest.charset = DEFAULT_CHARSET;
  live.hasFont = true;
  ApplyFont(form, live);
}

std::u16string Win32Services::DoGetFontFamily(ControlRef control) const {
  const LiveControl& live = Live(control);
  return live.hasFont ? live.fontRequest.family : Live(*control.form).fontRequest.family;
}

void Win32Services::DoSetChecked(ControlRef menuItem, bool checked) {
  const LiveControl& live = Live(menuItem);
  if (CheckMenuItem(live.menu, live.menuPosition, MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED)) ==
      static_cast<DWORD>(-1)) {
    ThrowFailure("CheckMenuItem", "the menu item does not exist");
  }
}

bool Win32Services::DoIsChecked(ControlRef menuItem) const {
  const LiveControl& live = Live(menuItem);
  const UINT state = GetMenuState(live.menu, live.menuPosition, MF_BYPOSITION);
  if (state == static_cast<UINT>(-1)) ThrowFailure("GetMenuState", "the menu item does not exist");
  return (state & MF_CHECKED) != 0;
}

}  // namespace vornic::win32
