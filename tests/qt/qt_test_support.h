// One QApplication per test process, owned by the window services under test,
// and a way for a test to answer a modal message box.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "qt_services.h"

namespace vornic::qt::testing {

// The window services of this process; created before the first test.
QtWindowServices& Services();

// Every form is unloaded and its window deleted before the next test.
class QtBackendTest : public ::testing::Test {
 protected:
  void TearDown() override;
};

struct AnsweredBox {
  QString title;
  QString text;
  int icon = -1;  // QMessageBox::Icon
  QStringList buttons;
  bool applicationModal = false;
  QString nameWhileMinimised;  // what a screen reader hears as its name
};

// Waits (in the event loop) for the next modal message box, records it into
// *answered and presses its OK button. Returns at once; the box is answered
// from the event loop that the box itself runs.
void AnswerNextMessageBox(AnsweredBox* answered);

}  // namespace vornic::qt::testing
