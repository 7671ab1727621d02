// What a control shows, read from its pixels: its background is the commonest
// colour, its text the one that contrasts most with that.
#pragma once

#include <map>
#include <tuple>
#include <vector>

#include "platform/paint_colours.h"

namespace vornic::testing {

struct Painted {
  Colour background;
  Colour text;
};

inline Painted PaintedColours(const std::vector<Colour>& pixels) {
  std::map<int, std::pair<int, Colour>> counts;
  for (const Colour& pixel : pixels) {
    auto& entry = counts[pixel.red << 16 | pixel.green << 8 | pixel.blue];
    entry = {entry.first + 1, pixel};
  }
  Painted painted{};
  int most = 0;
  for (const auto& [key, entry] : counts) {
    if (entry.first > most) std::tie(most, painted.background) = entry;
  }
  painted.text = painted.background;
  for (const auto& [key, entry] : counts) {
    if (ContrastRatio(entry.second, painted.background) > ContrastRatio(painted.text, painted.background)) {
      painted.text = entry.second;
    }
  }
  return painted;
}

}  // namespace vornic::testing
