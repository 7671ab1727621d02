// One live window built from a FormDefinition: a QMainWindow with a menu bar
// and a client area of absolutely placed controls. It knows nothing of Vornic;
// it reports events and the close box through FormEvents.
#pragma once

#include <QMainWindow>
#include <QRect>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/form_definition.h"
#include "platform/window_services.h"

class QAction;
class QIcon;
class QMenu;
class QScreen;
class QTimer;

namespace vornic::qt {

class ClientArea;

struct FormEvents {
  std::function<void(int control, EventKind event)> dispatch;
  std::function<void()> closeBox;
};

class FormWindow final : public QMainWindow {
 public:
  FormWindow(const FormDefinition& definition, const QIcon& programIcon, FormEvents events);

  [[nodiscard]] const FormDefinition& Definition() const { return definition_; }

  // Outer geometry in twips.
  [[nodiscard]] float OuterMetric(Metric metric) const;
  void SetOuterMetric(Edge edge, float twips);
  // Moves the outer corner to `from`'s plus the offset at `from`'s DPI.
  void PlaceAtOffset(const FormWindow& from, TwipsPoint offset);

  // Controls by their place in the table; the window services have checked
  // that each has the property.

  void SetCaption(int control, std::u16string_view caption);
  [[nodiscard]] std::u16string Caption(int control) const;
  void SetText(int control, std::u16string_view text);
  [[nodiscard]] std::u16string Text(int control) const;
  void SetMetric(int control, Metric metric, float twips);
  [[nodiscard]] float GetMetric(int control, Metric metric) const;
  void SetFontFamily(int control, std::u16string_view family);
  [[nodiscard]] std::u16string FontFamily(int control) const;
  void SetChecked(int control, bool checked);
  [[nodiscard]] bool IsChecked(int control) const;

  void StartTimers();
  void StopTimers();
  // Stops the timers, hides the window and drops every later event: the form
  // is being unloaded and is deleted once control is back in the event loop.
  void Retire();

  // For tests and the window services: the native side of a control.
  [[nodiscard]] QWidget* Widget(int control) const;
  [[nodiscard]] QAction* Action(int control) const;
  [[nodiscard]] QWidget* Client() const;
  // How often a control's geometry really reached Qt.
  [[nodiscard]] long NativeGeometryWrites() const { return nativeGeometryWrites_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  struct Control {
    QWidget* widget = nullptr;
    QAction* action = nullptr;
    QTimer* timer = nullptr;
    QRect pixels;                          // what Qt was last told
    std::u16string caption;                // exactly as written; the widget shows a display form
    std::optional<std::u16string> family;  // as written by SetFontFamily
    bool checked = false;
  };

  void CreateControl(int index, const QIcon& programIcon);
  void CreateMenuItem(int index, QMenu* parent);
  void ShowCheckMark(int index);
  void ApplyWindowFont();
  void ApplyColours();
  void SetTabOrder();
  void OpenMenuBarWithF10();
  void PlaceWindow();
  void Emit(int control, EventKind event);
  [[nodiscard]] bool HasRoute(int control, EventKind event) const;
  [[nodiscard]] float DotsPerInch() const;
  [[nodiscard]] const ControlDefinition& DefinitionOf(int index) const;
  Control& At(int index) { return controls_[static_cast<std::size_t>(index)]; }
  [[nodiscard]] const Control& At(int index) const { return controls_[static_cast<std::size_t>(index)]; }

  const FormDefinition& definition_;
  FormEvents events_;
  ClientArea* client_ = nullptr;
  std::vector<Control> controls_;
  long nativeGeometryWrites_ = 0;
  mutable const QScreen* dpiScreen_ = nullptr;  // the screen dpi_ was read from
  mutable float dpi_ = 96.0F;
  bool retired_ = false;
};

}  // namespace vornic::qt
