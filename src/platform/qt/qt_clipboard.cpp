#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/window_system_error.h"
#include "qt_services.h"
#include "qt_widgets.h"
#include "qt_x11_clipboard.h"

namespace vornic::qt {

namespace {

QClipboard& Clipboard() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) throw WindowSystemError("QGuiApplication::clipboard", "no clipboard");
  return *clipboard;
}

// On X11, another program owns the clipboard and is asked for its data
// directly: Qt's hasText() also says yes to a file list, and Qt reads neither
// COMPOUND_TEXT nor the owner's own choice of encoding for TEXT. Elsewhere,
// and when Vornic owns it, Qt's data is read, text/plain only.
bool ReadsX11Clipboard(const QClipboard& clipboard) {
  return QGuiApplication::platformName() == QLatin1String("xcb") && !clipboard.ownsClipboard();
}

const QMimeData* QtPlainText(const QClipboard& clipboard) {
  const QMimeData* data = clipboard.mimeData(QClipboard::Clipboard);
  return data != nullptr && data->hasFormat(QStringLiteral("text/plain")) ? data : nullptr;
}

}  // namespace

bool QtWindowServices::DoClipboardHasText() {
  const QClipboard& clipboard = Clipboard();
  if (ReadsX11Clipboard(clipboard)) return X11ClipboardHasText();
  return QtPlainText(clipboard) != nullptr;
}

std::u16string QtWindowServices::DoClipboardGetText() {
  const QClipboard& clipboard = Clipboard();
  if (ReadsX11Clipboard(clipboard)) return X11ClipboardText();
  // The owner may have gone or changed the clipboard since the format test:
  // then there is no text, which is not a failure.
  const QMimeData* data = QtPlainText(clipboard);
  return data != nullptr ? ToU16String(data->text()) : std::u16string();
}

void QtWindowServices::DoClipboardClear() {
  QClipboard& clipboard = Clipboard();
  // clear() only gives up what this program owns: take the clipboard first,
  // then leave it with no owner and no formats.
  clipboard.setMimeData(new QMimeData, QClipboard::Clipboard);
  clipboard.clear(QClipboard::Clipboard);
}

}  // namespace vornic::qt
