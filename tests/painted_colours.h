// What a control shows, read from its pixels on the screen: its background is
// the commonest colour, its text the one that contrasts most with that.
#pragma once

#include <map>
#include <vector>

#include "platform/paint_colours.h"

namespace vornic::testing {

struct Painted {
  Colour background;
  Colour text;
};

inline Painted PaintedColours(const std::vector<Colour>& pixels) {
  std::map<int, std::pair<Colour, int>> counts;
  for (const Colour& pixel : pixels) {
    auto& [colour, count] = counts[pixel.red << 16 | pixel.green << 8 | pixel.blue];
    colour = pixel;
    ++count;
  }
  Painted painted{};
  int most = 0;
  for (const auto& [key, entry] : counts) {
    if (entry.second > most) most = entry.second, painted.background = painted.text = entry.first;
  }
  for (const auto& [key, entry] : counts) {
    if (ContrastRatio(entry.first, painted.background) > ContrastRatio(painted.text, painted.background)) {
      painted.text = entry.first;
    }
  }
  return painted;
}

}  // namespace vornic::testing
