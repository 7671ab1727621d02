#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/clipboard_targets.h"
#include "platform/event_dispatch.h"
#include "platform/window_system_error.h"
#include "platform/x11/x11_clipboard.h"
#include "qt_services.h"
#include "qt_widgets.h"

namespace vornic::qt {

namespace {

constexpr std::chrono::milliseconds kCompositorAnswerTime{2000};
constexpr std::chrono::milliseconds kManagerAnswerTime{300};

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

// Qt's data with plain text and no list of files, or null. The offered MIME
// types decide, as the X11 targets do.
const QMimeData* QtPlainText(const QClipboard& clipboard) {
  const QMimeData* data = clipboard.mimeData(QClipboard::Clipboard);
  if (data == nullptr || !data->hasFormat(QStringLiteral("text/plain"))) return nullptr;
  std::vector<std::string> offered;
  for (const QString& format : data->formats()) offered.push_back(format.toStdString());
  return TextTargetsToAsk(offered).empty() ? nullptr : data;
}

}  // namespace

bool QtWindowServices::DoClipboardHasText() {
  pendingRead_.reset();
  const QClipboard& clipboard = Clipboard();
  if (!ReadsX11Clipboard(clipboard)) return QtPlainText(clipboard) != nullptr;
  if (HoldsEmptyClipboard()) return false;
  // Kept for the read that follows in the same click: one connection, and
  // one deadline for both.
  auto read = std::make_unique<x11::ClipboardRead>();
  if (!read->HasText()) return false;
  pendingRead_ = std::move(read);
  return true;
}

ClipboardText QtWindowServices::DoClipboardGetText(std::size_t maxLength) {
  // Taken, so that its connection closes however the read ends.
  std::unique_ptr<x11::ClipboardRead> read = std::move(pendingRead_);
  const QClipboard& clipboard = Clipboard();
  if (ReadsX11Clipboard(clipboard)) {
    if (!read && HoldsEmptyClipboard()) return ClipboardText::None();
    if (!read) read = std::make_unique<x11::ClipboardRead>();
    ClipboardText text = read->Text(maxLength);
    if (read->Draining()) StartDrain(std::move(read));
    return text;
  }
  // The owner may have gone or changed the clipboard since the format test:
  // then there is no text, which is not a failure. Qt reads the whole text;
  // the seam refuses one that is too long.
  const QMimeData* data = QtPlainText(clipboard);
  return data != nullptr ? ClipboardText::Of(ToU16String(data->text())) : ClipboardText::None();
}

// The rest of a refused transfer is dropped from the event loop, so Vornic
// answers at once; the limit message runs the loop meanwhile.
void QtWindowServices::StartDrain(std::unique_ptr<x11::ClipboardRead> read) {
  StopDrain();
  drainNotifier_ = std::make_unique<QSocketNotifier>(read->FileDescriptor(), QSocketNotifier::Read);
  drainingRead_ = std::move(read);
  QObject::connect(drainNotifier_.get(), &QSocketNotifier::activated, [this] {
    if (!drainingRead_ || !drainingRead_->DrainPieces()) StopDrain();
  });
  // The notifier's context: a drain replaced before then cancels it.
  QTimer::singleShot(drainingRead_->DrainTimeLeft(), drainNotifier_.get(), [this] { StopDrain(); });
  // Earlier round trips may have queued pieces already: no socket signals them.
  if (!drainingRead_->DrainPieces()) StopDrain();
}

// The notifier may be the one signalling: it is disabled, not deleted, until
// the next drain or the program's end.
void QtWindowServices::StopDrain() {
  if (drainNotifier_) drainNotifier_->setEnabled(false);
  drainingRead_.reset();
}

void QtWindowServices::DoClipboardClear() {
  pendingRead_.reset();
  StopDrain();
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    HoldEmptyClipboard();
    return;
  }
  // As on X11, Vornic owns a clipboard that offers nothing to paste: with no
  // format at all, a clipboard manager would put its last entry back.
  auto* marker = new QMimeData;
  marker->setData(QString::fromLatin1(kEmptyClipboardMarker), QByteArray());
  QClipboard& clipboard = Clipboard();
  clipboard.setMimeData(marker, QClipboard::Clipboard);
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
    WatchClearAnswers();
  } else if (QtPlainText(clipboard) != nullptr) {
    throw WindowSystemError("QClipboard::setMimeData", "another program's data stayed on the clipboard");
  }
}

// The compositor tells the program that took the clipboard so, within
// moments; one that refuses says nothing (a screen reader's press vouched
// for by no input event). A clipboard manager that would undo the clear takes
// the clipboard back at once, which cancels Vornic's offer. Both are failures,
// told once they are known; the program runs on meanwhile, as a count then
// finds Vornic's own offer and does nothing.
void QtWindowServices::WatchClearAnswers() {
  clearWatch_ = std::make_unique<QObject>();
  QObject* watch = clearWatch_.get();
  auto* deadline = new QTimer(watch);
  deadline->setSingleShot(true);
  auto announced = std::make_shared<bool>(false);
  QClipboard& clipboard = Clipboard();
  // Its own signal may be running: deleted once back in the event loop.
  const auto stop = [this, &clipboard, watch, deadline] {
    deadline->stop();
    QObject::disconnect(&clipboard, nullptr, watch, nullptr);
    if (clearWatch_.get() == watch) clearWatch_.release()->deleteLater();
  };
  const auto fail = [this, stop] {
    stop();
    const WindowSystemError refused("wl_data_device.set_selection", "another program's data stayed on the clipboard");
    ReportFailureAndEnd(*this, WindowSystemError("ClipboardClear", refused.what()).what());
  };
  QObject::connect(deadline, &QTimer::timeout, watch, [announced, stop, fail] { *announced ? stop() : fail(); });
  QObject::connect(&clipboard, &QClipboard::changed, watch,
                   [&clipboard, deadline, announced, fail](QClipboard::Mode mode) {
                     if (mode != QClipboard::Clipboard) return;
                     if (!clipboard.ownsClipboard()) {
                       fail();
                     } else if (!*announced) {
                       *announced = true;
                       deadline->start(kManagerAnswerTime);
                     }
                   });
  deadline->start(kCompositorAnswerTime);
}

// A new owner serves from the event loop; one before it lets go at once.
void QtWindowServices::HoldEmptyClipboard() {
  StopHoldingEmptyClipboard();
  emptyOwner_ = std::make_unique<x11::EmptyClipboardOwner>();
  emptyOwnerNotifier_ = std::make_unique<QSocketNotifier>(emptyOwner_->FileDescriptor(), QSocketNotifier::Read);
  QObject::connect(emptyOwnerNotifier_.get(), &QSocketNotifier::activated, [this] {
    if (!emptyOwner_ || !emptyOwner_->ServeRequests()) StopHoldingEmptyClipboard();
  });
  // Requests may have come during its round trips: no socket signals them.
  if (!emptyOwner_->ServeRequests()) StopHoldingEmptyClipboard();
}

// The notifier may be the one signalling: it is disabled, not deleted, until
// the next clear or the program's end.
void QtWindowServices::StopHoldingEmptyClipboard() {
  if (emptyOwnerNotifier_) emptyOwnerNotifier_->setEnabled(false);
  emptyOwner_.reset();
}

// Asked of the X server: another program may have copied since the last
// request was served.
bool QtWindowServices::HoldsEmptyClipboard() {
  if (emptyOwner_ && !emptyOwner_->Owns()) StopHoldingEmptyClipboard();
  return emptyOwner_ != nullptr;
}

}  // namespace vornic::qt
