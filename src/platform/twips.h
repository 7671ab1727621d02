// Twips <-> pixels. 1440 twips to the inch; 15 twips a pixel at 96 DPI.
#pragma once

#include <cmath>

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

}  // namespace vornic
