// The window services on Qt 6 Widgets: forms, the clipboard, message boxes
// and the event loop.
#pragma once

#include <QIcon>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/window_services.h"

class QApplication;

namespace vornic::qt {

class FormWindow;

class QtWindowServices final : public WindowServices {
 public:
  // Creates the QApplication; argc and argv must outlive this object.
  QtWindowServices(int& argc, char** argv);
  ~QtWindowServices() override;
  QtWindowServices(const QtWindowServices&) = delete;
  QtWindowServices& operator=(const QtWindowServices&) = delete;
  QtWindowServices(QtWindowServices&&) = delete;
  QtWindowServices& operator=(QtWindowServices&&) = delete;

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

  // The live window of a form, or nullptr: for tests.
  [[nodiscard]] FormWindow* WindowOf(const FormDefinition& form) const;
  [[nodiscard]] const QIcon& ProgramIcon() const { return programIcon_; }

 private:
  FormWindow& LiveForm(const FormDefinition& form, const char* operation) const;
  void StopAllTimers();

  std::unique_ptr<QApplication> application_;  // first in, last out: every widget needs it
  QIcon programIcon_;
  std::map<const FormDefinition*, FormWindow*> forms_;
  bool loopRunning_ = false;
  bool ended_ = false;
  int exitStatus_ = 0;
};

}  // namespace vornic::qt
