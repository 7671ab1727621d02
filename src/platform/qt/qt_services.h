// The Qt backend: the window services on Qt 6 Widgets, Vornic's window
// system on Linux.
//
// Implements: every seam operation and WindowInspection. A form is a
//   QMainWindow (FormWindow) with a menu bar over a client area of absolutely
//   placed widgets; twips become pixels at the screen's logical DPI; on X11
//   the clipboard's owner is asked for its targets and text directly over
//   xcb (Qt's hasText() takes a file list for text), on one connection with
//   one 5 s deadline a click, and no more bytes are read than the limit
//   needs (the rest of a refused incremental transfer is dropped unread from
//   the event loop, for at most 30 s, so that its owner can go on);
//   elsewhere QClipboard's text/plain is read; Clear of clipboard leaves it
//   owned by Vornic with no data on X11 (so that Wayland compositors hand it
//   over too) and on Wayland alike, with one private format that no program
//   pastes (so that clipboard managers leave it alone), and fails with a
//   message where another program's data stays or comes back at once;
//   screen readers reach every control over AT-SPI; colours follow a palette
//   change.
// Does not: bound the read of Qt's own clipboard data (Wayland, or text that
//   Vornic itself owns): Qt reads the whole text and the seam refuses one
//   that is too long; honour a font's Charset (fontconfig picks glyphs per
//   character); know of a high-contrast mode (Qt 6.4 tells of none: such a
//   theme is a palette); give a window a native (global) menu bar; run in a Wayland
//   session when X11 (XWayland) is there (Wayland lets no client place its
//   windows; see CreatePlatformServices); announce an announcesChanges
//   label's new caption when built with Qt before 6.8 (there is no way to;
//   the screen reader reads the caption when it reaches the label).
// Quirks: timers tick no faster than every 16 ms, as Windows delivers them; a
//   form unloaded from its own handler is deleted later, once Qt is back in
//   its event loop; with no window manager a window's frame is its client area
//   and menu bar only; Qt gets no command-line options (Vornic takes none).
//
// Files: qt_services (the class, message boxes, program life), qt_form
//   (FormWindow and the form operations), qt_controls, qt_clipboard (on X11
//   it calls the xcb reader in platform/x11, which holds no Qt), qt_widgets
//   (conversions and the widgets Qt lacks).
#pragma once

#include <QIcon>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/window_services.h"
#include "platform/x11/x11_clipboard.h"

class QApplication;
class QObject;
class QSocketNotifier;

namespace vornic::qt {

class FormWindow;

class QtWindowServices final : public WindowInspection {
 public:
  // Creates the QApplication; argc and argv must outlive this object.
  QtWindowServices(int& argc, char** argv);
  ~QtWindowServices() override;
  QtWindowServices(const QtWindowServices&) = delete;
  QtWindowServices& operator=(const QtWindowServices&) = delete;
  QtWindowServices(QtWindowServices&&) = delete;
  QtWindowServices& operator=(QtWindowServices&&) = delete;

  // The live window of a form, or nullptr: for tests.
  [[nodiscard]] FormWindow* WindowOf(const FormDefinition& form) const;
  [[nodiscard]] const QIcon& ProgramIcon() const { return programIcon_; }

 private:
  [[nodiscard]] bool DoIsLoaded(const FormDefinition& form) const override { return forms_.contains(&form); }
  bool DoClipboardHasText() override;
  ClipboardText DoClipboardGetText(std::size_t maxLength) override;
  void DoClipboardClear() override;
  void DoShowMessage(std::u16string_view text) override;
  void DoLoadForm(const FormDefinition& form) override;
  void DoShowForm(const FormDefinition& form) override;
  void DoUnloadForm(const FormDefinition& form) override;
  [[nodiscard]] float DoGetFormMetric(const FormDefinition& form, Metric metric) const override;
  void DoSetFormMetric(const FormDefinition& form, Edge edge, float twips) override;
  void DoPlaceFormAtOffset(const FormDefinition& form, const FormDefinition& from, TwipsPoint offset) override;
  void DoSetCaption(ControlRef control, std::u16string_view caption) override;
  void DoSetText(ControlRef control, std::u16string_view text) override;
  void DoSetMetric(ControlRef control, Metric metric, float twips) override;
  void DoSetFontFamily(ControlRef control, std::u16string_view family) override;
  void DoSetChecked(ControlRef menuItem, bool checked) override;
  [[nodiscard]] bool DoIsChecked(ControlRef menuItem) const override;
  void DoReportFatalError(std::u16string_view message) override;
  void DoEndProgram(int exitStatus) override;
  int DoRunEventLoop() override;
  [[nodiscard]] std::u16string DoGetCaption(ControlRef control) const override;
  [[nodiscard]] std::u16string DoGetText(ControlRef control) const override;
  [[nodiscard]] float DoGetMetric(ControlRef control, Metric metric) const override;
  [[nodiscard]] std::u16string DoGetFontFamily(ControlRef control) const override;

  [[nodiscard]] FormWindow& Live(const FormDefinition& form) const { return *forms_.at(&form); }
  void StopAllTimers();
  void StartDrain(std::unique_ptr<x11::ClipboardRead> read);
  void StopDrain();
  void HoldEmptyClipboard();
  void StopHoldingEmptyClipboard();
  bool HoldsEmptyClipboard();
  void WatchClearAnswers();

  std::unique_ptr<QApplication> application_;  // first in, last out: every widget needs it
  QIcon programIcon_;
  std::map<const FormDefinition*, FormWindow*> forms_;
  bool loopRunning_ = false;
  int exitStatus_ = 0;
  // On X11, from a format test that found text to the read of the same click.
  std::unique_ptr<x11::ClipboardRead> pendingRead_;
  // On X11, the read of a refused incremental transfer whose rest is dropped
  // as it comes: some owners serve no one else until it ends.
  std::unique_ptr<x11::ClipboardRead> drainingRead_;
  std::unique_ptr<QSocketNotifier> drainNotifier_;
  // On X11, after Clear of clipboard: Vornic owns it empty until another
  // program copies.
  std::unique_ptr<x11::EmptyClipboardOwner> emptyOwner_;
  std::unique_ptr<QSocketNotifier> emptyOwnerNotifier_;
  // On Wayland, for a moment after Clear of clipboard: the context of what
  // waits for the compositor's and a clipboard manager's answers.
  std::unique_ptr<QObject> clearWatch_;
};

}  // namespace vornic::qt
