// Forms: the top-level window, its menus, its place, its timers.
#include "platform/event_dispatch.h"
#include "platform/twips.h"
#include "platform/win32/win32_services.h"

namespace vornic::win32 {

namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

constexpr DWORD kFormExStyle = 0;

// The system's message font family at the size a control's box is made for:
// what a control gets when nobody chose one.
FontRequest DefaultFontRequest() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
    ThrowLastError("SystemParametersInfo");
  }
  const LOGFONTW& font = metrics.lfMessageFont;
  return {FromWide(font.lfFaceName), kDefaultFontPoints, font.lfWeight >= FW_BOLD, font.lfCharSet};
}

bool HighContrastOn() {
  HIGHCONTRASTW highContrast{};
  highContrast.cbSize = sizeof highContrast;
  if (!SystemParametersInfoW(SPI_GETHIGHCONTRAST, highContrast.cbSize, &highContrast, 0)) {
    ThrowLastError("SystemParametersInfo");
  }
  return (highContrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

RECT WindowRectOf(HWND window) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) ThrowLastError("GetWindowRect");
  return rect;
}

}  // namespace

void ApplyColours(LiveForm& form) {
  const bool highContrast = HighContrastOn();
  form.background =
      ColourBrush(ColoursToPaint(form.definition->background, Colour{}, highContrast).background, form.ownedBackground);
  if (form.background == nullptr) form.background = GetSysColorBrush(COLOR_BTNFACE);
  if (form.background == nullptr) ThrowFailure("GetSysColorBrush", "no brush for the dialog colour");
  for (std::size_t index = 0; index < form.controls.size(); ++index) {
    const ControlDefinition& definition = form.Definition(index);
    LiveControl& control = form.controls[index];
    control.colours = ColoursToPaint(definition.background, definition.foreground, highContrast);
    control.background = ColourBrush(control.colours.background, control.ownedBackground);
  }
}

void Win32Services::DoLoadForm(const FormDefinition& definition) {
  static const bool registered = (RegisterFormClasses(instance_), true);
  (void)registered;

  auto owned = std::make_unique<LiveForm>();
  LiveForm& form = *owned;
  form.definition = &definition;
  form.services = this;
  form.controls.resize(definition.controls.size());
  form.fontRequest = definition.font != nullptr ? FontRequestOf(*definition.font) : DefaultFontRequest();
  ApplyColours(form);
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

// One move, in `from`'s pixels: after a first of two moves the window may
// stand on a monitor of another DPI, which would then scale the second. If
// this move takes it onto such a monitor, WM_DPICHANGED sizes it for there.
void Win32Services::DoPlaceFormAtOffset(const FormDefinition& definition, const FormDefinition& fromDefinition,
                                        TwipsPoint offset) {
  const LiveForm& from = Live(fromDefinition);
  const RECT corner = WindowRectOf(from.window);
  const PixelPoint placed =
      OffsetCorner({corner.left, corner.top}, offset.left, offset.top, static_cast<float>(from.dpi));
  if (!SetWindowPos(Live(definition).window, nullptr, placed.x, placed.y, 0, 0,
                    SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE)) {
    ThrowLastError("SetWindowPos");
  }
}

}  // namespace vornic::win32
