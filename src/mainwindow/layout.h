// The main window's layout, re-applied on every tick of Timer1.
#pragma once

#include <optional>

namespace vornic {

class WindowServices;

struct MainLayout {
  struct Widths {
    float text1Width;
    float label1Width;
    float command1Width;
    float command2Width;
    float command2Left;
    float command3Width;
    float command3Left;
  };
  float text1Left = 0;
  float text1Top = 800;
  float label1Left = 0;
  float label1Top = 400;
  std::optional<float> text1Height;  // only when the window is taller than 800
  std::optional<Widths> widths;      // only when the window is wider than 100
};

// outerWidth, outerHeight: the window's outer size in twips.
MainLayout ComputeMainLayout(float outerWidth, float outerHeight);

void LayoutMainWindow(WindowServices& services);

}  // namespace vornic
