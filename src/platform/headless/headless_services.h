// The headless backend: an in-memory window system, the test double for the
// whole program. It holds what a real window system would hold (windows,
// controls, a clipboard, a message box) and lets a test act as the user and as
// other programs.
//
// Implements: every seam operation and WindowInspection; a call log; injected
//   failures (FailNext); a clipboard with any set of formats.
// Does not: draw, convert twips to pixels (geometry stays in twips as written),
//   keep fonts beyond their family, colours, icons, tab order, or names and
//   announcements for screen readers; run timers by itself (Tick runs each
//   running timer once).
// Quirks: a window's frame is fixed (FrameMetrics: a common Windows theme at
//   96 DPI); the message box is closed by answerMessageBox, or at once.
//
// Files: headless_services (the class, program life, the user's actions),
//   headless_form, headless_controls, headless_clipboard.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/window_services.h"

namespace vornic::headless {

// The frame a sizable top-level window gets around its client area, in twips
// (as at 96 DPI on a common Windows theme).
struct FrameMetrics {
  float border = 120;    // each side and the bottom
  float titleBar = 345;  // caption
  float menuBar = 300;   // only for windows that have menus
};

// Other programs' view of the clipboard: any set of formats.
struct ClipboardContents {
  std::optional<std::u16string> text;  // the plain-text format, when present
  std::set<std::string> otherFormats;  // e.g. "image", "files"

  [[nodiscard]] bool IsEmpty() const { return !text && otherFormats.empty(); }
  // A file manager's text form of the files it copied is no text.
  [[nodiscard]] bool HasText() const { return text && !otherFormats.contains("files"); }
};

class HeadlessWindowServices final : public WindowInspection {
 public:
  explicit HeadlessWindowServices(FrameMetrics frame = {}) : frame_(frame) {}

  // The user.
  void Click(ControlRef control);
  void ChooseMenu(ControlRef menuItem);
  void Tick();  // one tick of every running timer
  void Resize(const FormDefinition& form, float outerWidth, float outerHeight);
  void Move(const FormDefinition& form, float outerLeft, float outerTop);
  void Close(const FormDefinition& form);  // the close box
  [[nodiscard]] bool IsVisible(const FormDefinition& form) const;
  [[nodiscard]] std::size_t LoadedFormCount() const { return forms_.size(); }

  // Other programs and the clipboard.
  ClipboardContents clipboard;
  // Runs inside ClipboardGetText before the text is read: another program
  // changing the clipboard at the worst moment.
  std::function<void()> beforeClipboardRead;

  // The message box: called while it is open; returning closes it.
  std::function<void(std::u16string_view)> answerMessageBox;
  std::vector<std::u16string> messagesShown;

  // The end of the program.
  std::vector<std::u16string> fatalErrorsShown;
  std::optional<int> exitStatus;
  [[nodiscard]] bool Running() const { return !exitStatus.has_value(); }

  // Every service call, in order, as "Operation Form.Control" lines (geometry
  // calls add the property: "SetMetric Form1.Text1 Top"), while
  // recordCalls is on (long soak runs turn it off).
  mutable std::vector<std::string> calls;
  bool recordCalls = true;
  // The next call of the named operation (e.g. "ClipboardGetText") fails.
  void FailNext(std::string operation) { failing_.insert(std::move(operation)); }

 private:
  struct ControlState {
    std::u16string content;  // caption or text
    TwipsRect geometry{};
    std::u16string fontFamily;
    bool checked = false;
  };
  struct FormState {
    bool visible = false;
    TwipsRect outer{};
    std::vector<ControlState> controls;
  };

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

  void Record(std::string_view operation, std::string_view subject = {}) const;
  void Record(std::string_view operation, ControlRef control) const;
  void Record(std::string_view operation, std::string_view subject, Metric metric) const;
  void Record(std::string_view operation, ControlRef control, Metric metric) const;
  ControlState& Live(ControlRef control) { return forms_.at(control.form).controls[Index(control)]; }
  [[nodiscard]] const ControlState& Live(ControlRef control) const {
    return forms_.at(control.form).controls[Index(control)];
  }
  static float& Field(TwipsRect& rect, Metric metric);
  static float Field(const TwipsRect& rect, Metric metric);
  static std::size_t Index(ControlRef control) { return static_cast<std::size_t>(control.index); }
  void Dispatch(ControlRef control, EventKind event);
  void EndWhenNoFormRemains();

  FrameMetrics frame_;
  std::map<const FormDefinition*, FormState> forms_;
  mutable std::set<std::string> failing_;
};

}  // namespace vornic::headless
