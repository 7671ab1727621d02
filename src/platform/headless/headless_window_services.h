// An in-memory window system: the test double for the whole program. It holds
// what a real window system would hold (windows, controls, a clipboard, a
// message box) and lets a test act as the user and as other programs.
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
};

class HeadlessWindowServices final : public WindowServices {
 public:
  explicit HeadlessWindowServices(FrameMetrics frame = {}) : frame_(frame) {}

  // WindowServices
  bool ClipboardHasFormat(int format) override;
  std::u16string ClipboardGetText() override;
  void ClipboardClear() override;
  void ShowMessage(std::u16string_view text) override;
  [[nodiscard]] bool IsLoaded(const FormDefinition& form) const override;
  void LoadForm(const FormDefinition& form) override;
  void ShowForm(const FormDefinition& form) override;
  void UnloadForm(const FormDefinition& form) override;
  [[nodiscard]] float GetFormMetric(const FormDefinition& form, Metric metric) const override;
  void SetFormMetric(const FormDefinition& form, Metric metric, float twips) override;
  void SetCaption(ControlRef control, std::u16string_view caption) override;
  [[nodiscard]] std::u16string GetCaption(ControlRef control) const override;
  void SetText(ControlRef control, std::u16string_view text) override;
  [[nodiscard]] std::u16string GetText(ControlRef control) const override;
  void SetMetric(ControlRef control, Metric metric, float twips) override;
  [[nodiscard]] float GetMetric(ControlRef control, Metric metric) const override;
  void SetFontFamily(ControlRef control, std::u16string_view family) override;
  [[nodiscard]] std::u16string GetFontFamily(ControlRef control) const override;
  void SetChecked(ControlRef menuItem, bool checked) override;
  [[nodiscard]] bool IsChecked(ControlRef menuItem) const override;
  void ReportFatalError(std::u16string_view message) override;
  void EndProgram(int exitStatus) override;
  int RunEventLoop() override;

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

  void Record(std::string_view operation, std::string_view subject = {}) const;
  void Record(std::string_view operation, ControlRef control) const;
  void Record(std::string_view operation, std::string_view subject, Metric metric) const;
  void Record(std::string_view operation, ControlRef control, Metric metric) const;
  FormState& LiveForm(const FormDefinition& form, std::string_view operation);
  [[nodiscard]] const FormState& LiveForm(const FormDefinition& form, std::string_view operation) const;
  ControlState& LiveControl(ControlRef control, std::string_view operation);
  [[nodiscard]] const ControlState& LiveControl(ControlRef control, std::string_view operation) const;
  static void RequireKind(ControlRef control, std::initializer_list<ControlKind> kinds, std::string_view operation);
  void Dispatch(ControlRef control, EventKind event);
  void EndWhenNoFormRemains();

  FrameMetrics frame_;
  std::map<const FormDefinition*, FormState> forms_;
  mutable std::set<std::string> failing_;
};

}  // namespace vornic::headless
