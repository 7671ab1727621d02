// The one seam between Vornic and a window system. Handlers call the public
// operations. Each checks, once for every backend, what all window systems
// must agree on (the form is loaded, the control has the property) and names
// itself in every error; then it calls the backend's hook, which may take its
// arguments as valid. Every operation reports failure by throwing
// WindowSystemError.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/form_definition.h"

namespace vornic {

// The application title: main window title and message box caption.
inline constexpr std::u16string_view kApplicationTitle = u"Vornic";

enum class Metric : std::uint8_t { Left, Top, Width, Height };
// A window's writable metrics: the program moves windows, the user sizes them.
enum class Edge : std::uint8_t { Left, Top };

// What each kind of control offers through the seam.
enum class Property : std::uint8_t { Caption, Text, Geometry, FontFamily, CheckMark };

constexpr bool HasProperty(ControlKind kind, Property property) {
  switch (property) {
    case Property::Caption:
      return kind == ControlKind::PushButton || kind == ControlKind::Label || kind == ControlKind::MenuItem;
    case Property::Text:
      return kind == ControlKind::TextBox;
    case Property::Geometry:
      return kind == ControlKind::PushButton || kind == ControlKind::TextBox || kind == ControlKind::Label ||
             kind == ControlKind::PictureBox;
    case Property::FontFamily:
      return kind == ControlKind::PushButton || kind == ControlKind::TextBox || kind == ControlKind::Label;
    case Property::CheckMark:
      return kind == ControlKind::MenuItem;
  }
  return false;
}

// What the event dispatch (event_dispatch.cpp) remembers between the events
// of one run of the event loop.
struct DispatchState {
  std::vector<const FormDefinition*> formsInHandler;  // innermost last
  bool ending = false;                                // a failure was reported, or EndProgram called
};

// What a read of the clipboard's plain text found. A text longer than the
// reader's limit is not delivered: nobody shows it, and reading all of it
// would let the clipboard's owner set the cost of a read.
struct ClipboardText {
  enum class Found : std::uint8_t { Text, NoText, LongerThanLimit };
  Found found = Found::NoText;
  std::u16string text;  // with Found::Text only

  static ClipboardText Of(std::u16string text) { return {Found::Text, std::move(text)}; }
  static ClipboardText None() { return {}; }
  static ClipboardText TooLong() { return {Found::LongerThanLimit, {}}; }
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
  // Plain text, and no list of files: many file managers add a text form of
  // what they copy, which is not text the user copied.
  bool ClipboardHasText();
  // The text when it has at most maxLength code units. NoText when it has
  // gone since ClipboardHasText; a read that fails throws.
  ClipboardText ClipboardGetText(std::size_t maxLength);
  void ClipboardClear();  // empties every format

  // Modal message box: one OK button, no icon, caption kApplicationTitle.
  // Returns when the user has closed it; events may be delivered meanwhile.
  void ShowMessage(std::u16string_view text);

  // Forms. LoadForm creates the window and its controls, hidden; it does not
  // run the load handler (see LoadFormAndRunHandler). ShowForm shows it
  // modeless and without owner, and starts its timers. Every operation but
  // IsLoaded and LoadForm needs a loaded form; LoadForm needs an unloaded one.
  [[nodiscard]] bool IsLoaded(const FormDefinition& form) const;
  void LoadForm(const FormDefinition& form);
  void ShowForm(const FormDefinition& form);
  void UnloadForm(const FormDefinition& form);
  // Outer geometry (frame, title bar and menu bar included), in twips.
  [[nodiscard]] float GetFormMetric(const FormDefinition& form, Metric metric) const;
  void SetFormMetric(const FormDefinition& form, Edge edge, float twips);
  // Moves the form's outer top-left corner, in one move, to `from`'s outer
  // top-left corner plus the offset, measured at `from`'s DPI. On a screen of
  // monitors of different DPI that puts it where `from` is, not where a
  // position converted at each window's own DPI would put it. Both loaded.
  void PlaceFormAtOffset(const FormDefinition& form, const FormDefinition& from, TwipsPoint offset);

  // Controls. A caption is what a button, label or menu item shows; a text
  // box has text instead (see HasProperty).
  void SetCaption(ControlRef control, std::u16string_view caption);
  void SetText(ControlRef control, std::u16string_view text);
  void SetMetric(ControlRef control, Metric metric, float twips);
  void SetFontFamily(ControlRef control, std::u16string_view family);
  void SetChecked(ControlRef menuItem, bool checked);
  [[nodiscard]] bool IsChecked(ControlRef menuItem) const;

  // Program life. A failure that escaped a handler is shown to the user
  // (ReportFatalError, with the wording of FatalErrorMessage) and ends the
  // program (EndProgram). RunEventLoop returns the exit status once the last
  // form is unloaded or EndProgram was called. From a failure or EndProgram
  // on, Ending() is true and no event reaches a handler.
  void ReportFatalError(std::u16string_view message);
  void EndProgram(int exitStatus);
  int RunEventLoop();  // a later loop starts afresh
  [[nodiscard]] bool Ending() const { return dispatchState_.ending; }

  // Shorthands that read like the handlers' descriptions.
  void SetLeft(ControlRef c, float twips) { SetMetric(c, Metric::Left, twips); }
  void SetTop(ControlRef c, float twips) { SetMetric(c, Metric::Top, twips); }
  void SetWidth(ControlRef c, float twips) { SetMetric(c, Metric::Width, twips); }
  void SetHeight(ControlRef c, float twips) { SetMetric(c, Metric::Height, twips); }

 protected:
  // The backend's side. Forms are loaded (unloaded for DoLoadForm) and
  // controls have the property asked for; a failure may name the system's
  // own call, the public operation adds its own name.
  [[nodiscard]] virtual bool DoIsLoaded(const FormDefinition& form) const = 0;
  virtual bool DoClipboardHasText() = 0;
  // May deliver a longer text than maxLength: the seam refuses it.
  virtual ClipboardText DoClipboardGetText(std::size_t maxLength) = 0;
  virtual void DoClipboardClear() = 0;
  virtual void DoShowMessage(std::u16string_view text) = 0;
  virtual void DoLoadForm(const FormDefinition& form) = 0;
  virtual void DoShowForm(const FormDefinition& form) = 0;
  virtual void DoUnloadForm(const FormDefinition& form) = 0;
  [[nodiscard]] virtual float DoGetFormMetric(const FormDefinition& form, Metric metric) const = 0;
  virtual void DoSetFormMetric(const FormDefinition& form, Edge edge, float twips) = 0;
  virtual void DoPlaceFormAtOffset(const FormDefinition& form, const FormDefinition& from, TwipsPoint offset) = 0;
  virtual void DoSetCaption(ControlRef control, std::u16string_view caption) = 0;
  virtual void DoSetText(ControlRef control, std::u16string_view text) = 0;
  virtual void DoSetMetric(ControlRef control, Metric metric, float twips) = 0;
  virtual void DoSetFontFamily(ControlRef control, std::u16string_view family) = 0;
  virtual void DoSetChecked(ControlRef menuItem, bool checked) = 0;
  [[nodiscard]] virtual bool DoIsChecked(ControlRef menuItem) const = 0;
  virtual void DoReportFatalError(std::u16string_view message) = 0;
  virtual void DoEndProgram(int exitStatus) = 0;
  virtual int DoRunEventLoop() = 0;

  // Throw unless the form is loaded; unless the control's form is loaded and
  // the control has the property.
  void RequireLoaded(const char* operation, const FormDefinition& form) const;
  void RequireProperty(const char* operation, ControlRef control, Property property) const;

 private:
  friend void DispatchEvent(WindowServices& services, const FormDefinition& form, int control, EventKind event);
  friend void ReportFailureAndEnd(WindowServices& services, const char* what);
  DispatchState dispatchState_;
};

// The seam plus the reads that only tests need; every backend implements it,
// checked as the seam is.
class WindowInspection : public WindowServices {
 public:
  [[nodiscard]] std::u16string GetCaption(ControlRef control) const;
  [[nodiscard]] std::u16string GetText(ControlRef control) const;  // as typed, if the user edited it
  [[nodiscard]] float GetMetric(ControlRef control, Metric metric) const;
  [[nodiscard]] std::u16string GetFontFamily(ControlRef control) const;

 protected:
  [[nodiscard]] virtual std::u16string DoGetCaption(ControlRef control) const = 0;
  [[nodiscard]] virtual std::u16string DoGetText(ControlRef control) const = 0;
  [[nodiscard]] virtual float DoGetMetric(ControlRef control, Metric metric) const = 0;
  [[nodiscard]] virtual std::u16string DoGetFontFamily(ControlRef control) const = 0;
};

// The name of a control as the forms' tables spell it: "Form2.Label1(0)".
std::string DescribeControl(ControlRef control);

// What the user reads when a failure ends the program.
std::u16string FatalErrorMessage(std::string_view failure);

}  // namespace vornic
