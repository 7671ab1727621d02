#include "platform/paint_colours.h"

#include <algorithm>
#include <cmath>

namespace vornic {

namespace {

constexpr Colour kBlack = Colour::FromRgb(0, 0, 0);
constexpr Colour kWhite = Colour::FromRgb(255, 255, 255);

double Linear(std::uint8_t channel) {
  const double value = static_cast<double>(channel) / 255.0;
  return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(const Colour& colour) {
  return 0.2126 * Linear(colour.red) + 0.7152 * Linear(colour.green) + 0.0722 * Linear(colour.blue);
}

}  // namespace

double ContrastRatio(const Colour& first, const Colour& second) {
  const double a = RelativeLuminance(first);
  const double b = RelativeLuminance(second);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

PaintColours ColoursToPaint(const Colour& background, const Colour& foreground, bool highContrast) {
  const bool fixedBackground = background.kind == Colour::Kind::Rgb;
  if (highContrast) {
    PaintColours system{background, foreground};
    if (fixedBackground)
      system = {Colour::System(Colour::Kind::SystemWindow), Colour::System(Colour::Kind::SystemWindowText)};
    if (foreground.kind == Colour::Kind::Rgb) system.foreground = Colour::System(Colour::Kind::SystemWindowText);
    return system;
  }
  if (!fixedBackground) return {background, foreground};
  if (foreground.kind == Colour::Kind::Rgb && ContrastRatio(background, foreground) >= kLeastTextContrast) {
    return {background, foreground};
  }
  return {background, ContrastRatio(background, kBlack) >= ContrastRatio(background, kWhite) ? kBlack : kWhite};
}

}  // namespace vornic
