#include "qt_test_support.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <memory>

#include "about/form2.h"
#include "mainwindow/form1.h"

namespace vornic::qt::testing {

namespace {

std::unique_ptr<QtWindowServices>& Instance() {
  static std::unique_ptr<QtWindowServices> services;
  return services;
}

class QtEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "vornic_qt_tests";
    static char* argv[] = {name, nullptr};
    Instance() = std::make_unique<QtWindowServices>(argc, argv);
  }
  void TearDown() override { Instance().reset(); }
};

}  // namespace

QtWindowServices& Services() { return *Instance(); }

void QtBackendTest::TearDown() {
  for (const FormDefinition* form : {&Form1::Window, &Form2::Window}) {
    if (Services().IsLoaded(*form)) Services().UnloadForm(*form);
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void AnswerNextMessageBox(AnsweredBox* answered) {
  auto* poll = new QTimer;
  poll->setInterval(5);
  QObject::connect(poll, &QTimer::timeout, [poll, answered] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    answered->title = box->windowTitle();
    answered->text = box->text();
    answered->icon = box->icon();
    for (QAbstractButton* button : box->buttons()) answered->buttons.push_back(button->text());
    answered->applicationModal = box->windowModality() == Qt::ApplicationModal;
    box->setWindowState(Qt::WindowMinimized);
    answered->nameWhileMinimised = QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name);
    box->button(QMessageBox::Ok)->click();
  });
  poll->start();
}

}  // namespace vornic::qt::testing

int main(int argc, char** argv) {
  // Listing the tests (ctest discovery) must work without a display too.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new vornic::qt::testing::QtEnvironment);
  return RUN_ALL_TESTS();
}
