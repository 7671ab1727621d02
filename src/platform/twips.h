// Twips <-> pixels. 1440 twips to the inch; 15 twips a pixel at 96 DPI.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace vornic {

inline constexpr float kTwipsPerInch = 1440.0F;

// Rounds to the nearest pixel; NaN and infinities become 0 so that no layout
// value can fault a backend.
inline int TwipsToPixels(float twips, float dotsPerInch) {
  const float pixels = twips * dotsPerInch / kTwipsPerInch;
  if (!std::isfinite(pixels)) return 0;
  constexpr float kLimit = 1.0e7F;
  return static_cast<int>(std::lround(std::fmax(-kLimit, std::fmin(kLimit, pixels))));
}

// Sizes are never negative on screen.
inline int TwipsToPixelSize(float twips, float dotsPerInch) {
  const int pixels = TwipsToPixels(twips, dotsPerInch);
  return pixels < 0 ? 0 : pixels;
}

inline float PixelsToTwips(int pixels, float dotsPerInch) {
  return static_cast<float>(pixels) * kTwipsPerInch / dotsPerInch;
}

// A point on the screen in the window system's pixels.
struct PixelPoint {
  int x = 0;
  int y = 0;
};

// Where a window's corner goes when it is placed at an offset from another
// window's corner. The offset is measured at the other window's DPI and added
// in pixels: going through twips at each window's own DPI would scale the
// other window's screen position too, and two monitors of different DPI
// would send the window far from the corner.
inline PixelPoint OffsetCorner(PixelPoint corner, float offsetLeft, float offsetTop, float dotsPerInch) {
  const auto add = [](int from, int by) {
    const std::int64_t sum = std::int64_t{from} + by;
    return static_cast<int>(
        std::clamp<std::int64_t>(sum, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
  };
  return {add(corner.x, TwipsToPixels(offsetLeft, dotsPerInch)), add(corner.y, TwipsToPixels(offsetTop, dotsPerInch))};
}

}  // namespace vornic
