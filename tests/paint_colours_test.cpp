#include "platform/paint_colours.h"

#include <gtest/gtest.h>

#include <array>

namespace vornic {
namespace {

constexpr Colour kDefault{};
constexpr Colour kWindow = Colour::System(Colour::Kind::SystemWindow);
constexpr Colour kWindowText = Colour::System(Colour::Kind::SystemWindowText);
constexpr Colour kBlack = Colour::FromRgb(0, 0, 0);
constexpr Colour kWhite = Colour::FromRgb(255, 255, 255);
constexpr Colour kLilac = Colour::FromRgb(192, 192, 255);   // the about window's lines
constexpr Colour kViolet = Colour::FromRgb(128, 128, 255);  // the about window itself
constexpr Colour kNavy = Colour::FromRgb(0, 0, 128);

TEST(ColoursToPaint, FixedBackgroundsGetReadableTextAndHighContrastTheSystemsColours) {
  struct Row {
    Colour background, foreground;
    bool highContrast;
    PaintColours painted;
  };
  constexpr std::array kRows{
      // What a light theme shows today: black on the lilac and violet labels.
      Row{kLilac, kDefault, false, {kLilac, kBlack}},
      Row{kViolet, kDefault, false, {kViolet, kBlack}},
      Row{kViolet, kWindowText, false, {kViolet, kBlack}},  // a theme's text colour is not trusted on it
      Row{kNavy, kDefault, false, {kNavy, kWhite}},
      Row{kNavy, kWhite, false, {kNavy, kWhite}},    // the table's own colour, readable: kept
      Row{kLilac, kWhite, false, {kLilac, kBlack}},  // 1.7:1: replaced
      // The system's pair, and the system's own choice, follow the theme.
      Row{kWindow, kWindowText, false, {kWindow, kWindowText}},
      Row{kDefault, kDefault, false, {kDefault, kDefault}},
      Row{kDefault, kNavy, false, {kDefault, kNavy}},
      // High contrast: no fixed colour is left.
      Row{kLilac, kDefault, true, {kWindow, kWindowText}},
      Row{kNavy, kWhite, true, {kWindow, kWindowText}},
      Row{kViolet, kWindowText, true, {kWindow, kWindowText}},
      Row{kDefault, kNavy, true, {kDefault, kWindowText}},
      Row{kWindow, kWindowText, true, {kWindow, kWindowText}},
      Row{kDefault, kDefault, true, {kDefault, kDefault}},
  };
  for (const Row& row : kRows) {
    const PaintColours painted = ColoursToPaint(row.background, row.foreground, row.highContrast);
    EXPECT_EQ(painted, row.painted) << "row " << (&row - kRows.data());
  }

  // Every fixed background, not only ours, gets text of at least 4.5:1.
  for (int red = 0; red <= 255; red += 15) {
    for (int green = 0; green <= 255; green += 15) {
      for (int blue = 0; blue <= 255; blue += 15) {
        const Colour background = Colour::FromRgb(static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                                                  static_cast<std::uint8_t>(blue));
        const PaintColours painted = ColoursToPaint(background, kDefault, false);
        EXPECT_GE(ContrastRatio(painted.background, painted.foreground), kLeastTextContrast)
            << red << "," << green << "," << blue;
      }
    }
  }
}

TEST(ContrastRatio, WcagFiguresBothWaysRound) {
  EXPECT_DOUBLE_EQ(ContrastRatio(kBlack, kWhite), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio(kWhite, kBlack), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio(kLilac, kLilac), 1.0);
  // A dark theme's white text on the about window: what made it unreadable.
  EXPECT_NEAR(ContrastRatio(kWhite, kLilac), 1.72, 0.01);
  EXPECT_NEAR(ContrastRatio(kWhite, kViolet), 3.25, 0.01);
  EXPECT_NEAR(ContrastRatio(kBlack, kViolet), 6.45, 0.01);
}

}  // namespace
}  // namespace vornic
