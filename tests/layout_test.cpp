#include "mainwindow/layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "about/form2.h"
#include "platform/twips.h"

namespace vornic {
namespace {

TEST(ComputeMainLayout, FixedPlacesOfTextBoxAndLabel) {
  const MainLayout layout = ComputeMainLayout(9570, 5670);
  EXPECT_EQ(layout.text1Left, 0);
  EXPECT_EQ(layout.text1Top, 800);
  EXPECT_EQ(layout.label1Left, 0);
  EXPECT_EQ(layout.label1Top, 400);
}

TEST(ComputeMainLayout, TextBoxHeightOnlyAbove800) {
  EXPECT_FALSE(ComputeMainLayout(6000, 800).text1Height.has_value());
  EXPECT_FALSE(ComputeMainLayout(6000, 0).text1Height.has_value());
  EXPECT_EQ(ComputeMainLayout(6000, 801).text1Height, 1.0F);
  EXPECT_EQ(ComputeMainLayout(6000, 5670).text1Height, 4870.0F);
}

TEST(ComputeMainLayout, WidthsFollowTheWindowWidth) {
  const MainLayout::Widths narrow = ComputeMainLayout(6000, 5000).widths.value();
  EXPECT_EQ(narrow.command1Width, 2940);
  EXPECT_EQ(narrow.command2Width, 1450);
  EXPECT_EQ(narrow.command2Left, 2940);
  EXPECT_EQ(narrow.command3Width, 1500);
  EXPECT_EQ(narrow.command3Left, 4380);
  EXPECT_EQ(narrow.text1Width, 5900);
  EXPECT_EQ(narrow.label1Width, 5900);

  const MainLayout::Widths wide = ComputeMainLayout(12000, 5000).widths.value();
  EXPECT_EQ(wide.command1Width, 5940);
  EXPECT_EQ(wide.command2Width, 2950);
  EXPECT_EQ(wide.command2Left, 5940);
  EXPECT_EQ(wide.command3Width, 3000);
  EXPECT_EQ(wide.command3Left, 8880);
}

TEST(ComputeMainLayout, DivisionsAreRealNotWhole) {
  const MainLayout::Widths widths = ComputeMainLayout(6001, 5000).widths.value();
  EXPECT_FLOAT_EQ(widths.command1Width, 2940.5F);
  EXPECT_FLOAT_EQ(widths.command2Width, 1450.25F);
  EXPECT_FLOAT_EQ(widths.command3Left, 4380.75F);
}

TEST(ComputeMainLayout, ButtonsMeetAndOverlapAsDrawn) {
  for (const float w : {3000.0F, 9570.0F, 20001.0F}) {
    const MainLayout::Widths b = ComputeMainLayout(w, 5000).widths.value();
    EXPECT_FLOAT_EQ(b.command1Width, b.command2Left) << w;  // Command1 ends where Command2 starts
    EXPECT_FLOAT_EQ(b.command2Left + b.command2Width - b.command3Left, 10) << w;
    EXPECT_FLOAT_EQ(b.command3Left + b.command3Width, w - 120) << w;
  }
}

TEST(ComputeMainLayout, NoWidthsAtOrBelow100AndNoFaultOnOddSizes) {
  EXPECT_FALSE(ComputeMainLayout(100, 5000).widths.has_value());
  EXPECT_TRUE(ComputeMainLayout(100.5F, 5000).widths.has_value());
  // Negative widths between 100 and 200 are computed, not trapped.
  EXPECT_LT(ComputeMainLayout(150, 5000).widths->command2Width, 0);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const MainLayout odd = ComputeMainLayout(nan, std::numeric_limits<float>::infinity());
  EXPECT_FALSE(odd.widths.has_value());
  EXPECT_TRUE(odd.text1Height.has_value());
}

// Form1 at x = 2000 on a 150 % monitor (144 DPI), Form2 new at 96 DPI: the
// offset is 150 of Form1's pixels, and Form2's DPI plays no part. Through
// twips at each window's own DPI, Form2 would land near x = 1433.
TEST(OffsetCorner, TheAboutWindowIsPlacedInTheMainWindowsPixels) {
  const PixelPoint about = OffsetCorner({2000, 600}, kAboutWindowOffset, kAboutWindowOffset, 144);
  EXPECT_EQ(about.x, 2150);
  EXPECT_EQ(about.y, 750);
  // A monitor left of the primary one has negative positions.
  const PixelPoint left = OffsetCorner({-1900, 0}, kAboutWindowOffset, kAboutWindowOffset, 96);
  EXPECT_EQ(left.x, -1800);
  EXPECT_EQ(left.y, 100);
}

}  // namespace
}  // namespace vornic
