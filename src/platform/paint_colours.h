// The colours a window or control is painted with, from those its table
// gives: readable whatever the desktop's theme.
#pragma once

#include "platform/form_definition.h"

namespace vornic {

struct PaintColours {
  Colour background;
  Colour foreground;
  friend constexpr bool operator==(const PaintColours&, const PaintColours&) = default;
};

// The least contrast that keeps text readable (WCAG 2, normal text).
inline constexpr double kLeastTextContrast = 4.5;

// WCAG 2 contrast of two fixed colours: from 1 (none) to 21 (black on white).
double ContrastRatio(const Colour& first, const Colour& second);

// A fixed background keeps a fixed text colour readable on it: the table's
// own if it contrasts enough, else black or white, whichever contrasts more.
// (A theme's text colour is made for the theme's backgrounds, not for ours.)
// In high-contrast mode the system's window colours replace every fixed one,
// as Windows asks of every program. Other colours are left to the system.
PaintColours ColoursToPaint(const Colour& background, const Colour& foreground, bool highContrast);

}  // namespace vornic
