// The program's window system on Linux: Qt 6 Widgets.
#include <QByteArray>
#include <QtGlobal>

#include "platform/platform_services.h"
#include "qt_services.h"

namespace vornic {

namespace {

// Wayland lets no client place its windows, and the about window opens at an
// offset from the main window: prefer X11 (XWayland) where it is there.
void PreferX11() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY") &&
      !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
  }
}

}  // namespace

std::unique_ptr<WindowServices> CreatePlatformServices(int argc, char** argv) {
  PreferX11();
  // Vornic takes no command line: Qt gets the program's name only, so that
  // its own options (-reverse, -qwindowtitle, -stylesheet FILE) do nothing.
  // QApplication keeps references to both for its whole life.
  static char fallbackName[] = "vornic";
  static char* programName[] = {argc > 0 && argv[0] != nullptr ? argv[0] : fallbackName, nullptr};
  static int applicationArgc = 1;
  return std::make_unique<qt::QtWindowServices>(applicationArgc, programName);
}

}  // namespace vornic
