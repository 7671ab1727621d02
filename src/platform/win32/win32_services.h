// The Win32 backend: the window services on the Win32 API (user32, gdi32,
// kernel32, comctl32 and ole32 only), Vornic's native Windows program.
//
// Implements: every seam operation and WindowInspection. A form is a
//   top-level window with a real menu bar and standard controls (BUTTON,
//   multi-line EDIT, STATIC); twips become pixels at the window's DPI, and a
//   DPI change re-creates the fonts and re-places the controls, and a change
//   of system colours or of high contrast re-makes the brushes; the clipboard
//   is read as CF_UNICODETEXT once CF_TEXT is among its listed formats and
//   CF_HDROP is not, in place: a text over the limit is refused without a
//   copy. Screen readers get the tables' accessibleName and hear each new
//   caption of an announcesChanges label (Active Accessibility annotations:
//   a polite live region and its change event).
// Does not: fail when the system refuses a screen reader's annotation (the
//   tables' accessibleName, a label's live region): Vornic runs on without it.
// Quirks: timers tick no faster than every 15 ms, Windows' clock tick (Wine
//   would tick every 10 ms); tab order is z-order, so controls are created in
//   tab-index order, with labels and pictures below the rest; coloured labels are drawn by the form so overlapping ones
//   keep each other's text; the program ends when its last window is gone, not
//   with Form1; opening the clipboard is retried for about a second; the
//   multi-line text box leaves Tab and Esc to the dialog manager, as a
//   one-line one does, so neither locks the focus in it nor closes the form.
//
// Files: win32_services (the class, message boxes, program life),
//   win32_form (+ .h: a form as it lives on screen), win32_controls,
//   win32_clipboard (with win32_clipboard_text, its pure reading of the
//   block),
//   win32_window_procedure (the form window's class and
//   messages, fonts, colours, icons), win32_accessibility (annotations for
//   screen readers), win32_api (windows.h and shared helpers).
#pragma once

#include <map>
#include <memory>

#include "platform/win32/win32_form.h"
#include "platform/window_services.h"

namespace vornic::win32 {

class Win32Services final : public WindowInspection {
 public:
  explicit Win32Services(HINSTANCE instance);
  ~Win32Services() override;
  Win32Services(const Win32Services&) = delete;
  Win32Services& operator=(const Win32Services&) = delete;
  Win32Services(Win32Services&&) = delete;
  Win32Services& operator=(Win32Services&&) = delete;

  // For the form window procedure.
  void ApplyDpi(LiveForm& form, UINT dpi);
  void FormDestroyed(const LiveForm& form);
  [[nodiscard]] HINSTANCE Instance() const { return instance_; }
  // The live window of a form, or nullptr: for tests.
  [[nodiscard]] HWND WindowOf(const FormDefinition& form) const {
    const auto found = forms_.find(&form);
    return found == forms_.end() ? nullptr : found->second->window;
  }

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

  [[nodiscard]] LiveForm& Live(const FormDefinition& form) const { return *forms_.at(&form); }
  [[nodiscard]] LiveControl& Live(ControlRef control) const {
    return Live(*control.form).controls[static_cast<std::size_t>(control.index)];
  }
  [[nodiscard]] HWND MessageOwner() const;
  void CreateMenus(LiveForm& form);
  void CreateControls(LiveForm& form);
  void CreateControl(LiveForm& form, std::size_t index);
  void ApplyFont(LiveForm& form, LiveControl& control);
  void ApplyGeometry(const LiveForm& form, LiveControl& control);
  void PlaceForm(LiveForm& form);

  HINSTANCE instance_;
  std::map<const FormDefinition*, std::unique_ptr<LiveForm>> forms_;
  int exitStatus_ = 0;
  bool comStarted_ = false;
};

}  // namespace vornic::win32
