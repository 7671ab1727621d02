#include <QAccessible>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "platform/twips.h"
#include "qt_form.h"
#include "qt_services.h"
#include "qt_widgets.h"

namespace vornic::qt {
namespace {

// Screen readers speak a count as soon as it is shown, as they do on
// Windows. Qt learnt to announce in 6.8; before that the caption waits
// until the reader reaches the label. An empty caption has nothing to say.
void Announce([[maybe_unused]] QWidget* widget, [[maybe_unused]] std::u16string_view caption) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  if (caption.empty()) return;
  QAccessibleAnnouncementEvent event(widget, ToQString(caption));
  event.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
  QAccessible::updateAccessibility(&event);
#endif
}

}  // namespace

void QtWindowServices::DoSetCaption(ControlRef control, std::u16string_view caption) {
  Live(*control.form).SetCaption(control.index, caption);
}

std::u16string QtWindowServices::DoGetCaption(ControlRef control) const {
  return Live(*control.form).Caption(control.index);
}

void QtWindowServices::DoSetText(ControlRef control, std::u16string_view text) {
  Live(*control.form).SetText(control.index, text);
}

std::u16string QtWindowServices::DoGetText(ControlRef control) const { return Live(*control.form).Text(control.index); }

void QtWindowServices::DoSetMetric(ControlRef control, Metric metric, float twips) {
  Live(*control.form).SetMetric(control.index, metric, twips);
}

float QtWindowServices::DoGetMetric(ControlRef control, Metric metric) const {
  return Live(*control.form).GetMetric(control.index, metric);
}

void QtWindowServices::DoSetFontFamily(ControlRef control, std::u16string_view family) {
  Live(*control.form).SetFontFamily(control.index, family);
}

std::u16string QtWindowServices::DoGetFontFamily(ControlRef control) const {
  return Live(*control.form).FontFamily(control.index);
}

void QtWindowServices::DoSetChecked(ControlRef menuItem, bool checked) {
  Live(*menuItem.form).SetChecked(menuItem.index, checked);
}

bool QtWindowServices::DoIsChecked(ControlRef menuItem) const { return Live(*menuItem.form).IsChecked(menuItem.index); }

void FormWindow::SetCaption(int index, std::u16string_view caption) {
  Control& control = At(index);
  control.caption = caption;
  switch (DefinitionOf(index).kind) {
    case ControlKind::PushButton: {
      // Only a change: a font of its own no longer follows the window's.
      const QFont font = ForCaption(control.widget->font(), caption);
      if (font != control.widget->font()) control.widget->setFont(font);
      static_cast<QPushButton*>(control.widget)->setText(ToQString(caption));
      break;
    }
    case ControlKind::Label:
      static_cast<QLabel*>(control.widget)->setText(WithDisplayLineBreaks(caption));
      if (DefinitionOf(index).announcesChanges) Announce(control.widget, caption);
      break;
    default:
      control.action->setText(ToQString(caption));
      break;
  }
}

std::u16string FormWindow::Caption(int index) const { return At(index).caption; }

void FormWindow::SetText(int index, std::u16string_view text) {
  Control& control = At(index);
  control.caption = text;
  auto* editor = static_cast<QPlainTextEdit*>(control.widget);
  editor->setPlainText(WithDisplayLineBreaks(text));
  editor->document()->setModified(false);
}

// The text as written, unless the user has edited it since.
std::u16string FormWindow::Text(int index) const {
  const Control& control = At(index);
  const auto* editor = static_cast<const QPlainTextEdit*>(control.widget);
  return editor->document()->isModified() ? ToU16String(editor->toPlainText()) : control.caption;
}

// The layout writes every property on every tick: only a changed pixel value
// reaches Qt.
void FormWindow::SetMetric(int index, Metric metric, float twips) {
  Control& control = At(index);
  const float dpi = DotsPerInch();
  QRect pixels = control.pixels;
  switch (metric) {
    case Metric::Left:
      pixels.moveLeft(ClampCoordinate(TwipsToPixels(twips, dpi)));
      break;
    case Metric::Top:
      pixels.moveTop(ClampCoordinate(TwipsToPixels(twips, dpi)));
      break;
    case Metric::Width:
      pixels.setWidth(ClampCoordinate(TwipsToPixelSize(twips, dpi)));
      break;
    case Metric::Height:
      pixels.setHeight(ClampCoordinate(TwipsToPixelSize(twips, dpi)));
      break;
  }
  if (pixels == control.pixels) return;
  control.pixels = pixels;
  control.widget->setGeometry(pixels);
  ++nativeGeometryWrites_;
}

float FormWindow::GetMetric(int index, Metric metric) const {
  const Control& control = At(index);
  const float dpi = DotsPerInch();
  switch (metric) {
    case Metric::Left:
      return PixelsToTwips(control.pixels.x(), dpi);
    case Metric::Top:
      return PixelsToTwips(control.pixels.y(), dpi);
    case Metric::Width:
      return PixelsToTwips(control.pixels.width(), dpi);
    case Metric::Height:
      return PixelsToTwips(control.pixels.height(), dpi);
  }
  return 0;
}

// The family is kept as written; Qt gets it with its stand-ins.
void FormWindow::SetFontFamily(int index, std::u16string_view family) {
  Control& control = At(index);
  control.family = std::u16string(family);
  control.widget->setFont(WithFamily(control.widget->font(), family));
}

std::u16string FormWindow::FontFamily(int index) const {
  const Control& control = At(index);
  if (control.family) return *control.family;
  if (const FontDefinition* font = DefinitionOf(index).font) return std::u16string(font->family);
  if (definition_.font != nullptr) return std::u16string(definition_.font->family);
  return ToU16String(control.widget->font().family());
}

void FormWindow::SetChecked(int index, bool checked) {
  At(index).checked = checked;
  ShowCheckMark(index);
}

bool FormWindow::IsChecked(int index) const { return At(index).checked; }

}  // namespace vornic::qt
