// The window contract on Qt (offscreen platform, the process's one QApplication).
#include <QCoreApplication>
#include <QWidget>

#include "contract/window_contract.h"
#include "qt_form.h"
#include "qt_test_support.h"
#include "qt_widgets.h"

namespace vornic::contract {
namespace {

using qt::testing::AnsweredBox;

class QtBackend final : public ContractBackend {
 public:
  WindowInspection& Fresh() override { return qt::testing::Services(); }
  void Finish() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
  std::u16string ReportFatalErrorAndRead(std::u16string_view message) override {
    AnsweredBox box;
    qt::testing::AnswerNextMessageBox(&box);
    qt::testing::Services().ReportFatalError(message);
    return qt::ToU16String(box.text);
  }
  [[nodiscard]] bool HasFocus() const override { return true; }
  // Follows Qt's focus chain to the next control widget that takes Tab.
  int NextInTabOrder(const FormDefinition& form, int control) override {
    const qt::FormWindow* window = qt::testing::Services().WindowOf(form);
    QWidget* start = window->Widget(control);
    for (QWidget* widget = start->nextInFocusChain(); widget != start; widget = widget->nextInFocusChain()) {
      if ((widget->focusPolicy() & Qt::TabFocus) == 0) continue;
      for (int index = 0; index < static_cast<int>(form.controls.size()); ++index) {
        if (window->Widget(index) == widget) return index;
      }
    }
    return -1;
  }
};

}  // namespace

ContractBackend& Backend() {
  static QtBackend backend;
  return backend;
}

}  // namespace vornic::contract
