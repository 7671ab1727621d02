// What every fuzz target shares: a failed property is a crash, so libFuzzer
// keeps the input and the run fails.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace vornic {

inline void Require(bool holds, const char* property) {
  if (!holds) {
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
  }
}

}  // namespace vornic
