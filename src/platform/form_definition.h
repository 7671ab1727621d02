// Windows described as constant data. A backend turns a FormDefinition into a
// live window; it knows nothing of Vornic beyond these tables.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vornic {

class WindowServices;
struct FormDefinition;

struct TwipsPoint {
  float left = 0;
  float top = 0;
};

struct TwipsSize {
  float width = 0;
  float height = 0;
};

struct TwipsRect {
  float left = 0;
  float top = 0;
  float width = 0;
  float height = 0;
};

enum class Charset : std::uint8_t { Ansi, ShiftJis, Default };

// A control with no font of its own takes the window system's default family
// at this size, the one its box was made for; the desktop's size would not fit.
inline constexpr float kDefaultFontPoints = 9;

struct FontDefinition {
  std::u16string_view family{};
  float points = kDefaultFontPoints;
  bool bold = false;
  Charset charset = Charset::Ansi;
};

struct Colour {
  enum class Kind : std::uint8_t {
    Default,  // whatever the window system gives the control
    Rgb,
    SystemWindow,
    SystemWindowText,
    SystemButtonFace,
  };
  Kind kind = Kind::Default;
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  static constexpr Colour FromRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return {Kind::Rgb, r, g, b}; }
  static constexpr Colour System(Kind kind) { return {kind, 0, 0, 0}; }
  friend constexpr bool operator==(const Colour&, const Colour&) = default;
};

enum class ControlKind : std::uint8_t { PushButton, TextBox, Label, PictureBox, Timer, MenuItem };

enum class EventKind : std::uint8_t { Loaded, Clicked, MenuChosen, TimerTick };

struct ControlDefinition {
  std::string_view name{};
  int element = -1;  // index within a control array; -1 when not part of one
  ControlKind kind = ControlKind::Label;
  TwipsRect geometry{};                  // in twips, relative to the client area under the menu bar
  int tabIndex = -1;                     // -1: takes no place in the tab order
  std::u16string_view content{};         // caption or text as created
  const FontDefinition* font = nullptr;  // nullptr: the window's font
  Colour background{};
  Colour foreground{};
  bool multiLine = false;
  bool horizontalScrollBar = false;
  bool verticalScrollBar = false;
  bool showsProgramIcon = false;  // picture box content
  int timerIntervalMs = 0;
  int parentMenu = -1;  // menu items: index of the owning menu item, -1 for the menu bar
  bool checked = false;
  std::u16string_view accessibleName{};  // for screen readers; empty: the caption, or none
  bool announcesChanges = false;         // labels: screen readers speak each new caption, politely
};

using Handler = void (*)(WindowServices&);

struct EventRoute {
  EventKind event = EventKind::Clicked;
  int control = -1;  // -1: the window itself
  Handler handler = nullptr;
};

struct FormDefinition {
  std::string_view name{};
  std::u16string_view title{};
  std::optional<TwipsPoint> clientPosition{};  // none: the program places it before showing
  TwipsSize clientSize{};
  bool showsProgramIcon = true;
  Colour background{};
  const FontDefinition* font = nullptr;  // nullptr: the window system's default family at kDefaultFontPoints
  std::span<const ControlDefinition> controls{};
  std::span<const EventRoute> routes{};
};

// A control of a form, by its place in the form's table.
struct ControlRef {
  const FormDefinition* form = nullptr;
  int index = -1;

  [[nodiscard]] const ControlDefinition& Definition() const { return form->controls[static_cast<std::size_t>(index)]; }
  friend constexpr bool operator==(const ControlRef&, const ControlRef&) = default;
};

}  // namespace vornic
