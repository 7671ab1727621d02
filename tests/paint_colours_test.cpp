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
      // Black on the about window's colours, as light themes show it.
      Row{kLilac, kDefault, false, {kLilac, kBlack}},
      Row{kViolet, kWindowText, false, {kViolet, kBlack}},  // a theme's text colour is not trusted on it
      Row{kNavy, kDefault, false, {kNavy, kWhite}},
      Row{kNavy, kWhite, false, {kNavy, kWhite}},    // the table's own colour, readable: kept
      Row{kLilac, kWhite, false, {kLilac, kBlack}},  // 1.7:1: replaced
      Row{kWindow, kWindowText, false, {kWindow, kWindowText}},
      Row{kDefault, kNavy, false, {kDefault, kNavy}},
      // High contrast: no fixed colour is left.
      Row{kLilac, kDefault, true, {kWindow, kWindowText}},
      Row{kNavy, kWhite, true, {kWindow, kWindowText}},
      Row{kDefault, kNavy, true, {kDefault, kWindowText}},
      Row{kDefault, kDefault, true, {kDefault, kDefault}},
  };
  for (const Row& row : kRows) {
    EXPECT_EQ(ColoursToPaint(row.background, row.foreground, row.highContrast), row.painted)
        << "row " << (&row - kRows.data());
  }
  // Every fixed background, not only ours, gets text of at least 4.5:1.
  for (int step = 0; step < 16 * 16 * 16; ++step) {
    const auto channel = [&](int shift) { return static_cast<std::uint8_t>((step >> shift & 15) * 17); };
    const PaintColours painted = ColoursToPaint(Colour::FromRgb(channel(0), channel(4), channel(8)), kDefault, false);
    EXPECT_GE(ContrastRatio(painted.background, painted.foreground), kLeastTextContrast) << step;
  }
  // The WCAG figures, e.g. a dark theme's white text on the about window.
  EXPECT_DOUBLE_EQ(ContrastRatio(kWhite, kBlack), 21.0);
  EXPECT_NEAR(ContrastRatio(kLilac, kWhite), 1.72, 0.01);
  EXPECT_NEAR(ContrastRatio(kViolet, kWhite), 3.26, 0.01);
}

}  // namespace
}  // namespace vornic
