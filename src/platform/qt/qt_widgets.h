// Small pieces the Qt forms are made of: text conversion, colours, fonts, and
// the two widgets Qt lacks (a label that reports clicks, a client area that
// paints label backgrounds).
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/form_definition.h"

namespace vornic::qt {

// QString is UTF-16: code units are copied as they are, lone surrogates and
// NULs included.
QString ToQString(std::u16string_view text);
std::u16string ToU16String(const QString& text);

// What a widget shows for a text: CR LF, a lone CR and a lone LF each break
// the line once.
QString WithDisplayLineBreaks(std::u16string_view text);

// Far outside any screen, still well inside what X11 and Qt accept.
inline int ClampCoordinate(int pixels) {
  constexpr int kCoordinateLimit = 32767;
  return pixels < -kCoordinateLimit ? -kCoordinateLimit : (pixels > kCoordinateLimit ? kCoordinateLimit : pixels);
}

// nullopt for Colour::Kind::Default: leave the widget's own colour.
std::optional<QColor> ToQColor(const Colour& colour, const QPalette& palette);

// The font with the family set. Linux has no "ＭＳ ゴシック", and for a family it
// does not know fontconfig's guess follows the locale (Noto Sans CJK SC under
// zh_CN): Windows' Japanese families ask next for the Japanese families the
// package depends on.
QFont WithFamily(QFont font, std::u16string_view family);

// The font for a button's caption. HarfBuzz shapes in the locale's language,
// and a Japanese font's local forms then turn its kanji Chinese under zh_CN: a
// caption with CJK characters goes unshaped, as Windows draws it; others keep
// their kerning.
QFont ForCaption(QFont font, std::u16string_view caption);

QFont ToQFont(const FontDefinition& font, const QFont& base);

// A label that reports clicks. A pressable one (its clicks do something) also
// offers screen readers a press action.
class ClickableLabel final : public QLabel {
 public:
  ClickableLabel(QWidget* parent, std::function<void()> onClick, bool pressable);

  [[nodiscard]] bool Pressable() const { return pressable_; }
  // A press from assistive technology: handled from the event loop, as a
  // button's is, so the caller gets its answer first.
  void Press();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::function<void()> onClick_;
  bool pressable_ = false;
  bool pressed_ = false;
};

// Makes Qt's accessibility use the press action of pressable labels. Idempotent.
void InstallAccessibility();

// The area under the menu bar. It paints the backgrounds of its labels before
// any of them draws its text, so that overlapping labels do not cut off each
// other's lines.
class ClientArea final : public QWidget {
 public:
  explicit ClientArea(QWidget* parent) : QWidget(parent) {}
  void AddBackdrop(const QWidget* widget, QColor colour);
  void ClearBackdrops() { backdrops_.clear(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Backdrop {
    const QWidget* widget;
    QColor colour;
  };
  std::vector<Backdrop> backdrops_;
};

}  // namespace vornic::qt
