// Whatever another program puts on the clipboard, the count comes back and
// leaves nothing behind.
#include <malloc.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include "count/count.h"
#include "mainwindow/form1.h"
#include "qt_form.h"
#include "qt_test_support.h"

namespace vornic::qt::testing {
namespace {

std::size_t HeapInUse() {
  const struct mallinfo2 heap = mallinfo2();
  return heap.uordblks + heap.hblkhd;  // small blocks and mmapped large ones
}

class FaultTest : public QtBackendTest {
 protected:
  void SetUp() override { ASSERT_TRUE(StartVornic(Services())); }
  static QWidget* WidgetOf(ControlRef control) { return Services().WindowOf(*control.form)->Widget(control.index); }
  static void ClickCount() { QTest::mouseClick(WidgetOf(Form1::Command1), Qt::LeftButton); }
};

TEST_F(FaultTest, TenMegabytesAreRefusedAndTheirMemoryGivenBack) {
  const auto refuse = [](int length) {
    QGuiApplication::clipboard()->setText(QString(length, QLatin1Char('m')));
    AnsweredBox box;
    AnswerNextMessageBox(&box);
    ClickCount();
    EXPECT_FALSE(box.text.isEmpty());
    EXPECT_EQ(static_cast<QPlainTextEdit*>(WidgetOf(Form1::Text1))->toPlainText(),
              QStringLiteral("制限に達しました。"));
    QGuiApplication::clipboard()->setText(QStringLiteral("warm"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  };
  refuse(50001);  // the first message box builds caches of its own
  ClickCount();
  const std::size_t before = HeapInUse();
  refuse(5 * 1024 * 1024);  // 10 MB of UTF-16
  ClickCount();
  EXPECT_EQ(static_cast<QLabel*>(WidgetOf(Form1::Label1))->text(), QStringLiteral(" = 4"));
  EXPECT_LT(HeapInUse(), before + 1024 * 1024);
}

TEST_F(FaultTest, ThousandsOfCountsDoNotGrowTheHeap) {
  QGuiApplication::clipboard()->setText(QString("line\r\n").repeated(1000));
  for (int i = 0; i < 50; ++i) {  // warm caches
    ClickCount();
    QTest::mouseClick(WidgetOf(Form1::Command2), Qt::LeftButton);
    QCoreApplication::processEvents();
  }
  const std::size_t before = HeapInUse();
  for (int i = 0; i < 2000; ++i) {
    ClickCount();
    QTest::mouseClick(WidgetOf(Form1::Command2), Qt::LeftButton);
    QCoreApplication::processEvents();  // as the event loop would between clicks
  }
  ClickCount();
  EXPECT_EQ(static_cast<QLabel*>(WidgetOf(Form1::Label1))->text(), QStringLiteral(" = 4000"));
  EXPECT_LT(HeapInUse(), before + 256 * 1024);
}

}  // namespace
}  // namespace vornic::qt::testing
