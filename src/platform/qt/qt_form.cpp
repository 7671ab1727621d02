#include "qt_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <algorithm>
#include <string>
#include <utility>

#include "platform/event_dispatch.h"
#include "platform/paint_colours.h"
#include "platform/twips.h"
#include "qt_services.h"
#include "qt_widgets.h"

namespace vornic::qt {

namespace {

// Windows never delivers a timer faster than this; matching it keeps an idle
// window near zero CPU.
constexpr int kShortestTimerMs = 16;

std::string ControlName(const ControlDefinition& control) {
  std::string name(control.name);
  if (control.element >= 0) name += "(" + std::to_string(control.element) + ")";
  return name;
}

}  // namespace

FormWindow::FormWindow(const FormDefinition& definition, const QIcon& programIcon, FormEvents events)
    : definition_(definition), events_(std::move(events)), controls_(definition.controls.size()) {
  InstallAccessibility();
  setAttribute(Qt::WA_QuitOnClose, false);
  setObjectName(QString::fromUtf8(definition.name.data(), static_cast<qsizetype>(definition.name.size())));
  setWindowTitle(ToQString(definition.title));
  // Else Qt names a window that counts as minimised (as it may until the
  // window manager has shown it) by its empty icon text.
  setAccessibleName(windowTitle());
  if (definition.showsProgramIcon) setWindowIcon(programIcon);

  client_ = new ClientArea(this);
  // The window font is the client area's, so the menu bar keeps the system's.
  ApplyWindowFont();
  setCentralWidget(client_);

  for (int i = 0; i < static_cast<int>(controls_.size()); ++i) {
    if (DefinitionOf(i).kind == ControlKind::MenuItem) {
      if (DefinitionOf(i).parentMenu < 0) CreateMenuItem(i, nullptr);
    } else {
      CreateControl(i, programIcon);
    }
  }
  ApplyColours();
  SetTabOrder();
  OpenMenuBarWithF10();
  PlaceWindow();
}

// The captions carry no access keys and Fusion has no Alt navigation, so
// without this a keyboard alone could never reach the menus. F10 is what
// Windows and GTK desktops use.
void FormWindow::OpenMenuBarWithF10() {
  if (menuWidget() == nullptr || menuBar()->actions().isEmpty()) return;
  auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(shortcut, &QShortcut::activated, this, [this] {
    QAction* first = menuBar()->actions().first();
    menuBar()->setActiveAction(first);
    // With its first item chosen, as a menu opened by the keyboard is: Enter takes it.
    if (QMenu* menu = first->menu(); menu != nullptr && !menu->actions().isEmpty()) {
      menu->setActiveAction(menu->actions().first());
    }
  });
}

const ControlDefinition& FormWindow::DefinitionOf(int index) const {
  return definition_.controls[static_cast<std::size_t>(index)];
}

void FormWindow::CreateControl(int index, const QIcon& programIcon) {
  const ControlDefinition& definition = DefinitionOf(index);
  Control& control = controls_[static_cast<std::size_t>(index)];
  control.caption = definition.content;
  switch (definition.kind) {
    case ControlKind::PushButton: {
      auto* button = new QPushButton(ToQString(definition.content), client_);
      button->setAutoDefault(false);
      button->setDefault(false);
      connect(button, &QPushButton::clicked, this, [this, index] { Emit(index, EventKind::Clicked); });
      control.widget = button;
      break;
    }
    case ControlKind::TextBox: {
      auto* editor = new QPlainTextEdit(client_);
      editor->setLineWrapMode(definition.horizontalScrollBar ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
      editor->setHorizontalScrollBarPolicy(definition.horizontalScrollBar ? Qt::ScrollBarAlwaysOn
                                                                          : Qt::ScrollBarAlwaysOff);
      editor->setVerticalScrollBarPolicy(definition.verticalScrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
      editor->setTabChangesFocus(true);
      editor->setPlainText(WithDisplayLineBreaks(definition.content));
      editor->document()->setModified(false);
      control.widget = editor;
      break;
    }
    case ControlKind::Label:
    case ControlKind::PictureBox: {
      // Every label reports clicks; the form's routes decide what they do.
      auto* label = new ClickableLabel(
          client_, [this, index] { Emit(index, EventKind::Clicked); }, HasRoute(index, EventKind::Clicked));
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(false);
      if (definition.kind == ControlKind::PictureBox) {
        label->setAlignment(Qt::AlignCenter);
        if (definition.showsProgramIcon) label->setPixmap(programIcon.pixmap(32, 32));
      } else {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setText(WithDisplayLineBreaks(definition.content));
      }
      control.widget = label;
      break;
    }
    case ControlKind::Timer: {
      control.timer = new QTimer(this);
      control.timer->setInterval(std::max(definition.timerIntervalMs, kShortestTimerMs));
      connect(control.timer, &QTimer::timeout, this, [this, index] { Emit(index, EventKind::TimerTick); });
      return;
    }
    case ControlKind::MenuItem:
      return;
  }
  // Named as in the definition, so screen readers and tests can find it.
  control.widget->setObjectName(QString::fromStdString(ControlName(definition)));
  if (!definition.accessibleName.empty()) control.widget->setAccessibleName(ToQString(definition.accessibleName));
  if (definition.font != nullptr) control.widget->setFont(ToQFont(*definition.font, control.widget->font()));
  if (definition.kind == ControlKind::TextBox) {
    // A text box shows text as typed, without kerning or ligatures (as a
    // Windows edit box does); skipping shaping keeps a 50000-character line fast.
    QFont font = control.widget->font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    control.widget->setFont(font);
  }
  control.widget->setFocusPolicy(definition.tabIndex >= 0 && (definition.kind == ControlKind::PushButton ||
                                                              definition.kind == ControlKind::TextBox)
                                     ? Qt::StrongFocus
                                     : Qt::NoFocus);
  const float dpi = DotsPerInch();
  control.pixels = QRect(ClampCoordinate(TwipsToPixels(definition.geometry.left, dpi)),
                         ClampCoordinate(TwipsToPixels(definition.geometry.top, dpi)),
                         ClampCoordinate(TwipsToPixelSize(definition.geometry.width, dpi)),
                         ClampCoordinate(TwipsToPixelSize(definition.geometry.height, dpi)));
  control.widget->setGeometry(control.pixels);
}

void FormWindow::CreateMenuItem(int index, QMenu* parent) {
  const ControlDefinition& definition = DefinitionOf(index);
  Control& control = controls_[static_cast<std::size_t>(index)];
  control.caption = definition.content;
  const QString caption = ToQString(definition.content);
  std::vector<int> children;
  for (int i = 0; i < static_cast<int>(controls_.size()); ++i) {
    if (DefinitionOf(i).kind == ControlKind::MenuItem && DefinitionOf(i).parentMenu == index) children.push_back(i);
  }
  if (parent == nullptr) menuBar()->setNativeMenuBar(false);  // a global menu would move it out of the window

  if (!children.empty()) {
    QMenu* menu = parent != nullptr ? parent->addMenu(caption) : menuBar()->addMenu(caption);
    control.action = menu->menuAction();
    // Opening a drop-down is the menu title's click, as on Windows.
    connect(menu, &QMenu::aboutToShow, this, [this, index] { Emit(index, EventKind::MenuChosen); });
    for (const int child : children) CreateMenuItem(child, menu);
  } else {
    control.action = new QAction(caption, this);
    if (parent != nullptr) {
      parent->addAction(control.action);
    } else {
      menuBar()->addAction(control.action);
    }
    connect(control.action, &QAction::triggered, this, [this, index] {
      ShowCheckMark(index);  // Qt toggled it; only SetChecked may change it
      Emit(index, EventKind::MenuChosen);
    });
  }
  control.action->setObjectName(QString::fromStdString(ControlName(definition)));
  control.checked = definition.checked;
  ShowCheckMark(index);
}

// Without a font of its own the window takes the desktop's family at the size
// its boxes were made for: a larger desktop font would cut their texts off.
void FormWindow::ApplyWindowFont() {
  if (definition_.font != nullptr) {
    client_->setFont(ToQFont(*definition_.font, client_->font()));
    return;
  }
  QFont standard = font();  // the application's: this window never sets its own
  standard.setPointSizeF(static_cast<qreal>(kDefaultFontPoints));
  client_->setFont(standard);
}

// System colours are taken from the window's palette, now and again whenever
// the theme changes; text on a fixed background stays readable in any theme.
// (Qt tells of no high-contrast mode: a high-contrast theme is a palette.)
void FormWindow::ApplyColours() {
  const QPalette theme = palette();
  QPalette clientPalette;
  const PaintColours window = ColoursToPaint(definition_.background, Colour{}, false);
  if (const std::optional<QColor> colour = ToQColor(window.background, theme)) {
    clientPalette.setColor(QPalette::Window, *colour);
    client_->setAutoFillBackground(true);
  }
  client_->setPalette(clientPalette);
  client_->ClearBackdrops();
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const ControlDefinition& definition = definition_.controls[i];
    if (definition.kind != ControlKind::Label && definition.kind != ControlKind::PictureBox) continue;
    const PaintColours colours = ColoursToPaint(definition.background, definition.foreground, false);
    QPalette labelPalette;
    if (const std::optional<QColor> text = ToQColor(colours.foreground, theme)) {
      labelPalette.setColor(QPalette::WindowText, *text);
    }
    controls_[i].widget->setPalette(labelPalette);
    if (const std::optional<QColor> background = ToQColor(colours.background, theme)) {
      client_->AddBackdrop(controls_[i].widget, *background);
    }
  }
  client_->update();
}

// The desktop's theme or font changed while the window is open.
void FormWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (client_ == nullptr) return;
  if (event->type() == QEvent::PaletteChange) ApplyColours();
  if (event->type() == QEvent::FontChange) ApplyWindowFont();
}

// Only a checked item is checkable: an unchecked one shows no empty box.
void FormWindow::ShowCheckMark(int index) {
  const Control& control = controls_[static_cast<std::size_t>(index)];
  if (control.checked) {
    control.action->setCheckable(true);
    control.action->setChecked(true);
  } else {
    control.action->setChecked(false);
    control.action->setCheckable(false);
  }
}

void FormWindow::SetTabOrder() {
  std::vector<std::pair<int, QWidget*>> order;
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    QWidget* widget = controls_[i].widget;
    if (widget != nullptr && widget->focusPolicy() != Qt::NoFocus)
      order.emplace_back(definition_.controls[i].tabIndex, widget);
  }
  std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1].second, order[i].second);
  if (!order.empty()) order.front().second->setFocus();
}

// The client area is what lies under the menu bar, as on Windows: its size and
// position are the definition's, and the menu bar is added above it.
void FormWindow::PlaceWindow() {
  const float dpi = DotsPerInch();
  const int width = TwipsToPixelSize(definition_.clientSize.width, dpi);
  const int height = TwipsToPixelSize(definition_.clientSize.height, dpi);
  int menuHeight = 0;
  if (QWidget* menu = menuWidget()) {
    menuHeight = menu->heightForWidth(width);
    if (menuHeight <= 0) menuHeight = menu->sizeHint().height();
  }
  if (definition_.clientPosition) {
    setGeometry(TwipsToPixels(definition_.clientPosition->left, dpi),
                TwipsToPixels(definition_.clientPosition->top, dpi) - menuHeight, width, height + menuHeight);
  } else {
    resize(width, height + menuHeight);
  }
}

// Asked on every layout write: the screen's DPI is read again only when the
// window has moved to another screen.
float FormWindow::DotsPerInch() const {
  const QScreen* display = screen();
  if (display != dpiScreen_) {
    dpiScreen_ = display;
    dpi_ = display != nullptr ? static_cast<float>(display->logicalDotsPerInch()) : 96.0F;
  }
  return dpi_;
}

bool FormWindow::HasRoute(int control, EventKind event) const {
  return std::any_of(definition_.routes.begin(), definition_.routes.end(),
                     [&](const EventRoute& route) { return route.control == control && route.event == event; });
}

void FormWindow::Emit(int control, EventKind event) {
  if (!retired_ && events_.dispatch) events_.dispatch(control, event);
}

void FormWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (!retired_ && events_.closeBox) events_.closeBox();
}

float FormWindow::OuterMetric(Metric metric) const {
  const QRect frame = frameGeometry();
  const float dpi = DotsPerInch();
  switch (metric) {
    case Metric::Left:
      return PixelsToTwips(frame.x(), dpi);
    case Metric::Top:
      return PixelsToTwips(frame.y(), dpi);
    case Metric::Width:
      return PixelsToTwips(frame.width(), dpi);
    case Metric::Height:
      return PixelsToTwips(frame.height(), dpi);
  }
  return 0;
}

void FormWindow::SetOuterMetric(Edge edge, float twips) {
  // pos() of a window is its frame's top-left corner.
  const int pixels = ClampCoordinate(TwipsToPixels(twips, DotsPerInch()));
  QPoint corner = pos();
  if (edge == Edge::Left) {
    corner.setX(pixels);
  } else {
    corner.setY(pixels);
  }
  if (corner != pos()) move(corner);
}

void FormWindow::PlaceAtOffset(const FormWindow& from, TwipsPoint offset) {
  const QPoint corner = from.pos();
  const PixelPoint placed = OffsetCorner({corner.x(), corner.y()}, offset.left, offset.top, from.DotsPerInch());
  const QPoint target(ClampCoordinate(placed.x), ClampCoordinate(placed.y));
  if (target != pos()) move(target);
}

void FormWindow::StartTimers() {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    QTimer* timer = controls_[i].timer;
    if (timer != nullptr && definition_.controls[i].timerIntervalMs > 0 && !timer->isActive()) timer->start();
  }
}

void FormWindow::StopTimers() {
  for (const Control& control : controls_) {
    if (control.timer != nullptr) control.timer->stop();
  }
}

void FormWindow::Retire() {
  retired_ = true;
  StopTimers();
  hide();
}

QWidget* FormWindow::Widget(int control) const {
  return control >= 0 && control < static_cast<int>(controls_.size())
             ? controls_[static_cast<std::size_t>(control)].widget
             : nullptr;
}

QAction* FormWindow::Action(int control) const {
  return control >= 0 && control < static_cast<int>(controls_.size())
             ? controls_[static_cast<std::size_t>(control)].action
             : nullptr;
}

QWidget* FormWindow::Client() const { return client_; }

void QtWindowServices::DoLoadForm(const FormDefinition& form) {
  FormEvents events{
      .dispatch = [this, &form](int control, EventKind event) { DispatchEvent(*this, form, control, event); },
      .closeBox = [this, &form] { RunGuarded(*this, [&] { UnloadForm(form); }); },
  };
  forms_.emplace(&form, new FormWindow(form, programIcon_, std::move(events)));
}

void QtWindowServices::DoShowForm(const FormDefinition& form) {
  FormWindow& window = Live(form);
  window.show();
  window.raise();
  window.activateWindow();
  if (!Ending()) window.StartTimers();
}

// Deleted later, not now: the form may be unloaded from one of its own
// controls' handlers, which Qt is still running.
void QtWindowServices::DoUnloadForm(const FormDefinition& form) {
  FormWindow* window = &Live(form);
  forms_.erase(&form);
  window->Retire();
  window->deleteLater();
  if (forms_.empty() && loopRunning_ && !Ending()) QCoreApplication::exit(0);
}

float QtWindowServices::DoGetFormMetric(const FormDefinition& form, Metric metric) const {
  return Live(form).OuterMetric(metric);
}

void QtWindowServices::DoSetFormMetric(const FormDefinition& form, Edge edge, float twips) {
  Live(form).SetOuterMetric(edge, twips);
}

void QtWindowServices::DoPlaceFormAtOffset(const FormDefinition& form, const FormDefinition& from, TwipsPoint offset) {
  Live(form).PlaceAtOffset(Live(from), offset);
}

}  // namespace vornic::qt
