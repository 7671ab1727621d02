#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/window_system_error.h"
#include "qt_services.h"
#include "qt_widgets.h"

namespace vornic::qt {

namespace {

QClipboard& Clipboard() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) throw WindowSystemError("QGuiApplication::clipboard", "no clipboard");
  return *clipboard;
}

}  // namespace

// On X11, another program owns the clipboard and is asked for its data; Qt
// gives up on an owner that does not answer after a few seconds.

bool QtWindowServices::DoClipboardHasText() {
  const QMimeData* data = Clipboard().mimeData(QClipboard::Clipboard);
  return data != nullptr && data->hasText();
}

std::u16string QtWindowServices::DoClipboardGetText() {
  const QMimeData* data = Clipboard().mimeData(QClipboard::Clipboard);
  // The owner may have gone or changed the clipboard since the format test:
  // then there is no text, which is not a failure.
  if (data == nullptr || !data->hasText()) return {};
  return ToU16String(data->text());
}

void QtWindowServices::DoClipboardClear() {
  QClipboard& clipboard = Clipboard();
  // clear() only gives up what this program owns: take the clipboard first,
  // then leave it with no owner and no formats.
  clipboard.setMimeData(new QMimeData, QClipboard::Clipboard);
  clipboard.clear(QClipboard::Clipboard);
}

}  // namespace vornic::qt
