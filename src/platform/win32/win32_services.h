// WindowServices on the Win32 API: user32, gdi32 and kernel32 only.
#pragma once

#include <map>
#include <memory>

#include "platform/win32/live_form.h"
#include "platform/window_services.h"

namespace vornic::win32 {

class Win32Services final : public WindowServices {
 public:
  explicit Win32Services(HINSTANCE instance);
  ~Win32Services() override;
  Win32Services(const Win32Services&) = delete;
  Win32Services& operator=(const Win32Services&) = delete;
  Win32Services(Win32Services&&) = delete;
  Win32Services& operator=(Win32Services&&) = delete;

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

  // For the form window procedure.
  void Dispatch(const LiveForm& form, int control, EventKind event);
  void ApplyDpi(LiveForm& form, UINT dpi);
  void FormDestroyed(const LiveForm& form);
  [[nodiscard]] HINSTANCE Instance() const { return instance_; }

 private:
  [[nodiscard]] LiveForm& Live(const FormDefinition& form) const;
  [[nodiscard]] LiveControl& Live(ControlRef control) const;
  [[nodiscard]] LiveControl& LiveWindow(ControlRef control, const char* operation) const;
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
  bool ending_ = false;  // a failure is being reported or the program is ending
};

}  // namespace vornic::win32
