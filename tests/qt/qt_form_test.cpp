// The Qt window services on a form made for the tests (offscreen platform).
#include "qt_form.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <array>
#include <cmath>
#include <limits>

#include "platform/event_dispatch.h"
#include "platform/window_system_error.h"
#include "qt_test_support.h"

namespace vornic::qt::testing {
namespace {

int buttonClicks = 0;
int timerTicks = 0;

extern const FormDefinition kTestForm;

void CountClick(WindowServices& /*services*/) { ++buttonClicks; }
void CountTick(WindowServices& /*services*/) { ++timerTicks; }
void Fail(WindowServices& /*services*/) { throw WindowSystemError("TestOperation", "broken on purpose"); }
void UnloadTestForm(WindowServices& services) { services.UnloadForm(kTestForm); }

constexpr FontDefinition kWindowFont{.family = u"Arial", .points = 9};
constexpr FontDefinition kBigFont{.family = u"Arial", .points = 15.75F};

constexpr std::array kControls{
    ControlDefinition{.name = "Button",
                      .kind = ControlKind::PushButton,
                      .geometry = {150, 0, 1500, 375},
                      .tabIndex = 1,
                      .content = u"Press"},
    ControlDefinition{.name = "Broken",
                      .kind = ControlKind::PushButton,
                      .geometry = {1800, 0, 1500, 375},
                      .tabIndex = 2,
                      .content = u"Fail"},
    ControlDefinition{.name = "Box",
                      .kind = ControlKind::TextBox,
                      .geometry = {0, 1080, 4815, 3495},
                      .tabIndex = 0,
                      .multiLine = true,
                      .horizontalScrollBar = true,
                      .verticalScrollBar = true,
                      .accessibleName = u"Typed text"},
    ControlDefinition{.name = "Caption",
                      .kind = ControlKind::Label,
                      .geometry = {4200, 0, 4935, 375},
                      .content = u"Vornic Project\r",
                      .font = &kBigFont,
                      .background = Colour::FromRgb(192, 192, 255)},
    ControlDefinition{
        .name = "Icon", .kind = ControlKind::PictureBox, .geometry = {150, 600, 615, 615}, .showsProgramIcon = true},
    ControlDefinition{.name = "Ticker", .kind = ControlKind::Timer, .timerIntervalMs = 1},
    ControlDefinition{.name = "mnuTop", .kind = ControlKind::MenuItem, .content = u"Top"},
    ControlDefinition{.name = "mnuPlain", .kind = ControlKind::MenuItem, .content = u"Plain", .parentMenu = 6},
    ControlDefinition{
        .name = "mnuOn", .kind = ControlKind::MenuItem, .content = u"On", .parentMenu = 6, .checked = true},
};
constexpr ControlRef kButton{&kTestForm, 0};
constexpr ControlRef kBroken{&kTestForm, 1};
constexpr ControlRef kBox{&kTestForm, 2};
constexpr ControlRef kCaption{&kTestForm, 3};
constexpr ControlRef kTicker{&kTestForm, 5};
constexpr std::size_t kAnyLength = 1000;
constexpr ControlRef kTopMenu{&kTestForm, 6};
constexpr ControlRef kPlainItem{&kTestForm, 7};
constexpr ControlRef kOnItem{&kTestForm, 8};

constexpr std::array kRoutes{
    EventRoute{EventKind::Clicked, kButton.index, CountClick},
    EventRoute{EventKind::Clicked, kBroken.index, Fail},
    EventRoute{EventKind::Clicked, kCaption.index, UnloadTestForm},
    EventRoute{EventKind::TimerTick, kTicker.index, CountTick},
};

const FormDefinition kTestForm{
    .name = "TestForm",
    .title = u"Test form",
    .clientPosition = TwipsPoint{5820, 4230},
    .clientSize = {9330, 4785},
    .background = Colour::FromRgb(128, 128, 255),
    .font = &kWindowFont,
    .controls = kControls,
    .routes = kRoutes,
};

class FormTest : public QtBackendTest {
 protected:
  void SetUp() override {
    buttonClicks = 0;
    timerTicks = 0;
    Services().LoadForm(kTestForm);
  }
  void TearDown() override {
    if (Services().IsLoaded(kTestForm)) Services().UnloadForm(kTestForm);
    QtBackendTest::TearDown();
  }
  static FormWindow& Window() { return *Services().WindowOf(kTestForm); }
  static QWidget* WidgetOf(ControlRef control) { return Window().Widget(control.index); }
  static QAction* ActionOf(ControlRef control) { return Window().Action(control.index); }
};

TEST_F(FormTest, CreatedGeometryInPixelsIsTheDefinitions) {
  Services().ShowForm(kTestForm);
  FormWindow& window = Window();
  // 15 twips a pixel; the client area is under the menu bar.
  EXPECT_EQ(window.Client()->size(), QSize(622, 319));
  EXPECT_EQ(window.Client()->mapToGlobal(QPoint(0, 0)), QPoint(388, 282));
  EXPECT_EQ(WidgetOf(kButton)->geometry(), QRect(10, 0, 100, 25));
  EXPECT_EQ(WidgetOf(kBox)->geometry(), QRect(0, 72, 321, 233));
  EXPECT_EQ(WidgetOf(kCaption)->geometry(), QRect(280, 0, 329, 25));

  // Outer size: frame and menu bar included.
  const int menuHeight = window.menuWidget()->height();
  EXPECT_GT(menuHeight, 0);
  EXPECT_EQ(window.geometry(), QRect(388, 282 - menuHeight, 622, 319 + menuHeight));
  const QRect frame = window.frameGeometry();
  EXPECT_FLOAT_EQ(Services().GetFormMetric(kTestForm, Metric::Left), 15.0F * static_cast<float>(frame.x()));
  EXPECT_FLOAT_EQ(Services().GetFormMetric(kTestForm, Metric::Top), 15.0F * static_cast<float>(frame.y()));
  EXPECT_FLOAT_EQ(Services().GetFormMetric(kTestForm, Metric::Width), 15.0F * static_cast<float>(frame.width()));
  EXPECT_FLOAT_EQ(Services().GetFormMetric(kTestForm, Metric::Height), 15.0F * static_cast<float>(frame.height()));
  EXPECT_TRUE(frame.contains(window.geometry()));

  EXPECT_EQ(window.windowTitle(), QStringLiteral("Test form"));
  EXPECT_FALSE(window.windowIcon().isNull());
  EXPECT_FALSE(static_cast<QLabel*>(WidgetOf({&kTestForm, 4}))->pixmap().isNull());
  EXPECT_EQ(window.Client()->palette().color(QPalette::Window), QColor(128, 128, 255));
  EXPECT_FALSE(static_cast<QPushButton*>(WidgetOf(kButton))->autoDefault());
}

TEST_F(FormTest, TwipsBecomeNearestPixelsAndNoSizeFails) {
  Services().SetWidth(kBox, 4815);
  EXPECT_FLOAT_EQ(Services().GetMetric(kBox, Metric::Width), 4815);
  Services().SetWidth(kBox, 1234);  // 82.27 pixels
  EXPECT_EQ(WidgetOf(kBox)->width(), 82);
  EXPECT_FLOAT_EQ(Services().GetMetric(kBox, Metric::Width), 1230);
  Services().SetLeft(kBox, -300);
  EXPECT_FLOAT_EQ(Services().GetMetric(kBox, Metric::Left), -300);

  for (const float absurd : {-500.0F, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity()}) {
    Services().SetHeight(kBox, absurd);
    EXPECT_EQ(WidgetOf(kBox)->height(), 0) << absurd;
  }
  Services().SetWidth(kBox, 1.0e30F);
  EXPECT_GT(WidgetOf(kBox)->width(), 30000);
  EXPECT_TRUE(std::isfinite(Services().GetMetric(kBox, Metric::Width)));
}

TEST_F(FormTest, WindowMovesByItsOuterCornerAndIsNeverSized) {
  Services().SetFormMetric(kTestForm, Edge::Left, 3000);
  Services().SetFormMetric(kTestForm, Edge::Top, 2010);
  EXPECT_EQ(Window().frameGeometry().topLeft(), QPoint(200, 134));
  EXPECT_FLOAT_EQ(Services().GetFormMetric(kTestForm, Metric::Left), 3000);
  EXPECT_FLOAT_EQ(Services().GetFormMetric(kTestForm, Metric::Top), 2010);
}

TEST_F(FormTest, TextsAndCaptionsComeBackExactlyAndShowLineBreaks) {
  const std::u16string text{u'a', u'\r', u'\n', u'b', u'\0', u'\xD800', u'\r', u'c', u'\n'};
  Services().SetText(kBox, text);
  EXPECT_EQ(Services().GetText(kBox), text);
  auto* editor = static_cast<QPlainTextEdit*>(WidgetOf(kBox));
  EXPECT_EQ(editor->toPlainText(), QString::fromUtf16(u"a\nb\0\xD800\nc\n", 8));

  EXPECT_EQ(Services().GetCaption(kCaption), u"Vornic Project\r");
  EXPECT_EQ(static_cast<QLabel*>(WidgetOf(kCaption))->text(), QStringLiteral("Vornic Project\n"));
  Services().SetCaption(kCaption, u" = 1234");
  EXPECT_EQ(static_cast<QLabel*>(WidgetOf(kCaption))->text(), QStringLiteral(" = 1234"));
  Services().SetCaption(kTopMenu, u"著作");
  EXPECT_EQ(ActionOf(kTopMenu)->text(), QStringLiteral("著作"));
  EXPECT_EQ(Services().GetCaption(kTopMenu), u"著作");

  // What the user typed is what the box holds.
  Services().SetText(kBox, u"typed: ");
  editor->moveCursor(QTextCursor::End);
  QTest::keyClicks(editor, QStringLiteral("xyz"));
  EXPECT_EQ(Services().GetText(kBox), u"typed: xyz");
}

TEST_F(FormTest, FontFamilyReadsBackAsWrittenEvenWhenNotInstalled) {
  EXPECT_EQ(Services().GetFontFamily(kButton), u"Arial");  // the window's font
  EXPECT_EQ(Services().GetFontFamily(kCaption), u"Arial");
  Services().SetFontFamily(kButton, u"ＭＳ ゴシック");
  EXPECT_EQ(Services().GetFontFamily(kButton), u"ＭＳ ゴシック");
  // Japanese families stand in for it in every locale; Arial keeps fontconfig's own.
  EXPECT_EQ(WidgetOf(kButton)->font().families().mid(0, 2),
            QStringList({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("Noto Sans CJK JP")}));
  EXPECT_EQ(WidgetOf(kCaption)->font().families(), QStringList(QStringLiteral("Arial")));
  // Shaping would follow the locale for kanji, so a Japanese caption goes unshaped.
  Services().SetCaption(kButton, u"文字数");
  EXPECT_TRUE(WidgetOf(kButton)->font().styleStrategy() & QFont::PreferNoShaping);
  Services().SetCaption(kButton, u"Number of characters");
  EXPECT_FALSE(WidgetOf(kButton)->font().styleStrategy() & QFont::PreferNoShaping);
  EXPECT_DOUBLE_EQ(WidgetOf(kButton)->font().pointSizeF(), 9.0);
  EXPECT_DOUBLE_EQ(WidgetOf(kCaption)->font().pointSizeF(), 15.75);
}

TEST_F(FormTest, CheckMarksChangeOnlyThroughSetChecked) {
  QAction* on = ActionOf(kOnItem);
  QAction* plain = ActionOf(kPlainItem);
  EXPECT_TRUE(Services().IsChecked(kOnItem));
  EXPECT_TRUE(on->isChecked());
  EXPECT_FALSE(plain->isCheckable());  // no empty check box beside it

  // Choosing an item with no handler leaves its mark as it was.
  on->trigger();
  plain->trigger();
  EXPECT_TRUE(on->isChecked());
  EXPECT_TRUE(Services().IsChecked(kOnItem));
  EXPECT_FALSE(plain->isChecked());

  Services().SetChecked(kOnItem, false);
  Services().SetChecked(kPlainItem, true);
  EXPECT_FALSE(on->isCheckable());
  EXPECT_TRUE(plain->isChecked());
  EXPECT_TRUE(Services().IsChecked(kPlainItem));
  EXPECT_FALSE(Services().IsChecked(kOnItem));
}

// Menu captions have no access keys: F10 is the keyboard's one way in.
TEST_F(FormTest, F10OpensTheFirstMenu) {
  Services().ShowForm(kTestForm);
  // A window shortcut needs its window active, which the platform grants later.
  Window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
  QTest::keyClick(WidgetOf(kBox), Qt::Key_F10);
  EXPECT_EQ(Window().menuBar()->activeAction(), ActionOf(kTopMenu));
  EXPECT_TRUE(QTest::qWaitFor([&] { return ActionOf(kTopMenu)->menu()->isVisible(); }));
  EXPECT_EQ(ActionOf(kTopMenu)->menu()->activeAction(), ActionOf(kPlainItem));  // Enter takes it
}

TEST_F(FormTest, TimerRunsAtTheWindowsTickFromShowUntilUnload) {
  const QPointer<QTimer> timer = Window().findChild<QTimer*>();
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->interval(), 16);  // a 1 ms timer ticks as Windows delivers it
  EXPECT_FALSE(timer->isActive());
  Services().ShowForm(kTestForm);
  EXPECT_TRUE(timer->isActive());
  EXPECT_TRUE(QTest::qWaitFor([] { return timerTicks >= 2; }));
  Services().UnloadForm(kTestForm);
  ASSERT_NE(timer, nullptr);  // deleted later, not now
  EXPECT_FALSE(timer->isActive());
}

TEST_F(FormTest, ClickOnALabelCanUnloadItsOwnForm) {
  Services().ShowForm(kTestForm);
  const QPointer<FormWindow> window = &Window();
  QTest::mouseClick(WidgetOf(kCaption), Qt::LeftButton);
  EXPECT_FALSE(Services().IsLoaded(kTestForm));
  EXPECT_FALSE(window->isVisible());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(window, nullptr);
}

// What a screen reader gets: names, and a press action only on a label whose
// clicks are routed; the press runs the handler from the event loop.
TEST_F(FormTest, ScreenReadersReadNamesAndPressOnlyRoutedLabels) {
  Services().ShowForm(kTestForm);
  QAccessibleInterface* box = QAccessible::queryAccessibleInterface(WidgetOf(kBox));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(QAccessible::Name), QStringLiteral("Typed text"));
  EXPECT_EQ(QAccessible::queryAccessibleInterface(WidgetOf(kButton))->text(QAccessible::Name), QStringLiteral("Press"));
  QWidget* window = WidgetOf(kButton)->window();
  window->setWindowState(Qt::WindowMinimized);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(window)->text(QAccessible::Name), window->windowTitle());

  QAccessibleInterface* icon = QAccessible::queryAccessibleInterface(WidgetOf({&kTestForm, 4}));
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(icon->actionInterface() == nullptr || icon->actionInterface()->actionNames().isEmpty());

  const QPointer<QWidget> label = WidgetOf(kCaption);
  QAccessibleInterface* caption = QAccessible::queryAccessibleInterface(label);
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->role(), QAccessible::StaticText);
  EXPECT_EQ(caption->text(QAccessible::Name), QStringLiteral("Vornic Project\n"));
  Services().SetCaption(kCaption, u"   Close");
  EXPECT_EQ(caption->text(QAccessible::Name), QStringLiteral("   Close"));
  ASSERT_NE(caption->actionInterface(), nullptr);
  ASSERT_EQ(caption->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});

  caption->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(Services().IsLoaded(kTestForm));  // the caller is answered first
  EXPECT_TRUE(QTest::qWaitFor([] { return !Services().IsLoaded(kTestForm); }, 5000));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(label, nullptr);
}

TEST_F(FormTest, ButtonClicksReachTheRoutedHandler) {
  Services().ShowForm(kTestForm);
  QTest::mouseClick(WidgetOf(kButton), Qt::LeftButton);
  EXPECT_EQ(buttonClicks, 1);
}

TEST_F(FormTest, EventLoopEndsWhenTheLastFormIsUnloaded) {
  Services().ShowForm(kTestForm);
  QTimer::singleShot(0, [] { QTest::mouseClick(WidgetOf(kCaption), Qt::LeftButton); });
  EXPECT_EQ(Services().RunEventLoop(), 0);
}

TEST_F(FormTest, EventLoopReturnsTheStatusOfEndProgram) {
  Services().ShowForm(kTestForm);
  QTimer::singleShot(0, [] { Services().EndProgram(3); });
  EXPECT_EQ(Services().RunEventLoop(), 3);
}

TEST_F(FormTest, FailureInAHandlerIsShownAndEndsTheProgram) {
  Services().ShowForm(kTestForm);
  AnsweredBox box;
  AnswerNextMessageBox(&box);
  QTimer::singleShot(0, [] { QTest::mouseClick(WidgetOf(kBroken), Qt::LeftButton); });
  EXPECT_EQ(Services().RunEventLoop(), kFailureExitStatus);
  EXPECT_EQ(box.icon, QMessageBox::Critical);
  EXPECT_TRUE(box.text.contains(QStringLiteral("TestOperation failed: broken on purpose"))) << box.text.toStdString();
  EXPECT_FALSE(Window().findChild<QTimer*>()->isActive());  // no second failure from a tick
}

TEST_F(QtBackendTest, MessageBoxHasOneOkButtonNoIconAndTheProgramTitle) {
  AnsweredBox box;
  AnswerNextMessageBox(&box);
  Services().ShowMessage(u"First line\r\n\r\nThird line");
  EXPECT_EQ(box.title, QStringLiteral("Vornic"));
  EXPECT_EQ(box.nameWhileMinimised, QStringLiteral("Vornic"));
  EXPECT_EQ(box.text, QStringLiteral("First line\n\nThird line"));
  EXPECT_EQ(box.icon, QMessageBox::NoIcon);
  EXPECT_EQ(box.buttons.size(), 1);
  EXPECT_TRUE(box.applicationModal);
}

TEST_F(QtBackendTest, ClipboardTextIsCopiedCodeUnitForCodeUnit) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const char16_t units[] = {u'a', u'\0', u'\xDC00', u'\r', u'\n', u'\xD83D', u'\xDE00', u'\xD800'};
  clipboard->setText(QString::fromUtf16(units, std::size(units)));
  EXPECT_TRUE(Services().ClipboardHasText());
  EXPECT_EQ(Services().ClipboardGetText(kAnyLength).text, std::u16string(units, std::size(units)));

  clipboard->setText(QString());  // empty text is still text
  EXPECT_TRUE(Services().ClipboardHasText());
  EXPECT_EQ(Services().ClipboardGetText(kAnyLength).found, ClipboardText::Found::Text);
}

TEST_F(QtBackendTest, ClipboardWithoutTextOrClearedHasNoText) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  QImage picture(8, 8, QImage::Format_RGB32);
  picture.fill(Qt::red);
  clipboard->setImage(picture);
  EXPECT_FALSE(Services().ClipboardHasText());
  // Gone since a format test: no text, no failure.
  EXPECT_EQ(Services().ClipboardGetText(kAnyLength).found, ClipboardText::Found::NoText);

  clipboard->setText(QStringLiteral("something"));
  Services().ClipboardClear();
  EXPECT_FALSE(Services().ClipboardHasText());
  const QMimeData* data = clipboard->mimeData();
  EXPECT_TRUE(data == nullptr || data->formats() == QStringList{QStringLiteral("application/x-vornic-empty")});
}

}  // namespace
}  // namespace vornic::qt::testing
