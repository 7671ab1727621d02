#include "qt_services.h"

#include <QApplication>
#include <QByteArray>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QtGlobal>

#include "platform/event_dispatch.h"
#include "platform/platform_services.h"
#include "qt_form.h"
#include "qt_widgets.h"

namespace vornic::qt {

namespace {

QIcon LoadProgramIcon() {
  QIcon icon;
  for (const char* file :
       {":/icons/vornic-16.png", ":/icons/vornic-32.png", ":/icons/vornic-48.png", ":/icons/vornic-256.png"}) {
    icon.addFile(QString::fromLatin1(file));
  }
  return icon;
}

// Screen readers name a box by its title. Qt gives a box with no name of its
// own its message instead whenever the window counts as minimised, as it may
// until the window manager has shown it.
void NameAfterTitle(QMessageBox& box) { box.setAccessibleName(box.windowTitle()); }

}  // namespace

QtWindowServices::QtWindowServices(int& argc, char** argv) : application_(std::make_unique<QApplication>(argc, argv)) {
  // Forms end the program themselves (RunEventLoop); message boxes never do.
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setApplicationName(ToQString(kApplicationTitle));
  // The desktop entry's id (packaging/linux): Wayland's app_id, by which docks
  // tie the window to its launcher. On X11 they go by WM_CLASS, whose class is
  // the application name: the entry's StartupWMClass.
  QApplication::setDesktopFileName(QStringLiteral("org.vornic.Vornic"));
  programIcon_ = LoadProgramIcon();
  QApplication::setWindowIcon(programIcon_);
}

QtWindowServices::~QtWindowServices() {
  for (const auto& [definition, window] : forms_) delete window;
  forms_.clear();
  // Forms unloaded while the loop ran are waiting for deleteLater.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

FormWindow* QtWindowServices::WindowOf(const FormDefinition& form) const {
  const auto found = forms_.find(&form);
  return found == forms_.end() ? nullptr : found->second;
}

void QtWindowServices::DoShowMessage(std::u16string_view text) {
  QMessageBox box(QMessageBox::NoIcon, ToQString(kApplicationTitle), WithDisplayLineBreaks(text), QMessageBox::Ok);
  NameAfterTitle(box);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void QtWindowServices::StopAllTimers() {
  for (const auto& [definition, window] : forms_) window->StopTimers();
}

void QtWindowServices::DoReportFatalError(std::u16string_view message) {
  // A timer whose handler keeps failing must not stack up error boxes.
  StopAllTimers();
  QMessageBox box(QMessageBox::Critical, ToQString(kApplicationTitle), WithDisplayLineBreaks(message), QMessageBox::Ok);
  NameAfterTitle(box);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void QtWindowServices::DoEndProgram(int exitStatus) {
  exitStatus_ = exitStatus;
  StopAllTimers();
  for (const auto& [definition, window] : forms_) window->hide();
  QCoreApplication::exit(exitStatus);
}

int QtWindowServices::DoRunEventLoop() {
  int status = 0;
  if (!Ending() && !forms_.empty()) {
    loopRunning_ = true;
    status = QApplication::exec();
    loopRunning_ = false;
  }
  if (Ending()) status = exitStatus_;
  exitStatus_ = 0;  // the seam starts a later loop afresh
  return status;
}

}  // namespace vornic::qt

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
