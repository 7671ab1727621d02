// A form as it lives on screen: its window, menus, fonts, brushes and the
// native handles of its controls, in the order of the form's table.
#pragma once

#include <string>
#include <vector>

#include "platform/form_definition.h"
#include "platform/paint_colours.h"
#include "platform/win32/win32_api.h"

namespace vornic::win32 {

class Win32Services;

// Child-window and menu-item identifiers: a fixed base plus the control's
// place in the form's table.
inline constexpr int kFirstControlId = 100;
inline constexpr int kFirstMenuItemId = 1000;

// The program icon's size at 96 DPI.
inline constexpr int kProgramIconPixels = 32;

struct FontRequest {
  std::u16string family;
  float points = 9;
  bool bold = false;
  BYTE charset = DEFAULT_CHARSET;
};

struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct LiveControl {
  HWND window = nullptr;  // none for timers and menu items
  HMENU menu = nullptr;   // menu items: the menu holding the item
  UINT menuPosition = 0;  // menu items: its place in that menu
  HMENU popup = nullptr;  // menu items that open a drop-down menu
  bool hasFont = false;   // own font; otherwise the form's
  FontRequest fontRequest;
  OwnedFont font;
  TwipsRect twips;              // geometry as last written
  PixelRect pixels;             // geometry the window has now
  PaintColours colours;         // what the table asks for, made readable in the current theme
  HBRUSH background = nullptr;  // null: the window system's colour
  OwnedBrush ownedBackground;
};

struct LiveForm {
  const FormDefinition* definition = nullptr;
  Win32Services* services = nullptr;
  HWND window = nullptr;
  HMENU menuBar = nullptr;
  UINT dpi = USER_DEFAULT_SCREEN_DPI;
  FontRequest fontRequest;  // the form's font, used by controls without their own
  OwnedFont font;
  HBRUSH background = nullptr;
  OwnedBrush ownedBackground;
  OwnedIcon pictureIcon;  // the program icon at this DPI, for picture boxes
  bool timersStarted = false;
  HWND lastFocus = nullptr;
  std::vector<LiveControl> controls;

  [[nodiscard]] const ControlDefinition& Definition(std::size_t index) const { return definition->controls[index]; }
};

// A font of the forms' tables as Win32 asks for it (win32_controls.cpp).
FontRequest FontRequestOf(const FontDefinition& font);

// The form window's class and procedure (win32_window_procedure.cpp).
void RegisterFormClasses(HINSTANCE instance);
const wchar_t* FormClassName(bool showsProgramIcon);

// Fonts, colours and the icon at a given DPI (win32_window_procedure.cpp).
OwnedFont CreateFontAt(const FontRequest& request, UINT dpi);
COLORREF ColourValue(const Colour& colour);
HBRUSH ColourBrush(const Colour& colour, OwnedBrush& owner);
OwnedIcon LoadProgramIcon(HINSTANCE instance, UINT dpi);

// The colours and brushes of the form and its controls for the system's
// colours and high-contrast mode as they are now (win32_form.cpp).
void ApplyColours(LiveForm& form);

// Screen readers (win32_accessibility.cpp): the tables' accessible names and
// live regions on the controls' windows, made once the controls exist and
// cleared while they still do; and the event that has a live region's new
// caption spoken.
void AnnotateControls(const LiveForm& form);
void ClearAnnotations(const LiveForm& form);
void AnnounceChange(HWND label);

}  // namespace vornic::win32
