#include "mainwindow/layout.h"

#include "mainwindow/form1.h"
#include "platform/window_services.h"

namespace vornic {

MainLayout ComputeMainLayout(float outerWidth, float outerHeight) {
  // Evaluated in double and stored once as float: one rounding per value.
  const double w = outerWidth;
  const double h = outerHeight;
  MainLayout layout;
  if (h > 800) layout.text1Height = static_cast<float>(h - 500 - 300);
  if (w > 100) {
    layout.widths = MainLayout::Widths{
        .text1Width = static_cast<float>(w - 100),
        .label1Width = static_cast<float>(w - 100),
        .command1Width = static_cast<float>(w / 2 - 60),
        .command2Width = static_cast<float>(w / 4 - 50),
        .command2Left = static_cast<float>(w / 2 - 60),
        .command3Width = static_cast<float>(w / 4),
        .command3Left = static_cast<float>((w / 2 - 60) + w / 4 - 60),
    };
  }
  return layout;
}

void LayoutMainWindow(WindowServices& services) {
  // Two statements: argument order is unspecified, the reads' order is not.
  const float outerWidth = services.GetFormMetric(Form1::Window, Metric::Width);
  const float outerHeight = services.GetFormMetric(Form1::Window, Metric::Height);
  const MainLayout layout = ComputeMainLayout(outerWidth, outerHeight);
  services.SetLeft(Form1::Text1, layout.text1Left);
  services.SetTop(Form1::Text1, layout.text1Top);
  services.SetLeft(Form1::Label1, layout.label1Left);
  services.SetTop(Form1::Label1, layout.label1Top);
  if (layout.text1Height) services.SetHeight(Form1::Text1, *layout.text1Height);
  if (!layout.widths) return;
  const MainLayout::Widths& widths = *layout.widths;
  services.SetWidth(Form1::Text1, widths.text1Width);
  services.SetWidth(Form1::Label1, widths.label1Width);
  services.SetWidth(Form1::Command1, widths.command1Width);
  services.SetWidth(Form1::Command2, widths.command2Width);
  services.SetLeft(Form1::Command2, widths.command2Left);
  services.SetWidth(Form1::Command3, widths.command3Width);
  services.SetLeft(Form1::Command3, widths.command3Left);
}

}  // namespace vornic
