// Vornic's own windows on the Qt window services (offscreen platform).
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "about/form2.h"
#include "count/count.h"
#include "mainwindow/form1.h"
#include "mainwindow/layout.h"
#include "painted_colours.h"
#include "platform/paint_colours.h"
#include "qt_form.h"
#include "qt_test_support.h"
#include "qt_widgets.h"

namespace vornic::qt::testing {
namespace {

using vornic::testing::Painted;

// The colours a label shows in its window.
Painted PaintedColours(QWidget* window, QWidget* label) {
  const QImage image = window->grab(QRect(label->mapTo(window, QPoint(0, 0)), label->size())).toImage();
  std::vector<Colour> pixels;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      pixels.push_back(Colour::FromRgb(static_cast<std::uint8_t>(pixel.red()), static_cast<std::uint8_t>(pixel.green()),
                                       static_cast<std::uint8_t>(pixel.blue())));
    }
  }
  return vornic::testing::PaintedColours(pixels);
}

class ProgramTest : public QtBackendTest {
 protected:
  void SetUp() override { ASSERT_TRUE(StartVornic(Services())); }
  static QWidget* WidgetOf(ControlRef control) { return Services().WindowOf(*control.form)->Widget(control.index); }
  static QAction* ActionOf(ControlRef control) { return Services().WindowOf(*control.form)->Action(control.index); }
  static QString LabelText() { return static_cast<QLabel*>(WidgetOf(Form1::Label1))->text(); }
  static QString BoxText() { return static_cast<QPlainTextEdit*>(WidgetOf(Form1::Text1))->toPlainText(); }
};

TEST_F(ProgramTest, LayoutTickWithUnchangedSizeReachesNoWidget) {
  FormWindow& window = *Services().WindowOf(Form1::Window);
  LayoutMainWindow(Services());
  EXPECT_EQ(WidgetOf(Form1::Label1)->geometry().topLeft(), QPoint(0, 27));  // under the buttons
  EXPECT_EQ(WidgetOf(Form1::Text1)->y(), 53);
  const long writes = window.NativeGeometryWrites();
  LayoutMainWindow(Services());
  LayoutMainWindow(Services());
  EXPECT_EQ(window.NativeGeometryWrites(), writes);

  // An outer width of 800 pixels, 12000 twips.
  window.resize(800 - (window.frameGeometry().width() - window.width()), 400);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.frameGeometry().width() == 800; }));
  LayoutMainWindow(Services());
  EXPECT_GT(window.NativeGeometryWrites(), writes);
  EXPECT_EQ(WidgetOf(Form1::Command1)->width(), 396);                 // (12000 / 2 - 60) twips
  EXPECT_EQ(WidgetOf(Form1::Command3)->geometry().right() + 1, 792);  // ends at W - 120 twips
}

TEST_F(ProgramTest, LanguageMenuSwitchesCaptionsAndMovesTheCheckMark) {
  EXPECT_EQ(static_cast<QPushButton*>(WidgetOf(Form1::Command1))->text(), QStringLiteral("文字数"));
  EXPECT_TRUE(ActionOf(Form1::mnuJap)->isChecked());
  ActionOf(Form1::mnuEn)->trigger();
  EXPECT_EQ(static_cast<QPushButton*>(WidgetOf(Form1::Command1))->text(), QStringLiteral("Number of characters"));
  EXPECT_EQ(ActionOf(Form1::mnuLanguage)->text(), QStringLiteral("Language"));
  EXPECT_TRUE(ActionOf(Form1::mnuEn)->isChecked());
  EXPECT_FALSE(ActionOf(Form1::mnuJap)->isChecked());
  EXPECT_FALSE(ActionOf(Form1::mnuJap)->isCheckable());
  EXPECT_EQ(Services().GetFontFamily(Form1::Command1), u"ＭＳ ゴシック");

  ActionOf(Form1::mnuEn)->trigger();  // again: stays English
  EXPECT_TRUE(ActionOf(Form1::mnuEn)->isChecked());
  ActionOf(Form1::mnuJap)->trigger();
  EXPECT_EQ(static_cast<QPushButton*>(WidgetOf(Form1::Command3))->text(), QStringLiteral("クリップボードクリア"));
  EXPECT_TRUE(ActionOf(Form1::mnuJap)->isChecked());
  EXPECT_FALSE(ActionOf(Form1::mnuEn)->isChecked());
  EXPECT_FALSE(ActionOf(Form1::mnuCheck)->isCheckable());
}

TEST_F(ProgramTest, CountButtonShowsTextAndCountAndRefusesLongText) {
  QGuiApplication::clipboard()->setText(QStringLiteral("ab\r\nc日本"));
  QTest::mouseClick(WidgetOf(Form1::Command1), Qt::LeftButton);
  EXPECT_EQ(LabelText(), QStringLiteral(" = 5"));
  EXPECT_EQ(BoxText(), QStringLiteral("ab\nc日本"));

  QGuiApplication::clipboard()->setText(QString(50001, QLatin1Char('a')));
  AnsweredBox box;
  AnswerNextMessageBox(&box);
  QTest::mouseClick(WidgetOf(Form1::Command1), Qt::LeftButton);
  EXPECT_EQ(box.text, WithDisplayLineBreaks(LimitMessage(UiLanguage::Japanese)));
  EXPECT_EQ(BoxText(), QStringLiteral("制限に達しました。"));
  EXPECT_EQ(LabelText(), QStringLiteral(" = 5"));

  QTest::mouseClick(WidgetOf(Form1::Command3), Qt::LeftButton);
  EXPECT_EQ(LabelText(), QString());
  EXPECT_EQ(BoxText(), QString());
  EXPECT_FALSE(Services().ClipboardHasText());
}

TEST_F(ProgramTest, AboutWindowOpensAtTheOffsetAndItsCloseLabelDestroysIt) {
  Services().SetFormMetric(Form1::Window, Edge::Left, 3000);
  Services().SetFormMetric(Form1::Window, Edge::Top, 2010);
  ActionOf(Form1::mnuCheck)->trigger();
  const QPointer<FormWindow> about = Services().WindowOf(Form2::Window);
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isVisible());
  EXPECT_EQ(about->frameGeometry().topLeft(), QPoint(300, 234));
  EXPECT_EQ(about->Client()->size(), QSize(275, 78));
  EXPECT_EQ(about->windowTitle(), QStringLiteral("Author"));

  ActionOf(Form1::mnuCheck)->trigger();  // still the same one window
  EXPECT_EQ(Services().WindowOf(Form2::Window), about);

  QTest::mouseClick(WidgetOf(Form2::Label2), Qt::LeftButton);
  EXPECT_FALSE(Services().IsLoaded(Form2::Window));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(about, nullptr);

  ActionOf(Form1::mnuCheck)->trigger();  // a fresh one
  ASSERT_TRUE(Services().IsLoaded(Form2::Window));
  EXPECT_TRUE(Services().WindowOf(Form2::Window)->isVisible());
}

// A dark theme's light text on the about window's fixed colours was
// unreadable; the Close label's system colours must follow the theme.
TEST_F(ProgramTest, AboutWindowIsReadableUnderADarkPaletteSetWhileItIsOpen) {
  ActionOf(Form1::mnuCheck)->trigger();
  const QPalette light = QApplication::palette();
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(48, 48, 48));
  dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
  dark.setColor(QPalette::Base, QColor(24, 24, 24));
  dark.setColor(QPalette::Text, QColor(240, 240, 240));
  QApplication::setPalette(dark);
  QCoreApplication::processEvents();  // the change reaches the widgets from the event loop
  FormWindow* about = Services().WindowOf(Form2::Window);
  for (const ControlRef label : {Form2::Label1(0), Form2::Label1(1), Form2::Label1(2), Form2::Label3, Form2::Label2}) {
    const Painted painted = PaintedColours(about, WidgetOf(label));
    EXPECT_GE(ContrastRatio(painted.background, painted.text), kLeastTextContrast) << label.index;
  }
  const Painted line = PaintedColours(about, WidgetOf(Form2::Label1(1)));
  EXPECT_EQ(line.background, Colour::FromRgb(192, 192, 255));  // as in a light theme
  EXPECT_EQ(line.text, Colour::FromRgb(0, 0, 0));
  const Painted close = PaintedColours(about, WidgetOf(Form2::Label2));
  EXPECT_EQ(close.background, Colour::FromRgb(24, 24, 24));
  EXPECT_LT(ContrastRatio(close.text, Colour::FromRgb(240, 240, 240)), 1.2);  // give or take smoothing
  QApplication::setPalette(light);
}

// The address box was made for a 9-point font.
TEST_F(ProgramTest, AboutAddressShowsWholeWithAnElevenPointDesktopFont) {
  const QFont desktop = QApplication::font();
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
  ActionOf(Form1::mnuCheck)->trigger();
  const auto* address = static_cast<QLabel*>(WidgetOf(Form2::Label3));
  EXPECT_EQ(address->font().family(), QStringLiteral("DejaVu Sans"));
  EXPECT_DOUBLE_EQ(address->font().pointSizeF(), 9.0);
  EXPECT_LE(QFontMetrics(address->font()).horizontalAdvance(address->text()), address->contentsRect().width());
  EXPECT_DOUBLE_EQ(WidgetOf(Form2::Label1(0))->font().pointSizeF(), 12.0);  // its own font stays
  QApplication::setFont(desktop);
}

TEST_F(ProgramTest, OpenAboutWindowKeepsTheProgramRunningAfterTheMainWindowCloses) {
  ActionOf(Form1::mnuCheck)->trigger();
  bool aboutOutlivedMain = false;
  QTimer::singleShot(0, [&] {
    Services().WindowOf(Form1::Window)->close();  // the close box
    QTimer::singleShot(0, [&] {
      aboutOutlivedMain = !Services().IsLoaded(Form1::Window) && Services().IsLoaded(Form2::Window);
      QTest::mouseClick(WidgetOf(Form2::Label2), Qt::LeftButton);
    });
  });
  EXPECT_EQ(Services().RunEventLoop(), 0);
  EXPECT_TRUE(aboutOutlivedMain);
  EXPECT_FALSE(Services().IsLoaded(Form2::Window));
}

}  // namespace
}  // namespace vornic::qt::testing
