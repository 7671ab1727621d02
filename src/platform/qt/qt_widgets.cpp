#include "qt_widgets.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace vornic::qt {

QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::u16string ToU16String(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

QString WithDisplayLineBreaks(std::u16string_view text) {
  QString shown;
  shown.reserve(static_cast<qsizetype>(text.size()));
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit == u'\r') {
      shown.append(QChar(u'\n'));
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      shown.append(QChar(unit));
    }
  }
  return shown;
}

std::optional<QColor> ToQColor(const Colour& colour, const QPalette& palette) {
  switch (colour.kind) {
    case Colour::Kind::Default:
      return std::nullopt;
    case Colour::Kind::Rgb:
      return QColor(colour.red, colour.green, colour.blue);
    case Colour::Kind::SystemWindow:
      return palette.color(QPalette::Base);
    case Colour::Kind::SystemWindowText:
      return palette.color(QPalette::Text);
    case Colour::Kind::SystemButtonFace:
      return palette.color(QPalette::Button);
  }
  return std::nullopt;
}

QFont WithFamily(QFont font, std::u16string_view family) {
  QStringList families{ToQString(family)};
  // Only these: a family listed after Arial would come before fontconfig's
  // stand-in for it (Liberation Sans).
  if (family == u"ＭＳ ゴシック") {
    families << QStringLiteral("Noto Sans CJK JP") << QStringLiteral("IPAGothic") << QStringLiteral("VL Gothic");
  } else if (family == u"ＭＳ Ｐゴシック") {
    families << QStringLiteral("Noto Sans CJK JP") << QStringLiteral("IPAPGothic") << QStringLiteral("VL PGothic");
  }
  font.setFamilies(families);
  return font;
}

QFont ForCaption(QFont font, std::u16string_view caption) {
  // Kana, kanji and their punctuation, full-width forms, and the surrogates of
  // the supplementary ideographs.
  const bool cjk = std::ranges::any_of(caption, [](char16_t unit) {
    return (unit >= 0x2E80 && unit < 0xA000) || (unit >= 0xF900 && unit < 0xFB00) ||
           (unit >= 0xFF00 && unit < 0xFFF0) || (unit >= 0xD840 && unit < 0xD8C0);
  });
  font.setStyleStrategy(cjk ? QFont::PreferNoShaping : QFont::PreferDefault);
  return font;
}

QFont ToQFont(const FontDefinition& font, const QFont& base) {
  QFont result = WithFamily(base, font.family);
  result.setPointSizeF(static_cast<qreal>(font.points));
  result.setBold(font.bold);
  return result;
}

ClickableLabel::ClickableLabel(QWidget* parent, std::function<void()> onClick, bool pressable)
    : QLabel(parent), onClick_(std::move(onClick)), pressable_(pressable) {}

void ClickableLabel::Press() {
  QTimer::singleShot(0, this, [this] {
    if (onClick_) onClick_();
  });
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

// A click is a left press and release inside the label, as with a button.
void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool clicked = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  QLabel::mouseReleaseEvent(event);
  // Last: the handler may unload the form this label belongs to.
  if (clicked && onClick_) onClick_();
}

namespace {

// Qt's own label interface has no actions; this one reads the same (a label
// named by its text) and adds the press.
class PressableLabelAccessible final : public QAccessibleWidget {
 public:
  explicit PressableLabelAccessible(ClickableLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

  [[nodiscard]] QString text(QAccessible::Text kind) const override {
    QString value = QAccessibleWidget::text(kind);
    if (kind == QAccessible::Name && value.isEmpty()) value = Label()->text();
    return value;
  }
  [[nodiscard]] QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& action) override {
    if (action == pressAction() && Label()->isEnabled()) Label()->Press();
  }
  [[nodiscard]] QStringList keyBindingsForAction(const QString& /*action*/) const override { return {}; }

 private:
  [[nodiscard]] ClickableLabel* Label() const { return static_cast<ClickableLabel*>(widget()); }
};

QAccessibleInterface* PressableLabelFactory(const QString& /*className*/, QObject* object) {
  auto* label = dynamic_cast<ClickableLabel*>(object);
  return label != nullptr && label->Pressable() ? new PressableLabelAccessible(label) : nullptr;
}

}  // namespace

void InstallAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(PressableLabelFactory);
    return true;
  }();
  (void)installed;
}

void ClientArea::AddBackdrop(const QWidget* widget, QColor colour) { backdrops_.push_back({widget, colour}); }

void ClientArea::paintEvent(QPaintEvent* /*event*/) {
  if (backdrops_.empty()) return;
  QPainter painter(this);
  for (const Backdrop& backdrop : backdrops_) {
    if (backdrop.widget->isVisible()) painter.fillRect(backdrop.widget->geometry(), backdrop.colour);
  }
}

}  // namespace vornic::qt
