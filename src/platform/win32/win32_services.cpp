#include "platform/win32/win32_services.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include "platform/event_dispatch.h"
#include "platform/platform_services.h"
#include "platform/twips.h"

namespace vornic {

std::unique_ptr<WindowServices> CreatePlatformServices(int /*argc*/, char** /*argv*/) {
  return std::make_unique<win32::Win32Services>(GetModuleHandleW(nullptr));
}

}  // namespace vornic

namespace vornic::win32 {

namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = 0;
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

FontRequest RequestOf(const FontDefinition& font) {
  return {std::u16string(font.family), font.points, font.bold, CharsetValue(font.charset)};
}

// The system's message font: what a control gets when nobody chose one.
FontRequest DefaultFontRequest() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
    ThrowLastError("SystemParametersInfo");
  }
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) ThrowFailure("GetDC", "no screen device context");
  const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
  if (ReleaseDC(nullptr, screen) == 0) ThrowFailure("ReleaseDC", "the screen device context was not released");
  const LOGFONTW& font = metrics.lfMessageFont;
  const float points = static_cast<float>(font.lfHeight < 0 ? -font.lfHeight : font.lfHeight) * 72.0F /
                       static_cast<float>(systemDpi > 0 ? systemDpi : USER_DEFAULT_SCREEN_DPI);
  return {FromWide(font.lfFaceName), points, font.lfWeight >= FW_BOLD, font.lfCharSet};
}

PixelRect PixelsOf(const TwipsRect& twips, UINT dpi) {
  const auto dotsPerInch = static_cast<float>(dpi);
  return {TwipsToPixels(twips.left, dotsPerInch), TwipsToPixels(twips.top, dotsPerInch),
          TwipsToPixelSize(twips.width, dotsPerInch), TwipsToPixelSize(twips.height, dotsPerInch)};
}

RECT WindowRectOf(HWND window) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) ThrowLastError("GetWindowRect");
  return rect;
}

void SetWindowTextOrThrow(HWND window, std::u16string_view text) {
  if (!SetWindowTextW(window, ToWide(text).c_str())) ThrowLastError("SetWindowText");
}

std::u16string WindowText(HWND window) {
  SetLastError(ERROR_SUCCESS);
  const int length = GetWindowTextLengthW(window);
  if (length == 0) {
    if (GetLastError() != ERROR_SUCCESS) ThrowLastError("GetWindowTextLength");
    return {};
  }
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  if (copied == 0 && GetLastError() != ERROR_SUCCESS) ThrowLastError("GetWindowText");
  text.resize(static_cast<std::size_t>(copied));
  return FromWide(text);
}

}  // namespace

Win32Services::Win32Services(HINSTANCE instance) : instance_(instance) {}

Win32Services::~Win32Services() {
  std::vector<HWND> windows;
  for (const auto& [definition, form] : forms_) windows.push_back(form->window);
  for (HWND window : windows) DestroyWindow(window);
}

// Forms ----------------------------------------------------------------------

void Win32Services::DoLoadForm(const FormDefinition& definition) {
  static const bool registered = (RegisterFormClasses(instance_), true);
  (void)registered;

  auto owned = std::make_unique<LiveForm>();
  LiveForm& form = *owned;
  form.definition = &definition;
  form.services = this;
  form.controls.resize(definition.controls.size());
  form.fontRequest = definition.font != nullptr ? RequestOf(*definition.font) : DefaultFontRequest();
  form.background = ColourBrush(definition.background, form.ownedBackground);
  if (form.background == nullptr) form.background = GetSysColorBrush(COLOR_BTNFACE);
  if (form.background == nullptr) ThrowFailure("GetSysColorBrush", "no brush for the dialog colour");
  try {
    CreateMenus(form);
  } catch (...) {
    if (form.menuBar != nullptr) DestroyMenu(form.menuBar);
    throw;
  }

  forms_.emplace(&definition, std::move(owned));
  HWND window = CreateWindowExW(kFormExStyle, FormClassName(definition.showsProgramIcon),
                                ToWide(definition.title).c_str(), kFormStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, form.menuBar, instance_, &form);
  if (window == nullptr) {
    const DWORD error = GetLastError();
    if (form.menuBar != nullptr) DestroyMenu(form.menuBar);
    forms_.erase(&definition);
    ThrowSystemError("CreateWindowEx", error);
  }
  try {
    form.dpi = WindowDpi(window);
    PlaceForm(form);
    // Placed on a monitor of another DPI: size it for that one.
    if (const UINT dpi = WindowDpi(window); dpi != form.dpi) {
      form.dpi = dpi;
      PlaceForm(form);
    }
    form.font = CreateFontAt(form.fontRequest, form.dpi);
    CreateControls(form);
  } catch (...) {
    DestroyWindow(window);  // WM_NCDESTROY forgets the form
    throw;
  }
}

void Win32Services::CreateMenus(LiveForm& form) {
  const auto& controls = form.definition->controls;
  bool hasMenuBar = false;
  for (const ControlDefinition& control : controls) {
    if (control.kind != ControlKind::MenuItem) continue;
    if (control.parentMenu < 0) {
      hasMenuBar = true;
      continue;
    }
    LiveControl& parent = form.controls.at(static_cast<std::size_t>(control.parentMenu));
    if (parent.popup == nullptr) {
      parent.popup = CreatePopupMenu();
      if (parent.popup == nullptr) ThrowLastError("CreatePopupMenu");
    }
  }
  if (!hasMenuBar) return;
  form.menuBar = CreateMenu();
  if (form.menuBar == nullptr) ThrowLastError("CreateMenu");

  for (std::size_t index = 0; index < controls.size(); ++index) {
    const ControlDefinition& definition = controls[index];
    if (definition.kind != ControlKind::MenuItem) continue;
    LiveControl& item = form.controls[index];
    item.menu =
        definition.parentMenu < 0 ? form.menuBar : form.controls[static_cast<std::size_t>(definition.parentMenu)].popup;
    const int position = GetMenuItemCount(item.menu);
    if (position < 0) ThrowLastError("GetMenuItemCount");
    item.menuPosition = static_cast<UINT>(position);
    UINT flags = MF_STRING | (definition.checked ? MF_CHECKED : MF_UNCHECKED);
    auto id = static_cast<UINT_PTR>(kFirstMenuItemId) + index;
    if (item.popup != nullptr) {
      flags |= MF_POPUP;
      id = reinterpret_cast<UINT_PTR>(item.popup);
    }
    if (!AppendMenuW(item.menu, flags, id, ToWide(definition.content).c_str())) ThrowLastError("AppendMenu");
  }
}

// The outer rectangle around the client area of the form's table.
void Win32Services::PlaceForm(LiveForm& form) {
  const FormDefinition& definition = *form.definition;
  const auto dpi = static_cast<float>(form.dpi);
  RECT client{0, 0, TwipsToPixelSize(definition.clientSize.width, dpi),
              TwipsToPixelSize(definition.clientSize.height, dpi)};
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (definition.clientPosition) {
    OffsetRect(&client, TwipsToPixels(definition.clientPosition->left, dpi),
               TwipsToPixels(definition.clientPosition->top, dpi));
  } else {
    flags |= SWP_NOMOVE;
  }
  const RECT outer = OuterRectForClient(client, kFormStyle, kFormExStyle, form.menuBar != nullptr, form.dpi);
  if (!SetWindowPos(form.window, nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                    flags)) {
    ThrowLastError("SetWindowPos");
  }
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
  control.background = ColourBrush(definition.background, control.ownedBackground);
  control.window = CreateWindowExW(
      exStyle, className, ToWide(definition.content).c_str(), style, control.pixels.left, control.pixels.top,
      control.pixels.width, control.pixels.height, form.window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId) + static_cast<INT_PTR>(index)), instance_, nullptr);
  if (control.window == nullptr) ThrowLastError("CreateWindowEx");
  // Lift the 32767-character default: the program shows up to 50000.
  if (definition.kind == ControlKind::TextBox) SendMessageW(control.window, EM_SETLIMITTEXT, 0, 0);
  if (definition.font != nullptr) {
    control.hasFont = true;
    control.fontRequest = RequestOf(*definition.font);
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

void Win32Services::DoShowForm(const FormDefinition& definition) {
  LiveForm& form = Live(definition);
  ShowWindow(form.window, SW_SHOW);  // returns the previous visibility, not a status
  // A request the system may refuse (another program has the foreground).
  SetForegroundWindow(form.window);
  if (form.timersStarted) return;
  for (std::size_t index = 0; index < form.controls.size(); ++index) {
    const ControlDefinition& control = form.Definition(index);
    if (control.kind != ControlKind::Timer || control.timerIntervalMs <= 0) continue;
    // Windows delivers timers on its 15.6 ms clock tick, however short the
    // interval asked for; asking for that much keeps Wine, which would tick
    // every 10 ms, to the same pace.
    constexpr int kClockTickMs = 15;
    if (SetTimer(form.window, static_cast<UINT_PTR>(kFirstControlId) + index,
                 static_cast<UINT>(std::max(control.timerIntervalMs, kClockTickMs)), nullptr) == 0) {
      ThrowLastError("SetTimer");
    }
  }
  form.timersStarted = true;
}

void Win32Services::DoUnloadForm(const FormDefinition& definition) {
  if (!DestroyWindow(Live(definition).window)) ThrowLastError("DestroyWindow");
}

void Win32Services::FormDestroyed(const LiveForm& form) {
  forms_.erase(form.definition);
  // The window may have gone in a sent message, which does not return from
  // GetMessage: wake the loop so that it sees no window is left. (Not
  // WM_QUIT: a failure report may still have to show its message box.)
  // Called from the window procedure: a failure is reported, not thrown.
  if (forms_.empty()) {
    RunGuarded(*this, [] {
      if (!PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0)) ThrowLastError("PostThreadMessage");
    });
  }
}

float Win32Services::DoGetFormMetric(const FormDefinition& definition, Metric metric) const {
  const LiveForm& form = Live(definition);
  const RECT rect = WindowRectOf(form.window);
  int pixels = 0;
  switch (metric) {
    case Metric::Left:
      pixels = rect.left;
      break;
    case Metric::Top:
      pixels = rect.top;
      break;
    case Metric::Width:
      pixels = rect.right - rect.left;
      break;
    case Metric::Height:
      pixels = rect.bottom - rect.top;
      break;
  }
  return PixelsToTwips(pixels, static_cast<float>(form.dpi));
}

void Win32Services::DoSetFormMetric(const FormDefinition& definition, Edge edge, float twips) {
  const LiveForm& form = Live(definition);
  RECT rect = WindowRectOf(form.window);
  (edge == Edge::Left ? rect.left : rect.top) = TwipsToPixels(twips, static_cast<float>(form.dpi));
  if (!SetWindowPos(form.window, nullptr, rect.left, rect.top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE)) {
    ThrowLastError("SetWindowPos");
  }
}

// Controls -------------------------------------------------------------------

void Win32Services::DoSetCaption(ControlRef control, std::u16string_view caption) {
  LiveControl& live = Live(control);
  if (control.Definition().kind != ControlKind::MenuItem) {
    SetWindowTextOrThrow(live.window, caption);
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

// Message boxes and program life --------------------------------------------

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
  ending_ = true;  // no more events: a timer must not raise the same failure again
  if (MessageBoxW(nullptr, ToWide(message).c_str(), ToWide(kApplicationTitle).c_str(),
                  MB_OK | MB_ICONERROR | MB_TASKMODAL) == 0) {
    ThrowLastError("MessageBox");
  }
}

// Best effort throughout: the program is ending whether or not a window
// refuses to go.
void Win32Services::DoEndProgram(int exitStatus) {
  ending_ = true;
  exitStatus_ = exitStatus;
  std::vector<HWND> windows;
  for (const auto& [definition, form] : forms_) windows.push_back(form->window);
  for (HWND window : windows) DestroyWindow(window);
  PostQuitMessage(exitStatus);
}

void Win32Services::Dispatch(const LiveForm& form, int control, EventKind event) {
  if (ending_) return;
  DispatchEvent(*this, *form.definition, control, event);
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
