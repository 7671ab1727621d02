// The one seam between Vornic and a window system. Handlers call these
// operations directly; every backend (headless, Qt, Win32) implements all of
// them. Every operation reports failure by throwing WindowSystemError.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/form_definition.h"

namespace vornic {

// The system's plain-text clipboard format.
inline constexpr int kPlainTextFormat = 1;

// The application title: main window title and message box caption.
inline constexpr std::u16string_view kApplicationTitle = u"Vornic";

enum class Metric : std::uint8_t { Left, Top, Width, Height };

// What the event dispatch (event_dispatch.cpp) remembers between events of one
// program; backends leave it alone.
struct DispatchState {
  std::vector<const FormDefinition*> formsInHandler;  // innermost last
  bool ending = false;                                // a failure has been reported
};

class WindowServices {
 public:
  WindowServices() = default;
  WindowServices(const WindowServices&) = delete;
  WindowServices& operator=(const WindowServices&) = delete;
  WindowServices(WindowServices&&) = delete;
  WindowServices& operator=(WindowServices&&) = delete;
  virtual ~WindowServices() = default;

  // Clipboard.
  virtual bool ClipboardHasFormat(int format) = 0;
  virtual std::u16string ClipboardGetText() = 0;
  virtual void ClipboardClear() = 0;  // empties every format

  // Modal message box: one OK button, no icon, caption kApplicationTitle.
  // Returns when the user has closed it; events may be delivered meanwhile.
  virtual void ShowMessage(std::u16string_view text) = 0;

  // Forms. LoadForm creates the window and its controls, hidden; it does not
  // run the load handler (see LoadFormAndRunHandler). ShowForm shows it
  // modeless and without owner, and starts its timers.
  [[nodiscard]] virtual bool IsLoaded(const FormDefinition& form) const = 0;
  virtual void LoadForm(const FormDefinition& form) = 0;
  virtual void ShowForm(const FormDefinition& form) = 0;
  virtual void UnloadForm(const FormDefinition& form) = 0;
  // Outer geometry (frame, title bar and menu bar included), in twips.
  // Only Left and Top may be written.
  [[nodiscard]] virtual float GetFormMetric(const FormDefinition& form, Metric metric) const = 0;
  virtual void SetFormMetric(const FormDefinition& form, Metric metric, float twips) = 0;

  // Controls. A caption is what a button, label or menu item shows; a text
  // box has text instead.
  virtual void SetCaption(ControlRef control, std::u16string_view caption) = 0;
  [[nodiscard]] virtual std::u16string GetCaption(ControlRef control) const = 0;
  virtual void SetText(ControlRef control, std::u16string_view text) = 0;
  [[nodiscard]] virtual std::u16string GetText(ControlRef control) const = 0;
  virtual void SetMetric(ControlRef control, Metric metric, float twips) = 0;
  [[nodiscard]] virtual float GetMetric(ControlRef control, Metric metric) const = 0;
  virtual void SetFontFamily(ControlRef control, std::u16string_view family) = 0;
  [[nodiscard]] virtual std::u16string GetFontFamily(ControlRef control) const = 0;
  virtual void SetChecked(ControlRef menuItem, bool checked) = 0;
  [[nodiscard]] virtual bool IsChecked(ControlRef menuItem) const = 0;

  // Program life. A failure that escaped a handler is shown to the user
  // (ReportFatalError) and ends the program (EndProgram). RunEventLoop returns
  // the exit status once the last form is unloaded or EndProgram was called.
  virtual void ReportFatalError(std::u16string_view message) = 0;
  virtual void EndProgram(int exitStatus) = 0;
  virtual int RunEventLoop() = 0;

  DispatchState dispatchState;

  // Shorthands that read like the handlers' descriptions.
  void SetLeft(ControlRef c, float twips) { SetMetric(c, Metric::Left, twips); }
  void SetTop(ControlRef c, float twips) { SetMetric(c, Metric::Top, twips); }
  void SetWidth(ControlRef c, float twips) { SetMetric(c, Metric::Width, twips); }
  void SetHeight(ControlRef c, float twips) { SetMetric(c, Metric::Height, twips); }
};

}  // namespace vornic
